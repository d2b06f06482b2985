#include "RecordingDevice.h"

#include <cstring>

namespace {
std::string Join(std::initializer_list<long long> values) {
    std::string text;
    for (long long value : values) {
        if (!text.empty()) {
            text += ' ';
        }
        text += std::to_string(value);
    }
    return text;
}
const char* StageName(ShaderStage stage) { return stage == ShaderStage::Vertex ? "VS" : "PS"; }
}  // namespace

std::vector<std::string> RecordingDevice::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> matching;
    for (const std::string& call : calls) {
        if (call.compare(0, prefix.size(), prefix) == 0) {
            matching.push_back(call);
        }
    }
    return matching;
}

bool RecordingDevice::Record(const std::string& name, const std::string& arguments) {
    calls.push_back(arguments.empty() ? name : name + " " + arguments);
    const int nth = ++callCounts_[name];
    const auto failNth = failingNth.find(name);
    return failing.count(name) != 0 || (failNth != failingNth.end() && failNth->second == nth);
}

uint32_t RecordingDevice::NewObject(const std::string& kind) {
    const uint32_t id = nextId_++;
    live_[id] = kind;
    return id;
}

void RecordingDevice::ReleaseObject(const std::string& kind, uint32_t& id) {
    Record("Release" + kind, std::to_string(id));
    live_.erase(id);
    buffers_.erase(id);
    id = 0;
}

AdapterQueryResult RecordingDevice::QueryAdapter(AdapterInfo& out, std::vector<DisplayMode>& modes) {
    if (Record("QueryAdapter")) return adapterFailure;
    out = adapter;
    modes = displayModes;
    return AdapterQueryResult::Found;
}

bool RecordingDevice::CreateDeviceAndSwapChain(const SwapChainDesc& desc) {
    return !Record("CreateDeviceAndSwapChain",
                   Join({desc.width, desc.height, desc.refreshNumerator, desc.refreshDenominator, desc.windowed,
                         desc.vsync}));
}
RenderTargetResult RecordingDevice::CreateRenderTarget() {
    return Record("CreateRenderTarget") ? renderTargetFailure : RenderTargetResult::Created;
}
bool RecordingDevice::CreateDepthBuffer(uint32_t width, uint32_t height) {
    return !Record("CreateDepthBuffer", Join({width, height}));
}
bool RecordingDevice::CreateDepthStencilView() { return !Record("CreateDepthStencilView"); }
void RecordingDevice::BindRenderTargets() { Record("BindRenderTargets"); }
void RecordingDevice::LeaveFullscreen() { Record("LeaveFullscreen"); }
void RecordingDevice::ReleaseRenderTarget() { Record("ReleaseRenderTarget"); }
void RecordingDevice::ReleaseDepthBuffer() { Record("ReleaseDepthBuffer"); }
void RecordingDevice::ReleaseDepthStencilView() { Record("ReleaseDepthStencilView"); }
void RecordingDevice::ReleaseDevice() { Record("ReleaseDevice"); }

bool RecordingDevice::CreateBuffer(const BufferDesc& desc, const void* initialData, BufferHandle& out) {
    if (Record("CreateBuffer", Join({desc.byteWidth, static_cast<int>(desc.usage), static_cast<int>(desc.bind),
                                      desc.cpuWrite, initialData != nullptr}))) {
        return false;
    }
    out.id = NewObject("Buffer");
    Buffer& buffer = buffers_[out.id];
    buffer.desc = desc;
    buffer.bytes.assign(desc.byteWidth, 0);
    if (initialData != nullptr) {
        std::memcpy(buffer.bytes.data(), initialData, desc.byteWidth);
    }
    return true;
}

bool RecordingDevice::CreateVertexShader(const void*, size_t size, ShaderHandle& out) {
    if (Record("CreateVertexShader", std::to_string(size))) return false;
    out.id = NewObject("Shader");
    return true;
}

bool RecordingDevice::CreatePixelShader(const void*, size_t size, ShaderHandle& out) {
    if (Record("CreatePixelShader", std::to_string(size))) return false;
    out.id = NewObject("Shader");
    return true;
}

bool RecordingDevice::CreateInputLayout(const InputElement* elements, uint32_t count, const void*, size_t,
                                        InputLayoutHandle& out) {
    std::string text = std::to_string(count);
    for (uint32_t i = 0; i < count; ++i) {
        text += ' ';
        text += elements[i].semanticName;
        text += std::to_string(elements[i].semanticIndex);
        text += '@';
        text += std::to_string(elements[i].inputSlot);
        text += elements[i].perInstance ? 'i' : 'v';
    }
    if (Record("CreateInputLayout", text)) return false;
    out.id = NewObject("InputLayout");
    return true;
}

bool RecordingDevice::CreateSampler(const SamplerDesc& desc, SamplerHandle& out) {
    if (Record("CreateSampler", Join({desc.linear, desc.wrap}))) return false;
    out.id = NewObject("Sampler");
    return true;
}

bool RecordingDevice::CreateTexture(const TextureDesc& desc, const SubresourceData*, TextureViewHandle& out) {
    if (Record("CreateTexture", Join({static_cast<int>(desc.dimension), desc.width, desc.height, desc.depth,
                                       desc.mipLevels, desc.arraySize, static_cast<int>(desc.format), desc.cube}))) {
        return false;
    }
    out.id = NewObject("TextureView");
    return true;
}

bool RecordingDevice::CreateDepthStencilState(const DepthStencilDesc& desc, DepthStencilStateHandle& out) {
    if (Record("CreateDepthStencilState", Join({desc.depthEnable, desc.stencilEnable}))) return false;
    out.id = NewObject("DepthStencilState");
    return true;
}

bool RecordingDevice::CreateBlendState(const BlendDesc& desc, BlendStateHandle& out) {
    if (Record("CreateBlendState", Join({desc.blendEnable}))) return false;
    out.id = NewObject("BlendState");
    return true;
}

bool RecordingDevice::CreateRasterizerState(const RasterizerDesc& desc, RasterizerStateHandle& out) {
    if (Record("CreateRasterizerState", Join({static_cast<int>(desc.fill), desc.cullBack}))) return false;
    out.id = NewObject("RasterizerState");
    return true;
}

void RecordingDevice::Release(BufferHandle& handle) { ReleaseObject("Buffer", handle.id); }
void RecordingDevice::Release(ShaderHandle& handle) { ReleaseObject("Shader", handle.id); }
void RecordingDevice::Release(InputLayoutHandle& handle) { ReleaseObject("InputLayout", handle.id); }
void RecordingDevice::Release(SamplerHandle& handle) { ReleaseObject("Sampler", handle.id); }
void RecordingDevice::Release(TextureViewHandle& handle) { ReleaseObject("TextureView", handle.id); }
void RecordingDevice::Release(DepthStencilStateHandle& handle) { ReleaseObject("DepthStencilState", handle.id); }
void RecordingDevice::Release(BlendStateHandle& handle) { ReleaseObject("BlendState", handle.id); }
void RecordingDevice::Release(RasterizerStateHandle& handle) { ReleaseObject("RasterizerState", handle.id); }

void* RecordingDevice::MapDiscard(BufferHandle buffer) {
    if (Record("MapDiscard", std::to_string(buffer.id))) return nullptr;
    auto found = buffers_.find(buffer.id);
    return found == buffers_.end() ? nullptr : found->second.bytes.data();
}

void RecordingDevice::Unmap(BufferHandle buffer) { Record("Unmap", std::to_string(buffer.id)); }

void RecordingDevice::SetConstantBuffer(ShaderStage stage, uint32_t slot, BufferHandle buffer) {
    Record(std::string("SetConstantBuffer ") + StageName(stage), Join({slot, buffer.id}));
}

void RecordingDevice::SetVertexBuffers(uint32_t startSlot, uint32_t count, const BufferHandle* buffers,
                                       const uint32_t* strides, const uint32_t* offsets) {
    std::string text = Join({startSlot, count});
    for (uint32_t i = 0; i < count; ++i) {
        text += ' ';
        text += Join({buffers[i].id, strides[i], offsets[i]});
    }
    Record("SetVertexBuffers", text);
}

void RecordingDevice::SetIndexBuffer(BufferHandle buffer, Format format, uint32_t offset) {
    Record("SetIndexBuffer", Join({buffer.id, static_cast<int>(format), offset}));
}
void RecordingDevice::SetInputLayout(InputLayoutHandle layout) { Record("SetInputLayout", std::to_string(layout.id)); }
void RecordingDevice::SetVertexShader(ShaderHandle shader) { Record("SetVertexShader", std::to_string(shader.id)); }
void RecordingDevice::SetPixelShader(ShaderHandle shader) { Record("SetPixelShader", std::to_string(shader.id)); }
void RecordingDevice::SetPrimitiveTopology(Topology) { Record("SetPrimitiveTopology", "TriangleList"); }
void RecordingDevice::SetShaderResource(ShaderStage stage, uint32_t slot, TextureViewHandle view) {
    Record(std::string("SetShaderResource ") + StageName(stage), Join({slot, view.id}));
}
void RecordingDevice::SetSampler(ShaderStage stage, uint32_t slot, SamplerHandle sampler) {
    Record(std::string("SetSampler ") + StageName(stage), Join({slot, sampler.id}));
}
void RecordingDevice::SetDepthStencilState(DepthStencilStateHandle state, uint32_t stencilRef) {
    Record("SetDepthStencilState", Join({state.id, stencilRef}));
}
void RecordingDevice::SetBlendState(BlendStateHandle state, const float*, uint32_t sampleMask) {
    Record("SetBlendState", Join({state.id, sampleMask}));
}
void RecordingDevice::SetRasterizerState(RasterizerStateHandle state) {
    Record("SetRasterizerState", std::to_string(state.id));
}
void RecordingDevice::SetViewport(const Viewport& viewport) {
    Record("SetViewport", Join({static_cast<long long>(viewport.width), static_cast<long long>(viewport.height)}));
}
void RecordingDevice::ClearRenderTarget(const float*) { Record("ClearRenderTarget"); }
void RecordingDevice::ClearDepth(float) { Record("ClearDepth"); }
void RecordingDevice::DrawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) {
    Record("DrawIndexed", Join({indexCount, startIndex, baseVertex}));
}
void RecordingDevice::DrawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount,
                                           uint32_t startIndex, int32_t baseVertex, uint32_t startInstance) {
    Record("DrawIndexedInstanced", Join({indexCountPerInstance, instanceCount, startIndex, baseVertex, startInstance}));
}
void RecordingDevice::Present(uint32_t syncInterval) { Record("Present", std::to_string(syncInterval)); }
void RecordingDevice::KeepPresentedFrames(bool keep) { Record("KeepPresentedFrames", keep ? "1" : "0"); }
bool RecordingDevice::ReadFrame(std::vector<uint8_t>&, uint32_t&, uint32_t&) { return !Record("ReadFrame") && false; }
