#include "TextTestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/Settings.h"
#include "platform/ErrorMessage.h"

std::vector<std::string> TextTestFiles::messages;

TextTestFiles::TextTestFiles() : folder_("voxmere-text") {
    Config() = TypedSettings{};
    Config().fontInfoFilename = PathOf("fontInfo.txt");
    Config().fontImageFilename = PathOf("font.dds");
    Config().fontShaderName = PathOf("Font");
    std::vector<GlyphRecord> records;
    for (int i = 0; i < kPrintableCount; ++i) records.push_back({kFirstPrintableCode + i, i / 100.0f, (i + 1) / 100.0f, i % 7});
    WriteFontInfo(records);
    const GlyphImage glyph{2, 4, std::vector<uint8_t>(8, 255)};
    std::ostringstream image;
    WriteDds(image, PackGlyphRow({glyph, glyph}, 4));
    Write("font.dds", image.str());
    Write("Font_VS.glsl", "vertex");
    Write("Font_PS.glsl", "pixel");
    messages.clear();
    SetErrorMessageSink([](const char* text) { messages.push_back(text); });
}

TextTestFiles::~TextTestFiles() {
    SetErrorMessageSink(nullptr);
    Config() = TypedSettings{};
}

void TextTestFiles::Write(const std::string& name, const std::string& contents) const {
    std::ofstream(PathOf(name), std::ios::binary) << contents;
}

void TextTestFiles::Remove(const std::string& name) const { std::filesystem::remove(PathOf(name)); }

void TextTestFiles::WriteFontInfo(const std::vector<GlyphRecord>& records) const {
    GlyphAtlas atlas;
    atlas.records = records;
    std::ostringstream text;
    ::WriteFontInfo(text, atlas);
    Write("fontInfo.txt", text.str());
}
