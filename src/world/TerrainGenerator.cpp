#include "world/TerrainGenerator.h"

#include <algorithm>
#include <cstdlib>

#include "world/Chunk.h"
#include "world/SimplexNoise.h"

namespace {
constexpr int32_t kHeightmapSampleCost = 5;
constexpr int32_t kCavesMethod = 2;
// What each call of a whole job gets: the result is the same for any budget.
constexpr int32_t kWholeJobBudget = 100000;
constexpr float kCaveThreshold = -0.1f;

// Units still allowed before the budget check stops the job (at least one
// when the check passes now).
int64_t UnitsAllowed(int32_t budget, int32_t count) {
    return static_cast<int64_t>(budget) - static_cast<int64_t>(count) + 1;
}
}  // namespace

TerrainGenerator::TerrainGenerator()
    : verticalStep_(0),
      horizontalStep_(0),
      horizontalSamples_(0),
      verticalSamples_(0),
      noise_(nullptr),
      current_(nullptr),
      samplingPending_(false),
      busy_(false),
      fillX_(0),
      fillY_(0),
      fillZ_(0),
      sampleX_(0),
      sampleY_(0),
      sampleZ_(0),
      width_(0),
      height_(0) {}

TerrainGenerator::~TerrainGenerator() { Shutdown(); }

void TerrainGenerator::Initialize(const std::string& seed, int32_t chunkWidth, int32_t chunkHeight, SeedRule rule) {
    verticalStep_ = 8;
    horizontalStep_ = 8;
    width_ = chunkWidth;
    height_ = chunkHeight;
    horizontalSamples_ = chunkWidth / 8 + 1;
    verticalSamples_ = chunkHeight / 8 + 1;
    grid2D_.assign(static_cast<size_t>(horizontalSamples_) * horizontalSamples_, 0.0f);
    grid3D_.assign(static_cast<size_t>(horizontalSamples_) * horizontalSamples_ * verticalSamples_, 0.0f);
    columnHeights_.assign(static_cast<size_t>(chunkWidth) * chunkWidth, 0);
    highestColumn_.assign(static_cast<size_t>(chunkWidth), 0);
    densityRow_.assign(static_cast<size_t>(chunkWidth), 0.0f);
    cellDensity_.assign(static_cast<size_t>(horizontalSamples_), 0.0f);
    rowValues_.assign(static_cast<size_t>(chunkWidth), 0);
    delete noise_;
    noise_ = new SimplexNoise();
    noise_->Initialize(seed, rule);
}

void TerrainGenerator::Shutdown() {
    std::vector<float>().swap(grid2D_);
    std::vector<float>().swap(grid3D_);
    std::vector<int32_t>().swap(columnHeights_);
    std::vector<int32_t>().swap(highestColumn_);
    std::vector<float>().swap(densityRow_);
    std::vector<float>().swap(cellDensity_);
    std::vector<uint8_t>().swap(rowValues_);
    delete noise_;
    noise_ = nullptr;
    samplingPending_ = false;
    EndJob();
}

void TerrainGenerator::StartJob(Chunk* chunk) {
    busy_ = true;
    samplingPending_ = true;
    current_ = chunk;
}

void TerrainGenerator::EndJob() {
    busy_ = false;
    fillX_ = fillY_ = fillZ_ = 0;
    sampleX_ = sampleY_ = sampleZ_ = 0;
    current_ = nullptr;
}

// Samples use absolute world coordinates, so the landscape mirrors about
// x = 0 and z = 0.
float TerrainGenerator::SampleCoordinate(int32_t origin, int32_t offset) const {
    return static_cast<float>(std::abs(origin + offset));
}

float TerrainGenerator::Height(int32_t x, int32_t z) const {
    const int32_t step = static_cast<int32_t>(horizontalStep_);
    const int32_t ix = x / step;
    const int32_t iz = z / step;
    const float* g0 = &grid2D_[ix * horizontalSamples_];
    const float* g1 = &grid2D_[(ix + 1) * horizontalSamples_];
    if (x % step == 0 && z % step == 0) {
        return g0[iz];
    }
    const int32_t x0 = step * ix, x1 = step * (ix + 1);
    const int32_t z0 = step * iz, z1 = step * (iz + 1);
    const float ax = static_cast<float>(x - x0) / static_cast<float>(x1 - x0);
    const float axBar = static_cast<float>(x1 - x) / static_cast<float>(x1 - x0);
    const float az = static_cast<float>(z - z0) / static_cast<float>(z1 - z0);
    const float azBar = static_cast<float>(z1 - z) / static_cast<float>(z1 - z0);
    return az * (axBar * g0[iz + 1] + ax * g1[iz + 1]) + azBar * (axBar * g0[iz] + ax * g1[iz]);
}

int32_t TerrainGenerator::ColumnHeight(int32_t x, int32_t z) const {
    const int32_t scaled = static_cast<int32_t>(static_cast<float>(height_) * Height(x, z));
    return (scaled + height_) / 2;
}

void TerrainGenerator::ComputeColumnHeights() {
    for (int32_t x = 0; x < width_; ++x) {
        int32_t highest = 0;
        for (int32_t z = 0; z < width_; ++z) {
            columnHeights_[x * width_ + z] = ColumnHeight(x, z);
            highest = std::max(highest, columnHeights_[x * width_ + z]);
        }
        highestColumn_[x] = highest;
    }
}

// ---- Method 1 -------------------------------------------------------------

bool TerrainGenerator::SampleHeightmap(int32_t budget, int32_t& count) {
    const BlockPosition& origin = current_->Origin();
    const int32_t step = static_cast<int32_t>(horizontalStep_);
    int32_t firstZ = sampleZ_;
    for (int32_t sx = sampleX_; sx <= width_; sx += step) {
        for (int32_t sz = firstZ; sz <= width_; sz += step) {
            if (count > budget) {
                sampleX_ = sx;
                sampleZ_ = sz;
                return false;
            }
            Grid2D(sx / step, sz / step) =
                noise_->OctaveNoise2D(SampleCoordinate(origin.x, sx), SampleCoordinate(origin.z, sz));
            count += kHeightmapSampleCost;
        }
        firstZ = 0;
    }
    samplingPending_ = false;
    sampleX_ = sampleZ_ = 0;
    ComputeColumnHeights();
    return true;
}

bool TerrainGenerator::FillColumns(int32_t budget, int32_t& count) {
    const int32_t columns = width_ * width_;
    int32_t position = fillZ_ * width_ + fillX_;
    if (position == 0 && count <= budget && UnitsAllowed(budget, count) >= columns) {
        current_->SetAllColumns(columnHeights_.data());
        count += columns;
        return true;
    }
    // Columns go z-outer, x-inner.
    for (; position < columns; ++position) {
        const int32_t z = position / width_;
        const int32_t x = position % width_;
        if (count > budget) {
            fillZ_ = z;
            fillX_ = x;
            return false;
        }
        current_->SetColumn(x, z, columnHeights_[x * width_ + z]);
        count += 1;
    }
    return true;
}

int32_t TerrainGenerator::GenerateHeightmap(Chunk* chunk, int32_t budget) {
    if (!busy_) {
        StartJob(chunk);
    }
    int32_t count = 0;
    if (samplingPending_ && !SampleHeightmap(budget, count)) {
        return count;
    }
    if (!FillColumns(budget, count)) {
        return count;
    }
    EndJob();
    return count;
}

// ---- Method 2 -------------------------------------------------------------

bool TerrainGenerator::SampleCaves(int32_t budget, int32_t& count) {
    const BlockPosition& origin = current_->Origin();
    const int32_t hStep = static_cast<int32_t>(horizontalStep_);
    const int32_t vStep = static_cast<int32_t>(verticalStep_);
    int32_t firstX = sampleX_;
    int32_t firstZ = sampleZ_;
    for (int32_t sy = sampleY_; sy <= height_; sy += vStep) {
        for (int32_t sx = firstX; sx <= width_; sx += hStep) {
            for (int32_t sz = firstZ; sz <= width_; sz += hStep) {
                if (count > budget) {
                    sampleY_ = sy;
                    sampleX_ = sx;
                    sampleZ_ = sz;
                    return false;
                }
                const float x = SampleCoordinate(origin.x, sx);
                const float y = SampleCoordinate(origin.y, sy);
                const float z = SampleCoordinate(origin.z, sz);
                if (sy == 0) {
                    Grid2D(sx / hStep, sz / hStep) = noise_->OctaveNoise2D(x, z);
                }
                Grid3D(sx / hStep, sz / hStep, sy / vStep) = noise_->OctaveNoise3D(x, y, z);
                count += 1;
            }
            firstZ = 0;
        }
        firstX = 0;
    }
    current_->Clear();
    samplingPending_ = false;
    sampleX_ = sampleY_ = sampleZ_ = 0;
    ComputeColumnHeights();
    return true;
}

// Trilinear density along the z-row (x, y). The x and y weights are fixed for
// the row, so each z cell boundary is reduced first; the products and sums are
// those of the full trilinear formula, in the same order.
void TerrainGenerator::DensityRow(int32_t x, int32_t y) {
    const int32_t hStep = static_cast<int32_t>(horizontalStep_);
    const int32_t vStep = static_cast<int32_t>(verticalStep_);
    const int32_t ix = x / hStep, iy = y / vStep;
    const int32_t x0 = hStep * ix, x1 = hStep * (ix + 1);
    const int32_t y0 = vStep * iy, y1 = vStep * (iy + 1);
    const float bx = static_cast<float>(x - x0) / static_cast<float>(x1 - x0);
    const float bxBar = static_cast<float>(x1 - x) / static_cast<float>(x1 - x0);
    const float by = static_cast<float>(y - y0) / static_cast<float>(y1 - y0);
    const float byBar = static_cast<float>(y1 - y) / static_cast<float>(y1 - y0);
    for (int32_t k = 0; k < horizontalSamples_; ++k) {
        const float g00 = Grid3D(ix, k, iy), g10 = Grid3D(ix + 1, k, iy);
        const float g01 = Grid3D(ix, k, iy + 1), g11 = Grid3D(ix + 1, k, iy + 1);
        cellDensity_[k] = by * (bx * g11 + bxBar * g01) + byBar * (bx * g10 + bxBar * g00);
    }
    const float span = static_cast<float>(hStep);
    for (int32_t iz = 0; iz < width_ / hStep; ++iz) {
        const float near = cellDensity_[iz];
        const float far = cellDensity_[iz + 1];
        float* out = &densityRow_[iz * hStep];
        for (int32_t rz = 0; rz < hStep; ++rz) {
            const float bz = static_cast<float>(rz) / span;
            const float bzBar = static_cast<float>(hStep - rz) / span;
            out[rz] = bz * far + bzBar * near;
        }
    }
    if (x % hStep == 0 && y % vStep == 0) {
        // On a sample point the density is the sample itself.
        for (int32_t iz = 0; iz < width_ / hStep; ++iz) {
            densityRow_[iz * hStep] = Grid3D(ix, iz, iy);
        }
    }
}

bool TerrainGenerator::FillCaves(int32_t budget, int32_t& count) {
    const uint32_t width = static_cast<uint32_t>(width_);
    const uint32_t total = width * width * static_cast<uint32_t>(height_);
    uint32_t position = (static_cast<uint32_t>(fillY_) * width + static_cast<uint32_t>(fillX_)) * width +
                        static_cast<uint32_t>(fillZ_);
    while (position < total) {
        const int32_t z = static_cast<int32_t>(position % width);
        const int32_t x = static_cast<int32_t>(position / width % width);
        const int32_t y = static_cast<int32_t>(position / width / width);
        if (count > budget) {
            fillY_ = y;
            fillX_ = x;
            fillZ_ = z;
            return false;
        }
        const int32_t zEnd = static_cast<int32_t>(std::min<int64_t>(width_, z + UnitsAllowed(budget, count)));
        if (y < highestColumn_[x]) {
            DensityRow(x, y);
            const int32_t* heights = &columnHeights_[x * width_];
            for (int32_t rz = z; rz < zEnd; ++rz) {
                rowValues_[rz] = static_cast<uint8_t>((densityRow_[rz] >= kCaveThreshold) & (heights[rz] > y));
            }
        } else {
            // Above every column of the row: air whatever the density.
            std::fill(rowValues_.begin() + z, rowValues_.begin() + zEnd, uint8_t{0});
        }
        current_->SetRow(x, y, z, zEnd, &rowValues_[z]);
        count += zEnd - z;
        position += static_cast<uint32_t>(zEnd - z);
    }
    return true;
}

int32_t TerrainGenerator::GenerateCaves(Chunk* chunk, int32_t budget) {
    if (!busy_) {
        StartJob(chunk);
    }
    int32_t count = 0;
    if (samplingPending_ && !SampleCaves(budget, count)) {
        return count;
    }
    if (!FillCaves(budget, count)) {
        return count;
    }
    EndJob();
    return count;
}

int32_t TerrainGenerator::Generate(int32_t method, Chunk* chunk, int32_t budget) {
    return method == kCavesMethod ? GenerateCaves(chunk, budget) : GenerateHeightmap(chunk, budget);
}

void TerrainGenerator::GenerateWhole(int32_t method, Chunk* chunk) {
    while (busy_) {
        Generate(method, current_, kWholeJobBudget);
    }
    do {
        Generate(method, chunk, kWholeJobBudget);
    } while (busy_);
}
