#include "world/CubeRenderer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "graphics/Matrix.h"
#include "graphics/ShaderLoader.h"
#include "platform/ErrorMessage.h"
#include "graphics/GraphicsDevice.h"
#include "world/Chunk.h"
#include "world/CubeInstance.h"

namespace {
static_assert(sizeof(CubeMeshVertex) == 24, "the mesh stream expects 24-byte vertices");

constexpr uint32_t kVertexCount = 24;
constexpr uint32_t kIndexCount = 36;
constexpr uint32_t kIndicesPerFace = 6;
constexpr int kFaceCount = 6;
constexpr uint32_t kMatricesBytes = 4 * sizeof(Matrix4);
constexpr uint32_t kCornersPerQuad = 4;
// Far enough that no eye ever reaches it: fog off.
constexpr float kNoFog = 1.0e30f;

// Pixel constant slot 0: the eye and where the fog starts; the sky's colour
// and where the fog is full.
struct FogConstants {
    float eye[3];
    float start;
    float colour[3];
    float end;
};

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

// One quad corner per vertex: position, and direction with occlusion.
const InputElement kQuadLayout[1] = {
    {.semanticName = "POSITION", .format = Format::R32G32B32A32_Float},
};

// The longest run of quads one draw takes; a longer run is drawn in parts.
constexpr uint32_t kMaxQuadsPerDraw = 16384;

// Which quads of a direction's run are turned towards the eye: a + face's
// plane must lie below the eye's coordinate, a - face's above it.
std::pair<uint32_t, uint32_t> QuadsTowardsEye(const FaceQuads& quads, int direction, float eyeAlong) {
    const float* planes = quads.planes.data();
    const float* first = planes + quads.start[direction];
    const float* last = planes + quads.start[direction + 1];
    if (direction % 2 == 0) {
        last = std::partition_point(first, last, [eyeAlong](float plane) { return plane < eyeAlong; });
    } else {
        first = std::partition_point(first, last, [eyeAlong](float plane) { return plane <= eyeAlong; });
    }
    return {static_cast<uint32_t>(first - planes), static_cast<uint32_t>(last - first)};
}

// Loads a shader pair; an unreadable file shows "failed to read <what>Vertex
// Shader" or "... Pixel Shader" and gives false.
bool LoadShaderPairOrReport(RenderDevice& device, const std::string& baseName, const InputElement* layout,
                            uint32_t layoutCount, const std::string& what, ShaderPair& pair) {
    const ShaderPairResult result = LoadShaderPair(device, baseName, layout, layoutCount, pair);
    if (result == ShaderPairResult::Loaded) {
        return true;
    }
    const char* stage = result == ShaderPairResult::VertexShaderUnreadable ? "Vertex Shader" : "Pixel Shader";
    ShowErrorMessage(("failed to read " + what + stage).c_str());
    return false;
}

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
      bytesUploaded_(0),
      mesh_(),
      quadBuffers_() {}

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
    if (!LoadShaderPairOrReport(device, look_.shaderName, kCubeLayout, 3, "", pair)) {
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
    if (!CreateOrReport(*device, instanceDesc, nullptr, instanceBuffer_, "failed to create instance buffer")) {
        return false;
    }
    const BufferDesc fogDesc{
        .byteWidth = sizeof(FogConstants), .usage = Usage::Dynamic, .bind = BindFlag::ConstantBuffer, .cpuWrite = true};
    return CreateOrReport(*device, fogDesc, nullptr, fogBuffer_, "failed to create fog buffer");
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
    ReleaseHandle(*device_, fogBuffer_);
    ReleaseHandle(*device_, faceLayout_);
    ReleaseHandle(*device_, faceVertexShader_);
    ReleaseHandle(*device_, facePixelShader_);
    ReleaseHandle(*device_, quadIndexBuffer_);
    for (auto& entry : quadBuffers_) {
        ReleaseHandle(*device_, entry.second.buffer);
    }
    quadBuffers_.clear();
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
        bytesUploaded_ += sizeof transposed;
    }
    device.SetConstantBuffer(ShaderStage::Vertex, 0, matricesBuffer_);
    return true;
}

void CubeRenderer::SetFog(RenderDevice& device, const Vec3& eye) {
    const bool fog = look_.fogEnd > 0.0f;
    const FogConstants constants{.eye = {eye.x, eye.y, eye.z},
                                 .start = fog ? look_.fogStart : kNoFog,
                                 .colour = {kSkyColour[0], kSkyColour[1], kSkyColour[2]},
                                 .end = fog ? look_.fogEnd : 2.0f * kNoFog};
    void* mapped = device.MapDiscard(fogBuffer_);
    if (mapped == nullptr) {
        ShowErrorMessage("failed to lock fog buffer");
    } else {
        std::memcpy(mapped, &constants, sizeof constants);
        device.Unmap(fogBuffer_);
        bytesUploaded_ += sizeof constants;
    }
    device.SetConstantBuffer(ShaderStage::Pixel, 0, fogBuffer_);
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
    bytesUploaded_ += static_cast<uint64_t>(count) * sizeof(CubeInstance);
    return true;
}

bool CubeRenderer::CreateFaceShaders(RenderDevice& device) {
    ShaderPair pair;
    if (!LoadShaderPairOrReport(device, look_.faceShaderName, kQuadLayout, 1, "Face ", pair)) {
        return false;
    }
    faceVertexShader_ = pair.vertexShader;
    facePixelShader_ = pair.pixelShader;
    faceLayout_ = pair.inputLayout;
    if (faceLayout_.id == 0) {
        ShowErrorMessage("failed to create face input layout");
        return false;
    }
    return true;
}

bool CubeRenderer::InitializeFaces(RenderDevice& device) {
    if (!CreateFaceShaders(device)) {
        return false;
    }
    const std::vector<uint32_t> indices = BuildQuadIndices(kMaxQuadsPerDraw);
    const auto indexBytes = static_cast<uint32_t>(indices.size() * sizeof(uint32_t));
    return CreateOrReport(device, BufferDesc{.byteWidth = indexBytes, .bind = BindFlag::IndexBuffer}, indices.data(),
                          quadIndexBuffer_, "failed to create face index buffer");
}

void CubeRenderer::BindFaces(RenderDevice& device) {
    device.SetIndexBuffer(quadIndexBuffer_, Format::R32_Uint, 0);
    device.SetInputLayout(faceLayout_);
    device.SetVertexShader(faceVertexShader_);
    device.SetPixelShader(facePixelShader_);
    device.SetPrimitiveTopology(Topology::TriangleList);
}

// A chunk's quads go to the device once per list: the buffer made from
// older lists is let go of first, and the corners once uploaded.
const CubeRenderer::QuadBuffer& CubeRenderer::UploadedQuads(RenderDevice& device, Chunk& chunk) {
    QuadBuffer& uploaded = quadBuffers_[&chunk];
    if (uploaded.listVersion == chunk.ListVersion()) {
        return uploaded;
    }
    ReleaseHandle(device, uploaded.buffer);
    uploaded.listVersion = chunk.ListVersion();
    uploaded.quads = 0;
    const std::vector<QuadVertex>& corners = chunk.Quads().corners;
    const uint64_t bytes = static_cast<uint64_t>(corners.size()) * sizeof(QuadVertex);
    if (corners.empty() || bytes > std::numeric_limits<uint32_t>::max()) {
        return uploaded;
    }
    if (CreateOrReport(device, BufferDesc{.byteWidth = static_cast<uint32_t>(bytes)}, corners.data(), uploaded.buffer,
                       "failed to create face vertex buffer")) {
        uploaded.quads = static_cast<uint32_t>(corners.size() / kCornersPerQuad);
        bytesUploaded_ += bytes;
        chunk.ReleaseQuadCorners();
    }
    return uploaded;
}

void CubeRenderer::DrawQuadRange(RenderDevice& device, uint32_t first, uint32_t count) {
    while (count > 0) {
        const uint32_t taken = std::min(count, kMaxQuadsPerDraw);
        device.DrawIndexed(kIndicesPerFace * taken, 0, static_cast<int32_t>(kCornersPerQuad * first));
        first += taken;
        count -= taken;
    }
}

uint32_t CubeRenderer::DrawQuads(RenderDevice& device, Chunk& chunk, const Vec3& eye) {
    const QuadBuffer& uploaded = UploadedQuads(device, chunk);
    if (uploaded.quads == 0) {
        return 0;
    }
    const uint32_t stride = sizeof(QuadVertex);
    const uint32_t offset = 0;
    device.SetVertexBuffers(0, 1, &uploaded.buffer, &stride, &offset);
    const float eyeAlong[3] = {eye.x, eye.y, eye.z};
    uint32_t drawn = 0;
    for (int direction = 0; direction < kFaceCount; ++direction) {
        const int axis = static_cast<int>(AxisOf(static_cast<Direction>(direction)));
        const auto [first, count] = QuadsTowardsEye(chunk.Quads(), direction, eyeAlong[axis]);
        DrawQuadRange(device, first, count);
        drawn += count;
    }
    return drawn;
}
