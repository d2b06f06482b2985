#include "graphics/Screenshot.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <string>

#include "platform/Files.h"

namespace {
constexpr int kChannels = 4;
}

bool SavePng(const char* path, const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height) {
    const uint64_t expectedBytes = static_cast<uint64_t>(width) * height * kChannels;
    if (path == nullptr || width == 0 || height == 0 || rgba.size() != expectedBytes) {
        return false;
    }
    // Written beside the final name and moved there once complete, so that a
    // failed write leaves neither a partial image nor a lost old one.
    const std::string finalPath = path;
    const int rowBytes = static_cast<int>(width) * kChannels;
    if (stbi_write_png(PartialPath(finalPath).c_str(), static_cast<int>(width), static_cast<int>(height), kChannels,
                       rgba.data(), rowBytes) == 0) {
        RemovePartial(finalPath);
        return false;
    }
    return ReplaceWithPartial(finalPath);
}

void MakeOpaque(std::vector<uint8_t>& rgba) {
    for (size_t alpha = 3; alpha < rgba.size(); alpha += 4) {
        rgba[alpha] = 255;
    }
}
