#include "graphics/ShaderLoader.h"

#include <cstdio>
#include <fstream>

#include "config/Settings.h"

std::unique_ptr<uint8_t[]> ReadWholeFile(const char* path, size_t& size) {
    std::ifstream file(NativePath(path), std::ios::binary | std::ios::ate);
    if (!file) {
        return nullptr;
    }
    size = static_cast<size_t>(file.tellg());
    file.seekg(0, std::ios::beg);
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
    file.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(size));
    return bytes;
}

ShaderPairResult LoadShaderPair(RenderDevice& device, const std::string& baseName, const InputElement* elements,
                                uint32_t elementCount, ShaderPair& out) {
    char fileName[128];
    std::snprintf(fileName, sizeof fileName, "%s_VS%s", baseName.c_str(), device.ShaderFileExtension());
    size_t vertexSize = 0;
    const std::unique_ptr<uint8_t[]> vertexBytes = ReadWholeFile(fileName, vertexSize);
    if (!vertexBytes) {
        return ShaderPairResult::VertexShaderUnreadable;
    }
    std::snprintf(fileName, sizeof fileName, "%s_PS%s", baseName.c_str(), device.ShaderFileExtension());
    size_t pixelSize = 0;
    const std::unique_ptr<uint8_t[]> pixelBytes = ReadWholeFile(fileName, pixelSize);
    if (!pixelBytes) {
        return ShaderPairResult::PixelShaderUnreadable;
    }
    device.CreateVertexShader(vertexBytes.get(), vertexSize, out.vertexShader);
    device.CreatePixelShader(pixelBytes.get(), pixelSize, out.pixelShader);
    device.CreateInputLayout(elements, elementCount, vertexBytes.get(), vertexSize, out.inputLayout);
    return ShaderPairResult::Loaded;
}
