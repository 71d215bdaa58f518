#include "design/picture.h"

#include <algorithm>
#include <cmath>

RgbaImage makeImage(int width, int height, Rgba fill)
{
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
    return image;
}

void setPixel(RgbaImage& image, int x, int y, Rgba colour)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height)
        return;
    image.pixels[static_cast<size_t>(y) * image.width + x] = colour;
}

Rgba getPixel(const RgbaImage& image, int x, int y)
{
    x = std::clamp(x, 0, image.width - 1);
    y = std::clamp(y, 0, image.height - 1);
    return image.pixels[static_cast<size_t>(y) * image.width + x];
}

static uint8_t channel(double v)
{
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

Rgba mix(Rgba a, Rgba b, double k)
{
    return Rgba{channel(a.r + (b.r - a.r) * k), channel(a.g + (b.g - a.g) * k),
                channel(a.b + (b.b - a.b) * k), channel(a.a + (b.a - a.a) * k)};
}

Rgba shade(Rgba c, double k)
{
    return Rgba{channel(c.r * k), channel(c.g * k), channel(c.b * k), c.a};
}

void blendPixel(RgbaImage& image, int x, int y, Rgba colour, double coverage)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height || coverage <= 0.0)
        return;
    Rgba& p = image.pixels[static_cast<size_t>(y) * image.width + x];
    p = mix(p, colour, std::min(coverage, 1.0));
}

RgbaImage downsample(const RgbaImage& image, int factor)
{
    RgbaImage out = makeImage(image.width / factor, image.height / factor, Rgba{});
    const double n = static_cast<double>(factor * factor);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < factor; ++j) {
                for (int i = 0; i < factor; ++i) {
                    Rgba p = getPixel(image, x * factor + i, y * factor + j);
                    // Colours are weighted by alpha so transparent pixels do not darken edges.
                    r += p.r * p.a;
                    g += p.g * p.a;
                    b += p.b * p.a;
                    a += p.a;
                }
            }
            Rgba q;
            if (a > 0) {
                q.r = channel(r / a);
                q.g = channel(g / a);
                q.b = channel(b / a);
            }
            q.a = channel(a / n);
            setPixel(out, x, y, q);
        }
    }
    return out;
}

Random seededRandom(uint64_t seed)
{
    Random random;
    random.state = seed * 0x9e3779b97f4a7c15ull + 0x632be59bd9b4e019ull;
    return random;
}

double nextUnit(Random& random)
{
    // splitmix64: small, fast and the same on every platform.
    uint64_t z = (random.state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z = z ^ (z >> 31);
    return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

double nextRange(Random& random, double lo, double hi)
{
    return lo + (hi - lo) * nextUnit(random);
}

static double latticeValue(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h = h ^ (h >> 16);
    return static_cast<double>(h & 0xffffff) / 16777215.0;
}

double valueNoise(double x, double y, uint32_t seed)
{
    double fx = std::floor(x), fy = std::floor(y);
    int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0 - 2.0 * tx);
    ty = ty * ty * (3.0 - 2.0 * ty);
    double a = latticeValue(ix, iy, seed), b = latticeValue(ix + 1, iy, seed);
    double c = latticeValue(ix, iy + 1, seed), d = latticeValue(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double fractalNoise(double x, double y, int octaves, uint32_t seed)
{
    double sum = 0.0, weight = 1.0, total = 0.0, frequency = 1.0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * valueNoise(x * frequency, y * frequency, seed + 17u * static_cast<uint32_t>(i));
        total += weight;
        weight *= 0.5;
        frequency *= 2.0;
    }
    return sum / total;
}
