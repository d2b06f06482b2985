#pragma once

// One visible cube as the renderer's per-instance stream reads it: the world
// block coordinate of the cube's minimum corner (12 bytes).
struct CubeInstance {
    float x;
    float y;
    float z;
};

static_assert(sizeof(CubeInstance) == 12, "the instance stream expects 12-byte records");
