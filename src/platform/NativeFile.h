#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/HResult.h"

// File names as the system's file calls take them: wide on Windows.
#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif
using NativeString = std::basic_string<NativeChar>;

// Reads a whole file of below 4 GiB and at least minimumSize bytes through
// the system's own file calls (CreateFileW, GetFileInformationByHandleEx,
// ReadFile on Windows). Returns kS_OK; the system's reason for a failed open,
// size query or read as an HRESULT; kE_FAIL for a file too large or too short
// or a short read; kE_OUTOFMEMORY. The file is closed on every path.
HRESULT ReadNativeFile(const NativeChar* path, uint64_t minimumSize, std::unique_ptr<uint8_t[]>& bytes,
                       uint64_t& size);
