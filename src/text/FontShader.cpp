#include "text/FontShader.h"

#include <cstring>

#include "graphics/Matrix.h"
#include "graphics/ShaderLoader.h"
#include "platform/ErrorMessage.h"

namespace {
constexpr const char* kLockFailed = "failed to lock constant buffer";

bool CreateDynamicConstantBuffer(RenderDevice& device, uint32_t byteWidth, BufferHandle& out) {
    const BufferDesc desc{
        .byteWidth = byteWidth, .usage = Usage::Dynamic, .bind = BindFlag::ConstantBuffer, .cpuWrite = true};
    return device.CreateBuffer(desc, nullptr, out);
}

}  // namespace

FontShader::FontShader()
    : vertexShader_(), pixelShader_(), inputLayout_(), colourBuffer_(), matrixBuffer_(), sampler_() {}

bool FontShader::Initialize(RenderDevice& device, const std::string& shaderName) {
    if (!CreateConstantBuffers(device)) {
        ShowErrorMessage("failed to create matrices buffer");
        return false;
    }
    if (!LoadShaders(device, shaderName)) {
        return false;
    }
    SamplerDesc samplerDesc;
    samplerDesc.linear = true;
    samplerDesc.wrap = true;
    if (!device.CreateSampler(samplerDesc, sampler_)) {
        ShowErrorMessage("failed to create sampler state");
        return false;
    }
    return true;
}

bool FontShader::CreateConstantBuffers(RenderDevice& device) {
    return CreateDynamicConstantBuffer(device, kColourBufferSize, colourBuffer_) &&
           CreateDynamicConstantBuffer(device, kMatrixBufferSize, matrixBuffer_);
}

bool FontShader::LoadShaders(RenderDevice& device, const std::string& shaderName) {
    const InputElement elements[2] = {
        {.semanticName = "POSITION", .format = Format::R32G32B32_Float, .alignedByteOffset = kAppendAligned},
        {.semanticName = "TEXCOORD", .format = Format::R32G32_Float, .alignedByteOffset = kAppendAligned},
    };

    ShaderPair pair;
    switch (LoadShaderPair(device, shaderName, elements, 2, pair)) {
        case ShaderPairResult::VertexShaderUnreadable:
            ShowErrorMessage("failed to read Font VertexShader");
            return false;
        case ShaderPairResult::PixelShaderUnreadable:
            ShowErrorMessage("failed to read Font PixelShader");
            return false;
        case ShaderPairResult::Loaded:
            break;
    }
    vertexShader_ = pair.vertexShader;
    pixelShader_ = pair.pixelShader;
    inputLayout_ = pair.inputLayout;
    return true;
}

void FontShader::Shutdown(RenderDevice& device) {
    ReleaseHandle(device, colourBuffer_);
    ReleaseHandle(device, matrixBuffer_);
    ReleaseHandle(device, inputLayout_);
    ReleaseHandle(device, vertexShader_);
    ReleaseHandle(device, pixelShader_);
    ReleaseHandle(device, sampler_);
}

void FontShader::BindMatrices(RenderDevice& device, const Matrix4& baseView, const Matrix4& ortho,
                              TextureViewHandle fontTexture) const {
    auto* bytes = static_cast<uint8_t*>(device.MapDiscard(matrixBuffer_));
    if (bytes == nullptr) {
        ShowErrorMessage(kLockFailed);
    } else {
        const Matrix4 transform = baseView.Transposed() * ortho;
        std::memcpy(bytes + kMatrixOffset, transform.m, sizeof transform.m);
        device.Unmap(matrixBuffer_);
    }
    device.SetConstantBuffer(ShaderStage::Vertex, kMatrixSlot, matrixBuffer_);
    device.SetShaderResource(ShaderStage::Pixel, kTextureSlot, fontTexture);
}

void FontShader::BindForSentence(RenderDevice& device, const float colour[4]) const {
    void* bytes = device.MapDiscard(colourBuffer_);
    if (bytes == nullptr) {
        ShowErrorMessage(kLockFailed);
    } else {
        std::memcpy(bytes, colour, kColourBufferSize);
        device.Unmap(colourBuffer_);
    }
    device.SetConstantBuffer(ShaderStage::Pixel, kColourSlot, colourBuffer_);
    device.SetInputLayout(inputLayout_);
    device.SetVertexShader(vertexShader_);
    device.SetPixelShader(pixelShader_);
    device.SetSampler(ShaderStage::Pixel, kSamplerSlot, sampler_);
}
