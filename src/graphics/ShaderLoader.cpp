#include "graphics/ShaderLoader.h"

#include <cstdio>
#include <fstream>
#include <new>

#include "config/Settings.h"
#include "platform/ErrorMessage.h"
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

namespace {

// Shader file names are formatted into a fixed buffer; a base name of at most
// 120 characters fits with "_VS.cso".
constexpr size_t kShaderFileNameBuffer = 128;

// Reads "<base><suffix><extension>"; null, with a line on stderr saying why,
// when the name does not fit the buffer or the file cannot be read.
std::unique_ptr<uint8_t[]> ReadShaderFile(const std::string& baseName, const char* suffix, const char* extension,
                                          size_t& size) {
    char fileName[kShaderFileNameBuffer];
    const int length = std::snprintf(fileName, sizeof fileName, "%s%s%s", baseName.c_str(), suffix, extension);
    if (length < 0 || static_cast<size_t>(length) >= sizeof fileName) {
        ReportDiagnostic("the shader file name %s%s%s is longer than %d characters", baseName.c_str(), suffix,
                         extension, static_cast<int>(kShaderFileNameBuffer) - 1);
        return nullptr;
    }
    std::unique_ptr<uint8_t[]> bytes = ReadWholeFile(fileName, size);
    if (!bytes) {
        const std::string nativePath = NativePath(fileName);
        ReportDiagnostic("cannot read the shader file %s: %s (working directory %s)", nativePath.c_str(),
                         DescribeUnreadableFile(nativePath).c_str(), WorkingDirectory().c_str());
    }
    return bytes;
}

}  // namespace

ShaderPairResult LoadShaderPair(RenderDevice& device, const std::string& baseName, const InputElement* elements,
                                uint32_t elementCount, ShaderPair& out) {
    size_t vertexSize = 0;
    const std::unique_ptr<uint8_t[]> vertexBytes =
        ReadShaderFile(baseName, "_VS", device.ShaderFileExtension(), vertexSize);
    if (!vertexBytes) {
        return ShaderPairResult::VertexShaderUnreadable;
    }
    size_t pixelSize = 0;
    const std::unique_ptr<uint8_t[]> pixelBytes = ReadShaderFile(baseName, "_PS", device.ShaderFileExtension(), pixelSize);
    if (!pixelBytes) {
        return ShaderPairResult::PixelShaderUnreadable;
    }
    device.CreateVertexShader(vertexBytes.get(), vertexSize, out.vertexShader);
    device.CreatePixelShader(pixelBytes.get(), pixelSize, out.pixelShader);
    device.CreateInputLayout(elements, elementCount, vertexBytes.get(), vertexSize, out.inputLayout);
    return ShaderPairResult::Loaded;
}

bool LoadInputLayout(RenderDevice& device, const std::string& baseName, const InputElement* elements,
                     uint32_t elementCount, InputLayoutHandle& out) {
    size_t vertexSize = 0;
    const std::unique_ptr<uint8_t[]> vertexBytes =
        ReadShaderFile(baseName, "_VS", device.ShaderFileExtension(), vertexSize);
    return vertexBytes && device.CreateInputLayout(elements, elementCount, vertexBytes.get(), vertexSize, out);
}
