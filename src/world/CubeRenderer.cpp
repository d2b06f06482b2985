#include "world/CubeRenderer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "config/Settings.h"
#include "graphics/Matrix.h"
#include "graphics/ShaderLoader.h"
#include "platform/ErrorMessage.h"
#include "world/CubeInstance.h"

namespace {
struct CubeVertex {
    float position[3];
    float normal[3];
};
static_assert(sizeof(CubeVertex) == 24, "the mesh stream expects 24-byte vertices");

constexpr uint32_t kVertexCount = 24;
constexpr uint32_t kIndexCount = 36;
constexpr uint32_t kIndicesPerFace = 6;
constexpr int kFaceCount = 6;
constexpr uint32_t kMatricesBytes = 4 * sizeof(Matrix4);

// Four vertices per face, positions spanning [0, s] on every axis.
void BuildCubeVertices(float s, CubeVertex (&v)[kVertexCount]) {
    const CubeVertex vertices[kVertexCount] = {
        {{0, 0, s}, {0, 0, 1}},  {{s, 0, s}, {0, 0, 1}},  {{0, s, s}, {0, 0, 1}},  {{s, s, s}, {0, 0, 1}},
        {{0, 0, 0}, {0, 0, -1}}, {{0, s, 0}, {0, 0, -1}}, {{s, 0, 0}, {0, 0, -1}}, {{s, s, 0}, {0, 0, -1}},
        {{0, s, 0}, {0, 1, 0}},  {{0, s, s}, {0, 1, 0}},  {{s, s, 0}, {0, 1, 0}},  {{s, s, s}, {0, 1, 0}},
        {{0, 0, 0}, {0, -1, 0}}, {{s, 0, 0}, {0, -1, 0}}, {{0, 0, s}, {0, -1, 0}}, {{s, 0, s}, {0, -1, 0}},
        {{s, 0, 0}, {1, 0, 0}},  {{s, s, 0}, {1, 0, 0}},  {{s, 0, s}, {1, 0, 0}},  {{s, s, s}, {1, 0, 0}},
        {{0, 0, 0}, {-1, 0, 0}}, {{0, 0, s}, {-1, 0, 0}}, {{0, s, 0}, {-1, 0, 0}}, {{0, s, s}, {-1, 0, 0}},
    };
    std::memcpy(v, vertices, sizeof vertices);
}

// Two triangles per face: b, b+1, b+2 and b+2, b+1, b+3.
void BuildCubeIndices(uint32_t (&indices)[kIndexCount]) {
    for (uint32_t face = 0; face < 6; ++face) {
        const uint32_t b = 4 * face;
        const uint32_t faceIndices[6] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
        std::memcpy(&indices[6 * face], faceIndices, sizeof faceIndices);
    }
}

const InputElement kCubeLayout[3] = {
    {"POSITION", 0, Format::R32G32B32_Float, 0, kAppendAligned, false, 0},
    {"NORMAL", 0, Format::R32G32B32_Float, 0, kAppendAligned, false, 0},
    {"TEXCOORD", 1, Format::R32G32B32_Float, 1, 0, true, 1},
};

bool CreateOrReport(RenderDevice& device, const BufferDesc& desc, const void* data, BufferHandle& out,
                    const char* message) {
    if (!device.CreateBuffer(desc, data, out)) {
        ShowErrorMessage(message);
        return false;
    }
    return true;
}

}  // namespace

CubeRenderer::CubeRenderer()
    : device_(nullptr), instanceCount_(0), capacity_(0), faceBatch_(nullptr), faceBatchUsed_(0), faceDraws_() {}

bool CubeRenderer::CreateMesh(RenderDevice& device) {
    CubeVertex vertices[kVertexCount];
    BuildCubeVertices(Config().voxelSize, vertices);
    if (!CreateOrReport(device, BufferDesc{sizeof vertices, Usage::Default, BindFlag::VertexBuffer, false}, vertices,
                        vertexBuffer_, "failed to create vertex buffer")) {
        return false;
    }
    uint32_t indices[kIndexCount];
    BuildCubeIndices(indices);
    return CreateOrReport(device, BufferDesc{sizeof indices, Usage::Default, BindFlag::IndexBuffer, false}, indices,
                          indexBuffer_, "failed to create index buffer");
}

bool CubeRenderer::CreateShaders(RenderDevice& device) {
    ShaderPair pair;
    const ShaderPairResult result = LoadShaderPair(device, Config().cubeShaderName, kCubeLayout, 3, pair);
    if (result == ShaderPairResult::VertexShaderUnreadable) {
        ShowErrorMessage("failed to read Vertex Shader");
        return false;
    }
    if (result == ShaderPairResult::PixelShaderUnreadable) {
        ShowErrorMessage("failed to read Pixel Shader");
        return false;
    }
    vertexShader_ = pair.vertexShader;
    pixelShader_ = pair.pixelShader;
    inputLayout_ = pair.inputLayout;
    return true;
}

bool CubeRenderer::Initialize(RenderDevice* device, uint32_t capacity) {
    device_ = device;
    if (!CreateMesh(*device)) {
        return false;
    }
    if (!CreateOrReport(*device, BufferDesc{kMatricesBytes, Usage::Dynamic, BindFlag::ConstantBuffer, true}, nullptr,
                        matricesBuffer_, "failed to create matrices buffer")) {
        return false;
    }
    if (!CreateShaders(*device)) {
        return false;
    }
    instanceCount_ = 1;
    capacity_ = capacity;
    const uint64_t instanceBytes = static_cast<uint64_t>(capacity) * sizeof(CubeInstance);
    if (instanceBytes > std::numeric_limits<uint32_t>::max()) {
        ShowErrorMessage("failed to create instance buffer");
        return false;
    }
    return CreateOrReport(*device,
                          BufferDesc{static_cast<uint32_t>(instanceBytes), Usage::Dynamic, BindFlag::VertexBuffer, true},
                          nullptr, instanceBuffer_, "failed to create instance buffer");
}

void CubeRenderer::Shutdown() {
    if (device_ == nullptr) {
        return;
    }
    ReleaseHandle(*device_, vertexBuffer_);
    ReleaseHandle(*device_, indexBuffer_);
    ReleaseHandle(*device_, vertexShader_);
    ReleaseHandle(*device_, pixelShader_);
    ReleaseHandle(*device_, instanceBuffer_);
    ReleaseHandle(*device_, matricesBuffer_);
    ReleaseHandle(*device_, inputLayout_);
    device_ = nullptr;
}

bool CubeRenderer::SetMatrices(RenderDevice& device, const Matrix4& world, const Matrix4& view,
                               const Matrix4& projection) {
    void* mapped = device.MapDiscard(matricesBuffer_);
    if (mapped == nullptr) {
        ShowErrorMessage("failed to lock matrices buffer");
    } else {
        const Matrix4 combined = view * world * projection;
        const Matrix4 transposed[4] = {world.Transposed(), view.Transposed(), projection.Transposed(),
                                       combined.Transposed()};
        std::memcpy(mapped, transposed, sizeof transposed);
        device.Unmap(matricesBuffer_);
    }
    device.SetConstantBuffer(ShaderStage::Vertex, 0, matricesBuffer_);
    return true;
}

void CubeRenderer::Bind(RenderDevice& device) {
    device.SetIndexBuffer(indexBuffer_, Format::R32_Uint, 0);
    const BufferHandle buffers[2] = {vertexBuffer_, instanceBuffer_};
    const uint32_t strides[2] = {sizeof(float) * 6, sizeof(CubeInstance)};
    const uint32_t offsets[2] = {0, 0};
    device.SetVertexBuffers(0, 2, buffers, strides, offsets);
    device.SetInputLayout(inputLayout_);
    device.SetVertexShader(vertexShader_);
    device.SetPixelShader(pixelShader_);
    device.SetPrimitiveTopology(Topology::TriangleList);
}

bool CubeRenderer::UploadInstances(RenderDevice& device, uint32_t count, const CubeInstance* instances) {
    if (count == 0) {
        return false;
    }
    instanceCount_ = count;
    void* mapped = device.MapDiscard(instanceBuffer_);
    if (mapped == nullptr) {
        ShowErrorMessage("failed to lock instance buffer");
        return false;
    }
    std::memcpy(mapped, instances, static_cast<size_t>(count) * sizeof(CubeInstance));
    device.Unmap(instanceBuffer_);
    return true;
}

void CubeRenderer::BeginFaces() {
    faceBatch_ = nullptr;
    faceBatchUsed_ = 0;
    faceDraws_.clear();
}

uint32_t CubeRenderer::AddFaces(RenderDevice& device, const FaceLists& faces) {
    uint32_t added = 0;
    for (int face = 0; face < kFaceCount; ++face) {
        // A list never holds more faces than its chunk has blocks, which is
        // the capacity.
        const uint32_t count = std::min(faces.counts[face], capacity_);
        if (count == 0) {
            continue;
        }
        if (faceBatch_ != nullptr && count > capacity_ - faceBatchUsed_) {
            EndFaces(device);
        }
        if (faceBatch_ == nullptr) {
            faceBatch_ = static_cast<uint8_t*>(device.MapDiscard(instanceBuffer_));
            if (faceBatch_ == nullptr) {
                ShowErrorMessage("failed to lock instance buffer");
                continue;
            }
        }
        std::memcpy(faceBatch_ + static_cast<size_t>(faceBatchUsed_) * sizeof(CubeInstance), faces.cubes[face],
                    static_cast<size_t>(count) * sizeof(CubeInstance));
        faceDraws_.push_back(FaceDraw{face, faceBatchUsed_, count});
        faceBatchUsed_ += count;
        added += count;
    }
    return added;
}

void CubeRenderer::EndFaces(RenderDevice& device) {
    if (faceBatch_ == nullptr) {
        return;
    }
    device.Unmap(instanceBuffer_);
    instanceCount_ = faceBatchUsed_;
    for (const FaceDraw& draw : faceDraws_) {
        device.DrawIndexedInstanced(kIndicesPerFace, draw.count, kIndicesPerFace * static_cast<uint32_t>(draw.face), 0,
                                    draw.start);
    }
    BeginFaces();
}
