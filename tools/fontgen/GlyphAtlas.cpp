#include "GlyphAtlas.h"

#include <cstdio>
#include <ostream>

#include "graphics/DdsFormat.h"

namespace {
constexpr int kPadding = 1;

constexpr uint32_t kFlagsCapsHeightWidthPitchPixelFormatMips = 0x1 | kDdsdHeight | 0x4 | 0x8 | 0x1000 | 0x20000;
constexpr uint32_t kPixelFormatRgbWithAlpha = kDdpfRgb | 0x1;
constexpr uint32_t kCapsTexture = 0x1000;

void WriteWord(std::ostream& out, uint32_t value) {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
    out.write(bytes, 4);
}

void WriteZeroWords(std::ostream& out, int count) {
    for (int i = 0; i < count; ++i) {
        WriteWord(out, 0);
    }
}

void CopyGlyph(const GlyphImage& glyph, int column, GlyphAtlas& atlas) {
    for (int row = 0; row < glyph.height && row < atlas.height; ++row) {
        for (int x = 0; x < glyph.width; ++x) {
            atlas.coverage[static_cast<size_t>(row) * atlas.width + column + x] =
                glyph.coverage[static_cast<size_t>(row) * glyph.width + x];
        }
    }
}

void WriteDdsHeader(std::ostream& out, const GlyphAtlas& atlas) {
    WriteWord(out, kDdsMagic);
    WriteWord(out, kDdsHeaderSize);
    WriteWord(out, kFlagsCapsHeightWidthPitchPixelFormatMips);
    WriteWord(out, static_cast<uint32_t>(atlas.height));
    WriteWord(out, static_cast<uint32_t>(atlas.width));
    WriteWord(out, static_cast<uint32_t>(atlas.width) * 4);  // row pitch
    WriteWord(out, 0);                                       // depth
    WriteWord(out, 1);                                       // mip levels
    WriteZeroWords(out, 11);
    WriteWord(out, kDdsPixelFormatSize);
    WriteWord(out, kPixelFormatRgbWithAlpha);
    WriteWord(out, 0);  // no FourCC
    WriteWord(out, 32);
    WriteWord(out, 0x000000FF);
    WriteWord(out, 0x0000FF00);
    WriteWord(out, 0x00FF0000);
    WriteWord(out, 0xFF000000);
    WriteWord(out, kCapsTexture);
    WriteZeroWords(out, 4);  // caps2, caps3, caps4, reserved
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
