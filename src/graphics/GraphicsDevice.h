#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/RenderDevice.h"

enum class RasterMode : int { Solid = 1, Wireframe = 2 };

// The sky: the colour every frame is cleared to, and that fog fades into.
inline constexpr float kSkyColour[4] = {0.6f, 0.6f, 0.6f, 1.0f};

// The swap chain's size and presentation.
struct DisplaySettings {
    uint32_t width = 0;
    uint32_t height = 0;
    bool fullscreen = false;
    bool vsync = false;  // present on the vertical blank, at the matching mode's rate
};

struct TypedSettings;
DisplaySettings DisplaySettingsFrom(const TypedSettings& settings);

// Owns the render device with its swap chain, render target and depth buffer,
// the depth-stencil, blend and rasterizer states and the viewport, and knows
// the adapter's name and video memory.
class GraphicsDevice {
public:
    GraphicsDevice();
    ~GraphicsDevice();

    // Takes ownership of the backend and starts it on the main window.
    // Shows its own message on failure.
    bool Initialize(std::unique_ptr<RenderDevice> backend, const DisplaySettings& display);
    void Shutdown();

    RenderDevice* Device() const { return device_.get(); }
    const char* AdapterName() const { return adapterName_; }
    int VideoMemoryMb() const { return videoMemoryMb_; }

    void BeginFrame(const float colour[4]);
    void EndFrame();
    void SetRasterMode(RasterMode mode);
    void ToggleOverlayStates();

private:
    bool QueryAdapter(AdapterInfo& adapter, std::vector<DisplayMode>& modes);
    bool StoreAdapter(const AdapterInfo& adapter);
    SwapChainDesc SwapChainDescription(const std::vector<DisplayMode>& modes) const;
    bool CreateSwapChain(const SwapChainDesc& swapChain);
    bool CreateTargets();
    bool CreateDepthStencilStates();
    bool CreateBlendStates();
    bool CreateRasterizerStates();
    bool SetFullViewport();

    DisplaySettings display_;
    bool overlayStatesActive_;
    int videoMemoryMb_;
    char adapterName_[128];
    std::unique_ptr<RenderDevice> device_;
    bool deviceCreated_;
    Viewport viewport_;
    bool renderTargetCreated_;
    RasterMode currentRasterMode_;
    RasterizerStateHandle solidState_;
    RasterizerStateHandle wireframeState_;
    bool depthBufferCreated_;
    bool depthStencilViewCreated_;
    DepthStencilStateHandle depthEnabledState_;
    DepthStencilStateHandle depthDisabledState_;
    BlendStateHandle alphaEnabledState_;
    BlendStateHandle alphaDisabledState_;
};
