#pragma once

#include <d3d11.h>

#include <vector>

#include "graphics/RenderDevice.h"

// The device's plain descriptor structs as Direct3D 11 descriptions, each
// field set as the renderers and the graphics device expect.

// Format codes are DXGI's own.
inline DXGI_FORMAT DxgiFormat(Format format) { return static_cast<DXGI_FORMAT>(format); }

// A windowed or full-screen swap chain with one R8G8B8A8 back buffer.
DXGI_SWAP_CHAIN_DESC SwapChainDescription(const SwapChainDesc& desc, HWND window);

D3D11_BUFFER_DESC BufferDescription(const BufferDesc& desc);
std::vector<D3D11_INPUT_ELEMENT_DESC> InputElementDescriptions(const InputElement* elements, uint32_t count);
D3D11_SAMPLER_DESC SamplerDescription(const SamplerDesc& desc);
D3D11_DEPTH_STENCIL_DESC DepthStencilDescription(const DepthStencilDesc& desc);
D3D11_BLEND_DESC BlendDescription(const BlendDesc& desc);
D3D11_RASTERIZER_DESC RasterizerDescription(const RasterizerDesc& desc);
D3D11_VIEWPORT ViewportDescription(const Viewport& viewport);

D3D11_TEXTURE1D_DESC Texture1DDescription(const TextureDesc& desc);
D3D11_TEXTURE2D_DESC Texture2DDescription(const TextureDesc& desc);
D3D11_TEXTURE3D_DESC Texture3DDescription(const TextureDesc& desc);
// The view of the whole texture: every mip level and array item.
D3D11_SHADER_RESOURCE_VIEW_DESC ShaderResourceViewDescription(const TextureDesc& desc);
// One entry per subresource, array item major, mip level minor.
std::vector<D3D11_SUBRESOURCE_DATA> SubresourceTable(const TextureDesc& desc, const SubresourceData* subresources);

// The D24S8 depth buffer of width x height and the view that binds it.
D3D11_TEXTURE2D_DESC DepthBufferDescription(uint32_t width, uint32_t height);
D3D11_DEPTH_STENCIL_VIEW_DESC DepthStencilViewDescription();

// A CPU-readable copy of a texture of this description.
D3D11_TEXTURE2D_DESC ReadBackDescription(const D3D11_TEXTURE2D_DESC& source);
