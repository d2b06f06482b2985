#pragma once

#include <filesystem>
#include <sstream>

#include "GlyphAtlas.h"
#include "MessageCapture.h"
#include "ScratchFolder.h"
#include "config/Settings.h"

// A scratch folder holding a font info file (glyph i: u i/100..(i+1)/100, i % 7 pixels wide), a small font texture
// and a font shader pair, with the settings pointed at it. Captures shown messages while it lives.
class TextTestFiles : public ScratchFolder {
public:
    TextTestFiles() : ScratchFolder("voxmere-text") {
        Config() = TypedSettings{};
        Config().fontInfoFilename = File("fontInfo.txt");
        Config().fontImageFilename = File("font.dds");
        Config().fontShaderName = File("Font");
        GlyphAtlas atlas;
        for (int i = 0; i < kPrintableCount; ++i) {
            atlas.records.push_back({32 + i, i / 100.0f, (i + 1) / 100.0f, i % 7});
        }
        std::ostringstream info, image;
        WriteFontInfo(info, atlas);
        Write("fontInfo.txt", info.str());
        const GlyphImage glyph{2, 4, std::vector<uint8_t>(8, 255)};
        WriteDds(image, PackGlyphRow({glyph, glyph}, 4));
        Write("font.dds", image.str());
        Write("Font_VS.glsl", "vertex");
        Write("Font_PS.glsl", "pixel");
    }
    ~TextTestFiles() { Config() = TypedSettings{}; }
    void Remove(const std::string& name) const { std::filesystem::remove(File(name)); }

    MessageCapture messages;
};
