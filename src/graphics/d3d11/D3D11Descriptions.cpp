#include "graphics/d3d11/D3D11Descriptions.h"

namespace {

D3D11_USAGE UsageFor(Usage usage) { return usage == Usage::Dynamic ? D3D11_USAGE_DYNAMIC : D3D11_USAGE_DEFAULT; }

UINT BindFlagsFor(BindFlag bind) {
    switch (bind) {
        case BindFlag::IndexBuffer:
            return D3D11_BIND_INDEX_BUFFER;
        case BindFlag::ConstantBuffer:
            return D3D11_BIND_CONSTANT_BUFFER;
        case BindFlag::VertexBuffer:
            break;
    }
    return D3D11_BIND_VERTEX_BUFFER;
}

D3D11_COMPARISON_FUNC ComparisonFor(Comparison comparison) {
    return comparison == Comparison::Less ? D3D11_COMPARISON_LESS : D3D11_COMPARISON_ALWAYS;
}

D3D11_STENCIL_OP StencilOpFor(StencilOp op) {
    switch (op) {
        case StencilOp::Increment:
            return D3D11_STENCIL_OP_INCR;
        case StencilOp::Decrement:
            return D3D11_STENCIL_OP_DECR;
        case StencilOp::Keep:
            break;
    }
    return D3D11_STENCIL_OP_KEEP;
}

D3D11_DEPTH_STENCILOP_DESC StencilFaceDescription(const StencilFaceDesc& face) {
    D3D11_DEPTH_STENCILOP_DESC out{};
    out.StencilFailOp = StencilOpFor(face.failOp);
    out.StencilDepthFailOp = StencilOpFor(face.depthFailOp);
    out.StencilPassOp = StencilOpFor(face.passOp);
    out.StencilFunc = ComparisonFor(face.func);
    return out;
}

UINT TextureMiscFlags(const TextureDesc& desc) { return desc.cube ? D3D11_RESOURCE_MISC_TEXTURECUBE : 0; }

// What the descriptions of a 1-D and a 3-D texture that shaders sample share.
template <typename Description>
Description SampledTextureOf(const TextureDesc& desc) {
    Description out{};
    out.Width = desc.width;
    out.MipLevels = desc.mipLevels;
    out.Format = DxgiFormat(desc.format);
    out.Usage = D3D11_USAGE_DEFAULT;
    out.BindFlags = D3D11_BIND_SHADER_RESOURCE;
    out.CPUAccessFlags = 0;
    out.MiscFlags = 0;
    return out;
}

// A single-sampled 2-D texture in default memory that the CPU does not touch.
D3D11_TEXTURE2D_DESC Texture2DOf(uint32_t width, uint32_t height, uint32_t mipLevels, uint32_t arraySize,
                                 DXGI_FORMAT format, UINT bindFlags, UINT miscFlags) {
    D3D11_TEXTURE2D_DESC out{};
    out.Width = width;
    out.Height = height;
    out.MipLevels = mipLevels;
    out.ArraySize = arraySize;
    out.Format = format;
    out.SampleDesc.Count = 1;
    out.SampleDesc.Quality = 0;
    out.Usage = D3D11_USAGE_DEFAULT;
    out.BindFlags = bindFlags;
    out.CPUAccessFlags = 0;
    out.MiscFlags = miscFlags;
    return out;
}

}  // namespace

DXGI_SWAP_CHAIN_DESC SwapChainDescription(const SwapChainDesc& desc, HWND window) {
    DXGI_SWAP_CHAIN_DESC out{};
    out.BufferCount = 1;
    out.BufferDesc.Width = desc.width;
    out.BufferDesc.Height = desc.height;
    out.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    out.BufferDesc.RefreshRate.Numerator = desc.refreshNumerator;
    out.BufferDesc.RefreshRate.Denominator = desc.refreshDenominator;
    out.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    out.OutputWindow = window;
    out.SampleDesc.Count = 1;
    out.SampleDesc.Quality = 0;
    out.Windowed = desc.windowed ? TRUE : FALSE;
    out.BufferDesc.ScanlineOrdering = DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED;
    out.BufferDesc.Scaling = DXGI_MODE_SCALING_UNSPECIFIED;
    out.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    out.Flags = 0;
    return out;
}

D3D11_BUFFER_DESC BufferDescription(const BufferDesc& desc) {
    D3D11_BUFFER_DESC out{};
    out.ByteWidth = desc.byteWidth;
    out.Usage = UsageFor(desc.usage);
    out.BindFlags = BindFlagsFor(desc.bind);
    out.CPUAccessFlags = desc.cpuWrite ? D3D11_CPU_ACCESS_WRITE : 0;
    out.MiscFlags = 0;
    out.StructureByteStride = 0;
    return out;
}

std::vector<D3D11_INPUT_ELEMENT_DESC> InputElementDescriptions(const InputElement* elements, uint32_t count) {
    std::vector<D3D11_INPUT_ELEMENT_DESC> out(count);
    for (uint32_t i = 0; i < count; ++i) {
        const InputElement& element = elements[i];
        D3D11_INPUT_ELEMENT_DESC& desc = out[i];
        desc.SemanticName = element.semanticName;
        desc.SemanticIndex = element.semanticIndex;
        desc.Format = DxgiFormat(element.format);
        desc.InputSlot = element.inputSlot;
        desc.AlignedByteOffset =
            element.alignedByteOffset == kAppendAligned ? D3D11_APPEND_ALIGNED_ELEMENT : element.alignedByteOffset;
        desc.InputSlotClass = element.perInstance ? D3D11_INPUT_PER_INSTANCE_DATA : D3D11_INPUT_PER_VERTEX_DATA;
        desc.InstanceDataStepRate = element.instanceStepRate;
    }
    return out;
}

D3D11_SAMPLER_DESC SamplerDescription(const SamplerDesc& desc) {
    D3D11_SAMPLER_DESC out{};
    out.Filter = desc.linear ? D3D11_FILTER_MIN_MAG_MIP_LINEAR : D3D11_FILTER_MIN_MAG_MIP_POINT;
    const D3D11_TEXTURE_ADDRESS_MODE address = desc.wrap ? D3D11_TEXTURE_ADDRESS_WRAP : D3D11_TEXTURE_ADDRESS_CLAMP;
    out.AddressU = address;
    out.AddressV = address;
    out.AddressW = address;
    out.MipLODBias = 0.0f;
    out.MaxAnisotropy = 1;
    out.ComparisonFunc = D3D11_COMPARISON_ALWAYS;
    out.BorderColor[0] = 0.0f;
    out.BorderColor[1] = 0.0f;
    out.BorderColor[2] = 0.0f;
    out.BorderColor[3] = 0.0f;
    out.MinLOD = 0.0f;
    out.MaxLOD = desc.maxLod;
    return out;
}

D3D11_DEPTH_STENCIL_DESC DepthStencilDescription(const DepthStencilDesc& desc) {
    D3D11_DEPTH_STENCIL_DESC out{};
    out.DepthEnable = desc.depthEnable ? TRUE : FALSE;
    out.DepthWriteMask = desc.depthWrite ? D3D11_DEPTH_WRITE_MASK_ALL : D3D11_DEPTH_WRITE_MASK_ZERO;
    out.DepthFunc = ComparisonFor(desc.depthFunc);
    out.StencilEnable = desc.stencilEnable ? TRUE : FALSE;
    out.StencilReadMask = desc.stencilReadMask;
    out.StencilWriteMask = desc.stencilWriteMask;
    out.FrontFace = StencilFaceDescription(desc.frontFace);
    out.BackFace = StencilFaceDescription(desc.backFace);
    return out;
}

// Premultiplied alpha: colour source one, destination one minus source
// alpha; alpha source one, destination zero. Only target 0 is described.
D3D11_BLEND_DESC BlendDescription(const BlendDesc& desc) {
    D3D11_BLEND_DESC out{};
    out.AlphaToCoverageEnable = FALSE;
    out.IndependentBlendEnable = FALSE;
    D3D11_RENDER_TARGET_BLEND_DESC& target = out.RenderTarget[0];
    target.BlendEnable = desc.blendEnable ? TRUE : FALSE;
    target.SrcBlend = D3D11_BLEND_ONE;
    target.DestBlend = D3D11_BLEND_INV_SRC_ALPHA;
    target.BlendOp = D3D11_BLEND_OP_ADD;
    target.SrcBlendAlpha = D3D11_BLEND_ONE;
    target.DestBlendAlpha = D3D11_BLEND_ZERO;
    target.BlendOpAlpha = D3D11_BLEND_OP_ADD;
    target.RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
    return out;
}

D3D11_RASTERIZER_DESC RasterizerDescription(const RasterizerDesc& desc) {
    D3D11_RASTERIZER_DESC out{};
    out.FillMode = desc.fill == FillMode::Wireframe ? D3D11_FILL_WIREFRAME : D3D11_FILL_SOLID;
    out.CullMode = desc.cullBack ? D3D11_CULL_BACK : D3D11_CULL_NONE;
    out.FrontCounterClockwise = desc.frontCounterClockwise ? TRUE : FALSE;
    out.DepthBias = 0;
    out.DepthBiasClamp = 1.0f;
    out.SlopeScaledDepthBias = 0.0f;
    out.DepthClipEnable = desc.depthClip ? TRUE : FALSE;
    out.ScissorEnable = FALSE;
    out.MultisampleEnable = FALSE;
    out.AntialiasedLineEnable = FALSE;
    return out;
}

D3D11_VIEWPORT ViewportDescription(const Viewport& viewport) {
    D3D11_VIEWPORT out{};
    out.TopLeftX = viewport.x;
    out.TopLeftY = viewport.y;
    out.Width = viewport.width;
    out.Height = viewport.height;
    out.MinDepth = viewport.minDepth;
    out.MaxDepth = viewport.maxDepth;
    return out;
}

D3D11_TEXTURE1D_DESC Texture1DDescription(const TextureDesc& desc) {
    D3D11_TEXTURE1D_DESC out = SampledTextureOf<D3D11_TEXTURE1D_DESC>(desc);
    out.ArraySize = desc.arraySize;
    return out;
}

D3D11_TEXTURE2D_DESC Texture2DDescription(const TextureDesc& desc) {
    return Texture2DOf(desc.width, desc.height, desc.mipLevels, desc.arraySize, DxgiFormat(desc.format),
                       D3D11_BIND_SHADER_RESOURCE, TextureMiscFlags(desc));
}

D3D11_TEXTURE3D_DESC Texture3DDescription(const TextureDesc& desc) {
    D3D11_TEXTURE3D_DESC out = SampledTextureOf<D3D11_TEXTURE3D_DESC>(desc);
    out.Height = desc.height;
    out.Depth = desc.depth;
    return out;
}

D3D11_SHADER_RESOURCE_VIEW_DESC ShaderResourceViewDescription(const TextureDesc& desc) {
    constexpr uint32_t kCubeFaces = 6;
    D3D11_SHADER_RESOURCE_VIEW_DESC out{};
    out.Format = DxgiFormat(desc.format);
    switch (desc.dimension) {
        case TextureDimension::Texture1D:
            if (desc.arraySize > 1) {
                out.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE1DARRAY;
                out.Texture1DArray = {.MostDetailedMip = 0,
                                      .MipLevels = desc.mipLevels,
                                      .FirstArraySlice = 0,
                                      .ArraySize = desc.arraySize};
            } else {
                out.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE1D;
                out.Texture1D = {.MostDetailedMip = 0, .MipLevels = desc.mipLevels};
            }
            return out;
        case TextureDimension::Texture3D:
            out.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE3D;
            out.Texture3D = {.MostDetailedMip = 0, .MipLevels = desc.mipLevels};
            return out;
        case TextureDimension::Texture2D:
            break;
    }
    if (desc.cube && desc.arraySize > kCubeFaces) {
        out.ViewDimension = D3D11_SRV_DIMENSION_TEXTURECUBEARRAY;
        out.TextureCubeArray = {.MostDetailedMip = 0,
                                .MipLevels = desc.mipLevels,
                                .First2DArrayFace = 0,
                                .NumCubes = desc.arraySize / kCubeFaces};
    } else if (desc.cube) {
        out.ViewDimension = D3D11_SRV_DIMENSION_TEXTURECUBE;
        out.TextureCube = {.MostDetailedMip = 0, .MipLevels = desc.mipLevels};
    } else if (desc.arraySize > 1) {
        out.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2DARRAY;
        out.Texture2DArray = {
            .MostDetailedMip = 0, .MipLevels = desc.mipLevels, .FirstArraySlice = 0, .ArraySize = desc.arraySize};
    } else {
        out.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
        out.Texture2D = {.MostDetailedMip = 0, .MipLevels = desc.mipLevels};
    }
    return out;
}

std::vector<D3D11_SUBRESOURCE_DATA> SubresourceTable(const TextureDesc& desc, const SubresourceData* subresources) {
    const uint32_t items = desc.dimension == TextureDimension::Texture3D ? 1 : desc.arraySize;
    std::vector<D3D11_SUBRESOURCE_DATA> out(static_cast<size_t>(items) * desc.mipLevels);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i].pSysMem = subresources[i].data;
        out[i].SysMemPitch = subresources[i].rowPitch;
        out[i].SysMemSlicePitch = subresources[i].slicePitch;
    }
    return out;
}

D3D11_TEXTURE2D_DESC DepthBufferDescription(uint32_t width, uint32_t height) {
    return Texture2DOf(width, height, 1, 1, DXGI_FORMAT_D24_UNORM_S8_UINT, D3D11_BIND_DEPTH_STENCIL, 0);
}

D3D11_DEPTH_STENCIL_VIEW_DESC DepthStencilViewDescription() {
    D3D11_DEPTH_STENCIL_VIEW_DESC out{};
    out.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
    out.ViewDimension = D3D11_DSV_DIMENSION_TEXTURE2D;
    out.Flags = 0;
    out.Texture2D.MipSlice = 0;
    return out;
}

D3D11_TEXTURE2D_DESC ReadBackDescription(const D3D11_TEXTURE2D_DESC& source) {
    D3D11_TEXTURE2D_DESC out = source;
    out.Usage = D3D11_USAGE_STAGING;
    out.BindFlags = 0;
    out.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    out.MiscFlags = 0;
    return out;
}
