// Prints the version resource of a Windows program as Windows reads it
// (GetFileVersionInfo, VerQueryValue): the fixed file and product versions,
// then, for each language of the resource, its strings as "Name: value".
//   version_info PROGRAM.exe
// Exit code 1 when the program has no version resource.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {
struct Translation {
    WORD language;
    WORD codePage;
};

constexpr const char* kNames[] = {"CompanyName",      "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                                  "OriginalFilename", "ProductName",     "ProductVersion"};

void PrintVersion(const char* name, DWORD high, DWORD low) {
    std::printf("%s %u.%u.%u.%u\n", name, HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: version_info PROGRAM.exe\n");
        return 2;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(argv[1], &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoA(argv[1], 0, size, data.data())) {
        std::fprintf(stderr, "version_info: no version resource in %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO) ||
        static_cast<VS_FIXEDFILEINFO*>(value)->dwSignature != VS_FFI_SIGNATURE) {
        std::fprintf(stderr, "version_info: %s has no fixed file information\n", argv[1]);
        return 1;
    }
    const VS_FIXEDFILEINFO fixed = *static_cast<VS_FIXEDFILEINFO*>(value);
    PrintVersion("FILEVERSION", fixed.dwFileVersionMS, fixed.dwFileVersionLS);
    PrintVersion("PRODUCTVERSION", fixed.dwProductVersionMS, fixed.dwProductVersionLS);

    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &value, &length)) {
        std::fprintf(stderr, "version_info: %s names no language\n", argv[1]);
        return 1;
    }
    const auto* translations = static_cast<const Translation*>(value);
    for (UINT i = 0; i < length / sizeof(Translation); ++i) {
        std::printf("Translation %04x %04x\n", translations[i].language, translations[i].codePage);
        for (const char* name : kNames) {
            char path[96];
            std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translations[i].language,
                          translations[i].codePage, name);
            if (VerQueryValueA(data.data(), path, &value, &length) && length > 0) {
                std::printf("%s: %s\n", name, static_cast<const char*>(value));
            }
        }
    }
    return 0;
}
