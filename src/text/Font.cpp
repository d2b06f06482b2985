#include "text/Font.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include "config/Settings.h"  // NativePath
#include "graphics/DDSTextureLoader.h"
#include "platform/ErrorMessage.h"
#include "platform/Files.h"

namespace {
// The longest texture path the font accepts.
constexpr size_t kMaximumImagePathLength = 99;

// The texture's name as the loader takes it: on Windows the setting as it
// stands, widened with mbstowcs_s into a buffer of 100 wide characters;
// elsewhere the path with this system's folder separator. False when the name
// does not fit.
bool TextureFileName(const std::string& setting, NativeString& out) {
    if (setting.size() > kMaximumImagePathLength) {
        return false;
    }
#ifdef _WIN32
    wchar_t wide[kMaximumImagePathLength + 1];
    size_t converted = 0;
    if (mbstowcs_s(&converted, wide, kMaximumImagePathLength + 1, setting.c_str(), _TRUNCATE) != 0) {
        return false;
    }
    out = wide;
#else
    out = NativePath(setting);
#endif
    return true;
}

void SkipPastNextSpace(std::istream& in) {
    char c = 0;
    while (in.get(c) && c != ' ') {
    }
}

void ReadGlyphRecord(std::istream& in, Glyph& glyph) {
    SkipPastNextSpace(in);  // character code
    SkipPastNextSpace(in);  // the character itself, a blank for the space
    in >> glyph.left >> glyph.right >> glyph.width;
}
}  // namespace

Font::Font() : height_(16.0f), glyphs_(nullptr), textureView_() {}

Font::~Font() = default;

bool Font::Initialize(RenderDevice& device, const FontFiles& files) {
    height_ = files.size;
    const std::string& imagePath = files.imageFilename;
    NativeString textureName;
    if (!TextureFileName(imagePath, textureName)) {
        ReportDiagnostic("fontImageFilename %s is longer than %d characters", imagePath.c_str(),
                         static_cast<int>(kMaximumImagePathLength));
        return false;
    }
    if (!ReadFontInfo(files.infoFilename)) {
        return false;
    }
    if (textureView_) {
        device.Release(textureView_);  // from an earlier start
    }
    const HRESULT result = LoadDdsTexture(&device, textureName.c_str(), &textureView_);
    if (result < 0) {
        ReportDiagnostic("cannot load the font texture %s (fontImageFilename): %s (working directory %s)",
                         imagePath.c_str(), DescribeDdsResult(result), WorkingDirectory().c_str());
        return false;
    }
    return true;
}

bool Font::ReadFontInfo(const std::string& infoFilename) {
    glyphs_.reset(new Glyph[kGlyphCount]());
    const std::string path = NativePath(infoFilename);
    std::ifstream in(path);
    if (!IsRegularFile(path) || !in) {
        ReportDiagnostic("cannot open the font info file %s (fontInfoFilename): %s (working directory %s)",
                         path.c_str(), DescribeUnreadableFile(path).c_str(), WorkingDirectory().c_str());
        return false;
    }
    ReadFontInfo(in);
    return true;
}

void Font::ReadFontInfo(std::istream& in) {
    glyphs_.reset(new Glyph[kGlyphCount]());
    for (int i = 0; i < kGlyphCount; ++i) {
        ReadGlyphRecord(in, glyphs_[i]);
    }
}

int Font::BuildGlyphQuads(FontVertex* vertices, int glyphLimit, const char* text, float drawX, float drawY) const {
    int written = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        const int index = static_cast<signed char>(*c) - kFirstCode;
        if (index == 0) {
            drawX += kSpaceAdvance;
            continue;
        }
        if (index < 0 || index >= kGlyphCount) {
            continue;
        }
        if (written >= glyphLimit) {
            break;
        }
        const Glyph& glyph = glyphs_[index];
        WriteQuad(vertices + 6 * written, glyph, drawX, drawY);
        ++written;
        drawX += static_cast<float>(glyph.width) + 1.0f;
    }
    return written;
}

// Two clockwise triangles: top left, bottom right, bottom left; top left,
// top right, bottom right.
void Font::WriteQuad(FontVertex* quad, const Glyph& glyph, float drawX, float drawY) const {
    const float right = drawX + static_cast<float>(glyph.width);
    const float bottom = drawY - height_;
    quad[0] = {drawX, drawY, 0.0f, glyph.left, 0.0f};
    quad[1] = {right, bottom, 0.0f, glyph.right, 1.0f};
    quad[2] = {drawX, bottom, 0.0f, glyph.left, 1.0f};
    quad[3] = {drawX, drawY, 0.0f, glyph.left, 0.0f};
    quad[4] = {right, drawY, 0.0f, glyph.right, 0.0f};
    quad[5] = {right, bottom, 0.0f, glyph.right, 1.0f};
}

void Font::Shutdown(RenderDevice& device) {
    glyphs_.reset();
    if (textureView_) {
        device.Release(textureView_);
    }
}
