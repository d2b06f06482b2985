#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "graphics/RenderDevice.h"

class Chunk;
struct CubeInstance;
struct Matrix4;
struct Vec3;

// How the cubes look: the edge length of the mesh, the shader pair
// ("<shaderName>_VS.cso", "<shaderName>_PS.cso") that draws them, the pair
// that draws face quads, and the distance fog: none while fogEnd is 0, else
// blending into the sky from fogStart to full at fogEnd (horizontally).
struct CubeLook {
    float voxelSize = 1.0f;
    std::string shaderName;
    std::string faceShaderName;
    float fogStart = 0.0f;
    float fogEnd = 0.0f;
};

// One corner of the cube mesh; face f has the corners 4f to 4f + 3.
struct CubeMeshVertex {
    float position[3];
    float normal[3];
};

// Draws many copies of one cube by instancing: the cube mesh in vertex slot
// 0, one chunk's visible cubes in slot 1 and the matrices in vertex-shader
// constant slot 0.
class CubeRenderer {
public:
    CubeRenderer();

    // Capacity is the largest instance count one upload may carry. Shows its
    // message and returns false on the first failure.
    bool Initialize(RenderDevice* device, uint32_t capacity, const CubeLook& look);
    void Shutdown();

    // Uploads world, view, projection and view x world x projection, each
    // transposed. Always true.
    bool SetMatrices(RenderDevice& device, const Matrix4& world, const Matrix4& view, const Matrix4& projection);
    // Uploads the eye and the fog for the pixel shaders.
    void SetFog(RenderDevice& device, const Vec3& eye);
    void Bind(RenderDevice& device);
    // False for zero instances or a failed map; nothing is written then.
    bool UploadInstances(RenderDevice& device, uint32_t count, const CubeInstance* instances);
    uint32_t InstanceCount() const { return instanceCount_; }

    // Draws chunks' face quads instead of cubes. Each chunk's quads are
    // uploaded once into a buffer of their own when first drawn after its
    // lists changed; a frame only picks, per direction, the quads turned
    // towards the eye. InitializeFaces creates what that needs (after
    // Initialize; false, with its message, on failure); BindFaces sets the
    // face pipeline up for a frame's DrawQuads calls, each of which returns
    // the quads it drew.
    bool InitializeFaces(RenderDevice& device);
    void BindFaces(RenderDevice& device);
    // The chunk's quad corners are let go of once they are on the device.
    uint32_t DrawQuads(RenderDevice& device, Chunk& chunk, const Vec3& eye);
    // Puts a chunk's quads on the device without drawing them.
    void UploadQuads(RenderDevice& device, Chunk& chunk) { UploadedQuads(device, chunk); }

    // Bytes written to the device since the last reset: constants, instances
    // and quads.
    uint64_t BytesUploaded() const { return bytesUploaded_; }
    void ResetUploadCount() { bytesUploaded_ = 0; }

private:
    // A chunk's quads on the device, and the lists they were made from.
    struct QuadBuffer {
        BufferHandle buffer;
        uint64_t listVersion = 0;
        uint32_t quads = 0;
    };

    bool CreateMesh(RenderDevice& device);
    bool CreateShaders(RenderDevice& device);
    bool CreateFaceShaders(RenderDevice& device);
    const QuadBuffer& UploadedQuads(RenderDevice& device, Chunk& chunk);
    void DrawQuadRange(RenderDevice& device, uint32_t first, uint32_t count);

    RenderDevice* device_;
    CubeLook look_;
    uint32_t instanceCount_;
    uint32_t capacity_;
    uint64_t bytesUploaded_;
    CubeMeshVertex mesh_[24];  // the cube mesh: four corners per face
    std::unordered_map<const Chunk*, QuadBuffer> quadBuffers_;
    InputLayoutHandle inputLayout_;
    ShaderHandle vertexShader_;
    ShaderHandle pixelShader_;
    BufferHandle indexBuffer_;
    BufferHandle vertexBuffer_;
    BufferHandle instanceBuffer_;
    BufferHandle matricesBuffer_;
    BufferHandle fogBuffer_;
    InputLayoutHandle faceLayout_;
    ShaderHandle faceVertexShader_;
    ShaderHandle facePixelShader_;
    BufferHandle quadIndexBuffer_;
};
