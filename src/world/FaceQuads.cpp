// A chunk's exposed faces as quads: per direction and per layer along its
// axis, a mask of the layer's faces, merged greedily into rectangles (rows
// first, then as many whole rows as match).
//
// Merged quads meet their neighbours in T-junctions, where a corner of one
// lies on the edge of another; the rasterizer snaps each corner to its grid
// of subpixels, which opens hairline cracks there. The faces shader therefore
// grows every quad outwards by a fraction of a pixel, so that neighbours
// overlap instead of meeting; each corner says which way is out. The overlap
// is invisible: a pixel's colour comes from its world position, the same in
// both quads.
#include <algorithm>
#include <cstring>

#include "world/Chunk.h"

namespace {
// Work units per quad corner made, in the units of the scan.
constexpr int32_t kQuadWorkPerFace = 2;

// The two axes within a face's plane, in the order of the cube mesh's
// corners: corner 1 lies along the first from corner 0, corner 2 along the
// second, so that the corner order keeps the mesh's winding.
struct PlaneAxes {
    int first;
    int second;
};

PlaneAxes PlaneAxesOf(Direction direction) {
    constexpr PlaneAxes kAxes[kDirectionCount] = {{0, 1}, {1, 0}, {2, 0}, {0, 2}, {1, 2}, {2, 1}};
    return kAxes[static_cast<int>(direction)];
}

// A face's look for merging: 0 no face, bit 8 set for corners that differ
// (never merged), else 1 + the level all four corners share.
constexpr uint16_t kUnmergeable = 0x100;

uint16_t FaceKey(const int (&levels)[4], bool occlusion) {
    if (!occlusion) {
        return 1;
    }
    if (levels[0] == levels[1] && levels[0] == levels[2] && levels[0] == levels[3]) {
        return static_cast<uint16_t>(1 + levels[0]);
    }
    return static_cast<uint16_t>(kUnmergeable | levels[0] | levels[1] << 2 | levels[2] << 4 | levels[3] << 6);
}

void LevelsOfKey(uint16_t key, int (&levels)[4]) {
    for (int corner = 0; corner < 4; ++corner) {
        levels[corner] = (key & kUnmergeable) != 0 ? (key >> (2 * corner)) & 3 : (key == 1 ? 3 : key - 1);
    }
}
}  // namespace

// Outside the chunk only the four face neighbours are looked at; blocks of
// the diagonal chunks, above and below the chunk count as air.
bool Chunk::IsSolidForOcclusion(int32_t x, int32_t y, int32_t z) const {
    const int32_t w = static_cast<int32_t>(grid_.width);
    if (y < 0 || y >= static_cast<int32_t>(grid_.height)) {
        return false;
    }
    const bool outsideX = x < 0 || x >= w;
    const bool outsideZ = z < 0 || z >= w;
    if (!outsideX && !outsideZ) {
        return Block(x, y, z) != 0;
    }
    if (outsideX && outsideZ) {
        return false;
    }
    const Direction side = outsideX ? (x < 0 ? Direction::XMinus : Direction::XPlus)
                                    : (z < 0 ? Direction::ZMinus : Direction::ZPlus);
    const Chunk* neighbour = Neighbour(side);
    if (neighbour == nullptr || !neighbour->grid_.data) {
        return false;
    }
    return neighbour->Block((x + w) % w, y, (z + w) % w) != 0;
}

// Corners 0 to 3 of the face at local `block` towards `direction`: in front
// of it, the blocks beside each corner and across it.
void Chunk::FaceOcclusion(const int32_t (&block)[3], Direction direction, int (&levels)[4]) const {
    const PlaneAxes axes = PlaneAxesOf(direction);
    const int axis = static_cast<int>(AxisOf(direction));
    int32_t front[3] = {block[0], block[1], block[2]};
    front[axis] += static_cast<int>(direction) % 2 == 0 ? 1 : -1;
    const auto solid = [&](int df, int ds) {
        int32_t p[3] = {front[0], front[1], front[2]};
        p[axes.first] += df;
        p[axes.second] += ds;
        return IsSolidForOcclusion(p[0], p[1], p[2]);
    };
    constexpr int kCornerSteps[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (int corner = 0; corner < 4; ++corner) {
        const int df = kCornerSteps[corner][0];
        const int ds = kCornerSteps[corner][1];
        levels[corner] = CornerOcclusion(solid(df, 0), solid(0, ds), solid(df, ds));
    }
}

// The four corners of a rectangle of faces; the quad's diagonal runs from corner 1 to corner 2, or, rotated, from 0 to 3 where
// that joins the darker pair of corners, so that occlusion fades evenly.
void Chunk::EmitQuad(Direction direction, const int32_t (&lowBlock)[3], int32_t extentFirst, int32_t extentSecond,
                     uint16_t key) {
    const PlaneAxes axes = PlaneAxesOf(direction);
    const int axis = static_cast<int>(AxisOf(direction));
    const float size = quadOptions_.voxelSize;
    const float origin[3] = {static_cast<float>(origin_.x), static_cast<float>(origin_.y),
                             static_cast<float>(origin_.z)};
    float low[3];
    for (int i = 0; i < 3; ++i) {
        low[i] = origin[i] + static_cast<float>(lowBlock[i]);
    }
    const float plane = low[axis] + (static_cast<int>(direction) % 2 == 0 ? size : 0.0f);
    const float firstLow = low[axes.first];
    const float firstHigh = low[axes.first] + static_cast<float>(extentFirst - 1) + size;
    const float secondLow = low[axes.second];
    const float secondHigh = low[axes.second] + static_cast<float>(extentSecond - 1) + size;
    int levels[4];
    LevelsOfKey(key, levels);
    const float firsts[4] = {firstLow, firstHigh, firstLow, firstHigh};
    const float seconds[4] = {secondLow, secondLow, secondHigh, secondHigh};
    QuadVertex corners[4];
    for (int corner = 0; corner < 4; ++corner) {
        float p[3];
        p[axis] = plane;
        p[axes.first] = firsts[corner];
        p[axes.second] = seconds[corner];
        const int shade = static_cast<int>(direction) + 8 * levels[corner] + 32 * corner;
        corners[corner] = QuadVertex{p[0], p[1], p[2], static_cast<float>(shade)};
    }
    const bool rotate = levels[1] + levels[2] > levels[0] + levels[3];
    const int order[2][4] = {{0, 1, 2, 3}, {1, 3, 0, 2}};
    for (const int corner : order[rotate ? 1 : 0]) {
        lists_.quads.corners.push_back(corners[corner]);
    }
    lists_.quads.planes.push_back(plane);
}

// One layer's mask, merged: a run of equal faces along the first axis, then
// as many rows along the second as repeat the run exactly.
void Chunk::MergeLayer(Direction direction, int32_t layer, std::vector<uint16_t>& mask, int32_t firstCount,
                       int32_t secondCount) {
    const PlaneAxes axes = PlaneAxesOf(direction);
    const int axis = static_cast<int>(AxisOf(direction));
    for (int32_t s = 0; s < secondCount; ++s) {
        for (int32_t f = 0; f < firstCount;) {
            const uint16_t key = mask[static_cast<size_t>(s) * firstCount + f];
            if (key == 0) {
                ++f;
                continue;
            }
            const bool mergeable = quadOptions_.merge && (key & kUnmergeable) == 0;
            int32_t width = 1;
            while (mergeable && f + width < firstCount && mask[static_cast<size_t>(s) * firstCount + f + width] == key) {
                ++width;
            }
            int32_t height = 1;
            while (mergeable && s + height < secondCount &&
                   std::all_of(&mask[static_cast<size_t>(s + height) * firstCount + f],
                               &mask[static_cast<size_t>(s + height) * firstCount + f + width],
                               [key](uint16_t k) { return k == key; })) {
                ++height;
            }
            for (int32_t row = s; row < s + height; ++row) {
                std::fill_n(&mask[static_cast<size_t>(row) * firstCount + f], width, uint16_t{0});
            }
            int32_t low[3];
            low[axis] = layer;
            low[axes.first] = f;
            low[axes.second] = s;
            EmitQuad(direction, low, width, height, key);
            f += width;
        }
    }
}

int32_t Chunk::BuildFaceQuads() {
    FaceQuads& quads = lists_.quads;
    quads.corners.clear();
    quads.planes.clear();
    const int32_t extent[3] = {static_cast<int32_t>(grid_.width), static_cast<int32_t>(grid_.height),
                               static_cast<int32_t>(grid_.width)};
    const int32_t origin[3] = {origin_.x, origin_.y, origin_.z};
    std::vector<uint16_t> mask;
    for (int d = 0; d < kDirectionCount; ++d) {
        const Direction direction = static_cast<Direction>(d);
        const PlaneAxes axes = PlaneAxesOf(direction);
        const int axis = static_cast<int>(AxisOf(direction));
        quads.start[d] = static_cast<uint32_t>(quads.planes.size());
        mask.assign(static_cast<size_t>(extent[axes.first]) * extent[axes.second], 0);
        const CubeInstance* faces = Faces(direction);
        const uint32_t count = FaceCount(direction);
        // The list is ordered along the axis: one layer after the other.
        for (uint32_t i = 0; i < count;) {
            const int32_t layer = static_cast<int32_t>(CoordinateAlong(faces[i], AxisOf(direction))) - origin[axis];
            for (; i < count && static_cast<int32_t>(CoordinateAlong(faces[i], AxisOf(direction))) - origin[axis] == layer;
                 ++i) {
                const int32_t block[3] = {static_cast<int32_t>(faces[i].x) - origin[0],
                                          static_cast<int32_t>(faces[i].y) - origin[1],
                                          static_cast<int32_t>(faces[i].z) - origin[2]};
                int levels[4] = {3, 3, 3, 3};
                if (quadOptions_.occlusion) {
                    FaceOcclusion(block, direction, levels);
                }
                mask[static_cast<size_t>(block[axes.second]) * extent[axes.first] + block[axes.first]] =
                    FaceKey(levels, quadOptions_.occlusion);
            }
            MergeLayer(direction, layer, mask, extent[axes.first], extent[axes.second]);
        }
    }
    quads.start[kDirectionCount] = static_cast<uint32_t>(quads.planes.size());
    const size_t faceCount = lists_.faceStart[kDirectionCount];
    return static_cast<int32_t>(std::min<size_t>(faceCount * kQuadWorkPerFace, INT32_MAX / 2));
}
