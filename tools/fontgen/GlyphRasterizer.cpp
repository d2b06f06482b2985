#include "GlyphRasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace {

// Releases the library and the face on every path.
class FreeTypeFace {
public:
    ~FreeTypeFace() {
        if (face_ != nullptr) {
            FT_Done_Face(face_);
        }
        if (library_ != nullptr) {
            FT_Done_FreeType(library_);
        }
    }

    bool Open(const std::string& path) {
        return FT_Init_FreeType(&library_) == 0 && FT_New_Face(library_, path.c_str(), 0, &face_) == 0;
    }

    FT_Face Face() const { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

struct VerticalExtent {
    int above = 0;  // rows above the baseline
    int below = 0;  // rows below it
};

bool LoadRendered(FT_Face face, int code) { return FT_Load_Char(face, code, FT_LOAD_RENDER) == 0; }

bool MeasureAtSize(FT_Face face, int pixelSize, VerticalExtent& extent) {
    if (FT_Set_Pixel_Sizes(face, 0, pixelSize) != 0) {
        return false;
    }
    extent = VerticalExtent{};
    for (int code = kFirstPrintableCode; code < kFirstPrintableCode + kPrintableCount; ++code) {
        if (!LoadRendered(face, code)) {
            return false;
        }
        const FT_GlyphSlot slot = face->glyph;
        if (slot->bitmap.rows == 0) {
            continue;
        }
        extent.above = std::max(extent.above, slot->bitmap_top);
        extent.below = std::max(extent.below, static_cast<int>(slot->bitmap.rows) - slot->bitmap_top);
    }
    return true;
}

// The largest pixel size up to the maximum whose glyphs all fit the cell, or 0.
int ChooseFittingSize(FT_Face face, int cellHeight, int maximumPixelSize, VerticalExtent& extent) {
    for (int pixelSize = std::min(cellHeight, maximumPixelSize); pixelSize > 0; --pixelSize) {
        if (MeasureAtSize(face, pixelSize, extent) && extent.above + extent.below <= cellHeight) {
            return pixelSize;
        }
    }
    return 0;
}

GlyphImage CopyIntoCell(const FT_Bitmap& bitmap, int top, int baselineRow, int cellHeight) {
    GlyphImage image;
    image.width = static_cast<int>(bitmap.width);
    image.height = cellHeight;
    image.coverage.assign(static_cast<size_t>(image.width) * cellHeight, 0);
    const int firstRow = baselineRow - top;
    for (int row = 0; row < static_cast<int>(bitmap.rows); ++row) {
        const int cellRow = firstRow + row;
        if (cellRow < 0 || cellRow >= cellHeight) {
            continue;
        }
        const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        std::copy(source, source + image.width, image.coverage.begin() + static_cast<ptrdiff_t>(cellRow) * image.width);
    }
    return image;
}

}  // namespace

bool RenderPrintableGlyphs(const std::string& fontPath, int cellHeight, int maximumPixelSize,
                           std::vector<GlyphImage>& glyphs, std::string& error) {
    FreeTypeFace font;
    if (!font.Open(fontPath)) {
        error = "cannot open font " + fontPath;
        return false;
    }
    VerticalExtent extent;
    if (ChooseFittingSize(font.Face(), cellHeight, maximumPixelSize, extent) == 0) {
        error = "no pixel size fits a cell of the requested height";
        return false;
    }
    // Spare rows are shared out evenly above and below the glyphs.
    const int baselineRow = extent.above + (cellHeight - extent.above - extent.below) / 2;
    glyphs.clear();
    for (int code = kFirstPrintableCode; code < kFirstPrintableCode + kPrintableCount; ++code) {
        if (!LoadRendered(font.Face(), code)) {
            error = "cannot render character " + std::to_string(code);
            return false;
        }
        const FT_GlyphSlot slot = font.Face()->glyph;
        glyphs.push_back(CopyIntoCell(slot->bitmap, slot->bitmap_top, baselineRow, cellHeight));
    }
    return true;
}
