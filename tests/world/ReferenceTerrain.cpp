#include <algorithm>
#include <array>
#include <cstdlib>

#include "WorldTestSupport.h"
#include "world/SimplexNoise.h"

namespace {
// Linear blend between the samples at 8 * (v / 8) and the next one.
float Lerp(float low, float high, int v) {
    const int i = v / 8 * 8;
    return static_cast<float>(i + 8 - v) / 8.0f * low + static_cast<float>(v - i) / 8.0f * high;
}
}  // namespace

std::string ReferenceChunkBlocks(const SimplexNoise& noise, int method, const BlockPosition& o, int width,
                                 int height) {
    const auto at = [](int origin, int sample) { return static_cast<float>(std::abs(origin + 8 * sample)); };
    const auto g2 = [&](int sx, int sz) { return noise.OctaveNoise2D(at(o.x, sx), at(o.z, sz)); };
    const auto g3 = [&](int sx, int sz, int sy) { return noise.OctaveNoise3D(at(o.x, sx), at(o.y, sy), at(o.z, sz)); };
    const auto columnHeight = [&](int x, int z) {
        const int ix = x / 8, iz = z / 8;
        const float h = Lerp(Lerp(g2(ix, iz), g2(ix + 1, iz), x), Lerp(g2(ix, iz + 1), g2(ix + 1, iz + 1), x), z);
        return (static_cast<int>(static_cast<float>(height) * h) + height) / 2;
    };
    const auto density = [&](int x, int y, int z) {
        const int ix = x / 8, iy = y / 8, iz = z / 8;
        const auto row = [&](int sz, int sy) { return Lerp(g3(ix, sz, sy), g3(ix + 1, sz, sy), x); };
        return Lerp(Lerp(row(iz, iy), row(iz, iy + 1), y), Lerp(row(iz + 1, iy), row(iz + 1, iy + 1), y), z);
    };
    std::string blocks(static_cast<size_t>(width) * width * height, '\0');
    for (int x = 0; x < width; ++x) {
        for (int z = 0; z < width; ++z) {
            const int top = columnHeight(x, z);
            for (int y = 0; y < height; ++y) {
                const bool solid = method == 2 ? density(x, y, z) >= -0.1f && top > y
                                               : y < std::min(top, height - 1);
                blocks[(x * height + y) * width + z] = solid ? 1 : 0;
            }
        }
    }
    return blocks;
}

namespace {
// The block at (x, y, z), stepping through a face link when outside; no link reads as solid.
bool ReferenceIsSolid(const Chunk& chunk, int x, int y, int z) {
    const int w = static_cast<int>(chunk.Grid().width), h = static_cast<int>(chunk.Grid().height);
    const Chunk* owner = &chunk;
    if (x < 0) owner = chunk.Neighbour(Direction::XMinus), x = w - 1;
    else if (x >= w) owner = chunk.Neighbour(Direction::XPlus), x = 0;
    else if (y < 0) owner = chunk.Neighbour(Direction::YMinus), y = h - 1;
    else if (y >= h) owner = chunk.Neighbour(Direction::YPlus), y = 0;
    else if (z < 0) owner = chunk.Neighbour(Direction::ZMinus), z = w - 1;
    else if (z >= w) owner = chunk.Neighbour(Direction::ZPlus), z = 0;
    return owner == nullptr || owner->Block(x, y, z) != 0;
}

// Every solid block of the chunk in scan order (y, x, z) whose neighbour at
// one of the offsets is air, as world x, y, z floats.
std::vector<float> SolidBlocksBesideAir(const Chunk& chunk, const std::vector<std::array<int, 3>>& offsets) {
    const int w = static_cast<int>(chunk.Grid().width), h = static_cast<int>(chunk.Grid().height);
    const BlockPosition& o = chunk.Origin();
    std::vector<float> cubes;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (int z = 0; z < w; ++z) {
                if (chunk.Block(x, y, z) == 0) continue;
                const bool exposed = std::any_of(offsets.begin(), offsets.end(), [&](const std::array<int, 3>& d) {
                    return !ReferenceIsSolid(chunk, x + d[0], y + d[1], z + d[2]);
                });
                if (exposed) {
                    cubes.insert(cubes.end(), {static_cast<float>(o.x + x), static_cast<float>(o.y + y),
                                               static_cast<float>(o.z + z)});
                }
            }
        }
    }
    return cubes;
}

// Unit steps in Direction order: +z, -z, +y, -y, +x, -x.
const std::array<int, 3> kFaceSteps[6] = {{0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
}  // namespace

std::vector<float> ReferenceVisibleCubes(const Chunk& chunk) {
    return SolidBlocksBesideAir(chunk, std::vector<std::array<int, 3>>(std::begin(kFaceSteps), std::end(kFaceSteps)));
}

std::vector<float> ReferenceFaces(const Chunk& chunk, Direction direction) {
    return SolidBlocksBesideAir(chunk, {kFaceSteps[static_cast<int>(direction)]});
}
