#pragma once

#include <cstdint>

// Results in the form of Windows calls: negative values are failures, and
// system errors carry their Windows error code (HRESULT_FROM_WIN32).
#ifdef _WIN32
using HRESULT = long;  // as <windows.h> declares it
#else
using HRESULT = int32_t;
#endif

constexpr HRESULT kS_OK = 0;
constexpr HRESULT kE_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT kE_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT kE_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT kHResultFileNotFound = static_cast<HRESULT>(0x80070002u);   // ERROR_FILE_NOT_FOUND
constexpr HRESULT kHResultPathNotFound = static_cast<HRESULT>(0x80070003u);   // ERROR_PATH_NOT_FOUND
constexpr HRESULT kHResultAccessDenied = static_cast<HRESULT>(0x80070005u);   // ERROR_ACCESS_DENIED
constexpr HRESULT kHResultHandleEof = static_cast<HRESULT>(0x80070026u);      // ERROR_HANDLE_EOF
constexpr HRESULT kHResultNotSupported = static_cast<HRESULT>(0x80070032u);   // ERROR_NOT_SUPPORTED
constexpr HRESULT kHResultInvalidData = static_cast<HRESULT>(0x8007000Du);    // ERROR_INVALID_DATA
