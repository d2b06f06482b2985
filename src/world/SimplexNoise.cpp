#include "world/SimplexNoise.h"

#include <cmath>

namespace {
struct Gradient {
    float x;
    float y;
    float z;
};

constexpr Gradient kGradients[12] = {{1, 1, 0},  {-1, 1, 0},  {1, -1, 0}, {-1, -1, 0}, {1, 0, 1},  {-1, 0, 1},
                                     {1, 0, -1}, {-1, 0, -1}, {0, 1, 1},  {0, -1, 1},  {0, 1, -1}, {0, -1, -1}};

constexpr float kPersistence = 0.5f;
constexpr float kScale = 0.0078125f;

// The square root of three is taken in double precision, then narrowed.
const float kSqrt3 = static_cast<float>(std::sqrt(3.0));
const float kF2 = 0.5f * (kSqrt3 - 1.0f);
const float kG2 = (3.0f - kSqrt3) / 6.0f;
constexpr float kF3 = 1.0f / 3.0f;
constexpr float kG3 = 1.0f / 6.0f;

float Corner2D(float t, const Gradient& g, float x, float y) {
    if (t < 0.0f) {
        return 0.0f;
    }
    t *= t;
    return t * t * (g.x * x + g.y * y);
}

float Corner3D(float t, const Gradient& g, float x, float y, float z) {
    if (t < 0.0f) {
        return 0.0f;
    }
    t *= t;
    return t * t * (g.x * x + g.y * y + g.z * z);
}
}  // namespace

int32_t FastFloor(float v) {
    const int32_t whole = static_cast<int32_t>(v);
    return v > 0.0f ? whole : whole - 1;
}

SimplexNoise::SimplexNoise() : perm_(nullptr), permMod12_(nullptr), w_(0), z_(0) {}

SimplexNoise::~SimplexNoise() {
    delete[] perm_;
    delete[] permMod12_;
}

uint32_t SimplexNoise::NextRandom() {
    z_ = 36969u * (z_ & 0xFFFFu) + (z_ >> 16);
    w_ = 18000u * (w_ & 0xFFFFu) + (w_ >> 16);
    return (z_ << 16) + w_;
}

void SimplexNoise::SeedFromFirstByte(const std::string& seed) {
    // The first byte is a signed char widened to 32 bits: 0xD8 becomes 0xFFFFFFD8.
    const int32_t widened = seed.empty() ? 0 : static_cast<int32_t>(static_cast<int8_t>(seed[0]));
    const uint32_t c = static_cast<uint32_t>(widened);
    w_ = c >> 2;
    z_ = c >> 4;
}

// FNV-1a over the bytes, then the SplitMix64 finaliser so that texts that
// differ in one byte differ in about half the bits of both generator words.
void SimplexNoise::SeedFromWholeText(const std::string& seed) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : seed) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 0x100000001b3ull;
    }
    hash = (hash ^ (hash >> 30)) * 0xbf58476d1ce4e5b9ull;
    hash = (hash ^ (hash >> 27)) * 0x94d049bb133111ebull;
    hash ^= hash >> 31;
    // A word of zero would leave its half of the generator at zero for good.
    w_ = static_cast<uint32_t>(hash) | 1u;
    z_ = static_cast<uint32_t>(hash >> 32) | 1u;
}

void SimplexNoise::Initialize(const std::string& seed, SeedRule rule) {
    if (rule == SeedRule::WholeText) {
        SeedFromWholeText(seed);
    } else {
        SeedFromFirstByte(seed);
    }
    if (perm_ == nullptr) {
        perm_ = new int16_t[kTableSize];
        permMod12_ = new int16_t[kTableSize];
    }
    for (int i = 0; i < 256; ++i) {
        const uint32_t r = NextRandom();
        const double scaled = (static_cast<double>(r) + 1.0) * 2.328306435454494e-10 * 255.0;
        perm_[i] = static_cast<int16_t>(scaled);
        permMod12_[i] = static_cast<int16_t>(perm_[i] % 12);
        perm_[i + 256] = perm_[i];
        permMod12_[i + 256] = permMod12_[i];
    }
}

float SimplexNoise::Noise2D(float xin, float yin) const {
    const float s = (xin + yin) * kF2;
    const int32_t i = FastFloor(xin + s);
    const int32_t j = FastFloor(yin + s);
    const float t = static_cast<float>(i + j) * kG2;
    const float x0 = xin - (static_cast<float>(i) - t);
    const float y0 = yin - (static_cast<float>(j) - t);
    const int i1 = x0 > y0 ? 1 : 0;
    const int j1 = x0 > y0 ? 0 : 1;
    const float x1 = x0 - static_cast<float>(i1) + kG2;
    const float y1 = y0 - static_cast<float>(j1) + kG2;
    const float x2 = x0 - 1.0f + 2.0f * kG2;
    const float y2 = y0 - 1.0f + 2.0f * kG2;
    const int ii = i & 255;
    const int jj = j & 255;
    const int g0 = permMod12_[ii + perm_[jj]];
    const int g1 = permMod12_[ii + i1 + perm_[jj + j1]];
    const int g2 = permMod12_[ii + 1 + perm_[jj + 1]];
    const float n0 = Corner2D(0.5f - x0 * x0 - y0 * y0, kGradients[g0], x0, y0);
    const float n1 = Corner2D(0.5f - x1 * x1 - y1 * y1, kGradients[g1], x1, y1);
    const float n2 = Corner2D(0.5f - x2 * x2 - y2 * y2, kGradients[g2], x2, y2);
    return 70.0f * (n0 + n1 + n2);
}

float SimplexNoise::Noise3D(float xin, float yin, float zin) const {
    const float s = (xin + yin + zin) * kF3;
    const int32_t i = FastFloor(xin + s);
    const int32_t j = FastFloor(yin + s);
    const int32_t k = FastFloor(zin + s);
    const float t = static_cast<float>(i + j + k) * kG3;
    const float x0 = xin - (static_cast<float>(i) - t);
    const float y0 = yin - (static_cast<float>(j) - t);
    const float z0 = zin - (static_cast<float>(k) - t);
    int i1, j1, k1, i2, j2, k2;
    if (x0 >= y0) {
        if (y0 >= z0) {
            i1 = 1, j1 = 0, k1 = 0, i2 = 1, j2 = 1, k2 = 0;
        } else if (x0 >= z0) {
            i1 = 1, j1 = 0, k1 = 0, i2 = 1, j2 = 0, k2 = 1;
        } else {
            i1 = 0, j1 = 0, k1 = 1, i2 = 1, j2 = 0, k2 = 1;
        }
    } else {
        if (y0 < z0) {
            i1 = 0, j1 = 0, k1 = 1, i2 = 0, j2 = 1, k2 = 1;
        } else if (x0 < z0) {
            i1 = 0, j1 = 1, k1 = 0, i2 = 0, j2 = 1, k2 = 1;
        } else {
            i1 = 0, j1 = 1, k1 = 0, i2 = 1, j2 = 1, k2 = 0;
        }
    }
    const float x1 = x0 - static_cast<float>(i1) + kG3;
    const float y1 = y0 - static_cast<float>(j1) + kG3;
    const float z1 = z0 - static_cast<float>(k1) + kG3;
    const float x2 = x0 - static_cast<float>(i2) + 2.0f * kG3;
    const float y2 = y0 - static_cast<float>(j2) + 2.0f * kG3;
    const float z2 = z0 - static_cast<float>(k2) + 2.0f * kG3;
    const float x3 = x0 - 1.0f + 3.0f * kG3;
    const float y3 = y0 - 1.0f + 3.0f * kG3;
    const float z3 = z0 - 1.0f + 3.0f * kG3;
    const int ii = i & 255;
    const int jj = j & 255;
    const int kk = k & 255;
    const int g0 = permMod12_[ii + perm_[jj + perm_[kk]]];
    const int g1 = permMod12_[ii + i1 + perm_[jj + j1 + perm_[kk + k1]]];
    const int g2 = permMod12_[ii + i2 + perm_[jj + j2 + perm_[kk + k2]]];
    const int g3 = permMod12_[ii + 1 + perm_[jj + 1 + perm_[kk + 1]]];
    const float n0 = Corner3D(0.5f - x0 * x0 - y0 * y0 - z0 * z0, kGradients[g0], x0, y0, z0);
    const float n1 = Corner3D(0.5f - x1 * x1 - y1 * y1 - z1 * z1, kGradients[g1], x1, y1, z1);
    const float n2 = Corner3D(0.5f - x2 * x2 - y2 * y2 - z2 * z2, kGradients[g2], x2, y2, z2);
    const float n3 = Corner3D(0.5f - x3 * x3 - y3 * y3 - z3 * z3, kGradients[g3], x3, y3, z3);
    return 32.0f * (n0 + n1 + n2 + n3);
}

float SimplexNoise::OctaveNoise2D(float x, float y) const {
    float total = 0.0f;
    float frequency = kScale;
    float amplitude = 1.0f;
    float amplitudeSum = 0.0f;
    for (int octave = 0; octave < 2; ++octave) {
        total += Noise2D(x * frequency, y * frequency) * amplitude;
        frequency *= 2.0f;
        amplitudeSum += amplitude;
        amplitude *= kPersistence;
    }
    return total / amplitudeSum;
}

float SimplexNoise::OctaveNoise3D(float x, float y, float z) const {
    float total = 0.0f;
    float frequency = kScale;
    float amplitude = 1.0f;
    float amplitudeSum = 0.0f;
    for (int octave = 0; octave < 4; ++octave) {
        total += Noise3D(x * frequency, y * frequency, z * frequency) * amplitude;
        frequency *= 2.0f;
        amplitudeSum += amplitude;
        amplitude *= kPersistence;
    }
    return total / amplitudeSum;
}
