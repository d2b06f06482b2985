#include "world/CubeRenderer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "graphics/Matrix.h"
#include "graphics/ShaderLoader.h"
#include "platform/ErrorMessage.h"
#include "world/CubeInstance.h"

namespace {
static_assert(sizeof(CubeMeshVertex) == 24, "the mesh stream expects 24-byte vertices");

// Faces are drawn as indexed quads rather than instances of one face: a
// software rasterizer such as llvmpipe pays several times more for an
// instance than for its four vertices. Each corner carries what the cube
// shader otherwise reads from the mesh and the instance streams.
struct FaceVertex {
    CubeMeshVertex corner;
    CubeInstance cube;
};
static_assert(sizeof(FaceVertex) == 36, "the face stream expects 36-byte vertices");

constexpr uint32_t kVertexCount = 24;
constexpr uint32_t kIndexCount = 36;
constexpr uint32_t kIndicesPerFace = 6;
constexpr int kFaceCount = 6;
constexpr uint32_t kMatricesBytes = 4 * sizeof(Matrix4);

// Four vertices per face, positions spanning [0, s] on every axis.
void BuildCubeVertices(float s, CubeMeshVertex (&v)[kVertexCount]) {
    const CubeMeshVertex vertices[kVertexCount] = {
        {{0, 0, s}, {0, 0, 1}},  {{s, 0, s}, {0, 0, 1}},  {{0, s, s}, {0, 0, 1}},  {{s, s, s}, {0, 0, 1}},
        {{0, 0, 0}, {0, 0, -1}}, {{0, s, 0}, {0, 0, -1}}, {{s, 0, 0}, {0, 0, -1}}, {{s, s, 0}, {0, 0, -1}},
        {{0, s, 0}, {0, 1, 0}},  {{0, s, s}, {0, 1, 0}},  {{s, s, 0}, {0, 1, 0}},  {{s, s, s}, {0, 1, 0}},
        {{0, 0, 0}, {0, -1, 0}}, {{s, 0, 0}, {0, -1, 0}}, {{0, 0, s}, {0, -1, 0}}, {{s, 0, s}, {0, -1, 0}},
        {{s, 0, 0}, {1, 0, 0}},  {{s, s, 0}, {1, 0, 0}},  {{s, 0, s}, {1, 0, 0}},  {{s, s, s}, {1, 0, 0}},
        {{0, 0, 0}, {-1, 0, 0}}, {{0, 0, s}, {-1, 0, 0}}, {{0, s, 0}, {-1, 0, 0}}, {{0, s, s}, {-1, 0, 0}},
    };
    std::memcpy(v, vertices, sizeof vertices);
}

// Two triangles per quad of four vertices: b, b+1, b+2 and b+2, b+1, b+3.
std::vector<uint32_t> BuildQuadIndices(uint32_t quadCount) {
    std::vector<uint32_t> indices(static_cast<size_t>(quadCount) * kIndicesPerFace);
    for (uint32_t quad = 0; quad < quadCount; ++quad) {
        const uint32_t b = 4 * quad;
        const uint32_t quadIndices[kIndicesPerFace] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
        std::memcpy(&indices[kIndicesPerFace * quad], quadIndices, sizeof quadIndices);
    }
    return indices;
}

// The mesh in slot 0, one cube position per instance in slot 1.
const InputElement kCubeLayout[3] = {
    {.semanticName = "POSITION", .format = Format::R32G32B32_Float, .alignedByteOffset = kAppendAligned},
    {.semanticName = "NORMAL", .format = Format::R32G32B32_Float, .alignedByteOffset = kAppendAligned},
    {.semanticName = "TEXCOORD",
     .semanticIndex = 1,
     .format = Format::R32G32B32_Float,
     .inputSlot = 1,
     .perInstance = true,
     .instanceStepRate = 1},
};

// One face corner per vertex: its mesh corner and the cube's position.
const InputElement kFaceLayout[3] = {
    {.semanticName = "POSITION", .format = Format::R32G32B32_Float},
    {.semanticName = "NORMAL", .format = Format::R32G32B32_Float, .alignedByteOffset = 12},
    {.semanticName = "TEXCOORD", .semanticIndex = 1, .format = Format::R32G32B32_Float, .alignedByteOffset = 24},
};

// A list longer than this is drawn in parts; terrain chunks stay far below it.
constexpr uint32_t kMaxFacesPerBatch = 16384;

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
    : device_(nullptr),
      instanceCount_(0),
      capacity_(0),
      mesh_(),
      faceBatchCapacity_(0),
      faceBatch_(nullptr),
      faceBatchUsed_(0),
      faceDraws_() {}

bool CubeRenderer::CreateMesh(RenderDevice& device) {
    BuildCubeVertices(look_.voxelSize, mesh_);
    if (!CreateOrReport(device, BufferDesc{.byteWidth = sizeof mesh_}, mesh_, vertexBuffer_,
                        "failed to create vertex buffer")) {
        return false;
    }
    const std::vector<uint32_t> indices = BuildQuadIndices(kFaceCount);
    const BufferDesc indexDesc{.byteWidth = kIndexCount * sizeof(uint32_t), .bind = BindFlag::IndexBuffer};
    return CreateOrReport(device, indexDesc, indices.data(), indexBuffer_, "failed to create index buffer");
}

bool CubeRenderer::CreateShaders(RenderDevice& device) {
    ShaderPair pair;
    const ShaderPairResult result = LoadShaderPair(device, look_.shaderName, kCubeLayout, 3, pair);
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

bool CubeRenderer::Initialize(RenderDevice* device, uint32_t capacity, const CubeLook& look) {
    device_ = device;
    look_ = look;
    if (!CreateMesh(*device)) {
        return false;
    }
    const BufferDesc matricesDesc{
        .byteWidth = kMatricesBytes, .usage = Usage::Dynamic, .bind = BindFlag::ConstantBuffer, .cpuWrite = true};
    if (!CreateOrReport(*device, matricesDesc, nullptr, matricesBuffer_, "failed to create matrices buffer")) {
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
    const BufferDesc instanceDesc{
        .byteWidth = static_cast<uint32_t>(instanceBytes), .usage = Usage::Dynamic, .cpuWrite = true};
    return CreateOrReport(*device, instanceDesc, nullptr, instanceBuffer_, "failed to create instance buffer");
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
    ReleaseHandle(*device_, faceLayout_);
    ReleaseHandle(*device_, faceVertexBuffer_);
    ReleaseHandle(*device_, faceIndexBuffer_);
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

bool CubeRenderer::InitializeFaces(RenderDevice& device) {
    if (!LoadInputLayout(device, look_.shaderName, kFaceLayout, 3, faceLayout_)) {
        ShowErrorMessage("failed to create face input layout");
        return false;
    }
    faceBatchCapacity_ = std::min(capacity_, kMaxFacesPerBatch);
    const std::vector<uint32_t> indices = BuildQuadIndices(faceBatchCapacity_);
    const auto indexBytes = static_cast<uint32_t>(indices.size() * sizeof(uint32_t));
    const uint32_t vertexBytes = faceBatchCapacity_ * 4 * static_cast<uint32_t>(sizeof(FaceVertex));
    const BufferDesc vertexDesc{.byteWidth = vertexBytes, .usage = Usage::Dynamic, .cpuWrite = true};
    return CreateOrReport(device, BufferDesc{.byteWidth = indexBytes, .bind = BindFlag::IndexBuffer}, indices.data(),
                          faceIndexBuffer_, "failed to create face index buffer") &&
           CreateOrReport(device, vertexDesc, nullptr, faceVertexBuffer_, "failed to create face vertex buffer");
}

void CubeRenderer::BeginFaces() {
    faceBatch_ = nullptr;
    faceBatchUsed_ = 0;
    faceDraws_.clear();
}

bool CubeRenderer::MapFaceBatch(RenderDevice& device) {
    if (faceBatch_ != nullptr && faceBatchUsed_ == faceBatchCapacity_) {
        EndFaces(device);
    }
    if (faceBatch_ == nullptr) {
        faceBatch_ = static_cast<uint8_t*>(device.MapDiscard(faceVertexBuffer_));
        if (faceBatch_ == nullptr) {
            ShowErrorMessage("failed to lock face vertex buffer");
            return false;
        }
    }
    return true;
}

void CubeRenderer::WriteFaceQuads(int face, const CubeInstance* cubes, uint32_t count) {
    auto* out = reinterpret_cast<FaceVertex*>(faceBatch_) + static_cast<size_t>(4) * faceBatchUsed_;
    const CubeMeshVertex* corners = &mesh_[4 * face];
    for (uint32_t i = 0; i < count; ++i) {
        for (int corner = 0; corner < 4; ++corner) {
            *out++ = FaceVertex{corners[corner], cubes[i]};
        }
    }
    faceDraws_.push_back(FaceDraw{faceBatchUsed_, count});
    faceBatchUsed_ += count;
}

uint32_t CubeRenderer::AddFaces(RenderDevice& device, const FaceLists& faces) {
    uint32_t added = 0;
    for (int face = 0; face < kFaceCount; ++face) {
        const CubeInstance* cubes = faces.cubes[face];
        uint32_t left = faces.counts[face];
        // A list that does not fit the rest of the batch starts a new one,
        // unless it would not fit a whole batch either.
        if (faceBatch_ != nullptr && left > faceBatchCapacity_ - faceBatchUsed_ && left <= faceBatchCapacity_) {
            EndFaces(device);
        }
        while (left > 0) {
            if (!MapFaceBatch(device)) {
                break;
            }
            const uint32_t taken = std::min(left, faceBatchCapacity_ - faceBatchUsed_);
            WriteFaceQuads(face, cubes, taken);
            cubes += taken;
            left -= taken;
            added += taken;
        }
    }
    return added;
}

void CubeRenderer::EndFaces(RenderDevice& device) {
    if (faceBatch_ == nullptr) {
        return;
    }
    device.Unmap(faceVertexBuffer_);
    device.SetIndexBuffer(faceIndexBuffer_, Format::R32_Uint, 0);
    const uint32_t stride = sizeof(FaceVertex);
    const uint32_t offset = 0;
    device.SetVertexBuffers(0, 1, &faceVertexBuffer_, &stride, &offset);
    device.SetInputLayout(faceLayout_);
    for (const FaceDraw& draw : faceDraws_) {
        device.DrawIndexed(kIndicesPerFace * draw.count, 0, static_cast<int32_t>(4 * draw.start));
    }
    BeginFaces();
}
