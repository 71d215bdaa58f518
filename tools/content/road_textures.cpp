// The road surfaces. Each texture covers one half of a segment's road: s runs
// from the edge (0) to the centre line (1), t along the segment (0 to 1, row 0
// first). Every family comes plain, with kerbs for tight bends and with the
// start/finish line, which sits at the end of the start segment where the laps count.
#include <cmath>
#include <string>

#include "content/content.h"
#include "assets/picture_file.h"
#include "design/picture.h"
#include "shell/paths.h"

namespace {

struct RoadFamily {
    const char* name;
    Rgba base;
    Rgba line;
    Rgba centre;
    double roughness;
};

const RoadFamily families[] = {
    {"asphalt", {72, 74, 78, 255}, {236, 236, 230, 255}, {236, 236, 230, 255}, 10.0},
    {"dusty", {112, 96, 82, 255}, {240, 232, 214, 255}, {242, 200, 64, 255}, 12.0},
    {"concrete", {138, 138, 134, 255}, {250, 250, 250, 255}, {246, 206, 52, 255}, 7.0},
    {"basalt", {46, 44, 50, 255}, {226, 226, 232, 255}, {232, 120, 48, 255}, 9.0},
};

const int widthPx = 256;
const int heightPx = 256;

enum class Variant { plain, kerb, start };

RgbaImage paint(const RoadFamily& f, Variant variant, uint32_t seed)
{
    RgbaImage image = makeImage(widthPx, heightPx, f.base);
    Random random = seededRandom(seed);
    for (int y = 0; y < heightPx; ++y) {
        double t = (y + 0.5) / heightPx;
        for (int x = 0; x < widthPx; ++x) {
            double s = (x + 0.5) / widthPx;
            // Aggregate grain and a faint darker wheel track in the middle of the lane.
            double grain = (nextUnit(random) - 0.5) * f.roughness;
            double blotch = (fractalNoise(s * 6.0, t * 12.0, 3, seed) - 0.5) * f.roughness * 1.6;
            double wear = -8.0 * std::exp(-std::pow((s - 0.55) / 0.12, 2.0));
            Rgba c = shade(f.base, 1.0 + (grain + blotch + wear) / 120.0);
            // Shoulder: the outermost strip is rougher and darker.
            if (s < 0.03)
                c = shade(c, 0.8);
            double lineLo = 0.045, lineHi = 0.085;
            if (variant == Variant::kerb) {
                lineLo = 0.115;
                lineHi = 0.15;
                if (s < 0.1) {
                    // Four red and white blocks per segment, a lighter rounded top toward the road.
                    bool red = static_cast<int>(std::floor(t * 8.0)) % 2 == 0;
                    c = red ? Rgba{200, 36, 32, 255} : Rgba{238, 238, 232, 255};
                    c = shade(c, 0.86 + 0.14 * std::sin(s / 0.1 * 3.14159));
                }
            }
            if (s >= lineLo && s < lineHi)
                c = mix(c, f.line, 0.92);
            // The centre line: one dash per segment, half of it on each half of the road.
            if (s >= 0.992 && t >= 0.22 && t < 0.78)
                c = mix(c, f.centre, 0.9);
            if (variant == Variant::start && t >= 0.86 && t < 0.97) {
                int col = static_cast<int>(std::floor(s * 8.0)), row = static_cast<int>(std::floor((t - 0.86) / 0.055));
                c = (col + row) % 2 == 0 ? Rgba{20, 20, 22, 255} : Rgba{246, 246, 246, 255};
            }
            c.a = 255;
            setPixel(image, x, y, c);
        }
    }
    return image;
}

} // namespace

bool writeRoadTextures(const std::string& root)
{
    std::string folder = root + "/tex_road";
    if (!makeDirectories(folder))
        return false;
    uint32_t seed = 11;
    for (const RoadFamily& f : families) {
        std::string base = folder + "/" + f.name;
        if (!savePng(paint(f, Variant::plain, seed), base + ".png") ||
            !savePng(paint(f, Variant::kerb, seed + 1), base + "_kerb.png") ||
            !savePng(paint(f, Variant::start, seed + 2), base + "_start.png"))
            return false;
        seed += 10;
    }
    return true;
}
