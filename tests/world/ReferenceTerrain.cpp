#include "ReferenceTerrain.h"

#include <algorithm>
#include <cstdlib>

#include "world/SimplexNoise.h"

namespace {
float Coordinate(int origin, int offset) { return static_cast<float>(std::abs(origin + offset)); }

float Weight(int from, int to, int span) { return static_cast<float>(to - from) / static_cast<float>(span); }
}  // namespace

std::string ReferenceChunkBlocks(const SimplexNoise& noise, int method, const BlockPosition& o, int width,
                                 int height) {
    const int n = width / 8 + 1;
    const int m = height / 8 + 1;
    std::vector<float> g2(n * n), g3(n * n * m);
    for (int sx = 0; sx < n; ++sx) {
        for (int sz = 0; sz < n; ++sz) {
            g2[sx * n + sz] = noise.OctaveNoise2D(Coordinate(o.x, 8 * sx), Coordinate(o.z, 8 * sz));
            for (int sy = 0; method == 2 && sy < m; ++sy) {
                g3[(sx * n + sz) * m + sy] =
                    noise.OctaveNoise3D(Coordinate(o.x, 8 * sx), Coordinate(o.y, 8 * sy), Coordinate(o.z, 8 * sz));
            }
        }
    }
    const auto G2 = [&](int ix, int iz) { return g2[ix * n + iz]; };
    const auto G3 = [&](int ix, int iz, int iy) { return g3[(ix * n + iz) * m + iy]; };
    const auto columnHeight = [&](int x, int z) {
        const int ix = x / 8, iz = z / 8;
        float h = G2(ix, iz);
        if (x % 8 != 0 || z % 8 != 0) {
            const float ax = Weight(8 * ix, x, 8), axBar = Weight(x, 8 * ix + 8, 8);
            const float az = Weight(8 * iz, z, 8), azBar = Weight(z, 8 * iz + 8, 8);
            h = az * (axBar * G2(ix, iz + 1) + ax * G2(ix + 1, iz + 1)) +
                azBar * (axBar * G2(ix, iz) + ax * G2(ix + 1, iz));
        }
        return (static_cast<int>(static_cast<float>(height) * h) + height) / 2;
    };
    const auto density = [&](int x, int y, int z) {
        const int ix = x / 8, iy = y / 8, iz = z / 8;
        if (x % 8 == 0 && y % 8 == 0 && z % 8 == 0) {
            return G3(ix, iz, iy);
        }
        const float bx = Weight(8 * ix, x, 8), bxBar = Weight(x, 8 * ix + 8, 8);
        const float by = Weight(8 * iy, y, 8), byBar = Weight(y, 8 * iy + 8, 8);
        const float bz = Weight(8 * iz, z, 8), bzBar = Weight(z, 8 * iz + 8, 8);
        return bz * (by * (bx * G3(ix + 1, iz + 1, iy + 1) + bxBar * G3(ix, iz + 1, iy + 1)) +
                     byBar * (bx * G3(ix + 1, iz + 1, iy) + bxBar * G3(ix, iz + 1, iy))) +
               bzBar * (by * (bx * G3(ix + 1, iz, iy + 1) + bxBar * G3(ix, iz, iy + 1)) +
                        byBar * (bx * G3(ix + 1, iz, iy) + bxBar * G3(ix, iz, iy)));
    };
    std::string blocks(static_cast<size_t>(width) * width * height, '\0');
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            for (int z = 0; z < width; ++z) {
                bool solid;
                if (method == 2) {
                    solid = density(x, y, z) >= -0.1f && columnHeight(x, z) > y;
                } else {
                    const int top = std::min(columnHeight(x, z), height - 1);
                    solid = top >= 0 && y < top;
                }
                blocks[(x * height + y) * width + z] = solid ? 1 : 0;
            }
        }
    }
    return blocks;
}

namespace {
// The block next to (x, y, z) of a chunk, through the links at its faces; a
// missing link reads as solid.
bool SolidAt(const Chunk& chunk, int x, int y, int z) {
    const int w = static_cast<int>(chunk.Grid().width);
    const int h = static_cast<int>(chunk.Grid().height);
    const Chunk* owner = &chunk;
    if (x < 0) owner = chunk.Neighbour(ChunkSide::XMinus), x = w - 1;
    else if (x >= w) owner = chunk.Neighbour(ChunkSide::XPlus), x = 0;
    else if (y < 0) owner = chunk.Neighbour(ChunkSide::YMinus), y = h - 1;
    else if (y >= h) owner = chunk.Neighbour(ChunkSide::YPlus), y = 0;
    else if (z < 0) owner = chunk.Neighbour(ChunkSide::ZMinus), z = w - 1;
    else if (z >= w) owner = chunk.Neighbour(ChunkSide::ZPlus), z = 0;
    return owner == nullptr || owner->Block(x, y, z) != 0;
}
}  // namespace

std::vector<CubeInstance> ReferenceVisibleCubes(const Chunk& chunk) {
    const int w = static_cast<int>(chunk.Grid().width);
    const int h = static_cast<int>(chunk.Grid().height);
    const BlockPosition& o = chunk.Origin();
    std::vector<CubeInstance> cubes;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (int z = 0; z < w; ++z) {
                if (chunk.Block(x, y, z) == 0) continue;
                const bool exposed = !SolidAt(chunk, x - 1, y, z) || !SolidAt(chunk, x + 1, y, z) ||
                                     !SolidAt(chunk, x, y - 1, z) || !SolidAt(chunk, x, y + 1, z) ||
                                     !SolidAt(chunk, x, y, z - 1) || !SolidAt(chunk, x, y, z + 1);
                if (exposed) {
                    cubes.push_back(CubeInstance{static_cast<float>(o.x + x), static_cast<float>(o.y + y),
                                                 static_cast<float>(o.z + z)});
                }
            }
        }
    }
    return cubes;
}
