#include "platform/NativeFile.h"

#include <new>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/Files.h"
#endif

namespace {

constexpr uint64_t kFourGiB = 1ull << 32;

HRESULT Allocate(uint64_t size, std::unique_ptr<uint8_t[]>& bytes) {
    bytes.reset(new (std::nothrow) uint8_t[size]);
    return bytes ? kS_OK : kE_OUTOFMEMORY;
}

#ifdef _WIN32

HRESULT LastError() { return HRESULT_FROM_WIN32(GetLastError()); }

// Closes the handle on every path out.
struct FileHandle {
    HANDLE handle;
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};

#else

// What opening the file failed with, as Windows would name it: a missing
// file or folder on the way, or (a folder, no permission) access denied.
HRESULT OpenFailure(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        const bool folderExists = folder.empty() || std::filesystem::is_directory(folder, error);
        return folderExists ? kHResultFileNotFound : kHResultPathNotFound;
    }
    return kHResultAccessDenied;
}

#endif

}  // namespace

#ifdef _WIN32

HRESULT ReadNativeFile(const NativeChar* path, uint64_t minimumSize, std::unique_ptr<uint8_t[]>& bytes,
                       uint64_t& size) {
    const FileHandle file{CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    FILE_STANDARD_INFO info{};
    if (!GetFileInformationByHandleEx(file.handle, FileStandardInfo, &info, sizeof info)) {
        return LastError();
    }
    size = static_cast<uint64_t>(info.EndOfFile.QuadPart);
    if (size >= kFourGiB || size < minimumSize) {
        return kE_FAIL;
    }
    if (Allocate(size, bytes) != kS_OK) {
        return kE_OUTOFMEMORY;
    }
    DWORD read = 0;
    if (!ReadFile(file.handle, bytes.get(), static_cast<DWORD>(size), &read, nullptr)) {
        return LastError();
    }
    return read < size ? kE_FAIL : kS_OK;
}

#else

HRESULT ReadNativeFile(const NativeChar* path, uint64_t minimumSize, std::unique_ptr<uint8_t[]>& bytes,
                       uint64_t& size) {
    std::ifstream stream(path, std::ios::binary | std::ios::ate);
    if (!IsRegularFile(path) || !stream) {
        return OpenFailure(path);
    }
    const std::streamoff end = stream.tellg();
    if (end < 0) {
        return OpenFailure(path);
    }
    size = static_cast<uint64_t>(end);
    if (size >= kFourGiB || size < minimumSize) {
        return kE_FAIL;
    }
    if (Allocate(size, bytes) != kS_OK) {
        return kE_OUTOFMEMORY;
    }
    stream.seekg(0, std::ios::beg);
    stream.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(size));
    return static_cast<uint64_t>(stream.gcount()) == size ? kS_OK : kE_FAIL;
}

#endif
