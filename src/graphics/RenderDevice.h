#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The device interface every renderer is written against. It mirrors the small
// subset of a Direct3D 11 device and immediate context that the program uses;
// backends (OpenGL, a recording fake for tests) implement it. Descriptor
// structs are plain data whose zero value is a sensible default.

template <typename Tag>
struct Handle {
    uint32_t id = 0;
    explicit operator bool() const { return id != 0; }
    friend bool operator==(Handle a, Handle b) { return a.id == b.id; }
};

using BufferHandle = Handle<struct BufferTag>;
using ShaderHandle = Handle<struct ShaderTag>;
using InputLayoutHandle = Handle<struct InputLayoutTag>;
using SamplerHandle = Handle<struct SamplerTag>;
using TextureViewHandle = Handle<struct TextureViewTag>;
using DepthStencilStateHandle = Handle<struct DepthStencilStateTag>;
using BlendStateHandle = Handle<struct BlendStateTag>;
using RasterizerStateHandle = Handle<struct RasterizerStateTag>;

// DXGI format codes, so that texture files name their formats directly.
enum class Format : uint32_t {
    Unknown = 0,
    R32G32B32A32_Float = 2,
    R32G32B32_Float = 6,
    R16G16B16A16_Float = 10,
    R16G16B16A16_UNorm = 11,
    R16G16B16A16_SNorm = 13,
    R32G32_Float = 16,
    R10G10B10A2_UNorm = 24,
    R8G8B8A8_UNorm = 28,
    R16G16_Float = 34,
    R16G16_UNorm = 35,
    R32_Float = 41,
    R32_Uint = 42,
    D24_UNorm_S8_Uint = 45,
    R8G8_UNorm = 49,
    R16_Float = 54,
    R16_UNorm = 56,
    R8_UNorm = 61,
    A8_UNorm = 65,
    R8G8_B8G8_UNorm = 68,
    G8R8_G8B8_UNorm = 69,
    BC1_UNorm = 71,
    BC2_UNorm = 74,
    BC3_UNorm = 77,
    BC4_UNorm = 80,
    BC4_SNorm = 81,
    BC5_UNorm = 83,
    BC5_SNorm = 84,
    B5G6R5_UNorm = 85,
    B5G5R5A1_UNorm = 86,
    B8G8R8A8_UNorm = 87,
    B8G8R8X8_UNorm = 88,
};

enum class Usage { Default, Dynamic };
enum class BindFlag { VertexBuffer, IndexBuffer, ConstantBuffer };
enum class ShaderStage { Vertex, Pixel };
enum class Topology { TriangleList };

struct BufferDesc {
    uint32_t byteWidth = 0;
    Usage usage = Usage::Default;
    BindFlag bind = BindFlag::VertexBuffer;
    bool cpuWrite = false;
};

// An element offset that follows the previous element of the same slot.
constexpr uint32_t kAppendAligned = 0xFFFFFFFFu;

struct InputElement {
    const char* semanticName = "";
    uint32_t semanticIndex = 0;
    Format format = Format::Unknown;
    uint32_t inputSlot = 0;
    uint32_t alignedByteOffset = 0;
    bool perInstance = false;
    uint32_t instanceStepRate = 0;
};

struct SamplerDesc {
    bool linear = true;  // min, mag and mip filtering
    bool wrap = true;    // on every axis; else clamp
    float maxLod = 3.402823466e+38f;
};

enum class TextureDimension { Texture1D, Texture2D, Texture3D };

struct TextureDesc {
    TextureDimension dimension = TextureDimension::Texture2D;
    uint32_t width = 0;
    uint32_t height = 1;
    uint32_t depth = 1;
    uint32_t mipLevels = 1;
    uint32_t arraySize = 1;
    Format format = Format::Unknown;
    bool cube = false;
};

// One mip level of one array item, item major, level minor.
struct SubresourceData {
    const void* data = nullptr;
    uint32_t rowPitch = 0;
    uint32_t slicePitch = 0;
};

enum class StencilOp { Keep, Increment, Decrement };
enum class Comparison { Always, Less };

struct StencilFaceDesc {
    StencilOp failOp = StencilOp::Keep;
    StencilOp depthFailOp = StencilOp::Keep;
    StencilOp passOp = StencilOp::Keep;
    Comparison func = Comparison::Always;
};

struct DepthStencilDesc {
    bool depthEnable = false;
    bool depthWrite = false;
    Comparison depthFunc = Comparison::Less;
    bool stencilEnable = false;
    uint8_t stencilReadMask = 0xFF;
    uint8_t stencilWriteMask = 0xFF;
    StencilFaceDesc frontFace;
    StencilFaceDesc backFace;
};

// Premultiplied alpha when enabled: source one, destination one minus source
// alpha; alpha source one, destination zero.
struct BlendDesc {
    bool blendEnable = false;
};

enum class FillMode { Solid, Wireframe };

struct RasterizerDesc {
    FillMode fill = FillMode::Solid;
    bool cullBack = true;
    bool frontCounterClockwise = false;
    bool depthClip = true;
};

struct Viewport {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    float minDepth = 0.0f;
    float maxDepth = 1.0f;
};

struct DisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t refreshNumerator = 0;
    uint32_t refreshDenominator = 1;
};

struct AdapterInfo {
    std::string description;            // in the multibyte code page
    uint64_t dedicatedVideoMemory = 0;  // bytes
};

// How the query of the first adapter and its primary output ended, in the
// order the query runs its steps.
enum class AdapterQueryResult {
    Found,
    NoAdapter,         // no factory, or no adapter 0
    NoPrimaryOutput,   // adapter 0 has no output 0
    ModeCountFailed,   // the number of display modes
    ModeListFailed,    // the display modes themselves
    NoDescription,     // the adapter's description
    NameNotConverted,  // the description has no multibyte form that fits
};

// How creating the back buffer's render target ended.
enum class RenderTargetResult { Created, NoBackBuffer, ViewFailed };

struct SwapChainDesc {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t refreshNumerator = 0;
    uint32_t refreshDenominator = 1;
    bool windowed = true;
    bool vsync = false;
};

class RenderDevice {
public:
    virtual ~RenderDevice() = default;

    // The file suffix of compiled shader objects on this backend, such as
    // ".glsl" (so a pair is "<base>_VS.glsl" and "<base>_PS.glsl").
    virtual const char* ShaderFileExtension() const = 0;
    // A Direct3D feature level, such as 0xa000 for 10_0.
    virtual uint32_t FeatureLevel() const = 0;

    // Adapter 0 and the display modes of its primary output, asked before
    // the device exists.
    virtual AdapterQueryResult QueryAdapter(AdapterInfo& adapter, std::vector<DisplayMode>& modes) = 0;

    // Device and swap chain; then the back buffer's target and depth buffer.
    virtual bool CreateDeviceAndSwapChain(const SwapChainDesc& desc) = 0;
    virtual RenderTargetResult CreateRenderTarget() = 0;
    virtual bool CreateDepthBuffer(uint32_t width, uint32_t height) = 0;
    virtual bool CreateDepthStencilView() = 0;
    virtual void BindRenderTargets() = 0;
    virtual void LeaveFullscreen() = 0;
    virtual void ReleaseRenderTarget() = 0;
    virtual void ReleaseDepthBuffer() = 0;
    virtual void ReleaseDepthStencilView() = 0;
    virtual void ReleaseDevice() = 0;  // swap chain, context and device

    // Resources. Each returns false and leaves the handle empty on failure.
    virtual bool CreateBuffer(const BufferDesc& desc, const void* initialData, BufferHandle& out) = 0;
    virtual bool CreateVertexShader(const void* bytes, size_t size, ShaderHandle& out) = 0;
    virtual bool CreatePixelShader(const void* bytes, size_t size, ShaderHandle& out) = 0;
    virtual bool CreateInputLayout(const InputElement* elements, uint32_t count, const void* vertexShaderBytes,
                                   size_t vertexShaderSize, InputLayoutHandle& out) = 0;
    virtual bool CreateSampler(const SamplerDesc& desc, SamplerHandle& out) = 0;
    // Whether CreateTexture can take textures of this format at all.
    virtual bool SupportsTextureFormat(Format) const { return true; }
    // Creates the texture and its shader-resource view; only the view is kept.
    virtual bool CreateTexture(const TextureDesc& desc, const SubresourceData* subresources,
                               TextureViewHandle& out) = 0;
    virtual bool CreateDepthStencilState(const DepthStencilDesc& desc, DepthStencilStateHandle& out) = 0;
    virtual bool CreateBlendState(const BlendDesc& desc, BlendStateHandle& out) = 0;
    virtual bool CreateRasterizerState(const RasterizerDesc& desc, RasterizerStateHandle& out) = 0;

    virtual void Release(BufferHandle& handle) = 0;
    virtual void Release(ShaderHandle& handle) = 0;
    virtual void Release(InputLayoutHandle& handle) = 0;
    virtual void Release(SamplerHandle& handle) = 0;
    virtual void Release(TextureViewHandle& handle) = 0;
    virtual void Release(DepthStencilStateHandle& handle) = 0;
    virtual void Release(BlendStateHandle& handle) = 0;
    virtual void Release(RasterizerStateHandle& handle) = 0;

    // Immediate context. Map discards the old contents; null on failure.
    virtual void* MapDiscard(BufferHandle buffer) = 0;
    virtual void Unmap(BufferHandle buffer) = 0;
    virtual void SetConstantBuffer(ShaderStage stage, uint32_t slot, BufferHandle buffer) = 0;
    virtual void SetVertexBuffers(uint32_t startSlot, uint32_t count, const BufferHandle* buffers,
                                  const uint32_t* strides, const uint32_t* offsets) = 0;
    virtual void SetIndexBuffer(BufferHandle buffer, Format format, uint32_t offset) = 0;
    virtual void SetInputLayout(InputLayoutHandle layout) = 0;
    virtual void SetVertexShader(ShaderHandle shader) = 0;
    virtual void SetPixelShader(ShaderHandle shader) = 0;
    virtual void SetPrimitiveTopology(Topology topology) = 0;
    virtual void SetShaderResource(ShaderStage stage, uint32_t slot, TextureViewHandle view) = 0;
    virtual void SetSampler(ShaderStage stage, uint32_t slot, SamplerHandle sampler) = 0;
    virtual void SetDepthStencilState(DepthStencilStateHandle state, uint32_t stencilRef) = 0;
    virtual void SetBlendState(BlendStateHandle state, const float blendFactor[4], uint32_t sampleMask) = 0;
    virtual void SetRasterizerState(RasterizerStateHandle state) = 0;
    virtual void SetViewport(const Viewport& viewport) = 0;
    virtual void ClearRenderTarget(const float colour[4]) = 0;
    virtual void ClearDepth(float depth) = 0;
    virtual void DrawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) = 0;
    virtual void DrawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount, uint32_t startIndex,
                                      int32_t baseVertex, uint32_t startInstance) = 0;
    virtual void Present(uint32_t syncInterval) = 0;

    // Whether the following Presents keep a copy of the frame they show, for
    // ReadFrame (off at start). Switch it on before a frame that is to be
    // read: a swap chain may discard its back buffer when it presents.
    virtual void KeepPresentedFrames(bool keep) = 0;
    // Reads back the last presented frame as tightly packed RGBA rows, top row
    // first. False when the backend cannot.
    virtual bool ReadFrame(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) = 0;
};

// Releases a handle that is set and empties it; harmless on an empty one.
template <typename HandleType>
void ReleaseHandle(RenderDevice& device, HandleType& handle) {
    if (handle) {
        device.Release(handle);
    }
    handle = HandleType{};
}
