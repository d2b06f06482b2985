// The font info reader on any text, then glyph quads built from what it read
// for a text of any characters.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "text/Font.h"

namespace {
volatile float g_sink;
constexpr int kGlyphLimit = 16;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    Font font;
    font.ReadFontInfo(in);
    FontVertex vertices[6 * kGlyphLimit] = {};
    const int written = font.BuildGlyphQuads(vertices, kGlyphLimit, text.substr(0, 64).c_str(), -320.0f, 180.0f);
    for (int i = 0; i < 6 * written; ++i) {
        g_sink = vertices[i].x + vertices[i].u;
    }
    return 0;
}
