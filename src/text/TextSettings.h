#pragma once

#include <cstdint>
#include <string>

struct TypedSettings;

// The files of the overlay's font and the glyph height in pixels.
struct FontFiles {
    float size = 16.0f;
    std::string imageFilename;  // DDS texture
    std::string infoFilename;   // glyph records
    std::string shaderName;     // "<shaderName>_VS.cso", "<shaderName>_PS.cso"
};

// What the overlay takes from the settings, handed over at Initialize.
struct OverlaySettings {
    float refreshInterval = 0.0f;  // seconds of frame time between refreshes
    uint32_t screenWidth = 0;
    uint32_t screenHeight = 0;
    FontFiles font;
};

OverlaySettings OverlaySettingsFrom(const TypedSettings& settings);
