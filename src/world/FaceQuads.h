#pragma once

#include <cstdint>
#include <vector>

// One corner of a face quad as the faces shader reads it (16 bytes): the
// world position, and in w the face's direction (0 to 5, in Direction
// order) plus 8 times the corner's occlusion level (0 darkest, 3 open) plus
// 32 times its place in the quad (0 to 3: low or high along the plane's
// first axis, then its second), which tells the shader which way is out.
// Float positions keep to the vertex formats both backends already read and
// need no per-chunk constant.
struct QuadVertex {
    float x;
    float y;
    float z;
    float shade;
};

static_assert(sizeof(QuadVertex) == 16, "the face stream expects 16-byte corners");

// A chunk's exposed faces merged into quads, four corners each, grouped by
// direction (start[d] to start[d + 1], counted in quads) and ordered along
// the direction's axis, so that the quads turned towards an eye are one run;
// planes[q] is quad q's coordinate along that axis.
struct FaceQuads {
    std::vector<QuadVertex> corners;
    std::vector<float> planes;
    uint32_t start[7] = {};
};

// How faces become quads.
struct QuadOptions {
    // Join neighbouring faces of one plane that look the same into one
    // rectangle (only where cubes fill their blocks: a voxel size of 1).
    bool merge = true;
    // Darken each corner by the solid blocks beside it; only faces whose
    // four corners agree are merged then.
    bool occlusion = false;
    float voxelSize = 1.0f;
};

// The occlusion level of a face corner (0 darkest, 3 open) from the two
// blocks beside it and the one across the corner, in front of the face.
inline int CornerOcclusion(bool side1, bool side2, bool corner) {
    return side1 && side2 ? 0 : 3 - static_cast<int>(side1) - static_cast<int>(side2) - static_cast<int>(corner);
}
