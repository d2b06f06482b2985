#include "graphics/ShaderLoader.h"

#include <cstdio>
#include <fstream>
#include <new>

#include "config/Settings.h"
#include "platform/Files.h"

std::unique_ptr<uint8_t[]> ReadWholeFile(const char* path, size_t& size) {
    const std::string nativePath = NativePath(path);
    std::ifstream file(nativePath, std::ios::binary | std::ios::ate);
    if (!IsRegularFile(nativePath) || !file) {
        return nullptr;
    }
    const std::streamoff end = file.tellg();
    if (end < 0) {
        return nullptr;
    }
    size = static_cast<size_t>(end);
    file.seekg(0, std::ios::beg);
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[size]);
    if (!bytes) {
        return nullptr;
    }
    file.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(size));
    return bytes;
}

ShaderPairResult LoadShaderPair(RenderDevice& device, const std::string& baseName, const InputElement* elements,
                                uint32_t elementCount, ShaderPair& out) {
    // Room for a 120-character base name and the longest suffix.
    char fileName[136];
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
