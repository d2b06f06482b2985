#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "graphics/RenderDevice.h"
#include "text/TextSettings.h"

// One vertex of a glyph quad: screen-centred pixel position and texture
// coordinates (20 bytes).
struct FontVertex {
    float x;
    float y;
    float z;
    float u;
    float v;
};

// Where a glyph lies in the font texture and how wide it is drawn.
struct Glyph {
    float left;
    float right;
    int width;
};

// The bitmap font: one texture holding every glyph of the codes 32..126 in a
// single row, the glyph records of the font info file and the glyph height.
class Font {
public:
    static constexpr int kGlyphCount = 95;
    static constexpr int kFirstCode = 32;
    static constexpr float kSpaceAdvance = 5.0f;

    Font();
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    bool Initialize(RenderDevice& device, const FontFiles& files);
    bool ReadFontInfo(const std::string& infoFilename);
    // The 95 glyph records of a font info text: each record skips its code
    // and its character (each ended by one space), then reads left, right and
    // width. Glyphs a short or malformed text does not reach stay zero.
    void ReadFontInfo(std::istream& in);
    // Writes six vertices per drawn character, at most glyphLimit groups.
    // Characters without a glyph (below 32 or above 126) are skipped.
    // Returns the number of groups written.
    int BuildGlyphQuads(FontVertex* vertices, int glyphLimit, const char* text, float drawX, float drawY) const;
    void Shutdown(RenderDevice& device);

    float Height() const { return height_; }
    TextureViewHandle TextureView() const { return textureView_; }
    // Null until the font info has been read.
    const Glyph* Glyphs() const { return glyphs_.get(); }

private:
    void WriteQuad(FontVertex* quad, const Glyph& glyph, float drawX, float drawY) const;

    float height_;
    std::unique_ptr<Glyph[]> glyphs_;
    TextureViewHandle textureView_;
};
