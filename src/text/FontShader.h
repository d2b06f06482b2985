#pragma once

#include <string>

#include "graphics/RenderDevice.h"

struct Matrix4;

// The font's shader pair with its input layout, constant buffers and sampler.
// Vertex constant slot 0 holds the text transform in bytes 192..255; pixel
// constant slot 3 holds the line colour; the font texture and the sampler sit
// at pixel slot 1.
class FontShader {
public:
    static constexpr uint32_t kMatrixBufferSize = 256;
    static constexpr uint32_t kMatrixOffset = 192;
    static constexpr uint32_t kColourBufferSize = 16;
    static constexpr uint32_t kMatrixSlot = 0;
    static constexpr uint32_t kColourSlot = 3;
    static constexpr uint32_t kTextureSlot = 1;
    static constexpr uint32_t kSamplerSlot = 1;

    FontShader();

    // Shows its own message on failure.
    bool Initialize(RenderDevice& device, const std::string& shaderName);
    void Shutdown(RenderDevice& device);

    // Once per frame: writes baseViewᵀ × ortho into the matrix buffer and
    // binds it together with the font texture.
    void BindMatrices(RenderDevice& device, const Matrix4& baseView, const Matrix4& ortho,
                      TextureViewHandle fontTexture) const;
    // Per sentence: writes the colour and binds the shaders and the sampler.
    void BindForSentence(RenderDevice& device, const float colour[4]) const;

private:
    bool CreateConstantBuffers(RenderDevice& device);
    bool LoadShaders(RenderDevice& device, const std::string& shaderName);

    ShaderHandle vertexShader_;
    ShaderHandle pixelShader_;
    InputLayoutHandle inputLayout_;
    BufferHandle colourBuffer_;
    BufferHandle matrixBuffer_;
    SamplerHandle sampler_;
};
