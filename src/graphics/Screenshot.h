#pragma once

#include <cstdint>
#include <vector>

// Writes tightly packed RGBA rows, top row first, as a PNG file. False when
// the pixel count does not match the size or the file cannot be written.
bool SavePng(const char* path, const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height);
