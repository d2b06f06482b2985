#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "graphics/Matrix.h"
#include "graphics/RenderDevice.h"
#include "text/TextSettings.h"

class Font;
class FontShader;
class GraphicsDevice;
struct OverlayLine;

// One drawable line: buffers sized once for its maximum length.
struct Sentence {
    int maximumLength = 0;
    int vertexCount = 0;
    int indexCount = 0;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;
    BufferHandle indexBuffer;
    BufferHandle vertexBuffer;
};

// Keeps one sentence per overlay line id and draws them all, in the order
// their ids were first seen, with the font shader.
class TextEngine {
public:
    static constexpr uint32_t kVertexStride = 20;

    TextEngine();
    ~TextEngine();
    TextEngine(const TextEngine&) = delete;
    TextEngine& operator=(const TextEngine&) = delete;

    bool Initialize(GraphicsDevice* graphics, int screenWidth, int screenHeight, const FontFiles& font);
    bool Initialize(RenderDevice& device, int screenWidth, int screenHeight, const FontFiles& font);
    void SetText(GraphicsDevice* graphics, const OverlayLine& line);
    void SetText(RenderDevice& device, const OverlayLine& line);
    // The world matrix is accepted for symmetry with the scene and not used.
    void Render(RenderDevice& device, const Matrix4& world, const Matrix4& ortho);
    void Shutdown(RenderDevice& device);

    const std::vector<Sentence>& Sentences() const { return sentences_; }

private:
    Sentence CreateSentence(RenderDevice& device, int maximumLength) const;
    void RefillSentence(RenderDevice& device, Sentence& sentence, const OverlayLine& line) const;
    void DrawSentence(RenderDevice& device, const Sentence& sentence) const;

    Font* font_;
    FontShader* fontShader_;
    Matrix4 baseView_;
    int screenWidth_;
    int screenHeight_;
    std::vector<Sentence> sentences_;
    std::map<uint32_t, size_t> indexById_;
};
