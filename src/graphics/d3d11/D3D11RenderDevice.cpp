#include "graphics/d3d11/D3D11RenderDevice.h"

#include <d3d11.h>
#include <dxgi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "graphics/ObjectTable.h"
#include "graphics/Screenshot.h"
#include "graphics/d3d11/ComRef.h"
#include "graphics/d3d11/D3D11Descriptions.h"

namespace {

constexpr size_t kAdapterNameBytes = 128;
constexpr uint32_t kVertexStreams = D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT;

// A compiled shader of either stage; one of the two is set.
struct Shader {
    ComRef<ID3D11VertexShader> vertex;
    ComRef<ID3D11PixelShader> pixel;
};

template <typename T>
using ComTable = ObjectTable<ComRef<T>>;

// The object behind a handle, or null for an empty or released handle.
template <typename T>
T* Lookup(ComTable<T>& table, uint32_t id) {
    const ComRef<T>* object = table.Find(id);
    return object != nullptr ? object->Get() : nullptr;
}

// Files a newly created object under a new handle; false when the creation
// failed, leaving the handle empty.
template <typename T, typename HandleType>
bool Keep(HRESULT result, ComRef<T>& object, ComTable<T>& table, HandleType& out) {
    if (FAILED(result) || !object) {
        return false;
    }
    out.id = table.Add(std::move(object));
    return true;
}

// Creates one state object of the device from its description and files it
// under a new handle; false, with the handle empty, without a device or when
// the creation failed.
template <typename T, typename Description, typename HandleType>
bool CreateState(ID3D11Device* device, HRESULT (STDMETHODCALLTYPE ID3D11Device::*create)(const Description*, T**),
                 const Description& description, ComTable<T>& table, HandleType& out) {
    out = HandleType{};
    if (device == nullptr) {
        return false;
    }
    ComRef<T> object;
    return Keep((device->*create)(&description, object.Put()), object, table, out);
}

// Creates one texture of the device from its description and keeps it as a
// resource.
template <typename Description, typename Texture>
HRESULT CreateTextureOf(ID3D11Device* device,
                        HRESULT (STDMETHODCALLTYPE ID3D11Device::*create)(const Description*,
                                                                          const D3D11_SUBRESOURCE_DATA*, Texture**),
                        const Description& description, const D3D11_SUBRESOURCE_DATA* initial,
                        ComRef<ID3D11Resource>& out) {
    Texture* texture = nullptr;
    const HRESULT result = (device->*create)(&description, initial, &texture);
    out.Attach(texture);
    return result;
}

// Creates a texture of the description's dimension with its initial data.
HRESULT CreateTextureResource(ID3D11Device* device, const TextureDesc& desc, const D3D11_SUBRESOURCE_DATA* initial,
                              ComRef<ID3D11Resource>& out) {
    switch (desc.dimension) {
        case TextureDimension::Texture1D:
            return CreateTextureOf(device, &ID3D11Device::CreateTexture1D, Texture1DDescription(desc), initial, out);
        case TextureDimension::Texture2D:
            return CreateTextureOf(device, &ID3D11Device::CreateTexture2D, Texture2DDescription(desc), initial, out);
        case TextureDimension::Texture3D:
            return CreateTextureOf(device, &ID3D11Device::CreateTexture3D, Texture3DDescription(desc), initial, out);
    }
    return E_INVALIDARG;
}

}  // namespace

struct D3D11RenderDevice::State {
    HWND window = nullptr;
    ComRef<ID3D11Device> device;
    ComRef<ID3D11DeviceContext> context;
    ComRef<IDXGISwapChain> swapChain;
    ComRef<ID3D11RenderTargetView> renderTargetView;
    ComRef<ID3D11Texture2D> depthBuffer;
    ComRef<ID3D11DepthStencilView> depthStencilView;
    // A CPU-readable copy of the back buffer, made on the first read-back.
    ComRef<ID3D11Texture2D> readBack;
    // Whether Present copies each frame into readBack, and whether it holds
    // the last presented frame.
    bool keepPresentedFrames = false;
    bool presentedFrameKept = false;

    ComTable<ID3D11Buffer> buffers;
    ObjectTable<Shader> shaders;
    ComTable<ID3D11InputLayout> inputLayouts;
    ComTable<ID3D11SamplerState> samplers;
    ComTable<ID3D11ShaderResourceView> textureViews;
    ComTable<ID3D11DepthStencilState> depthStencilStates;
    ComTable<ID3D11BlendState> blendStates;
    ComTable<ID3D11RasterizerState> rasterizerStates;

    bool CopyBackBuffer();
    void ReleaseObjects();
};

bool D3D11RenderDevice::State::CopyBackBuffer() {
    ComRef<ID3D11Texture2D> backBuffer;
    if (!swapChain || FAILED(swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), backBuffer.PutVoid()))) {
        return false;
    }
    if (!readBack) {
        D3D11_TEXTURE2D_DESC source{};
        backBuffer->GetDesc(&source);
        const D3D11_TEXTURE2D_DESC description = ReadBackDescription(source);
        if (FAILED(device->CreateTexture2D(&description, nullptr, readBack.Put()))) {
            return false;
        }
    }
    context->CopyResource(readBack.Get(), backBuffer.Get());
    return true;
}

// Objects whose owners did not release them before the device goes.
void D3D11RenderDevice::State::ReleaseObjects() {
    buffers.Clear();
    shaders.Clear();
    inputLayouts.Clear();
    samplers.Clear();
    textureViews.Clear();
    depthStencilStates.Clear();
    blendStates.Clear();
    rasterizerStates.Clear();
    readBack.Reset();
    presentedFrameKept = false;
}

D3D11RenderDevice::D3D11RenderDevice(HWND__* window) : state_(std::make_unique<State>()) { state_->window = window; }

D3D11RenderDevice::~D3D11RenderDevice() { ReleaseDevice(); }

uint32_t D3D11RenderDevice::FeatureLevel() const {
    return state_->device ? static_cast<uint32_t>(state_->device->GetFeatureLevel()) : 0;
}

AdapterQueryResult D3D11RenderDevice::QueryAdapter(AdapterInfo& adapter, std::vector<DisplayMode>& modes) {
    modes.clear();
    // Declared in creation order, so that leaving this function frees the
    // mode list first, then releases the output, the adapter and the factory.
    ComRef<IDXGIFactory> factory;
    ComRef<IDXGIAdapter> dxgiAdapter;
    ComRef<IDXGIOutput> output;
    std::vector<DXGI_MODE_DESC> modeList;

    if (FAILED(CreateDXGIFactory(__uuidof(IDXGIFactory), factory.PutVoid())) ||
        FAILED(factory->EnumAdapters(0, dxgiAdapter.Put()))) {
        return AdapterQueryResult::NoAdapter;
    }
    if (FAILED(dxgiAdapter->EnumOutputs(0, output.Put()))) {
        return AdapterQueryResult::NoPrimaryOutput;
    }
    UINT count = 0;
    if (FAILED(output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_ENUM_MODES_INTERLACED, &count, nullptr))) {
        return AdapterQueryResult::ModeCountFailed;
    }
    modeList.resize(count);
    if (FAILED(output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_ENUM_MODES_INTERLACED, &count,
                                          modeList.data()))) {
        return AdapterQueryResult::ModeListFailed;
    }
    DXGI_ADAPTER_DESC description{};
    if (FAILED(dxgiAdapter->GetDesc(&description))) {
        return AdapterQueryResult::NoDescription;
    }
    char name[kAdapterNameBytes] = {};
    size_t converted = 0;
    if (wcstombs_s(&converted, name, sizeof name, description.Description, kAdapterNameBytes) != 0) {
        return AdapterQueryResult::NameNotConverted;
    }
    adapter.description = name;
    adapter.dedicatedVideoMemory = description.DedicatedVideoMemory;
    modes.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const DXGI_MODE_DESC& mode = modeList[i];
        modes.push_back({.width = mode.Width,
                         .height = mode.Height,
                         .refreshNumerator = mode.RefreshRate.Numerator,
                         .refreshDenominator = mode.RefreshRate.Denominator});
    }
    return AdapterQueryResult::Found;
}

bool D3D11RenderDevice::CreateDeviceAndSwapChain(const SwapChainDesc& desc) {
    State& s = *state_;
    const DXGI_SWAP_CHAIN_DESC description = SwapChainDescription(desc, s.window);
    // Only 11_0: a device that cannot do it fails here.
    const D3D_FEATURE_LEVEL featureLevel = D3D_FEATURE_LEVEL_11_0;
    const HRESULT result = D3D11CreateDeviceAndSwapChain(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &featureLevel,
                                                         1, D3D11_SDK_VERSION, &description, s.swapChain.Put(),
                                                         s.device.Put(), nullptr, s.context.Put());
    return SUCCEEDED(result) && s.swapChain && s.device && s.context;
}

RenderTargetResult D3D11RenderDevice::CreateRenderTarget() {
    State& s = *state_;
    ComRef<ID3D11Texture2D> backBuffer;
    if (!s.swapChain || FAILED(s.swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), backBuffer.PutVoid()))) {
        return RenderTargetResult::NoBackBuffer;
    }
    if (FAILED(s.device->CreateRenderTargetView(backBuffer.Get(), nullptr, s.renderTargetView.Put()))) {
        return RenderTargetResult::ViewFailed;
    }
    return RenderTargetResult::Created;  // the view keeps the back buffer
}

bool D3D11RenderDevice::CreateDepthBuffer(uint32_t width, uint32_t height) {
    State& s = *state_;
    const D3D11_TEXTURE2D_DESC description = DepthBufferDescription(width, height);
    return s.device && SUCCEEDED(s.device->CreateTexture2D(&description, nullptr, s.depthBuffer.Put()));
}

bool D3D11RenderDevice::CreateDepthStencilView() {
    State& s = *state_;
    const D3D11_DEPTH_STENCIL_VIEW_DESC description = DepthStencilViewDescription();
    return s.device && s.depthBuffer &&
           SUCCEEDED(s.device->CreateDepthStencilView(s.depthBuffer.Get(), &description, s.depthStencilView.Put()));
}

void D3D11RenderDevice::BindRenderTargets() {
    State& s = *state_;
    s.context->OMSetRenderTargets(1, s.renderTargetView.Address(), s.depthStencilView.Get());
}

void D3D11RenderDevice::LeaveFullscreen() {
    if (state_->swapChain) {
        state_->swapChain->SetFullscreenState(FALSE, nullptr);
    }
}

void D3D11RenderDevice::ReleaseRenderTarget() { state_->renderTargetView.Reset(); }

void D3D11RenderDevice::ReleaseDepthBuffer() { state_->depthBuffer.Reset(); }

void D3D11RenderDevice::ReleaseDepthStencilView() { state_->depthStencilView.Reset(); }

void D3D11RenderDevice::ReleaseDevice() {
    State& s = *state_;
    s.ReleaseObjects();
    s.swapChain.Reset();
    s.context.Reset();
    s.device.Reset();
}

bool D3D11RenderDevice::CreateBuffer(const BufferDesc& desc, const void* initialData, BufferHandle& out) {
    out = BufferHandle{};
    State& s = *state_;
    if (!s.device) {
        return false;
    }
    const D3D11_BUFFER_DESC description = BufferDescription(desc);
    D3D11_SUBRESOURCE_DATA initial{};
    initial.pSysMem = initialData;
    ComRef<ID3D11Buffer> buffer;
    const HRESULT result =
        s.device->CreateBuffer(&description, initialData != nullptr ? &initial : nullptr, buffer.Put());
    return Keep(result, buffer, s.buffers, out);
}

bool D3D11RenderDevice::CreateVertexShader(const void* bytes, size_t size, ShaderHandle& out) {
    out = ShaderHandle{};
    State& s = *state_;
    Shader shader;
    if (!s.device || FAILED(s.device->CreateVertexShader(bytes, size, nullptr, shader.vertex.Put()))) {
        return false;
    }
    out.id = s.shaders.Add(std::move(shader));
    return true;
}

bool D3D11RenderDevice::CreatePixelShader(const void* bytes, size_t size, ShaderHandle& out) {
    out = ShaderHandle{};
    State& s = *state_;
    Shader shader;
    if (!s.device || FAILED(s.device->CreatePixelShader(bytes, size, nullptr, shader.pixel.Put()))) {
        return false;
    }
    out.id = s.shaders.Add(std::move(shader));
    return true;
}

bool D3D11RenderDevice::CreateInputLayout(const InputElement* elements, uint32_t count, const void* vertexShaderBytes,
                                          size_t vertexShaderSize, InputLayoutHandle& out) {
    out = InputLayoutHandle{};
    State& s = *state_;
    if (!s.device) {
        return false;
    }
    const std::vector<D3D11_INPUT_ELEMENT_DESC> descriptions = InputElementDescriptions(elements, count);
    ComRef<ID3D11InputLayout> layout;
    const HRESULT result =
        s.device->CreateInputLayout(descriptions.data(), count, vertexShaderBytes, vertexShaderSize, layout.Put());
    return Keep(result, layout, s.inputLayouts, out);
}

bool D3D11RenderDevice::CreateSampler(const SamplerDesc& desc, SamplerHandle& out) {
    return CreateState(state_->device.Get(), &ID3D11Device::CreateSamplerState, SamplerDescription(desc),
                       state_->samplers, out);
}

bool D3D11RenderDevice::CreateTexture(const TextureDesc& desc, const SubresourceData* subresources,
                                      TextureViewHandle& out) {
    out = TextureViewHandle{};
    State& s = *state_;
    if (!s.device || subresources == nullptr) {
        return false;
    }
    const std::vector<D3D11_SUBRESOURCE_DATA> initial = SubresourceTable(desc, subresources);
    ComRef<ID3D11Resource> texture;
    if (FAILED(CreateTextureResource(s.device.Get(), desc, initial.data(), texture)) || !texture) {
        return false;
    }
    const D3D11_SHADER_RESOURCE_VIEW_DESC viewDescription = ShaderResourceViewDescription(desc);
    ComRef<ID3D11ShaderResourceView> view;
    const HRESULT result = s.device->CreateShaderResourceView(texture.Get(), &viewDescription, view.Put());
    texture.Reset();  // the view holds the texture from now on
    return Keep(result, view, s.textureViews, out);
}

bool D3D11RenderDevice::CreateDepthStencilState(const DepthStencilDesc& desc, DepthStencilStateHandle& out) {
    return CreateState(state_->device.Get(), &ID3D11Device::CreateDepthStencilState, DepthStencilDescription(desc),
                       state_->depthStencilStates, out);
}

bool D3D11RenderDevice::CreateBlendState(const BlendDesc& desc, BlendStateHandle& out) {
    return CreateState(state_->device.Get(), &ID3D11Device::CreateBlendState, BlendDescription(desc),
                       state_->blendStates, out);
}

bool D3D11RenderDevice::CreateRasterizerState(const RasterizerDesc& desc, RasterizerStateHandle& out) {
    return CreateState(state_->device.Get(), &ID3D11Device::CreateRasterizerState, RasterizerDescription(desc),
                       state_->rasterizerStates, out);
}

void D3D11RenderDevice::Release(BufferHandle& handle) { ReleaseFrom(state_->buffers, handle); }

void D3D11RenderDevice::Release(ShaderHandle& handle) { ReleaseFrom(state_->shaders, handle); }

void D3D11RenderDevice::Release(InputLayoutHandle& handle) { ReleaseFrom(state_->inputLayouts, handle); }

void D3D11RenderDevice::Release(SamplerHandle& handle) { ReleaseFrom(state_->samplers, handle); }

void D3D11RenderDevice::Release(TextureViewHandle& handle) { ReleaseFrom(state_->textureViews, handle); }

void D3D11RenderDevice::Release(DepthStencilStateHandle& handle) { ReleaseFrom(state_->depthStencilStates, handle); }

void D3D11RenderDevice::Release(BlendStateHandle& handle) { ReleaseFrom(state_->blendStates, handle); }

void D3D11RenderDevice::Release(RasterizerStateHandle& handle) { ReleaseFrom(state_->rasterizerStates, handle); }

void* D3D11RenderDevice::MapDiscard(BufferHandle handle) {
    State& s = *state_;
    ID3D11Buffer* buffer = Lookup(s.buffers, handle.id);
    D3D11_MAPPED_SUBRESOURCE mapped{};
    if (buffer == nullptr || FAILED(s.context->Map(buffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped))) {
        return nullptr;
    }
    return mapped.pData;
}

void D3D11RenderDevice::Unmap(BufferHandle handle) {
    State& s = *state_;
    if (ID3D11Buffer* buffer = Lookup(s.buffers, handle.id)) {
        s.context->Unmap(buffer, 0);
    }
}

void D3D11RenderDevice::SetConstantBuffer(ShaderStage stage, uint32_t slot, BufferHandle handle) {
    State& s = *state_;
    ID3D11Buffer* buffer = Lookup(s.buffers, handle.id);
    if (stage == ShaderStage::Vertex) {
        s.context->VSSetConstantBuffers(slot, 1, &buffer);
    } else {
        s.context->PSSetConstantBuffers(slot, 1, &buffer);
    }
}

void D3D11RenderDevice::SetVertexBuffers(uint32_t startSlot, uint32_t count, const BufferHandle* handles,
                                         const uint32_t* strides, const uint32_t* offsets) {
    State& s = *state_;
    if (startSlot >= kVertexStreams) {
        return;
    }
    count = std::min(count, kVertexStreams - startSlot);
    ID3D11Buffer* buffers[kVertexStreams] = {};
    for (uint32_t i = 0; i < count; ++i) {
        buffers[i] = Lookup(s.buffers, handles[i].id);
    }
    s.context->IASetVertexBuffers(startSlot, count, buffers, strides, offsets);
}

void D3D11RenderDevice::SetIndexBuffer(BufferHandle handle, Format format, uint32_t offset) {
    State& s = *state_;
    s.context->IASetIndexBuffer(Lookup(s.buffers, handle.id), DxgiFormat(format), offset);
}

void D3D11RenderDevice::SetInputLayout(InputLayoutHandle layout) {
    State& s = *state_;
    s.context->IASetInputLayout(Lookup(s.inputLayouts, layout.id));
}

void D3D11RenderDevice::SetVertexShader(ShaderHandle handle) {
    State& s = *state_;
    const Shader* shader = s.shaders.Find(handle.id);
    s.context->VSSetShader(shader != nullptr ? shader->vertex.Get() : nullptr, nullptr, 0);
}

void D3D11RenderDevice::SetPixelShader(ShaderHandle handle) {
    State& s = *state_;
    const Shader* shader = s.shaders.Find(handle.id);
    s.context->PSSetShader(shader != nullptr ? shader->pixel.Get() : nullptr, nullptr, 0);
}

void D3D11RenderDevice::SetPrimitiveTopology(Topology) {
    state_->context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);  // the only topology
}

void D3D11RenderDevice::SetShaderResource(ShaderStage stage, uint32_t slot, TextureViewHandle handle) {
    State& s = *state_;
    ID3D11ShaderResourceView* view = Lookup(s.textureViews, handle.id);
    if (stage == ShaderStage::Vertex) {
        s.context->VSSetShaderResources(slot, 1, &view);
    } else {
        s.context->PSSetShaderResources(slot, 1, &view);
    }
}

void D3D11RenderDevice::SetSampler(ShaderStage stage, uint32_t slot, SamplerHandle handle) {
    State& s = *state_;
    ID3D11SamplerState* sampler = Lookup(s.samplers, handle.id);
    if (stage == ShaderStage::Vertex) {
        s.context->VSSetSamplers(slot, 1, &sampler);
    } else {
        s.context->PSSetSamplers(slot, 1, &sampler);
    }
}

void D3D11RenderDevice::SetDepthStencilState(DepthStencilStateHandle handle, uint32_t stencilRef) {
    State& s = *state_;
    s.context->OMSetDepthStencilState(Lookup(s.depthStencilStates, handle.id), stencilRef);
}

void D3D11RenderDevice::SetBlendState(BlendStateHandle handle, const float blendFactor[4], uint32_t sampleMask) {
    State& s = *state_;
    s.context->OMSetBlendState(Lookup(s.blendStates, handle.id), blendFactor, sampleMask);
}

void D3D11RenderDevice::SetRasterizerState(RasterizerStateHandle handle) {
    State& s = *state_;
    s.context->RSSetState(Lookup(s.rasterizerStates, handle.id));
}

void D3D11RenderDevice::SetViewport(const Viewport& viewport) {
    const D3D11_VIEWPORT description = ViewportDescription(viewport);
    state_->context->RSSetViewports(1, &description);
}

void D3D11RenderDevice::ClearRenderTarget(const float colour[4]) {
    State& s = *state_;
    if (s.renderTargetView) {
        s.context->ClearRenderTargetView(s.renderTargetView.Get(), colour);
    }
}

void D3D11RenderDevice::ClearDepth(float depth) {
    State& s = *state_;
    if (s.depthStencilView) {
        s.context->ClearDepthStencilView(s.depthStencilView.Get(), D3D11_CLEAR_DEPTH, depth, 0);
    }
}

void D3D11RenderDevice::DrawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) {
    state_->context->DrawIndexed(indexCount, startIndex, baseVertex);
}

void D3D11RenderDevice::DrawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount,
                                             uint32_t startIndex, int32_t baseVertex, uint32_t startInstance) {
    state_->context->DrawIndexedInstanced(indexCountPerInstance, instanceCount, startIndex, baseVertex, startInstance);
}

void D3D11RenderDevice::Present(uint32_t syncInterval) {
    State& s = *state_;
    if (!s.swapChain) {
        return;
    }
    s.presentedFrameKept = s.keepPresentedFrames && s.CopyBackBuffer();
    s.swapChain->Present(syncInterval, 0);
}

void D3D11RenderDevice::KeepPresentedFrames(bool keep) { state_->keepPresentedFrames = keep; }

bool D3D11RenderDevice::ReadFrame(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
    State& s = *state_;
    // Without a kept frame the back buffer is the best there is: right for a
    // frame not yet presented, undefined once it has been.
    if (!s.presentedFrameKept && !s.CopyBackBuffer()) {
        return false;
    }
    D3D11_TEXTURE2D_DESC description{};
    s.readBack->GetDesc(&description);
    D3D11_MAPPED_SUBRESOURCE mapped{};
    if (FAILED(s.context->Map(s.readBack.Get(), 0, D3D11_MAP_READ, 0, &mapped))) {
        return false;
    }
    width = description.Width;
    height = description.Height;
    const size_t rowBytes = static_cast<size_t>(width) * 4;  // R8G8B8A8, rows top first
    rgba.resize(rowBytes * height);
    const uint8_t* source = static_cast<const uint8_t*>(mapped.pData);
    for (uint32_t row = 0; row < height; ++row) {
        std::memcpy(rgba.data() + row * rowBytes, source + static_cast<size_t>(row) * mapped.RowPitch, rowBytes);
    }
    s.context->Unmap(s.readBack.Get(), 0);
    MakeOpaque(rgba);
    return true;
}
