#pragma once

#include <string>
#include <vector>

#include "GlyphAtlas.h"
#include "ScratchFolder.h"

// A scratch folder holding a font info file (glyph i: u i/100..(i+1)/100,
// i % 7 pixels wide), a small font texture and a font shader pair, with the
// settings pointed at it. Captures shown messages while it lives.
class TextTestFiles {
public:
    TextTestFiles();
    ~TextTestFiles();

    std::string PathOf(const std::string& name) const { return folder_.File(name); }
    void Write(const std::string& name, const std::string& contents) const;
    void Remove(const std::string& name) const;
    void WriteFontInfo(const std::vector<GlyphRecord>& records) const;

    static std::vector<std::string> messages;

private:
    ScratchFolder folder_;
};
