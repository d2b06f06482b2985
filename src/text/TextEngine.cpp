#include "text/TextEngine.h"

#include <cstring>
#include <numeric>

#include "graphics/GraphicsDevice.h"
#include "platform/ErrorMessage.h"
#include "text/Font.h"
#include "text/FontShader.h"
#include "text/OverlayRegistry.h"

static_assert(sizeof(FontVertex) == TextEngine::kVertexStride, "font vertices are five packed floats");

TextEngine::TextEngine() : font_(nullptr), fontShader_(nullptr), baseView_(), screenWidth_(0), screenHeight_(0) {}

TextEngine::~TextEngine() {
    delete fontShader_;
    delete font_;
}

bool TextEngine::Initialize(GraphicsDevice* graphics, int screenWidth, int screenHeight, const FontFiles& font) {
    return Initialize(*graphics->Device(), screenWidth, screenHeight, font);
}

bool TextEngine::Initialize(RenderDevice& device, int screenWidth, int screenHeight, const FontFiles& font) {
    Shutdown(device);  // what an earlier start made, failed or not
    screenWidth_ = screenWidth;
    screenHeight_ = screenHeight;
    baseView_ = Matrix4::Identity();
    font_ = new Font();
    if (!font_->Initialize(device, font)) {
        return false;
    }
    fontShader_ = new FontShader();
    return fontShader_->Initialize(device, font.shaderName);
}

void TextEngine::SetText(GraphicsDevice* graphics, const OverlayLine& line) { SetText(*graphics->Device(), line); }

void TextEngine::SetText(RenderDevice& device, const OverlayLine& line) {
    const auto found = indexById_.find(line.id);
    if (found != indexById_.end()) {
        RefillSentence(device, sentences_[found->second], line);
        return;
    }
    Sentence sentence = CreateSentence(device, line.maximumLength);
    RefillSentence(device, sentence, line);
    sentences_.push_back(sentence);
    indexById_[line.id] = sentences_.size() - 1;
}

Sentence TextEngine::CreateSentence(RenderDevice& device, int maximumLength) const {
    Sentence sentence;
    sentence.maximumLength = maximumLength < 0 ? 0 : maximumLength;
    sentence.vertexCount = 6 * sentence.maximumLength;
    sentence.indexCount = sentence.vertexCount;

    const std::vector<FontVertex> zeroVertices(sentence.vertexCount, FontVertex{});
    const BufferDesc vertexDesc{
        .byteWidth = kVertexStride * sentence.vertexCount, .usage = Usage::Dynamic, .cpuWrite = true};
    if (!device.CreateBuffer(vertexDesc, zeroVertices.data(), sentence.vertexBuffer)) {
        ShowErrorMessage("failed to create font vertex buffer");
    }

    std::vector<uint32_t> indices(sentence.indexCount);
    std::iota(indices.begin(), indices.end(), 0u);
    const BufferDesc indexDesc{.byteWidth = static_cast<uint32_t>(sizeof(uint32_t)) * sentence.indexCount, .bind = BindFlag::IndexBuffer};
    if (!device.CreateBuffer(indexDesc, indices.data(), sentence.indexBuffer)) {
        ShowErrorMessage("failed to create font index buffer");
    }
    return sentence;
}

void TextEngine::RefillSentence(RenderDevice& device, Sentence& sentence, const OverlayLine& line) const {
    sentence.red = line.colour[0];
    sentence.green = line.colour[1];
    sentence.blue = line.colour[2];
    sentence.alpha = line.colour[3];
    if (!sentence.vertexBuffer) {
        return;
    }
    std::vector<FontVertex> vertices(sentence.vertexCount, FontVertex{});
    // The line's origin is the window's top-left corner, y growing downward;
    // sentences are drawn around the window centre with y growing upward.
    const float drawX = -(static_cast<float>(screenWidth_) * 0.5f) + static_cast<float>(line.x);
    const float drawY = static_cast<float>(screenHeight_) * 0.5f - static_cast<float>(line.y);
    font_->BuildGlyphQuads(vertices.data(), sentence.maximumLength, line.text, drawX, drawY);

    void* mapped = device.MapDiscard(sentence.vertexBuffer);
    if (mapped == nullptr) {
        ShowErrorMessage("failed to lock constant buffer");
        return;
    }
    std::memcpy(mapped, vertices.data(), kVertexStride * sentence.vertexCount);
    device.Unmap(sentence.vertexBuffer);
}

void TextEngine::Render(RenderDevice& device, const Matrix4& /*world*/, const Matrix4& ortho) {
    fontShader_->BindMatrices(device, baseView_, ortho, font_->TextureView());
    for (const Sentence& sentence : sentences_) {
        DrawSentence(device, sentence);
    }
}

void TextEngine::DrawSentence(RenderDevice& device, const Sentence& sentence) const {
    if (!sentence.vertexBuffer || !sentence.indexBuffer) {
        return;
    }
    const uint32_t stride = kVertexStride;
    const uint32_t offset = 0;
    device.SetVertexBuffers(0, 1, &sentence.vertexBuffer, &stride, &offset);
    device.SetIndexBuffer(sentence.indexBuffer, Format::R32_Uint, 0);
    device.SetPrimitiveTopology(Topology::TriangleList);
    const float colour[4] = {sentence.red, sentence.green, sentence.blue, sentence.alpha};
    fontShader_->BindForSentence(device, colour);
    device.DrawIndexed(static_cast<uint32_t>(sentence.vertexCount), 0, 0);
}

void TextEngine::Shutdown(RenderDevice& device) {
    for (Sentence& sentence : sentences_) {
        if (sentence.vertexBuffer) {
            device.Release(sentence.vertexBuffer);
        }
        if (sentence.indexBuffer) {
            device.Release(sentence.indexBuffer);
        }
    }
    if (fontShader_ != nullptr) {
        fontShader_->Shutdown(device);
        delete fontShader_;
        fontShader_ = nullptr;
    }
    if (font_ != nullptr) {
        font_->Shutdown(device);
        delete font_;
        font_ = nullptr;
    }
    sentences_.clear();
    indexById_.clear();
}
