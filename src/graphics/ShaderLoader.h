#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/RenderDevice.h"

// Reads a whole file into a new byte array; null when it cannot be opened.
// The settings path is opened with backslashes as folder separators.
std::unique_ptr<uint8_t[]> ReadWholeFile(const char* path, size_t& size);

struct ShaderPair {
    ShaderHandle vertexShader;
    ShaderHandle pixelShader;
    InputLayoutHandle inputLayout;
};

enum class ShaderPairResult { Loaded, VertexShaderUnreadable, PixelShaderUnreadable };

// Reads "<base>_VS<ext>" and "<base>_PS<ext>" (the backend's extension) and
// creates both shaders and the input layout. The creation results are not
// checked; only unreadable files fail, and so does a file name longer than
// 127 characters. The caller shows its own message.
ShaderPairResult LoadShaderPair(RenderDevice& device, const std::string& baseName, const InputElement* elements,
                                uint32_t elementCount, ShaderPair& out);

// Creates another input layout for the vertex shader "<base>_VS<ext>"; false
// when the file cannot be read or the layout not created.
bool LoadInputLayout(RenderDevice& device, const std::string& baseName, const InputElement* elements,
                     uint32_t elementCount, InputLayoutHandle& out);
