#pragma once

#include <memory>

#include "graphics/RenderDevice.h"

struct SDL_Window;

// The render device on OpenGL 3.3 core, for an SDL window whose GL context
// attributes were set before the window was created.
//
// Conventions the GLSL shaders rely on:
// - Shader files are GLSL 330 core sources ("<base>_VS.glsl", "<base>_PS.glsl").
//   Right after the #version line of a vertex shader the device inserts
//   "vec4 ToClipSpace(vec4 clip)", which maps clip coordinates with depth
//   0 to 1 to what the context expects (the identity under glClipControl);
//   vertex shaders pass their gl_Position through it.
// - Vertex attributes: POSITION0 at location 0, NORMAL0 at 1, TEXCOORD0 at 2,
//   TEXCOORD1 at 3.
// - Constant buffers are std140 uniform blocks named by stage and slot:
//   "VSConstants<s>" reads vertex slot s (binding point s), "PSConstants<s>"
//   reads pixel slot s (binding point 8 + s). Slots 0 to 7.
// - A sampler uniform named "PSTexture<t>" reads texture slot t, filtered by
//   the sampler bound to slot t.
// - The frame is drawn into a framebuffer of windowWidth x windowHeight and
//   stretched onto the window by Present.
class GlRenderDevice : public RenderDevice {
public:
    explicit GlRenderDevice(SDL_Window* window);
    ~GlRenderDevice() override;
    GlRenderDevice(const GlRenderDevice&) = delete;
    GlRenderDevice& operator=(const GlRenderDevice&) = delete;

    const char* ShaderFileExtension() const override { return ".glsl"; }
    uint32_t FeatureLevel() const override { return 0xa000; }
    bool SupportsTextureFormat(Format format) const override;

    AdapterQueryResult QueryAdapter(AdapterInfo& adapter, std::vector<DisplayMode>& modes) override;
    bool CreateDeviceAndSwapChain(const SwapChainDesc& desc) override;
    RenderTargetResult CreateRenderTarget() override;
    bool CreateDepthBuffer(uint32_t width, uint32_t height) override;
    bool CreateDepthStencilView() override;
    void BindRenderTargets() override;
    void LeaveFullscreen() override;
    void ReleaseRenderTarget() override;
    void ReleaseDepthBuffer() override;
    void ReleaseDepthStencilView() override;
    void ReleaseDevice() override;

    bool CreateBuffer(const BufferDesc& desc, const void* initialData, BufferHandle& out) override;
    bool CreateVertexShader(const void* bytes, size_t size, ShaderHandle& out) override;
    bool CreatePixelShader(const void* bytes, size_t size, ShaderHandle& out) override;
    bool CreateInputLayout(const InputElement* elements, uint32_t count, const void* vertexShaderBytes,
                           size_t vertexShaderSize, InputLayoutHandle& out) override;
    bool CreateSampler(const SamplerDesc& desc, SamplerHandle& out) override;
    bool CreateTexture(const TextureDesc& desc, const SubresourceData* subresources, TextureViewHandle& out) override;
    bool CreateDepthStencilState(const DepthStencilDesc& desc, DepthStencilStateHandle& out) override;
    bool CreateBlendState(const BlendDesc& desc, BlendStateHandle& out) override;
    bool CreateRasterizerState(const RasterizerDesc& desc, RasterizerStateHandle& out) override;

    void Release(BufferHandle& handle) override;
    void Release(ShaderHandle& handle) override;
    void Release(InputLayoutHandle& handle) override;
    void Release(SamplerHandle& handle) override;
    void Release(TextureViewHandle& handle) override;
    void Release(DepthStencilStateHandle& handle) override;
    void Release(BlendStateHandle& handle) override;
    void Release(RasterizerStateHandle& handle) override;

    void* MapDiscard(BufferHandle buffer) override;
    void Unmap(BufferHandle buffer) override;
    void SetConstantBuffer(ShaderStage stage, uint32_t slot, BufferHandle buffer) override;
    void SetVertexBuffers(uint32_t startSlot, uint32_t count, const BufferHandle* buffers, const uint32_t* strides,
                          const uint32_t* offsets) override;
    void SetIndexBuffer(BufferHandle buffer, Format format, uint32_t offset) override;
    void SetInputLayout(InputLayoutHandle layout) override;
    void SetVertexShader(ShaderHandle shader) override;
    void SetPixelShader(ShaderHandle shader) override;
    void SetPrimitiveTopology(Topology topology) override;
    void SetShaderResource(ShaderStage stage, uint32_t slot, TextureViewHandle view) override;
    void SetSampler(ShaderStage stage, uint32_t slot, SamplerHandle sampler) override;
    void SetDepthStencilState(DepthStencilStateHandle state, uint32_t stencilRef) override;
    void SetBlendState(BlendStateHandle state, const float blendFactor[4], uint32_t sampleMask) override;
    void SetRasterizerState(RasterizerStateHandle state) override;
    void SetViewport(const Viewport& viewport) override;
    void ClearRenderTarget(const float colour[4]) override;
    void ClearDepth(float depth) override;
    void DrawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) override;
    void DrawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount, uint32_t startIndex,
                              int32_t baseVertex, uint32_t startInstance) override;
    void Present(uint32_t syncInterval) override;
    // The frame is drawn into a framebuffer of its own, which presenting
    // leaves as it is.
    void KeepPresentedFrames(bool) override {}
    bool ReadFrame(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) override;

private:
    void DescribeAdapter(AdapterInfo& out);

    struct State;
    std::unique_ptr<State> state_;
};
