#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

// One glyph's coverage image, exactly as tall as the atlas, rows top first.
struct GlyphImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;  // width × height, 0 = empty, 255 = full
};

// Where one glyph lies in the atlas: texture u of its left and right edges and
// its width in pixels.
struct GlyphRecord {
    int code = 0;
    float left = 0.0f;
    float right = 0.0f;
    int width = 0;
};

// All glyphs side by side in one row, one empty column before, between and
// after them so that filtering never mixes neighbours.
struct GlyphAtlas {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;  // width × height, rows top first
    std::vector<GlyphRecord> records;
};

constexpr int kFirstPrintableCode = 32;
constexpr int kPrintableCount = 95;

// Glyph i of the list is the character code 32 + i.
GlyphAtlas PackGlyphRow(const std::vector<GlyphImage>& glyphs, int height);

// A DDS file of white glyphs with premultiplied alpha: uncompressed 32-bit
// R8G8B8A8, one mip level.
void WriteDds(std::ostream& out, const GlyphAtlas& atlas);

// One record per line: "code character left right width".
void WriteFontInfo(std::ostream& out, const GlyphAtlas& atlas);
