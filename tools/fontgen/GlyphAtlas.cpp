#include "GlyphAtlas.h"

#include <cstdio>
#include <cstring>
#include <ostream>

#include "graphics/DdsFormat.h"

namespace {
constexpr int kPadding = 1;

void WriteWord(std::ostream& out, uint32_t value) {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
    out.write(bytes, 4);
}

void CopyGlyph(const GlyphImage& glyph, int column, GlyphAtlas& atlas) {
    for (int row = 0; row < glyph.height && row < atlas.height; ++row) {
        for (int x = 0; x < glyph.width; ++x) {
            atlas.coverage[static_cast<size_t>(row) * atlas.width + column + x] =
                glyph.coverage[static_cast<size_t>(row) * glyph.width + x];
        }
    }
}

// White glyphs whose alpha is their coverage, premultiplied, in uncompressed
// 32-bit R8G8B8A8 with one mip level.
DdsHeader HeaderOf(const GlyphAtlas& atlas) {
    const auto width = static_cast<uint32_t>(atlas.width);
    return DdsHeader{
        .size = kDdsHeaderSize,
        .flags = kDdsdCaps | kDdsdHeight | kDdsdWidth | kDdsdPitch | kDdsdPixelFormat | kDdsdMipMapCount,
        .height = static_cast<uint32_t>(atlas.height),
        .width = width,
        .pitchOrLinearSize = width * 4,
        .mipMapCount = 1,
        .pixelFormat = {.size = kDdsPixelFormatSize,
                        .flags = kDdpfRgb | kDdpfAlphaPixels,
                        .rgbBitCount = 32,
                        .redMask = 0x000000FF,
                        .greenMask = 0x0000FF00,
                        .blueMask = 0x00FF0000,
                        .alphaMask = 0xFF000000},
        .caps = kDdsCapsTexture,
    };
}

// Word by word, so that the file is little-endian whatever the machine.
void WriteDdsHeader(std::ostream& out, const GlyphAtlas& atlas) {
    const DdsHeader header = HeaderOf(atlas);
    uint32_t words[sizeof header / sizeof(uint32_t)];
    std::memcpy(words, &header, sizeof header);
    WriteWord(out, kDdsMagic);
    for (const uint32_t word : words) {
        WriteWord(out, word);
    }
}
}  // namespace

GlyphAtlas PackGlyphRow(const std::vector<GlyphImage>& glyphs, int height) {
    GlyphAtlas atlas;
    atlas.height = height;
    atlas.width = kPadding;
    for (const GlyphImage& glyph : glyphs) {
        atlas.width += glyph.width + kPadding;
    }
    atlas.coverage.assign(static_cast<size_t>(atlas.width) * height, 0);

    int column = kPadding;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        CopyGlyph(glyphs[i], column, atlas);
        GlyphRecord record;
        record.code = kFirstPrintableCode + static_cast<int>(i);
        record.left = static_cast<float>(column) / static_cast<float>(atlas.width);
        record.right = static_cast<float>(column + glyphs[i].width) / static_cast<float>(atlas.width);
        record.width = glyphs[i].width;
        atlas.records.push_back(record);
        column += glyphs[i].width + kPadding;
    }
    return atlas;
}

void WriteDds(std::ostream& out, const GlyphAtlas& atlas) {
    WriteDdsHeader(out, atlas);
    for (uint8_t alpha : atlas.coverage) {
        const char pixel[4] = {static_cast<char>(alpha), static_cast<char>(alpha), static_cast<char>(alpha),
                               static_cast<char>(alpha)};
        out.write(pixel, 4);
    }
}

void WriteFontInfo(std::ostream& out, const GlyphAtlas& atlas) {
    for (const GlyphRecord& record : atlas.records) {
        char line[96];
        std::snprintf(line, sizeof line, "%d %c %.9g %.9g %d\n", record.code, static_cast<char>(record.code),
                      record.left, record.right, record.width);
        out << line;
    }
}
