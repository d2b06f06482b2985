#pragma once

#include <cstdint>

#include "graphics/RenderDevice.h"

// The result type of Windows calls: <windows.h> declares it as long.
#ifdef _WIN32
using HRESULT = long;
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

// Loads a DDS file into a texture and returns its shader-resource view.
// Sets *view to an empty handle first; a negative result is a failure.
HRESULT LoadDdsTexture(RenderDevice* device, const char* fileName, TextureViewHandle* view);

// The same for a whole file image already in memory.
HRESULT LoadDdsTextureFromMemory(RenderDevice* device, const uint8_t* bytes, uint64_t size, TextureViewHandle* view);

// What a result of the loader means, in a few words for a message.
const char* DescribeDdsResult(HRESULT result);
