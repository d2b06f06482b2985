#pragma once

// Radians of turning per pixel of cursor offset: yaw for horizontal, pitch
// for vertical movement. Input start-up writes them from the settings.
struct MouseFactors {
    float accelerationX = 0.005f;
    float accelerationY = 0.005f;
};

// The process-wide mouse factors, read by the player when it looks around.
MouseFactors& MouseAcceleration();

// The process-wide debug-output switch: whether the text overlay draws.
// False at start; flipped by the toggleDebugOutput action.
bool& DebugOutput();
