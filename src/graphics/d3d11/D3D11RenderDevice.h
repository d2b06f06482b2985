#pragma once

#include <memory>

#include "graphics/RenderDevice.h"

struct HWND__;  // the window handle type of <windows.h>

// The render device on Direct3D 11 and DXGI, for one window.
//
// Shader files are compiled shader objects ("<base>_VS.cso", "<base>_PS.cso")
// passed to Direct3D as they are; handles name COM objects, and releasing a
// handle releases its object.
class D3D11RenderDevice : public RenderDevice {
public:
    // Only keeps the window; nothing is created before QueryAdapter.
    explicit D3D11RenderDevice(HWND__* window);
    ~D3D11RenderDevice() override;
    D3D11RenderDevice(const D3D11RenderDevice&) = delete;
    D3D11RenderDevice& operator=(const D3D11RenderDevice&) = delete;

    const char* ShaderFileExtension() const override { return ".cso"; }
    uint32_t FeatureLevel() const override;

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
    // Presenting discards the back buffer (under Wine a read-back after it
    // returns an older frame), so kept frames are copied just before.
    void Present(uint32_t syncInterval) override;
    void KeepPresentedFrames(bool keep) override;
    bool ReadFrame(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) override;

private:
    struct State;
    std::unique_ptr<State> state_;
};
