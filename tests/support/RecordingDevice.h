#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "graphics/RenderDevice.h"

// A render device that records every call as one line of text and keeps the
// bytes of every buffer, so tests can check call sequences and uploads
// without a GPU. Any call named in `failing` fails (creation calls return
// false, MapDiscard returns null).
class RecordingDevice : public RenderDevice {
public:
    std::vector<std::string> calls;
    std::set<std::string> failing;
    // Fails only the n-th (1-based) call of a name, e.g. {"CreateBuffer", 3}.
    std::map<std::string, int> failingNth;
    std::vector<DisplayMode> displayModes;
    AdapterQueryResult adapterFailure = AdapterQueryResult::NoAdapter;  // when QueryAdapter fails
    RenderTargetResult renderTargetFailure = RenderTargetResult::ViewFailed;  // when CreateRenderTarget fails
    AdapterInfo adapter{"Recording Adapter", 512ull * 1024 * 1024};

    // Calls whose text starts with the prefix, in order.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
    size_t Count(const std::string& prefix) const { return CallsStartingWith(prefix).size(); }
    const std::vector<uint8_t>& BufferBytes(BufferHandle buffer) const { return buffers_.at(buffer.id).bytes; }
    const BufferDesc& BufferDescription(BufferHandle buffer) const { return buffers_.at(buffer.id).desc; }
    size_t LiveObjects() const { return live_.size(); }

    const char* ShaderFileExtension() const override { return ".glsl"; }
    uint32_t FeatureLevel() const override { return 0xa000; }

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
    void KeepPresentedFrames(bool keep) override;
    bool ReadFrame(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) override;

private:
    struct Buffer {
        BufferDesc desc;
        std::vector<uint8_t> bytes;
    };

    // Records the call; true when it is to fail.
    bool Record(const std::string& name, const std::string& arguments = "");
    uint32_t NewObject(const std::string& kind);
    void ReleaseObject(const std::string& kind, uint32_t& id);

    std::map<std::string, int> callCounts_;
    std::map<uint32_t, Buffer> buffers_;
    std::map<uint32_t, std::string> live_;
    uint32_t nextId_ = 1;
};
