// The track menu's pictures: each track's layout seen from above, drawn from
// its own road geometry, and the two frames laid over a track button.
#include <algorithm>
#include <cmath>
#include <string>

#include "content/content.h"
#include "assets/picture_file.h"
#include "design/picture.h"
#include "design/track_catalogue.h"
#include "shell/paths.h"

namespace {

const int size = 64;
const int over = 4;

// Coverage of a pixel by a rounded rectangle of the whole picture, inset by inset.
double panelCoverage(double x, double y, double side, double inset, double radius)
{
    double lo = inset + radius, hi = side - inset - radius;
    double dx = std::max({lo - x, 0.0, x - hi}), dy = std::max({lo - y, 0.0, y - hi});
    double d = std::sqrt(dx * dx + dy * dy) - radius;
    return std::clamp(0.5 - d, 0.0, 1.0);
}

void capsule(RgbaImage& image, double ax, double ay, double bx, double by, double radius, Rgba colour)
{
    int x0 = static_cast<int>(std::floor(std::min(ax, bx) - radius - 1)), x1 = static_cast<int>(std::ceil(std::max(ax, bx) + radius + 1));
    int y0 = static_cast<int>(std::floor(std::min(ay, by) - radius - 1)), y1 = static_cast<int>(std::ceil(std::max(ay, by) + radius + 1));
    double ex = bx - ax, ey = by - ay, l2 = ex * ex + ey * ey;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            double px = x + 0.5 - ax, py = y + 0.5 - ay;
            double k = l2 > 0 ? std::clamp((px * ex + py * ey) / l2, 0.0, 1.0) : 0.0;
            double d = std::hypot(px - ex * k, py - ey * k);
            double cover = std::clamp(radius + 0.5 - d, 0.0, 1.0);
            if (cover > 0.0) {
                Rgba old = getPixel(image, x, y);
                Rgba c = colour;
                c.a = 255;
                Rgba m = mix(old, c, cover);
                m.a = std::max(old.a, static_cast<uint8_t>(255 * cover));
                setPixel(image, x, y, m);
            }
        }
    }
}

RgbaImage drawTrack(const BuiltTrack& track)
{
    const int big = size * over;
    RgbaImage image = makeImage(big, big, Rgba{0, 0, 0, 0});
    // Panel: deep blue-grey, slightly lighter toward the top.
    for (int y = 0; y < big; ++y)
        for (int x = 0; x < big; ++x) {
            double cover = panelCoverage(x + 0.5, y + 0.5, big, 0.0, 6.0 * over);
            Rgba c = mix(Rgba{18, 26, 40, 255}, Rgba{34, 46, 66, 255}, static_cast<double>(y) / big);
            c.a = static_cast<uint8_t>(235 * cover);
            setPixel(image, x, y, c);
        }
    std::vector<Vec3> line;
    for (const TrackSegment& seg : track.segments)
        for (int i = 0; i < 4; ++i)
            line.push_back(roadPoint(seg, i / 4.0, 0.5));
    double minX = 1e18, minY = 1e18, maxX = -1e18, maxY = -1e18, minZ = 1e18, maxZ = -1e18;
    for (const Vec3& p : line) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
        minZ = std::min(minZ, p.z);
        maxZ = std::max(maxZ, p.z);
    }
    const double inner = (size - 14.0) * over;
    double k = inner / std::max(maxX - minX, maxY - minY);
    double ox = big * 0.5 - (minX + maxX) * 0.5 * k, oy = big * 0.5 - (minY + maxY) * 0.5 * k;
    auto px = [&](const Vec3& p) { return ox + p.x * k; };
    auto py = [&](const Vec3& p) { return oy + p.y * k; };
    const size_t n = line.size();
    for (size_t i = 0; i < n; ++i)
        capsule(image, px(line[i]), py(line[i]), px(line[(i + 1) % n]), py(line[(i + 1) % n]), 3.2 * over,
                Rgba{8, 12, 20, 255});
    // Higher road is drawn warmer and drawn last, so crossings read right.
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return line[a].z < line[b].z; });
    for (size_t i : order) {
        double h = maxZ > minZ ? (line[i].z - minZ) / (maxZ - minZ) : 0.0;
        Rgba c = mix(Rgba{200, 226, 250, 255}, Rgba{255, 200, 90, 255}, h);
        capsule(image, px(line[i]), py(line[i]), px(line[(i + 1) % n]), py(line[(i + 1) % n]), 1.9 * over, c);
    }
    // The start and finish: a red bar across the road at the end of the start segment.
    Vec3 a = railPoint(track.segments[0], 0, 1.0), b = railPoint(track.segments[0], 3, 1.0);
    Vec3 c{(a.x + b.x) * 0.5, (a.y + b.y) * 0.5, 0};
    double dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
    dx /= l;
    dy /= l;
    double half = 4.5 * over;
    capsule(image, px(c) - dx * half, py(c) - dy * half, px(c) + dx * half, py(c) + dy * half, 1.3 * over,
            Rgba{230, 40, 40, 255});
    return downsample(image, over);
}

// Signed distance to the edge of the picture's rounded square, negative inside.
double edgeDistance(double x, double y, double side, double radius)
{
    double lo = radius, hi = side - radius;
    double dx = std::max({lo - x, 0.0, x - hi}), dy = std::max({lo - y, 0.0, y - hi});
    double outside = std::sqrt(dx * dx + dy * dy) - radius;
    if (dx > 0.0 || dy > 0.0)
        return outside;
    return -std::min({x, side - x, y, side - y});
}

RgbaImage drawFrame(bool selected)
{
    const int big = size * over;
    RgbaImage image = makeImage(big, big, Rgba{0, 0, 0, 0});
    const double width = (selected ? 3.0 : 2.0) * over;
    for (int y = 0; y < big; ++y) {
        for (int x = 0; x < big; ++x) {
            double d = edgeDistance(x + 0.5, y + 0.5, big, 6.0 * over);
            double alpha = 0.0;
            Rgba c;
            if (d <= 0.0 && d >= -width)
                alpha = selected ? 255.0 : 190.0;
            else if (selected && d < -width)
                // A warm glow fading inward over a few pixels.
                alpha = 120.0 * std::exp((d + width) / (2.5 * over));
            if (selected)
                c = d >= -width ? Rgba{255, 214, 80, 0} : Rgba{255, 236, 150, 0};
            else
                c = Rgba{118, 146, 196, 0};
            c.a = static_cast<uint8_t>(std::clamp(alpha, 0.0, 255.0));
            setPixel(image, x, y, c);
        }
    }
    return downsample(image, over);
}

} // namespace

bool writeTrackPictures(const std::string& root)
{
    std::string folder = root + "/gui";
    if (!makeDirectories(folder))
        return false;
    for (const BuiltTrack& track : builtTracks())
        if (track.segments.empty() || !saveTga(drawTrack(track), folder + "/track" + track.design.name + ".tga"))
            return false;
    return saveTga(drawFrame(true), folder + "/trackSel.tga") && saveTga(drawFrame(false), folder + "/trackUnsel.tga");
}
