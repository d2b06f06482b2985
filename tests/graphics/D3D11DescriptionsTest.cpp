// The Direct3D 11 descriptions of what the graphics device asks for, field by
// field: most of these fields never show in a picture (stencil operations,
// windowed or full-screen, the refresh-rate fraction), so only these tests
// hold them to their values.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "RecordingDevice.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/d3d11/D3D11Descriptions.h"

namespace {
// What the graphics device describes when it starts on a recording device.
struct Started {
    RecordingDevice* recording = nullptr;
    GraphicsDevice graphics;

    explicit Started(const DisplaySettings& display) {
        auto device = std::make_unique<RecordingDevice>();
        recording = device.get();
        recording->displayModes = {{1280, 720, 60, 1}, {1920, 1080, 144, 1}, {1280, 720, 59940, 1000}};
        EXPECT_TRUE(graphics.Initialize(std::move(device), display));
    }
    ~Started() { graphics.Shutdown(); }
};

void ExpectStencilFace(const D3D11_DEPTH_STENCILOP_DESC& face, D3D11_STENCIL_OP depthFail) {
    EXPECT_EQ(face.StencilFailOp, D3D11_STENCIL_OP_KEEP);
    EXPECT_EQ(face.StencilDepthFailOp, depthFail);
    EXPECT_EQ(face.StencilPassOp, D3D11_STENCIL_OP_KEEP);
    EXPECT_EQ(face.StencilFunc, D3D11_COMPARISON_ALWAYS);
}
}  // namespace

// Windowed exactly when not full-screen; with VSync the last mode of the
// window's size gives the refresh fraction, without it 0/1.
TEST(D3D11Descriptions, SwapChain) {
    HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234));
    for (const bool fullscreen : {false, true}) {
        for (const bool vsync : {false, true}) {
            Started started(DisplaySettings{.width = 1280, .height = 720, .fullscreen = fullscreen, .vsync = vsync});
            const DXGI_SWAP_CHAIN_DESC d = SwapChainDescription(started.recording->swapChain, window);
            EXPECT_EQ(d.Windowed, fullscreen ? FALSE : TRUE);
            EXPECT_EQ(d.BufferDesc.RefreshRate.Numerator, vsync ? 59940u : 0u);
            EXPECT_EQ(d.BufferDesc.RefreshRate.Denominator, vsync ? 1000u : 1u);
            EXPECT_TRUE(d.BufferCount == 1 && d.BufferDesc.Width == 1280 && d.BufferDesc.Height == 720);
            EXPECT_EQ(d.BufferDesc.Format, DXGI_FORMAT_R8G8B8A8_UNORM);
            EXPECT_EQ(d.BufferDesc.ScanlineOrdering, DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED);
            EXPECT_EQ(d.BufferDesc.Scaling, DXGI_MODE_SCALING_UNSPECIFIED);
            EXPECT_EQ(d.BufferUsage, static_cast<DXGI_USAGE>(DXGI_USAGE_RENDER_TARGET_OUTPUT));
            EXPECT_TRUE(d.OutputWindow == window && d.SampleDesc.Count == 1 && d.SampleDesc.Quality == 0);
            EXPECT_TRUE(d.SwapEffect == DXGI_SWAP_EFFECT_DISCARD && d.Flags == 0);
        }
    }
}

// Depth on: write all, pass when less; the stencil counts depth failures up
// on front faces and down on back faces and never changes otherwise. Depth
// off differs in DepthEnable only.
TEST(D3D11Descriptions, DepthStencilStates) {
    Started started(DisplaySettings{.width = 640, .height = 360});
    ASSERT_EQ(started.recording->depthStencilStates.size(), 2u);
    const D3D11_DEPTH_STENCIL_DESC on = DepthStencilDescription(started.recording->depthStencilStates[0]);
    const D3D11_DEPTH_STENCIL_DESC off = DepthStencilDescription(started.recording->depthStencilStates[1]);
    EXPECT_TRUE(on.DepthEnable == TRUE && off.DepthEnable == FALSE);
    for (const D3D11_DEPTH_STENCIL_DESC& d : {on, off}) {
        EXPECT_EQ(d.DepthWriteMask, D3D11_DEPTH_WRITE_MASK_ALL);
        EXPECT_EQ(d.DepthFunc, D3D11_COMPARISON_LESS);
        EXPECT_TRUE(d.StencilEnable == TRUE && d.StencilReadMask == 0xFF && d.StencilWriteMask == 0xFF);
        ExpectStencilFace(d.FrontFace, D3D11_STENCIL_OP_INCR);
        ExpectStencilFace(d.BackFace, D3D11_STENCIL_OP_DECR);
    }
}

// Premultiplied alpha on render target 0 only; the other seven stay zero.
TEST(D3D11Descriptions, BlendStates) {
    Started started(DisplaySettings{.width = 640, .height = 360});
    ASSERT_EQ(started.recording->blendStates.size(), 2u);
    const D3D11_BLEND_DESC on = BlendDescription(started.recording->blendStates[0]);
    const D3D11_BLEND_DESC off = BlendDescription(started.recording->blendStates[1]);
    EXPECT_TRUE(on.RenderTarget[0].BlendEnable == TRUE && off.RenderTarget[0].BlendEnable == FALSE);
    for (const D3D11_BLEND_DESC& d : {on, off}) {
        EXPECT_TRUE(d.AlphaToCoverageEnable == FALSE && d.IndependentBlendEnable == FALSE);
        const D3D11_RENDER_TARGET_BLEND_DESC& t = d.RenderTarget[0];
        EXPECT_TRUE(t.SrcBlend == D3D11_BLEND_ONE && t.DestBlend == D3D11_BLEND_INV_SRC_ALPHA &&
                    t.BlendOp == D3D11_BLEND_OP_ADD);
        EXPECT_TRUE(t.SrcBlendAlpha == D3D11_BLEND_ONE && t.DestBlendAlpha == D3D11_BLEND_ZERO &&
                    t.BlendOpAlpha == D3D11_BLEND_OP_ADD);
        EXPECT_EQ(t.RenderTargetWriteMask, 0x0F);
        const D3D11_RENDER_TARGET_BLEND_DESC zero{};
        for (int i = 1; i < 8; ++i) EXPECT_EQ(std::memcmp(&d.RenderTarget[i], &zero, sizeof zero), 0) << i;
    }
}

// Solid and wireframe, both culling back faces (clockwise is front), no
// depth bias beyond its clamp of 1, depth clipping on, nothing else.
TEST(D3D11Descriptions, RasterizerStates) {
    Started started(DisplaySettings{.width = 640, .height = 360});
    ASSERT_EQ(started.recording->rasterizerStates.size(), 2u);
    const D3D11_RASTERIZER_DESC solid = RasterizerDescription(started.recording->rasterizerStates[0]);
    const D3D11_RASTERIZER_DESC wireframe = RasterizerDescription(started.recording->rasterizerStates[1]);
    EXPECT_TRUE(solid.FillMode == D3D11_FILL_SOLID && wireframe.FillMode == D3D11_FILL_WIREFRAME);
    for (const D3D11_RASTERIZER_DESC& d : {solid, wireframe}) {
        EXPECT_TRUE(d.CullMode == D3D11_CULL_BACK && d.FrontCounterClockwise == FALSE);
        EXPECT_TRUE(d.DepthBias == 0 && d.DepthBiasClamp == 1.0f && d.SlopeScaledDepthBias == 0.0f);
        EXPECT_TRUE(d.DepthClipEnable == TRUE && d.ScissorEnable == FALSE && d.MultisampleEnable == FALSE &&
                    d.AntialiasedLineEnable == FALSE);
    }
}

// The font's sampler: trilinear, wrapping on every axis, every level.
TEST(D3D11Descriptions, FontSampler) {
    const D3D11_SAMPLER_DESC d = SamplerDescription(SamplerDesc{.linear = true, .wrap = true});
    EXPECT_EQ(d.Filter, D3D11_FILTER_MIN_MAG_MIP_LINEAR);
    EXPECT_TRUE(d.AddressU == D3D11_TEXTURE_ADDRESS_WRAP && d.AddressV == D3D11_TEXTURE_ADDRESS_WRAP &&
                d.AddressW == D3D11_TEXTURE_ADDRESS_WRAP);
    EXPECT_TRUE(d.MipLODBias == 0.0f && d.MaxAnisotropy == 1 && d.ComparisonFunc == D3D11_COMPARISON_ALWAYS);
    for (const float c : d.BorderColor) EXPECT_EQ(c, 0.0f);
    EXPECT_TRUE(d.MinLOD == 0.0f && d.MaxLOD == D3D11_FLOAT32_MAX);
}
