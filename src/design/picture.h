#pragma once
// An RGBA picture the content tool and the track builder paint. Row 0 is the
// bottom row, as FreeImage and OpenGL hold images: texture coordinate v = 0
// lies on row 0. Painting needs no graphics library; saving is in
// assets/picture_file.h.

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

struct RgbaImage {
    int width = 0;
    int height = 0;
    // width * height pixels, row by row from the bottom.
    std::vector<Rgba> pixels;
};

RgbaImage makeImage(int width, int height, Rgba fill);
// Coordinates outside the picture are ignored on writing and clamped on reading.
void setPixel(RgbaImage& image, int x, int y, Rgba colour);
Rgba getPixel(const RgbaImage& image, int x, int y);
// Mixes colour over the pixel by the factor coverage in [0, 1], alpha included.
void blendPixel(RgbaImage& image, int x, int y, Rgba colour, double coverage);
// Mean of each factor x factor block, for anti-aliased drawing at a larger size.
RgbaImage downsample(const RgbaImage& image, int factor);
Rgba mix(Rgba a, Rgba b, double k);
// Scales r, g and b by k, clamped to 255.
Rgba shade(Rgba c, double k);

// Deterministic pseudo-random numbers: the same seed gives the same content.
struct Random {
    uint64_t state = 0x9e3779b97f4a7c15ull;
};
Random seededRandom(uint64_t seed);
// Uniform in [0, 1).
double nextUnit(Random& random);
double nextRange(Random& random, double lo, double hi);
// Smooth value noise in [0, 1] over the plane, period free, from an integer lattice.
double valueNoise(double x, double y, uint32_t seed);
// Sum of octaves of value noise, normalised to [0, 1].
double fractalNoise(double x, double y, int octaves, uint32_t seed);
