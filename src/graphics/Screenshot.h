#pragma once

#include <cstdint>
#include <vector>

// Sets every pixel's alpha to 255. The window shows no alpha, while blending
// leaves the source's alpha in the frame (transparent text backgrounds hold
// 0): a frame read back is read as the window shows it.
void MakeOpaque(std::vector<uint8_t>& rgba);

// Writes tightly packed RGBA rows, top row first, as a PNG file. False when
// the pixel count does not match the size or the file cannot be written.
bool SavePng(const char* path, const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height);
