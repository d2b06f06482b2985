#include "graphics/DDSTextureLoader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/DdsFormat.h"

namespace {

constexpr uint32_t kMaxMipLevels = 15;
constexpr uint32_t kMaxArraySize = 2048;
constexpr uint32_t kMax1D2DSize = 16384;
constexpr uint32_t kMax3DSize = 2048;
constexpr uint32_t kFeatureLevel9_3 = 0x9300;
constexpr uint32_t kFeatureLevel10_0 = 0xa000;

bool Failed(HRESULT result) { return result < 0; }

// The whole file image with views of its headers.
struct DdsFile {
    const uint8_t* bytes = nullptr;
    uint64_t size = 0;
    DdsHeader header{};
    bool hasDx10 = false;
    DdsHeaderDx10 dx10{};
    uint64_t dataOffset = 0;
};

// The whole texture the file holds, every mip level included.
using TextureShape = TextureDesc;

// The subresource table of one attempt and the texture it describes.
struct TextureData {
    std::vector<SubresourceData> subresources;
    TextureDesc desc;
};

HRESULT CheckHeaders(DdsFile& file) {
    if (file.size < kDdsLegacyDataOffset) {
        return kE_FAIL;
    }
    uint32_t magic = 0;
    std::memcpy(&magic, file.bytes, sizeof magic);
    std::memcpy(&file.header, file.bytes + 4, sizeof file.header);
    if (magic != kDdsMagic || file.header.size != kDdsHeaderSize ||
        file.header.pixelFormat.size != kDdsPixelFormatSize) {
        return kE_FAIL;
    }
    const DdsPixelFormat& pixelFormat = file.header.pixelFormat;
    file.hasDx10 = (pixelFormat.flags & kDdpfFourCc) && pixelFormat.fourCc == MakeFourCc('D', 'X', '1', '0');
    file.dataOffset = kDdsLegacyDataOffset;
    if (file.hasDx10) {
        if (file.size < kDdsDx10DataOffset) {
            return kE_FAIL;
        }
        std::memcpy(&file.dx10, file.bytes + kDdsLegacyDataOffset, sizeof file.dx10);
        file.dataOffset = kDdsDx10DataOffset;
    }
    return kS_OK;
}

HRESULT ChooseDx10Shape(const DdsFile& file, TextureShape& shape) {
    const DdsHeaderDx10& dx10 = file.dx10;
    if (dx10.arraySize == 0) {
        return kHResultInvalidData;
    }
    if (BitsPerPixel(dx10.dxgiFormat) == 0) {
        return kHResultNotSupported;
    }
    shape.format = static_cast<Format>(dx10.dxgiFormat);
    shape.arraySize = dx10.arraySize;
    switch (dx10.resourceDimension) {
        case kDimensionTexture1D:
            if ((file.header.flags & kDdsdHeight) && shape.height != 1) {
                return kHResultInvalidData;
            }
            shape.dimension = TextureDimension::Texture1D;
            shape.height = 1;
            shape.depth = 1;
            return kS_OK;
        case kDimensionTexture2D:
            if (dx10.miscFlag & kMiscTextureCube) {
                if (shape.arraySize > kMaxArraySize / 6) {
                    return kHResultNotSupported;  // six faces each would pass the array limit
                }
                shape.arraySize *= 6;
                shape.cube = true;
            }
            shape.dimension = TextureDimension::Texture2D;
            shape.depth = 1;
            return kS_OK;
        case kDimensionTexture3D:
            if (!(file.header.flags & kDdsdDepth)) {
                return kHResultInvalidData;
            }
            if (shape.arraySize > 1) {
                return kHResultNotSupported;
            }
            shape.dimension = TextureDimension::Texture3D;
            return kS_OK;
        default:
            return kHResultNotSupported;
    }
}

HRESULT ChooseLegacyShape(const DdsFile& file, TextureShape& shape) {
    shape.format = LegacyFormat(file.header.pixelFormat);
    if (shape.format == Format::Unknown) {
        return kHResultNotSupported;
    }
    if (file.header.flags & kDdsdDepth) {
        shape.dimension = TextureDimension::Texture3D;
        return kS_OK;
    }
    shape.dimension = TextureDimension::Texture2D;
    shape.depth = 1;
    if (file.header.caps2 & kDdsCaps2Cubemap) {
        if ((file.header.caps2 & kDdsCaps2AllFaces) != kDdsCaps2AllFaces) {
            return kHResultNotSupported;
        }
        shape.arraySize = 6;
        shape.cube = true;
    }
    return kS_OK;
}

bool WithinLimits(const TextureShape& shape) {
    switch (shape.dimension) {
        case TextureDimension::Texture1D:
            return shape.arraySize <= kMaxArraySize && shape.width <= kMax1D2DSize;
        case TextureDimension::Texture2D:
            return shape.arraySize <= kMaxArraySize && shape.width <= kMax1D2DSize && shape.height <= kMax1D2DSize;
        case TextureDimension::Texture3D:
            return shape.arraySize == 1 && shape.width <= kMax3DSize && shape.height <= kMax3DSize &&
                   shape.depth <= kMax3DSize;
    }
    return false;
}

HRESULT ChooseShape(const DdsFile& file, TextureShape& shape) {
    shape.width = file.header.width;
    shape.height = file.header.height;
    shape.depth = file.header.depth;
    shape.mipLevels = std::max(file.header.mipMapCount, 1u);
    shape.arraySize = 1;
    const HRESULT result = file.hasDx10 ? ChooseDx10Shape(file, shape) : ChooseLegacyShape(file, shape);
    if (Failed(result)) {
        return result;
    }
    // A level without pixels would take no bytes here, while a device still
    // uploads at least one pixel per dimension.
    if (shape.width == 0 || shape.height == 0 || shape.depth == 0) {
        return kHResultInvalidData;
    }
    if (shape.mipLevels > kMaxMipLevels || !WithinLimits(shape)) {
        return kHResultNotSupported;
    }
    return kS_OK;
}

// The largest level size the device takes, used when the full size failed.
uint32_t SizeCapFor(uint32_t featureLevel, const TextureShape& shape) {
    const bool is3D = shape.dimension == TextureDimension::Texture3D;
    if (featureLevel >= kFeatureLevel10_0) {
        return is3D ? 2048 : 8192;
    }
    if (featureLevel >= kFeatureLevel9_3) {
        return is3D ? 256 : 4096;
    }
    if (is3D) {
        return 256;
    }
    return shape.cube ? 512 : 2048;
}

// Fills the subresource table, leaving out the levels above a non-zero cap.
// Every level's bytes are checked against the bytes the file holds here, and
// only here.
HRESULT FillSubresources(const DdsFile& file, const TextureShape& shape, uint32_t sizeCap, TextureData& out) {
    const uint32_t format = static_cast<uint32_t>(shape.format);
    const uint8_t* const end = file.bytes + file.size;
    const uint8_t* data = file.bytes + file.dataOffset;
    uint32_t skippedLevels = 0;
    bool haveFirstLevel = false;
    out.subresources.clear();
    out.subresources.reserve(static_cast<size_t>(shape.mipLevels) * shape.arraySize);
    for (uint32_t item = 0; item < shape.arraySize; ++item) {
        uint32_t width = shape.width;
        uint32_t height = shape.height;
        uint32_t depth = shape.depth;
        for (uint32_t level = 0; level < shape.mipLevels; ++level) {
            const SurfaceSize size = GetSurfaceSize(width, height, format);
            const uint64_t levelBytes = size.levelBytes * depth;
            if (levelBytes > static_cast<uint64_t>(end - data)) {
                return kHResultHandleEof;
            }
            const bool overCap = sizeCap != 0 && shape.mipLevels > 1 &&
                                 (width > sizeCap || height > sizeCap || depth > sizeCap);
            if (!overCap) {
                if (!haveFirstLevel) {
                    haveFirstLevel = true;
                    out.desc.width = width;
                    out.desc.height = height;
                    out.desc.depth = depth;
                }
                out.subresources.push_back({data, static_cast<uint32_t>(size.rowBytes),
                                            static_cast<uint32_t>(size.levelBytes)});
            } else if (item == 0) {
                ++skippedLevels;
            }
            data += levelBytes;
            width = std::max(width / 2, 1u);
            height = std::max(height / 2, 1u);
            depth = std::max(depth / 2, 1u);
        }
    }
    if (out.subresources.empty()) {
        return kE_FAIL;
    }
    out.desc.dimension = shape.dimension;
    out.desc.mipLevels = shape.mipLevels - skippedLevels;
    out.desc.arraySize = shape.arraySize;
    out.desc.format = shape.format;
    out.desc.cube = shape.cube;
    return kS_OK;
}

}  // namespace

HRESULT LoadDdsTexture(RenderDevice* device, const NativeChar* fileName, TextureViewHandle* view) {
    if (view != nullptr) {
        *view = TextureViewHandle{};
    }
    if (device == nullptr || fileName == nullptr || view == nullptr) {
        return kE_INVALIDARG;
    }
    std::unique_ptr<uint8_t[]> bytes;
    uint64_t size = 0;
    const HRESULT result = ReadNativeFile(fileName, kDdsLegacyDataOffset, bytes, size);
    if (Failed(result)) {
        return result;
    }
    return LoadDdsTextureFromMemory(device, bytes.get(), size, view);
}

HRESULT LoadDdsTextureFromMemory(RenderDevice* device, const uint8_t* bytes, uint64_t size, TextureViewHandle* view) {
    if (view != nullptr) {
        *view = TextureViewHandle{};
    }
    if (device == nullptr || bytes == nullptr || view == nullptr) {
        return kE_INVALIDARG;
    }
    DdsFile file;
    file.bytes = bytes;
    file.size = size;
    TextureShape shape;
    HRESULT result = CheckHeaders(file);
    if (!Failed(result)) {
        result = ChooseShape(file, shape);
    }
    if (Failed(result)) {
        return result;
    }
    TextureData texture;
    result = FillSubresources(file, shape, 0, texture);
    if (Failed(result)) {
        return result;
    }
    if (!device->SupportsTextureFormat(shape.format)) {
        return kHResultNotSupported;
    }
    if (device->CreateTexture(texture.desc, texture.subresources.data(), *view)) {
        return kS_OK;
    }
    if (shape.mipLevels <= 1) {
        return kE_FAIL;
    }
    result = FillSubresources(file, shape, SizeCapFor(device->FeatureLevel(), shape), texture);
    if (Failed(result)) {
        return result;
    }
    return device->CreateTexture(texture.desc, texture.subresources.data(), *view) ? kS_OK : kE_FAIL;
}

const char* DescribeDdsResult(HRESULT result) {
    switch (static_cast<uint32_t>(result)) {
        case static_cast<uint32_t>(kS_OK):
            return "loaded";
        case static_cast<uint32_t>(kE_INVALIDARG):
            return "no device, file name or view";
        case static_cast<uint32_t>(kE_OUTOFMEMORY):
            return "out of memory";
        case static_cast<uint32_t>(kHResultFileNotFound):
            return "no such file";
        case static_cast<uint32_t>(kHResultPathNotFound):
            return "its folder does not exist";
        case static_cast<uint32_t>(kHResultAccessDenied):
            return "it cannot be opened (a folder or no permission)";
        case static_cast<uint32_t>(kHResultHandleEof):
            return "the file ends before its pixel data does";
        case static_cast<uint32_t>(kHResultNotSupported):
            return "a texture format, shape or size this program does not support";
        case static_cast<uint32_t>(kHResultInvalidData):
            return "the DDS header describes no valid texture";
        default:
            return "not a DDS file, or the device refused the texture";
    }
}
