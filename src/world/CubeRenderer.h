#pragma once

#include <cstdint>

#include "graphics/RenderDevice.h"

struct CubeInstance;
struct Matrix4;

// Draws many copies of one cube by instancing: the cube mesh in vertex slot
// 0, one chunk's visible cubes in slot 1 and the matrices in vertex-shader
// constant slot 0.
class CubeRenderer {
public:
    CubeRenderer();

    // Capacity is the largest instance count one upload may carry. Shows its
    // message and returns false on the first failure.
    bool Initialize(RenderDevice* device, uint32_t capacity);
    void Shutdown();

    // Uploads world, view, projection and view x world x projection, each
    // transposed. Always true.
    bool SetMatrices(RenderDevice& device, const Matrix4& world, const Matrix4& view, const Matrix4& projection);
    void Bind(RenderDevice& device);
    // False for zero instances or a failed map; nothing is written then.
    bool UploadInstances(RenderDevice& device, uint32_t count, const CubeInstance* instances);
    uint32_t InstanceCount() const { return instanceCount_; }

private:
    bool CreateMesh(RenderDevice& device);
    bool CreateShaders(RenderDevice& device);

    RenderDevice* device_;
    uint32_t instanceCount_;
    InputLayoutHandle inputLayout_;
    ShaderHandle vertexShader_;
    ShaderHandle pixelShader_;
    BufferHandle indexBuffer_;
    BufferHandle vertexBuffer_;
    BufferHandle instanceBuffer_;
    BufferHandle matricesBuffer_;
};
