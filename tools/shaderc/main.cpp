// voxmere-shaderc: compiles one HLSL entry point into a shader object file.
//
//   voxmere-shaderc <source.hlsl> <entry> <profile> <output.cso>
//
// The profile is a Direct3D shader model target such as vs_4_0 or ps_5_0.
// The bytecode is written exactly as the compiler returns it. On a compile
// error the compiler's messages go to stderr and the output is not touched.
#include <windows.h>

#include <d3dcompiler.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/Files.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitCannotWrite = 1;
constexpr int kExitBadInput = 2;

// Holds one blob the compiler returned and releases it.
class Blob {
public:
    Blob() = default;
    ~Blob() {
        if (blob_ != nullptr) {
            blob_->Release();
        }
    }
    Blob(const Blob&) = delete;
    Blob& operator=(const Blob&) = delete;

    ID3DBlob** Put() { return &blob_; }
    const char* Bytes() const { return blob_ != nullptr ? static_cast<const char*>(blob_->GetBufferPointer()) : ""; }
    size_t Size() const { return blob_ != nullptr ? blob_->GetBufferSize() : 0; }

private:
    ID3DBlob* blob_ = nullptr;
};

bool ReadSource(const char* path, std::string& source) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    source.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

// Writes the bytes beside the output and moves them onto it once complete,
// so a failed write never leaves a truncated shader object behind.
bool WriteWhole(const std::string& path, const char* bytes, size_t size) {
    {
        std::ofstream file(PartialPath(path), std::ios::binary | std::ios::trunc);
        if (file) {
            file.write(bytes, static_cast<std::streamsize>(size));
        }
        if (!file || !file.flush()) {
            file.close();
            RemovePartial(path);
            return false;
        }
    }
    return ReplaceWithPartial(path);
}

int Usage() {
    std::fprintf(stderr, "usage: voxmere-shaderc <source.hlsl> <entry> <profile> <output.cso>\n");
    return kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        return Usage();
    }
    const char* sourcePath = argv[1];
    const char* entry = argv[2];
    const char* profile = argv[3];
    const std::string outputPath = argv[4];

    std::string source;
    if (!ReadSource(sourcePath, source)) {
        std::fprintf(stderr, "voxmere-shaderc: cannot read %s\n", sourcePath);
        return kExitBadInput;
    }
    Blob code;
    Blob messages;
    const HRESULT result = D3DCompile(source.data(), source.size(), sourcePath, nullptr, nullptr, entry, profile,
                                      D3DCOMPILE_ENABLE_STRICTNESS, 0, code.Put(), messages.Put());
    if (messages.Size() > 0) {
        std::fwrite(messages.Bytes(), 1, messages.Size(), stderr);
        std::fputc('\n', stderr);
    }
    if (FAILED(result) || code.Size() == 0) {
        std::fprintf(stderr, "voxmere-shaderc: %s (%s, %s) failed to compile: 0x%08lx\n", sourcePath, entry, profile,
                     static_cast<unsigned long>(result));
        return kExitBadInput;
    }
    if (!WriteWhole(outputPath, code.Bytes(), code.Size())) {
        std::fprintf(stderr, "voxmere-shaderc: cannot write %s\n", outputPath.c_str());
        return kExitCannotWrite;
    }
    return kExitOk;
}
