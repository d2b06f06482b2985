#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "world/SimplexNoise.h"

class Chunk;

// Fills one chunk at a time from seeded noise, resumably: each call does a
// bounded amount of work on its current job and returns the units it did.
// Noise is sampled every 8 blocks and interpolated in between.
class TerrainGenerator {
public:
    TerrainGenerator();
    ~TerrainGenerator();
    TerrainGenerator(const TerrainGenerator&) = delete;
    TerrainGenerator& operator=(const TerrainGenerator&) = delete;

    void Initialize(const std::string& seed, int32_t chunkWidth, int32_t chunkHeight,
                    SeedRule rule = SeedRule::FirstByte);
    void Shutdown();

    // Method 1: a height map (5 units per sample, 1 per column).
    int32_t GenerateHeightmap(Chunk* chunk, int32_t budget);
    // Method 2: the height map carved by a 3-D density (1 unit per sample or block).
    int32_t GenerateCaves(Chunk* chunk, int32_t budget);
    // One call of the method that mapGenerationMethod names (2 caves, any
    // other value the height map).
    int32_t Generate(int32_t method, Chunk* chunk, int32_t budget);
    // A whole job on the chunk, after any job this generator had begun.
    void GenerateWhole(int32_t method, Chunk* chunk);

    bool IsBusy() const { return busy_; }
    const SimplexNoise& Noise() const { return *noise_; }

private:
    void StartJob(Chunk* chunk);
    void EndJob();
    float SampleCoordinate(int32_t origin, int32_t offset) const;
    float& Grid2D(int32_t sx, int32_t sz) { return grid2D_[sx * horizontalSamples_ + sz]; }
    float& Grid3D(int32_t sx, int32_t sz, int32_t sy) {
        return grid3D_[(sx * horizontalSamples_ + sz) * verticalSamples_ + sy];
    }
    float Height(int32_t x, int32_t z) const;
    int32_t ColumnHeight(int32_t x, int32_t z) const;
    void ComputeColumnHeights();
    // The density along one z-row, into densityRow_.
    void DensityRow(int32_t x, int32_t y);

    bool SampleHeightmap(int32_t budget, int32_t& count);
    bool FillColumns(int32_t budget, int32_t& count);
    bool SampleCaves(int32_t budget, int32_t& count);
    bool FillCaves(int32_t budget, int32_t& count);

    uint32_t verticalStep_;
    uint32_t horizontalStep_;
    std::vector<float> grid2D_;
    std::vector<float> grid3D_;
    int32_t horizontalSamples_;
    int32_t verticalSamples_;
    SimplexNoise* noise_;
    Chunk* current_;
    bool samplingPending_;
    bool busy_;
    int32_t fillX_;
    int32_t fillY_;
    int32_t fillZ_;
    int32_t sampleX_;
    int32_t sampleY_;
    int32_t sampleZ_;

    int32_t width_;
    int32_t height_;
    // Per-job scratch, sized once: column heights and one row of densities.
    std::vector<int32_t> columnHeights_;
    std::vector<int32_t> highestColumn_;  // per x, the highest column height of that z-row
    std::vector<float> densityRow_;
    std::vector<float> cellDensity_;
    std::vector<uint8_t> rowValues_;
};
