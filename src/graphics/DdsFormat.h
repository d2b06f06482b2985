#pragma once

#include <cstdint>

#include "graphics/RenderDevice.h"

// The layout of a DDS file and the size rules of its pixel formats.

constexpr uint32_t kDdsMagic = 0x20534444;  // "DDS " in file order
constexpr uint32_t kDdsHeaderSize = 124;
constexpr uint32_t kDdsPixelFormatSize = 32;
constexpr uint32_t kDdsLegacyDataOffset = 4 + kDdsHeaderSize;
constexpr uint32_t kDdsDx10DataOffset = kDdsLegacyDataOffset + 20;

// Pixel format flags.
constexpr uint32_t kDdpfAlphaPixels = 0x1;
constexpr uint32_t kDdpfAlpha = 0x2;
constexpr uint32_t kDdpfFourCc = 0x4;
constexpr uint32_t kDdpfRgb = 0x40;
constexpr uint32_t kDdpfLuminance = 0x20000;
// Header flags and caps.
constexpr uint32_t kDdsdCaps = 0x1;
constexpr uint32_t kDdsdHeight = 0x2;
constexpr uint32_t kDdsdWidth = 0x4;
constexpr uint32_t kDdsdPitch = 0x8;
constexpr uint32_t kDdsdPixelFormat = 0x1000;
constexpr uint32_t kDdsdMipMapCount = 0x20000;
constexpr uint32_t kDdsdDepth = 0x800000;
constexpr uint32_t kDdsCapsTexture = 0x1000;
constexpr uint32_t kDdsCaps2Cubemap = 0x200;
constexpr uint32_t kDdsCaps2AllFaces = 0xFE00;
// DX10 extension: resource dimensions and the cube flag.
constexpr uint32_t kDimensionTexture1D = 2;
constexpr uint32_t kDimensionTexture2D = 3;
constexpr uint32_t kDimensionTexture3D = 4;
constexpr uint32_t kMiscTextureCube = 0x4;

constexpr uint32_t MakeFourCc(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) | (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

struct DdsPixelFormat {
    uint32_t size = 0;
    uint32_t flags = 0;
    uint32_t fourCc = 0;
    uint32_t rgbBitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
};

struct DdsHeader {
    uint32_t size = 0;
    uint32_t flags = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    uint32_t pitchOrLinearSize = 0;
    uint32_t depth = 0;
    uint32_t mipMapCount = 0;
    uint32_t reserved1[11] = {};
    DdsPixelFormat pixelFormat;
    uint32_t caps = 0;
    uint32_t caps2 = 0;
    uint32_t caps3 = 0;
    uint32_t caps4 = 0;
    uint32_t reserved2 = 0;
};

struct DdsHeaderDx10 {
    uint32_t dxgiFormat = 0;
    uint32_t resourceDimension = 0;
    uint32_t miscFlag = 0;
    uint32_t arraySize = 0;
    uint32_t miscFlags2 = 0;
};

static_assert(sizeof(DdsHeader) == kDdsHeaderSize, "the DDS header is 124 bytes");
static_assert(sizeof(DdsHeaderDx10) == 20, "the DX10 extension is 20 bytes");

// Bits per pixel of a DXGI format code; 0 for codes without a size
// (0 and everything above 99). Block-compressed formats count 4 or 8.
uint32_t BitsPerPixel(uint32_t dxgiFormat);

struct SurfaceSize {
    uint64_t rowBytes = 0;
    uint64_t rows = 0;
    uint64_t levelBytes = 0;
};

// Bytes of one mip level of one depth slice.
SurfaceSize GetSurfaceSize(uint32_t width, uint32_t height, uint32_t dxgiFormat);

// The DXGI format of a legacy (non-DX10) pixel format; Unknown when none fits.
Format LegacyFormat(const DdsPixelFormat& pixelFormat);
