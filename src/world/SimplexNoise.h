#pragma once

#include <cstdint>
#include <string>

// How a seed text seeds the noise: by its first byte alone, or by a hash of
// every byte.
enum class SeedRule { FirstByte, WholeText };

// Seeded simplex noise in two and three dimensions, single precision.
class SimplexNoise {
public:
    static constexpr int kTableSize = 512;

    SimplexNoise();
    ~SimplexNoise();
    SimplexNoise(const SimplexNoise&) = delete;
    SimplexNoise& operator=(const SimplexNoise&) = delete;

    void Initialize(const std::string& seed, SeedRule rule = SeedRule::FirstByte);

    float Noise2D(float x, float y) const;
    float Noise3D(float x, float y, float z) const;
    // Two octaves (2-D) or four (3-D) at scale 1/128 and persistence 0.5,
    // divided by the sum of the amplitudes.
    float OctaveNoise2D(float x, float y) const;
    float OctaveNoise3D(float x, float y, float z) const;

    int16_t Perm(int index) const { return perm_[index]; }
    int16_t PermMod12(int index) const { return permMod12_[index]; }

private:
    uint32_t NextRandom();
    void SeedFromFirstByte(const std::string& seed);
    void SeedFromWholeText(const std::string& seed);

    int16_t* perm_;
    int16_t* permMod12_;
    uint32_t w_;
    uint32_t z_;
};

// The integer part of v when v > 0, else the integer part minus one: exact
// non-positive integers map one lower (FastFloor(0) is -1).
int32_t FastFloor(float v);
