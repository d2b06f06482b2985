#include "WorldMap.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "graphics/GraphicsDevice.h"
#include "world/Chunk.h"
#include "world/VoxelWorld.h"

namespace {
constexpr uint8_t kMarkColour[3] = {230, 30, 30};
// How much one block of height difference between neighbours tilts the light.
constexpr float kReliefStrength = 0.18f;

// The highest solid block of a chunk column, plus one; 0 when all air.
int32_t ColumnTop(const Chunk& chunk, int32_t localX, int32_t localZ) {
    const BlockGrid& grid = chunk.Grid();
    for (int32_t y = static_cast<int32_t>(grid.height) - 1; y >= 0; --y) {
        if (grid.data[grid.IndexOf(localX, y, localZ)] != 0) {
            return chunk.Origin().y + y + 1;
        }
    }
    return 0;
}

float Ease(float from, float to, float value) {
    const float t = std::clamp((value - from) / (to - from), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

void Mix(float (&rgb)[3], const float (&other)[3], float amount) {
    for (int c = 0; c < 3; ++c) {
        rgb[c] += (other[c] - rgb[c]) * amount;
    }
}

// How far the ground across the column turns towards the light (from -x and
// +z: the top left of the map): half the height rise along x less that
// along z; 0 on flat ground.
float SlopeTowardsLight(const ColumnTops& columns, uint32_t col, uint32_t row) {
    const auto top = [&](int64_t c, int64_t r) {
        c = std::clamp<int64_t>(c, 0, columns.width - 1);
        r = std::clamp<int64_t>(r, 0, columns.depth - 1);
        return static_cast<float>(columns.At(static_cast<uint32_t>(c), static_cast<uint32_t>(r)));
    };
    const float alongX = top(col + 1, row) - top(static_cast<int64_t>(col) - 1, row);
    const float alongZ = top(col, static_cast<int64_t>(row) - 1) - top(col, row + 1);
    return (alongX - alongZ) * 0.5f;
}

void ColumnColour(const ColumnTops& columns, uint32_t col, uint32_t row, uint8_t (&out)[3]) {
    const int32_t top = columns.At(col, row);
    float rgb[3] = {kSkyColour[0], kSkyColour[1], kSkyColour[2]};
    if (top > 0) {
        TopFaceColour(static_cast<float>(top - 1), rgb);
        const float light = std::clamp(1.0f + kReliefStrength * SlopeTowardsLight(columns, col, row), 0.35f, 1.25f);
        for (float& channel : rgb) {
            channel *= light;
        }
    }
    for (int c = 0; c < 3; ++c) {
        out[c] = static_cast<uint8_t>(std::lround(std::clamp(rgb[c], 0.0f, 1.0f) * 255.0f));
    }
}

void Paint(MapImage& image, uint32_t x, uint32_t y, const uint8_t (&rgb)[3]) {
    uint8_t* pixel = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
    pixel[0] = rgb[0];
    pixel[1] = rgb[1];
    pixel[2] = rgb[2];
    pixel[3] = 255;
}

// A cross of two pixel-wide bars through the column's centre, reaching six
// columns each way, and at least eight pixels.
void MarkColumn(MapImage& image, const ColumnTops& columns, uint32_t scale, int32_t x, int32_t z) {
    const int64_t col = static_cast<int64_t>(x) - columns.minX;
    const int64_t row = static_cast<int64_t>(columns.maxZ) - z;
    if (col < 0 || row < 0 || col >= columns.width || row >= columns.depth) {
        return;
    }
    const int64_t cx = col * scale + scale / 2;
    const int64_t cy = row * scale + scale / 2;
    const int64_t reach = std::max<int64_t>(6 * scale, 8);
    for (int64_t d = -reach; d <= reach; ++d) {
        for (int64_t w = 0; w < 2; ++w) {
            const int64_t points[2][2] = {{cx + d, cy + w}, {cx + w, cy + d}};
            for (const auto& p : points) {
                if (p[0] >= 0 && p[1] >= 0 && p[0] < image.width && p[1] < image.height) {
                    Paint(image, static_cast<uint32_t>(p[0]), static_cast<uint32_t>(p[1]), kMarkColour);
                }
            }
        }
    }
}
}  // namespace

// Sand below 8 to 14 blocks, rock from 70 to 85, snow from 95 to 105.
void TopFaceColour(float height, float (&rgb)[3]) {
    constexpr float kGrass[3] = {0.32f, 0.62f, 0.18f};
    constexpr float kSand[3] = {0.82f, 0.76f, 0.50f};
    constexpr float kRock[3] = {0.52f, 0.50f, 0.47f};
    constexpr float kSnow[3] = {0.95f, 0.96f, 1.00f};
    float surface[3] = {kSand[0], kSand[1], kSand[2]};
    Mix(surface, kGrass, Ease(8.0f, 14.0f, height));
    Mix(surface, kRock, Ease(70.0f, 85.0f, height));
    Mix(surface, kSnow, Ease(95.0f, 105.0f, height));
    std::copy(surface, surface + 3, rgb);
}

ColumnTops FindColumnTops(const VoxelWorld& world) {
    ColumnTops columns;
    int32_t minX = INT32_MAX, maxX = INT32_MIN, minZ = INT32_MAX, maxZ = INT32_MIN;
    const int32_t w = world.ChunkWidth();
    for (const auto& entry : world.Chunks()) {
        const BlockPosition& origin = entry.second->Origin();
        minX = std::min(minX, origin.x);
        maxX = std::max(maxX, origin.x + w - 1);
        minZ = std::min(minZ, origin.z);
        maxZ = std::max(maxZ, origin.z + w - 1);
    }
    if (world.Chunks().empty()) {
        return columns;
    }
    columns.width = static_cast<uint32_t>(maxX - minX + 1);
    columns.depth = static_cast<uint32_t>(maxZ - minZ + 1);
    columns.minX = minX;
    columns.maxZ = maxZ;
    columns.tops.assign(static_cast<size_t>(columns.width) * columns.depth, 0);
    for (const auto& entry : world.Chunks()) {
        const Chunk& chunk = *entry.second;
        for (int32_t x = 0; x < w; ++x) {
            for (int32_t z = 0; z < w; ++z) {
                const size_t col = static_cast<size_t>(chunk.Origin().x + x - minX);
                const size_t row = static_cast<size_t>(maxZ - (chunk.Origin().z + z));
                int32_t& top = columns.tops[row * columns.width + col];
                top = std::max(top, ColumnTop(chunk, x, z));
            }
        }
    }
    return columns;
}

MapImage DrawMap(const ColumnTops& columns, uint32_t scale, int32_t markX, int32_t markZ) {
    MapImage image;
    image.width = columns.width * scale;
    image.height = columns.depth * scale;
    image.rgba.assign(static_cast<size_t>(image.width) * image.height * 4, 0);
    for (uint32_t row = 0; row < columns.depth; ++row) {
        for (uint32_t col = 0; col < columns.width; ++col) {
            uint8_t rgb[3];
            ColumnColour(columns, col, row, rgb);
            for (uint32_t y = row * scale; y < (row + 1) * scale; ++y) {
                for (uint32_t x = col * scale; x < (col + 1) * scale; ++x) {
                    Paint(image, x, y, rgb);
                }
            }
        }
    }
    MarkColumn(image, columns, scale, markX, markZ);
    return image;
}
