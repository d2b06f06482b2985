#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/RenderDevice.h"

struct CubeInstance;
struct Matrix4;

// One chunk's faces to draw, per direction in the order of the cube mesh's
// faces (+z, -z, +y, -y, +x, -x): the cubes whose face that way is drawn.
struct FaceLists {
    const CubeInstance* cubes[6] = {};
    uint32_t counts[6] = {};
};

// How the cubes look: the edge length of the mesh and the shader pair
// ("<shaderName>_VS.cso", "<shaderName>_PS.cso") that draws them.
struct CubeLook {
    float voxelSize = 1.0f;
    std::string shaderName;
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
    void Bind(RenderDevice& device);
    // False for zero instances or a failed map; nothing is written then.
    bool UploadInstances(RenderDevice& device, uint32_t count, const CubeInstance* instances);
    uint32_t InstanceCount() const { return instanceCount_; }
    // Draws single faces of the cube mesh instead of whole cubes, for many
    // chunks at a time. InitializeFaces creates what that needs (after
    // Initialize; false, with its message, on failure). AddFaces writes the
    // four corners of each face of one chunk's lists into the mapped face
    // buffer and returns the faces it took; whenever the buffer is full, and
    // at EndFaces, each list gathered is drawn with one indexed draw of its
    // quads.
    bool InitializeFaces(RenderDevice& device);
    void BeginFaces();
    uint32_t AddFaces(RenderDevice& device, const FaceLists& faces);
    void EndFaces(RenderDevice& device);

private:
    bool CreateMesh(RenderDevice& device);
    bool MapFaceBatch(RenderDevice& device);
    void WriteFaceQuads(int face, const CubeInstance* cubes, uint32_t count);
    bool CreateShaders(RenderDevice& device);

    RenderDevice* device_;
    CubeLook look_;
    uint32_t instanceCount_;
    uint32_t capacity_;
    CubeMeshVertex mesh_[24];  // the cube mesh: four corners per face
    // The face lists gathered in the current map of the face buffer, as
    // ranges of its quads.
    struct FaceDraw {
        uint32_t start;
        uint32_t count;
    };
    uint32_t faceBatchCapacity_;
    uint8_t* faceBatch_;
    uint32_t faceBatchUsed_;
    std::vector<FaceDraw> faceDraws_;
    InputLayoutHandle inputLayout_;
    ShaderHandle vertexShader_;
    ShaderHandle pixelShader_;
    BufferHandle indexBuffer_;
    BufferHandle vertexBuffer_;
    BufferHandle instanceBuffer_;
    BufferHandle matricesBuffer_;
    InputLayoutHandle faceLayout_;
    BufferHandle faceVertexBuffer_;
    BufferHandle faceIndexBuffer_;
};
