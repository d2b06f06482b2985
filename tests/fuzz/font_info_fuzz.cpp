// The font info reader on any text, as the font reads its file, then glyph
// quads built from what it read for a text of any characters.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/Settings.h"
#include "platform/ErrorMessage.h"
#include "text/Font.h"

namespace {
volatile float g_sink;
constexpr int kGlyphLimit = 16;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / "voxmere-font-info-fuzz.txt").string();
    SetErrorMessagesOnStderr(false);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Config().fontInfoFilename = path;
    Font font;
    if (!font.ReadFontInfo()) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
    FontVertex vertices[6 * kGlyphLimit] = {};
    const int written = font.BuildGlyphQuads(vertices, kGlyphLimit, text.c_str(), -320.0f, 180.0f);
    for (int i = 0; i < 6 * written; ++i) {
        g_sink = vertices[i].x + vertices[i].u;
    }
    return 0;
}
