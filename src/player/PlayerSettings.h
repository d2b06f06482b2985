#pragma once

#include <cstdint>

struct TypedSettings;

// The window's client size and the view distances the projections use.
struct ViewSettings {
    float fieldOfView = 90.0f;  // degrees, vertical
    uint32_t windowWidth = 1;
    uint32_t windowHeight = 1;
    float screenNear = 0.25f;
    float screenDepth = 1024.0f;
};

// What the player takes from the settings, handed over at Initialize.
struct PlayerSettings {
    float voxelSize = 1.0f;
    bool instantStart = false;  // start flying
    ViewSettings view;
};

PlayerSettings PlayerSettingsFrom(const TypedSettings& settings);
