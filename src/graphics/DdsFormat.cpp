#include "graphics/DdsFormat.h"

#include <algorithm>

namespace {

// Bits per pixel of DXGI formats 0 to 99, in code order.
constexpr uint8_t kBitsPerPixel[100] = {
    0,                                              // 0 unknown
    128, 128, 128, 128,                             // 1-4 R32G32B32A32
    96, 96, 96, 96,                                 // 5-8 R32G32B32
    64, 64, 64, 64, 64, 64,                         // 9-14 R16G16B16A16
    64, 64, 64, 64,                                 // 15-18 R32G32
    64, 64, 64, 64,                                 // 19-22 R32G8X24 and its views
    32, 32, 32, 32,                                 // 23-26 R10G10B10A2, R11G11B10
    32, 32, 32, 32, 32, 32,                         // 27-32 R8G8B8A8
    32, 32, 32, 32, 32, 32,                         // 33-38 R16G16
    32, 32, 32, 32, 32,                             // 39-43 R32
    32, 32, 32, 32,                                 // 44-47 R24G8 and its views
    16, 16, 16, 16, 16,                             // 48-52 R8G8
    16, 16, 16, 16, 16, 16, 16,                     // 53-59 R16
    8, 8, 8, 8, 8, 8,                               // 60-65 R8, A8
    1,                                              // 66 R1
    32, 32, 32,                                     // 67-69 R9G9B9E5, R8G8_B8G8, G8R8_G8B8
    4, 4, 4,                                        // 70-72 BC1
    8, 8, 8,                                        // 73-75 BC2
    8, 8, 8,                                        // 76-78 BC3
    4, 4, 4,                                        // 79-81 BC4
    8, 8, 8,                                        // 82-84 BC5
    16, 16,                                         // 85-86 B5G6R5, B5G5R5A1
    32, 32, 32, 32, 32, 32, 32,                     // 87-93 B8G8R8A8, B8G8R8X8 and relatives
    8, 8, 8,                                        // 94-96 BC6H
    8, 8, 8,                                        // 97-99 BC7
};

// Bytes per 4x4 block of a block-compressed format; 0 for other formats.
uint32_t BlockBytes(uint32_t dxgiFormat) {
    if ((dxgiFormat >= 70 && dxgiFormat <= 72) || (dxgiFormat >= 79 && dxgiFormat <= 81)) {
        return 8;
    }
    if ((dxgiFormat >= 73 && dxgiFormat <= 78) || (dxgiFormat >= 82 && dxgiFormat <= 84) ||
        (dxgiFormat >= 94 && dxgiFormat <= 99)) {
        return 16;
    }
    return 0;
}

bool IsPacked(uint32_t dxgiFormat) {
    return dxgiFormat == static_cast<uint32_t>(Format::R8G8_B8G8_UNorm) ||
           dxgiFormat == static_cast<uint32_t>(Format::G8R8_G8B8_UNorm);
}

bool HasMasks(const DdsPixelFormat& pf, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return pf.redMask == r && pf.greenMask == g && pf.blueMask == b && pf.alphaMask == a;
}

Format RgbFormat(const DdsPixelFormat& pf) {
    if (pf.rgbBitCount == 32) {
        if (HasMasks(pf, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000)) return Format::R8G8B8A8_UNorm;
        if (HasMasks(pf, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)) return Format::B8G8R8A8_UNorm;
        if (HasMasks(pf, 0x00FF0000, 0x0000FF00, 0x000000FF, 0)) return Format::B8G8R8X8_UNorm;
        if (HasMasks(pf, 0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000)) return Format::R10G10B10A2_UNorm;
        if (HasMasks(pf, 0x0000FFFF, 0xFFFF0000, 0, 0)) return Format::R16G16_UNorm;
        if (HasMasks(pf, 0xFFFFFFFF, 0, 0, 0)) return Format::R32_Float;
    } else if (pf.rgbBitCount == 16) {
        if (HasMasks(pf, 0x7C00, 0x03E0, 0x001F, 0x8000)) return Format::B5G5R5A1_UNorm;
        if (HasMasks(pf, 0xF800, 0x07E0, 0x001F, 0)) return Format::B5G6R5_UNorm;
    }
    return Format::Unknown;
}

Format LuminanceFormat(const DdsPixelFormat& pf) {
    if (pf.rgbBitCount == 8 && HasMasks(pf, 0xFF, 0, 0, 0)) return Format::R8_UNorm;
    if (pf.rgbBitCount == 16 && HasMasks(pf, 0xFFFF, 0, 0, 0)) return Format::R16_UNorm;
    if (pf.rgbBitCount == 16 && HasMasks(pf, 0xFF, 0, 0, 0xFF00)) return Format::R8G8_UNorm;
    return Format::Unknown;
}

Format FourCcFormat(uint32_t fourCc) {
    struct Entry {
        uint32_t fourCc;
        Format format;
    };
    static const Entry kTable[] = {
        {MakeFourCc('D', 'X', 'T', '1'), Format::BC1_UNorm},
        {MakeFourCc('D', 'X', 'T', '2'), Format::BC2_UNorm},
        {MakeFourCc('D', 'X', 'T', '3'), Format::BC2_UNorm},
        {MakeFourCc('D', 'X', 'T', '4'), Format::BC3_UNorm},
        {MakeFourCc('D', 'X', 'T', '5'), Format::BC3_UNorm},
        {MakeFourCc('A', 'T', 'I', '1'), Format::BC4_UNorm},
        {MakeFourCc('B', 'C', '4', 'U'), Format::BC4_UNorm},
        {MakeFourCc('B', 'C', '4', 'S'), Format::BC4_SNorm},
        {MakeFourCc('A', 'T', 'I', '2'), Format::BC5_UNorm},
        {MakeFourCc('B', 'C', '5', 'U'), Format::BC5_UNorm},
        {MakeFourCc('B', 'C', '5', 'S'), Format::BC5_SNorm},
        {MakeFourCc('R', 'G', 'B', 'G'), Format::R8G8_B8G8_UNorm},
        {MakeFourCc('G', 'R', 'G', 'B'), Format::G8R8_G8B8_UNorm},
        {36, Format::R16G16B16A16_UNorm},
        {110, Format::R16G16B16A16_SNorm},
        {111, Format::R16_Float},
        {112, Format::R16G16_Float},
        {113, Format::R16G16B16A16_Float},
        {114, Format::R32_Float},
        {115, Format::R32G32_Float},
        {116, Format::R32G32B32A32_Float},
    };
    for (const Entry& entry : kTable) {
        if (entry.fourCc == fourCc) {
            return entry.format;
        }
    }
    return Format::Unknown;
}

}  // namespace

uint32_t BitsPerPixel(uint32_t dxgiFormat) {
    return dxgiFormat < sizeof kBitsPerPixel ? kBitsPerPixel[dxgiFormat] : 0;
}

SurfaceSize GetSurfaceSize(uint32_t width, uint32_t height, uint32_t dxgiFormat) {
    SurfaceSize size;
    const uint64_t w = width;
    const uint64_t h = height;
    if (const uint32_t blockBytes = BlockBytes(dxgiFormat); blockBytes != 0) {
        size.rowBytes = std::max<uint64_t>(1, (w + 3) / 4) * blockBytes;
        size.rows = std::max<uint64_t>(1, (h + 3) / 4);
    } else if (IsPacked(dxgiFormat)) {
        size.rowBytes = ((w + 1) / 2) * 4;
        size.rows = h;
    } else {
        size.rowBytes = (w * BitsPerPixel(dxgiFormat) + 7) / 8;
        size.rows = h;
    }
    size.levelBytes = size.rowBytes * size.rows;
    return size;
}

Format LegacyFormat(const DdsPixelFormat& pf) {
    if (pf.flags & kDdpfRgb) {
        return RgbFormat(pf);
    }
    if (pf.flags & kDdpfLuminance) {
        return LuminanceFormat(pf);
    }
    if (pf.flags & kDdpfAlpha) {
        return pf.rgbBitCount == 8 ? Format::A8_UNorm : Format::Unknown;
    }
    if (pf.flags & kDdpfFourCc) {
        return FourCcFormat(pf.fourCc);
    }
    return Format::Unknown;
}
