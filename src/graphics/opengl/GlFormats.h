#pragma once

#include <epoxy/gl.h>

#include "graphics/RenderDevice.h"

// How a DXGI texture format is uploaded to OpenGL. A zero internal format
// means OpenGL cannot take it.
struct GlTextureFormat {
    GLenum internalFormat = 0;
    GLenum format = 0;  // pixel layout of uncompressed uploads
    GLenum type = 0;
    bool compressed = false;
    bool alphaOnly = false;  // sampled as (0, 0, 0, r)
    bool needsS3tc = false;  // needs EXT_texture_compression_s3tc
};

GlTextureFormat TextureFormatFor(Format format);

// How a vertex element of a DXGI format is read. Zero components: unsupported.
struct GlVertexFormat {
    GLint components = 0;
    GLenum type = 0;
    GLboolean normalized = GL_FALSE;
    uint32_t bytes = 0;
};

GlVertexFormat VertexFormatFor(Format format);

// The attribute location of an input-layout semantic; -1 when it has none.
// POSITION0 -> 0, NORMAL0 -> 1, TEXCOORD0 -> 2, TEXCOORD1 -> 3.
int AttributeLocationFor(const char* semanticName, uint32_t semanticIndex);

GLenum StencilOpFor(StencilOp op);
GLenum ComparisonFor(Comparison comparison);
