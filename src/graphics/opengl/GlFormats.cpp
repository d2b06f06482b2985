#include "graphics/opengl/GlFormats.h"

#include <cstring>

GlTextureFormat TextureFormatFor(Format format) {
    switch (format) {
        case Format::R8G8B8A8_UNorm: return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE};
        case Format::B8G8R8A8_UNorm: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE};
        case Format::B8G8R8X8_UNorm: return {GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE};
        case Format::R10G10B10A2_UNorm: return {GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV};
        case Format::R16G16_UNorm: return {GL_RG16, GL_RG, GL_UNSIGNED_SHORT};
        case Format::R32_Float: return {GL_R32F, GL_RED, GL_FLOAT};
        case Format::B5G5R5A1_UNorm: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
        case Format::B5G6R5_UNorm: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
        case Format::R8_UNorm: return {GL_R8, GL_RED, GL_UNSIGNED_BYTE};
        case Format::R16_UNorm: return {GL_R16, GL_RED, GL_UNSIGNED_SHORT};
        case Format::R8G8_UNorm: return {GL_RG8, GL_RG, GL_UNSIGNED_BYTE};
        case Format::A8_UNorm: return {GL_R8, GL_RED, GL_UNSIGNED_BYTE, false, true};
        case Format::R16G16B16A16_UNorm: return {GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT};
        case Format::R16G16B16A16_SNorm: return {GL_RGBA16_SNORM, GL_RGBA, GL_SHORT};
        case Format::R16_Float: return {GL_R16F, GL_RED, GL_HALF_FLOAT};
        case Format::R16G16_Float: return {GL_RG16F, GL_RG, GL_HALF_FLOAT};
        case Format::R16G16B16A16_Float: return {GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT};
        case Format::R32G32_Float: return {GL_RG32F, GL_RG, GL_FLOAT};
        case Format::R32G32B32_Float: return {GL_RGB32F, GL_RGB, GL_FLOAT};
        case Format::R32G32B32A32_Float: return {GL_RGBA32F, GL_RGBA, GL_FLOAT};
        case Format::BC1_UNorm: return {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true, false, true};
        case Format::BC2_UNorm: return {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true, false, true};
        case Format::BC3_UNorm: return {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true, false, true};
        case Format::BC4_UNorm: return {GL_COMPRESSED_RED_RGTC1, 0, 0, true};
        case Format::BC4_SNorm: return {GL_COMPRESSED_SIGNED_RED_RGTC1, 0, 0, true};
        case Format::BC5_UNorm: return {GL_COMPRESSED_RG_RGTC2, 0, 0, true};
        case Format::BC5_SNorm: return {GL_COMPRESSED_SIGNED_RG_RGTC2, 0, 0, true};
        default: return {};
    }
}

GlVertexFormat VertexFormatFor(Format format) {
    switch (format) {
        case Format::R32_Float: return {1, GL_FLOAT, GL_FALSE, 4};
        case Format::R32G32_Float: return {2, GL_FLOAT, GL_FALSE, 8};
        case Format::R32G32B32_Float: return {3, GL_FLOAT, GL_FALSE, 12};
        case Format::R32G32B32A32_Float: return {4, GL_FLOAT, GL_FALSE, 16};
        case Format::R8G8B8A8_UNorm: return {4, GL_UNSIGNED_BYTE, GL_TRUE, 4};
        default: return {};
    }
}

int AttributeLocationFor(const char* semanticName, uint32_t semanticIndex) {
    if (std::strcmp(semanticName, "POSITION") == 0 && semanticIndex == 0) return 0;
    if (std::strcmp(semanticName, "NORMAL") == 0 && semanticIndex == 0) return 1;
    if (std::strcmp(semanticName, "TEXCOORD") == 0 && semanticIndex <= 1) return 2 + static_cast<int>(semanticIndex);
    return -1;
}

GLenum StencilOpFor(StencilOp op) {
    switch (op) {
        case StencilOp::Increment: return GL_INCR_WRAP;
        case StencilOp::Decrement: return GL_DECR_WRAP;
        case StencilOp::Keep: break;
    }
    return GL_KEEP;
}

GLenum ComparisonFor(Comparison comparison) { return comparison == Comparison::Less ? GL_LESS : GL_ALWAYS; }
