#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "graphics/RenderDevice.h"

// Records every call (binds, draws and presents with their numbers), the bytes of every buffer and every state
// description. Objects are numbered from 1 in creation order. A call named in `failing`, or the n-th call of a name
// in `failingNth`, fails: creation returns false, MapDiscard null, QueryAdapter `adapterFailure`,
// CreateRenderTarget `renderTargetFailure`.
class RecordingDevice : public RenderDevice {
public:
    std::vector<std::string> calls;
    std::set<std::string> failing;
    std::map<std::string, int> failingNth;
    std::vector<DisplayMode> displayModes;
    AdapterQueryResult adapterFailure = AdapterQueryResult::NoAdapter;
    RenderTargetResult renderTargetFailure = RenderTargetResult::ViewFailed;
    AdapterInfo adapter{"Recording Adapter", 512ull * 1024 * 1024};
    SwapChainDesc swapChain;  // of the last CreateDeviceAndSwapChain
    std::vector<DepthStencilDesc> depthStencilStates;  // in creation order, failed ones included
    std::vector<BlendDesc> blendStates;
    std::vector<RasterizerDesc> rasterizerStates;
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
    size_t Count(const std::string& prefix) const { return CallsStartingWith(prefix).size(); }
    const std::vector<uint8_t>& BufferBytes(BufferHandle buffer) const { return buffers_.at(buffer.id).bytes; }
    const BufferDesc& BufferDescription(BufferHandle buffer) const { return buffers_.at(buffer.id).desc; }
    size_t LiveObjects() const { return live_.size(); }
    const char* ShaderFileExtension() const override { return ".glsl"; }
    uint32_t FeatureLevel() const override { return 0xa000; }
    AdapterQueryResult QueryAdapter(AdapterInfo& out, std::vector<DisplayMode>& modes) override {
        if (Record("QueryAdapter")) return adapterFailure;
        out = adapter;
        modes = displayModes;
        return AdapterQueryResult::Found;
    }
    bool CreateDeviceAndSwapChain(const SwapChainDesc& desc) override {
        swapChain = desc;
        return !Record("CreateDeviceAndSwapChain");
    }
    RenderTargetResult CreateRenderTarget() override {
        return Record("CreateRenderTarget") ? renderTargetFailure : RenderTargetResult::Created;
    }
    bool CreateDepthBuffer(uint32_t, uint32_t) override { return !Record("CreateDepthBuffer"); }
    bool CreateDepthStencilView() override { return !Record("CreateDepthStencilView"); }
    void BindRenderTargets() override { Record("BindRenderTargets"); }
    void LeaveFullscreen() override { Record("LeaveFullscreen"); }
    void ReleaseRenderTarget() override { Record("ReleaseRenderTarget"); }
    void ReleaseDepthBuffer() override { Record("ReleaseDepthBuffer"); }
    void ReleaseDepthStencilView() override { Record("ReleaseDepthStencilView"); }
    void ReleaseDevice() override { Record("ReleaseDevice"); }
    bool CreateBuffer(const BufferDesc& desc, const void* initialData, BufferHandle& out) override;
    bool CreateVertexShader(const void*, size_t, ShaderHandle& o) override { return Create("CreateVertexShader", o); }
    bool CreatePixelShader(const void*, size_t, ShaderHandle& o) override { return Create("CreatePixelShader", o); }
    bool CreateInputLayout(const InputElement*, uint32_t, const void*, size_t, InputLayoutHandle& o) override {
        return Create("CreateInputLayout", o);
    }
    bool CreateSampler(const SamplerDesc&, SamplerHandle& out) override { return Create("CreateSampler", out); }
    bool CreateTexture(const TextureDesc&, const SubresourceData*, TextureViewHandle& out) override {
        return Create("CreateTexture", out);
    }
    bool CreateDepthStencilState(const DepthStencilDesc& desc, DepthStencilStateHandle& out) override {
        depthStencilStates.push_back(desc);
        return Create("CreateDepthStencilState", out);
    }
    bool CreateBlendState(const BlendDesc& desc, BlendStateHandle& out) override {
        blendStates.push_back(desc);
        return Create("CreateBlendState", out);
    }
    bool CreateRasterizerState(const RasterizerDesc& desc, RasterizerStateHandle& out) override {
        rasterizerStates.push_back(desc);
        return Create("CreateRasterizerState", out);
    }
    void Release(BufferHandle& handle) override { Release("Buffer", handle.id); }
    void Release(ShaderHandle& handle) override { Release("Shader", handle.id); }
    void Release(InputLayoutHandle& handle) override { Release("InputLayout", handle.id); }
    void Release(SamplerHandle& handle) override { Release("Sampler", handle.id); }
    void Release(TextureViewHandle& handle) override { Release("TextureView", handle.id); }
    void Release(DepthStencilStateHandle& handle) override { Release("DepthStencilState", handle.id); }
    void Release(BlendStateHandle& handle) override { Release("BlendState", handle.id); }
    void Release(RasterizerStateHandle& handle) override { Release("RasterizerState", handle.id); }
    void* MapDiscard(BufferHandle buffer) override;
    void Unmap(BufferHandle buffer) override { Record("Unmap", {buffer.id}); }
    void SetConstantBuffer(ShaderStage stage, uint32_t slot, BufferHandle buffer) override {
        Record(stage == ShaderStage::Vertex ? "SetConstantBuffer VS" : "SetConstantBuffer PS", {slot, buffer.id});
    }
    void SetVertexBuffers(uint32_t, uint32_t count, const BufferHandle* b, const uint32_t*, const uint32_t*) override {
        Record("SetVertexBuffers", {b[0].id, count > 1 ? b[1].id : 0});
    }
    void SetIndexBuffer(BufferHandle buffer, Format, uint32_t) override { Record("SetIndexBuffer", {buffer.id}); }
    void SetInputLayout(InputLayoutHandle layout) override { Record("SetInputLayout", {layout.id}); }
    void SetVertexShader(ShaderHandle shader) override { Record("SetVertexShader", {shader.id}); }
    void SetPixelShader(ShaderHandle shader) override { Record("SetPixelShader", {shader.id}); }
    void SetPrimitiveTopology(Topology) override { Record("SetPrimitiveTopology"); }
    void SetShaderResource(ShaderStage, uint32_t slot, TextureViewHandle view) override {
        Record("SetShaderResource", {slot, view.id});
    }
    void SetSampler(ShaderStage, uint32_t slot, SamplerHandle s) override { Record("SetSampler", {slot, s.id}); }
    void SetDepthStencilState(DepthStencilStateHandle s, uint32_t) override { Record("SetDepthStencilState", {s.id}); }
    void SetBlendState(BlendStateHandle state, const float*, uint32_t) override { Record("SetBlendState", {state.id}); }
    void SetRasterizerState(RasterizerStateHandle state) override { Record("SetRasterizerState", {state.id}); }
    void SetViewport(const Viewport&) override { Record("SetViewport"); }
    void ClearRenderTarget(const float*) override { Record("ClearRenderTarget"); }
    void ClearDepth(float) override { Record("ClearDepth"); }
    void DrawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) override {
        Record("DrawIndexed", {indexCount, startIndex, static_cast<uint32_t>(baseVertex)});
    }
    void DrawIndexedInstanced(uint32_t count, uint32_t copies, uint32_t start, int32_t base, uint32_t first) override {
        Record("DrawIndexedInstanced", {count, copies, start, static_cast<uint32_t>(base), first});
    }
    void Present(uint32_t syncInterval) override { Record("Present", {syncInterval}); }
    void KeepPresentedFrames(bool keep) override { Record("KeepPresentedFrames", {keep}); }
    bool ReadFrame(std::vector<uint8_t>&, uint32_t&, uint32_t&) override { return !Record("ReadFrame") && false; }

private:
    struct Buffer {
        BufferDesc desc;
        std::vector<uint8_t> bytes;
    };
    // Records "name n1 n2 ..."; true when the call is to fail.
    bool Record(const std::string& name, std::initializer_list<uint32_t> numbers = {});
    template <typename HandleType>
    bool Create(const char* name, HandleType& out) {
        if (Record(name)) return false;
        out.id = nextId_++;
        live_.insert(out.id);
        return true;
    }
    void Release(const std::string& kind, uint32_t& id);
    std::map<std::string, int> callCounts_;
    std::map<uint32_t, Buffer> buffers_;
    std::set<uint32_t> live_;
    uint32_t nextId_ = 1;
};
