#include "graphics/GraphicsDevice.h"

#include <cstring>
#include <vector>

#include "config/Settings.h"
#include "platform/ErrorMessage.h"

namespace {

constexpr uint32_t kStencilReference = 1;
constexpr uint32_t kAllSamples = 0xFFFFFFFFu;
const float kNoBlendFactor[4] = {0.0f, 0.0f, 0.0f, 0.0f};

// Shows the message and gives the false that Initialize returns.
bool Fail(const char* message) {
    ShowErrorMessage(message);
    return false;
}

DepthStencilDesc DepthStencilDescription(bool depthEnable) {
    DepthStencilDesc desc;
    desc.depthEnable = depthEnable;
    desc.depthWrite = true;
    desc.depthFunc = Comparison::Less;
    desc.stencilEnable = true;
    desc.stencilReadMask = 0xFF;
    desc.stencilWriteMask = 0xFF;
    desc.frontFace = {StencilOp::Keep, StencilOp::Increment, StencilOp::Keep, Comparison::Always};
    desc.backFace = {StencilOp::Keep, StencilOp::Decrement, StencilOp::Keep, Comparison::Always};
    return desc;
}

RasterizerDesc RasterizerDescription(FillMode fill) {
    RasterizerDesc desc;
    desc.fill = fill;
    desc.cullBack = true;
    desc.frontCounterClockwise = false;
    desc.depthClip = true;
    return desc;
}


}  // namespace

DisplaySettings DisplaySettingsFrom(const TypedSettings& settings) {
    return DisplaySettings{.width = settings.windowWidth,
                           .height = settings.windowHeight,
                           .fullscreen = settings.fullscreen,
                           .vsync = settings.VSync};
}

GraphicsDevice::GraphicsDevice()
    : overlayStatesActive_(false),
      videoMemoryMb_(0),
      adapterName_{},
      deviceCreated_(false),
      renderTargetCreated_(false),
      currentRasterMode_(RasterMode::Solid),
      depthBufferCreated_(false),
      depthStencilViewCreated_(false) {}

GraphicsDevice::~GraphicsDevice() = default;

bool GraphicsDevice::Initialize(std::unique_ptr<RenderDevice> backend, const DisplaySettings& display) {
    display_ = display;
    device_ = std::move(backend);
    if (!device_) {
        return false;
    }
    AdapterInfo adapter;
    std::vector<DisplayMode> modes;
    if (!QueryAdapter(adapter, modes) || !StoreAdapter(adapter)) {
        return false;
    }
    const SwapChainDesc swapChain = SwapChainDescription(modes);
    return CreateSwapChain(swapChain) && CreateTargets() && CreateDepthStencilStates() && CreateBlendStates() &&
           CreateRasterizerStates() && SetFullViewport();
}

bool GraphicsDevice::QueryAdapter(AdapterInfo& adapter, std::vector<DisplayMode>& modes) {
    switch (device_->QueryAdapter(adapter, modes)) {
    case AdapterQueryResult::Found:
        return true;
    case AdapterQueryResult::NoAdapter:
        return Fail("failed to create graphic adapter");
    case AdapterQueryResult::NoPrimaryOutput:
        return Fail("failed to find primary output");
    case AdapterQueryResult::ModeCountFailed:
        return Fail("failed to get display mode count");
    case AdapterQueryResult::ModeListFailed:
        return Fail("failed to get display mode list");
    case AdapterQueryResult::NoDescription:
        return Fail("failed to get video card description");
    case AdapterQueryResult::NameNotConverted:
        break;  // a failure the user is not told about
    }
    return false;
}

bool GraphicsDevice::StoreAdapter(const AdapterInfo& adapter) {
    float megabytes = static_cast<float>(adapter.dedicatedVideoMemory);
    megabytes *= 1.0f / 1024.0f;
    megabytes *= 1.0f / 1024.0f;
    videoMemoryMb_ = static_cast<int>(megabytes);
    // A name that does not fit is a failure the user is not told about.
    if (adapter.description.size() >= sizeof adapterName_) {
        return false;
    }
    std::memcpy(adapterName_, adapter.description.c_str(), adapter.description.size() + 1);
    return true;
}

SwapChainDesc GraphicsDevice::SwapChainDescription(const std::vector<DisplayMode>& modes) const {
    SwapChainDesc swapChain;
    swapChain.width = display_.width;
    swapChain.height = display_.height;
    swapChain.windowed = !display_.fullscreen;
    swapChain.vsync = display_.vsync;
    swapChain.refreshNumerator = 0;
    swapChain.refreshDenominator = 1;
    if (!display_.vsync) {
        return swapChain;
    }
    // Every exact match overwrites the previous one: the last one wins.
    for (const DisplayMode& mode : modes) {
        if (mode.width == display_.width && mode.height == display_.height) {
            swapChain.refreshNumerator = mode.refreshNumerator;
            swapChain.refreshDenominator = mode.refreshDenominator;
        }
    }
    return swapChain;
}

bool GraphicsDevice::CreateSwapChain(const SwapChainDesc& swapChain) {
    if (!device_->CreateDeviceAndSwapChain(swapChain)) {
        return Fail("failed to create device and swap chain");
    }
    deviceCreated_ = true;
    return true;
}

bool GraphicsDevice::CreateTargets() {
    switch (device_->CreateRenderTarget()) {
    case RenderTargetResult::Created:
        break;
    case RenderTargetResult::NoBackBuffer:
        return Fail("failed to recieve back buffer pointer");
    case RenderTargetResult::ViewFailed:
        return Fail("failed to create render target view");
    }
    renderTargetCreated_ = true;
    if (!device_->CreateDepthBuffer(display_.width, display_.height)) {
        return Fail("failed to create depth buffer texture");
    }
    depthBufferCreated_ = true;
    if (!device_->CreateDepthStencilView()) {
        return Fail("failed to create depth stencil view");
    }
    depthStencilViewCreated_ = true;
    device_->BindRenderTargets();
    return true;
}

bool GraphicsDevice::CreateDepthStencilStates() {
    if (!device_->CreateDepthStencilState(DepthStencilDescription(true), depthEnabledState_)) {
        return Fail("failed to create depth stencil");
    }
    device_->SetDepthStencilState(depthEnabledState_, kStencilReference);
    if (!device_->CreateDepthStencilState(DepthStencilDescription(false), depthDisabledState_)) {
        return Fail("failed to create depth disabled stencil");
    }
    return true;
}

bool GraphicsDevice::CreateBlendStates() {
    BlendDesc desc;
    desc.blendEnable = true;
    if (!device_->CreateBlendState(desc, alphaEnabledState_)) {
        return Fail("failed to create alpha blend state");
    }
    desc.blendEnable = false;
    if (!device_->CreateBlendState(desc, alphaDisabledState_)) {
        return Fail("failed to create alpha disabled blend state");
    }
    return true;
}

bool GraphicsDevice::CreateRasterizerStates() {
    if (!device_->CreateRasterizerState(RasterizerDescription(FillMode::Solid), solidState_) ||
        !device_->CreateRasterizerState(RasterizerDescription(FillMode::Wireframe), wireframeState_)) {
        return Fail("failed to create rasterizer state");
    }
    device_->SetRasterizerState(solidState_);
    currentRasterMode_ = RasterMode::Solid;
    return true;
}

bool GraphicsDevice::SetFullViewport() {
    viewport_ = Viewport{};
    viewport_.width = static_cast<float>(display_.width);
    viewport_.height = static_cast<float>(display_.height);
    viewport_.minDepth = 0.0f;
    viewport_.maxDepth = 1.0f;
    device_->SetViewport(viewport_);
    return true;
}

void GraphicsDevice::Shutdown() {
    if (!device_) {
        return;
    }
    RenderDevice& device = *device_;
    if (deviceCreated_) {
        device.LeaveFullscreen();
    }
    ReleaseHandle(device, solidState_);
    ReleaseHandle(device, wireframeState_);
    ReleaseHandle(device, depthDisabledState_);
    ReleaseHandle(device, alphaEnabledState_);
    ReleaseHandle(device, alphaDisabledState_);
    if (depthStencilViewCreated_) {
        device.ReleaseDepthStencilView();
        depthStencilViewCreated_ = false;
    }
    ReleaseHandle(device, depthEnabledState_);
    if (depthBufferCreated_) {
        device.ReleaseDepthBuffer();
        depthBufferCreated_ = false;
    }
    if (renderTargetCreated_) {
        device.ReleaseRenderTarget();
        renderTargetCreated_ = false;
    }
    if (deviceCreated_) {
        device.ReleaseDevice();
        deviceCreated_ = false;
    }
}

void GraphicsDevice::BeginFrame(const float colour[4]) {
    device_->ClearRenderTarget(colour);
    device_->ClearDepth(1.0f);
}

void GraphicsDevice::EndFrame() { device_->Present(display_.vsync ? 1 : 0); }

void GraphicsDevice::SetRasterMode(RasterMode mode) {
    if (mode == currentRasterMode_) {
        return;
    }
    currentRasterMode_ = mode;
    device_->SetRasterizerState(mode == RasterMode::Solid ? solidState_ : wireframeState_);
}

void GraphicsDevice::ToggleOverlayStates() {
    overlayStatesActive_ = !overlayStatesActive_;
    if (overlayStatesActive_) {
        device_->SetDepthStencilState(depthDisabledState_, kStencilReference);
        device_->SetBlendState(alphaEnabledState_, kNoBlendFactor, kAllSamples);
    } else {
        device_->SetBlendState(alphaDisabledState_, kNoBlendFactor, kAllSamples);
        device_->SetDepthStencilState(depthEnabledState_, kStencilReference);
    }
}
