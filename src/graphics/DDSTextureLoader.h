#pragma once

#include <cstdint>

#include "graphics/RenderDevice.h"
#include "platform/HResult.h"
#include "platform/NativeFile.h"

// Loads a DDS file into a texture and returns its shader-resource view.
// Sets *view to an empty handle first; a negative result is a failure.
// The file is read with the system's own file calls (a wide name on Windows).
HRESULT LoadDdsTexture(RenderDevice* device, const NativeChar* fileName, TextureViewHandle* view);

// The same for a whole file image already in memory.
HRESULT LoadDdsTextureFromMemory(RenderDevice* device, const uint8_t* bytes, uint64_t size, TextureViewHandle* view);

// What a result of the loader means, in a few words for a message.
const char* DescribeDdsResult(HRESULT result);
