// Builds the overlay's font files from a TrueType font:
//   voxmere_fontgen <font.ttf> <cell height> <largest pixel size> <font.dds> <fontInfo.txt>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "GlyphAtlas.h"
#include "GlyphRasterizer.h"

namespace {
int Fail(const std::string& reason) {
    std::fprintf(stderr, "voxmere_fontgen: %s\n", reason.c_str());
    return 1;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        return Fail("usage: voxmere_fontgen <font.ttf> <cell height> <largest pixel size> <font.dds> <fontInfo.txt>");
    }
    const int cellHeight = std::atoi(argv[2]);
    const int maximumPixelSize = std::atoi(argv[3]);
    if (cellHeight <= 0 || maximumPixelSize <= 0) {
        return Fail("the cell height and the pixel size must be positive numbers of pixels");
    }
    std::vector<GlyphImage> glyphs;
    std::string error;
    if (!RenderPrintableGlyphs(argv[1], cellHeight, maximumPixelSize, glyphs, error)) {
        return Fail(error);
    }
    const GlyphAtlas atlas = PackGlyphRow(glyphs, cellHeight);

    std::ofstream image(argv[4], std::ios::binary);
    WriteDds(image, atlas);
    std::ofstream info(argv[5]);
    WriteFontInfo(info, atlas);
    if (!image || !info) {
        return Fail("cannot write the output files");
    }
    return 0;
}
