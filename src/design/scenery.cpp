#include "design/scenery.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <unordered_map>


namespace {

const double pi = 3.14159265358979323846;

enum Tile {
    tileGround,
    tileGroundAlt,
    tileRock,
    tilePeak,
    tileFoliage,
    tileTrunk,
    tileWall,
    tileWater,
    tileMarker,
    tileRoof,
    tileStand,
    tileMetal,
    tileSand,
    tileFoliageAlt,
    tileCount = 16
};
const int tilePx = 128;

enum class Trees { none, broadleaf, pine, palm };

struct Theme {
    const char* name;
    Rgba ground, groundAlt, rock, peak, foliage, foliageAlt, trunk, wall, waterColour, sand;
    Trees trees;
    int treeCount;
    int rockCount;
    int buildingCount;
    double buildingHeight;
    bool pylons;
    int mesaCount;
    bool water;
    // Near undulation and far mountain heights, metres; the plateau lifts the land
    // away from the road (canyons), the blend is how far the ground eases to the road.
    double hills, mountains, plateau, blend;
    // Height above the start where bare ground gives way to the peak tile.
    double snowLine;
    bool grandstand;
    // Metres the land falls away into the sea beyond the road's +x side; 0 for inland themes.
    double sea;
};

const Theme themes[] = {
    {"meadow", {92, 150, 64, 255}, {74, 128, 52, 255}, {128, 124, 116, 255}, {236, 240, 246, 255},
     {52, 110, 44, 255}, {86, 132, 46, 255}, {96, 70, 46, 255}, {210, 200, 180, 255}, {60, 110, 160, 255},
     {200, 186, 140, 255}, Trees::broadleaf, 700, 60, 12, 9, false, 0, true, 22, 420, 0, 90, 1e9, true, 0},
    {"forest", {64, 112, 52, 255}, {50, 90, 42, 255}, {112, 110, 104, 255}, {230, 236, 242, 255},
     {30, 76, 40, 255}, {44, 92, 40, 255}, {82, 60, 42, 255}, {170, 150, 120, 255}, {48, 92, 130, 255},
     {150, 140, 110, 255}, Trees::pine, 1500, 80, 0, 0, false, 0, true, 30, 600, 0, 70, 1e9, false, 0},
    {"coast", {170, 176, 96, 255}, {140, 160, 78, 255}, {150, 140, 124, 255}, {240, 240, 240, 255},
     {60, 130, 60, 255}, {90, 150, 70, 255}, {120, 90, 60, 255}, {236, 232, 220, 255}, {40, 120, 170, 255},
     {226, 210, 160, 255}, Trees::palm, 500, 60, 30, 8, false, 0, true, 14, 350, 0, 80, 1e9, true, 45},
    {"desert", {214, 180, 124, 255}, {200, 160, 104, 255}, {176, 112, 72, 255}, {222, 196, 150, 255},
     {110, 130, 70, 255}, {130, 140, 80, 255}, {120, 90, 60, 255}, {220, 196, 160, 255}, {70, 130, 150, 255},
     {230, 206, 150, 255}, Trees::none, 0, 260, 6, 6, false, 18, false, 18, 380, 0, 90, 1e9, false, 0},
    {"alpine", {96, 132, 72, 255}, {120, 130, 96, 255}, {120, 118, 116, 255}, {240, 244, 250, 255},
     {34, 80, 52, 255}, {40, 88, 56, 255}, {80, 60, 44, 255}, {190, 170, 140, 255}, {70, 120, 160, 255},
     {160, 150, 130, 255}, Trees::pine, 1100, 160, 4, 7, false, 0, true, 40, 1400, 0, 70, 160, false, 0},
    {"city", {120, 124, 120, 255}, {92, 130, 70, 255}, {130, 130, 128, 255}, {200, 200, 204, 255},
     {60, 110, 50, 255}, {80, 120, 60, 255}, {90, 70, 50, 255}, {160, 170, 186, 255}, {50, 90, 120, 255},
     {170, 170, 160, 255}, Trees::broadleaf, 250, 0, 420, 60, false, 0, true, 4, 260, 0, 60, 1e9, true, 0},
    {"industrial", {120, 112, 96, 255}, {100, 96, 84, 255}, {110, 104, 98, 255}, {190, 190, 190, 255},
     {70, 100, 50, 255}, {80, 104, 56, 255}, {90, 70, 50, 255}, {150, 130, 110, 255}, {60, 80, 80, 255},
     {150, 140, 120, 255}, Trees::broadleaf, 150, 60, 160, 24, true, 0, true, 8, 300, 0, 60, 1e9, false, 0},
    {"canyon", {196, 120, 74, 255}, {176, 100, 62, 255}, {160, 84, 54, 255}, {214, 150, 100, 255},
     {110, 120, 60, 255}, {130, 130, 70, 255}, {110, 80, 50, 255}, {200, 160, 120, 255}, {60, 110, 120, 255},
     {216, 170, 120, 255}, Trees::none, 0, 320, 0, 0, false, 10, false, 12, 500, 40, 70, 1e9, false, 0},
    {"volcanic", {66, 60, 58, 255}, {86, 76, 70, 255}, {44, 40, 40, 255}, {120, 110, 104, 255},
     {60, 80, 40, 255}, {70, 90, 44, 255}, {60, 50, 40, 255}, {120, 110, 100, 255}, {236, 96, 24, 255},
     {100, 90, 84, 255}, Trees::none, 0, 300, 0, 0, false, 6, true, 26, 1100, 0, 70, 1e9, false, 0},
};

const Theme& themeFor(const std::string& name)
{
    for (const Theme& t : themes)
        if (name == t.name)
            return t;
    return themes[0];
}

} // namespace

const std::vector<std::string>& sceneryThemes()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const Theme& t : themes)
            out.push_back(t.name);
        return out;
    }();
    return names;
}

uint32_t scenerySeed(const std::string& trackName)
{
    // The built-in tracks are named by digits, and their land keeps the seed
    // it always had; any other name is hashed (FNV-1a).
    bool digits = !trackName.empty() && trackName.size() <= 9;
    for (char c : trackName)
        digits = digits && c >= '0' && c <= '9';
    if (digits)
        return 1000u + static_cast<uint32_t>(std::stoul(trackName)) * 7919u;
    uint32_t h = 2166136261u;
    for (unsigned char c : trackName)
        h = (h ^ c) * 16777619u;
    return h;
}

namespace {

// ---- the road as a cloud of surface samples, bucketed on a plane grid ----

struct RoadCloud {
    std::vector<Vec3> points;
    // Horizontal reach of each point: half the road's width for centre-line points, 0 for surface points.
    std::vector<double> reach;
    double x0 = 0, y0 = 0, bucket = 20.0;
    int nx = 0, ny = 0;
    double maxReach = 0.0;
    std::vector<std::vector<int>> buckets;
};

// The road surface densely (every 1.5 m along, eighths across) or, with
// centreLine set, its centre line every 3 m with the half width as reach.
RoadCloud sampleRoad(const BuiltTrack& track, bool centreLine)
{
    RoadCloud cloud;
    for (const TrackSegment& seg : track.segments) {
        double len = length(sub(railPoint(seg, 0, 1.0), railPoint(seg, 0, 0.0))) +
                     length(sub(railPoint(seg, 3, 1.0), railPoint(seg, 3, 0.0)));
        int nt = std::max(centreLine ? 4 : 8, static_cast<int>(std::ceil(len * 0.5 / (centreLine ? 3.0 : 1.5))));
        for (int i = 0; i < nt; ++i) {
            double t = static_cast<double>(i) / nt;
            if (centreLine) {
                Vec3 a = railPoint(seg, 0, t), b = railPoint(seg, 3, t);
                cloud.points.push_back(roadPoint(seg, t, 0.5));
                cloud.reach.push_back(0.5 * std::hypot(b.x - a.x, b.y - a.y));
                continue;
            }
            for (int j = 0; j <= 8; ++j) {
                cloud.points.push_back(roadPoint(seg, t, j / 8.0));
                cloud.reach.push_back(0.0);
            }
        }
    }
    for (double r : cloud.reach)
        cloud.maxReach = std::max(cloud.maxReach, r);
    double minX = 1e18, minY = 1e18, maxX = -1e18, maxY = -1e18;
    for (const Vec3& p : cloud.points) {
        minX = std::min(minX, p.x);
        minY = std::min(minY, p.y);
        maxX = std::max(maxX, p.x);
        maxY = std::max(maxY, p.y);
    }
    cloud.x0 = minX - 1.0;
    cloud.y0 = minY - 1.0;
    cloud.nx = static_cast<int>((maxX - cloud.x0) / cloud.bucket) + 2;
    cloud.ny = static_cast<int>((maxY - cloud.y0) / cloud.bucket) + 2;
    cloud.buckets.resize(static_cast<size_t>(cloud.nx) * cloud.ny);
    for (size_t i = 0; i < cloud.points.size(); ++i) {
        int bx = static_cast<int>((cloud.points[i].x - cloud.x0) / cloud.bucket);
        int by = static_cast<int>((cloud.points[i].y - cloud.y0) / cloud.bucket);
        cloud.buckets[static_cast<size_t>(by) * cloud.nx + bx].push_back(static_cast<int>(i));
    }
    return cloud;
}

struct Nearby {
    // Horizontal distance to the nearest road sample and that sample's height;
    // the lowest road height within the clamp radius.
    double distance = 1e18;
    double nearestZ = 0.0;
    double lowestZ = 1e18;
};

Nearby queryRoad(const RoadCloud& cloud, double x, double y, double searchRadius, double clampRadius)
{
    Nearby out;
    double r = std::max(searchRadius, clampRadius) + cloud.maxReach;
    int bx0 = static_cast<int>(std::floor((x - r - cloud.x0) / cloud.bucket));
    int bx1 = static_cast<int>(std::floor((x + r - cloud.x0) / cloud.bucket));
    int by0 = static_cast<int>(std::floor((y - r - cloud.y0) / cloud.bucket));
    int by1 = static_cast<int>(std::floor((y + r - cloud.y0) / cloud.bucket));
    bx0 = std::max(bx0, 0);
    by0 = std::max(by0, 0);
    bx1 = std::min(bx1, cloud.nx - 1);
    by1 = std::min(by1, cloud.ny - 1);
    double best = 1e36;
    for (int by = by0; by <= by1; ++by) {
        for (int bx = bx0; bx <= bx1; ++bx) {
            for (int i : cloud.buckets[static_cast<size_t>(by) * cloud.nx + bx]) {
                const Vec3& p = cloud.points[i];
                double d2 = (p.x - x) * (p.x - x) + (p.y - y) * (p.y - y);
                if (d2 <= clampRadius * clampRadius)
                    out.lowestZ = std::min(out.lowestZ, p.z);
                double d = std::sqrt(d2) - cloud.reach[i];
                if (d < best) {
                    best = d;
                    out.nearestZ = p.z;
                }
            }
        }
    }
    if (best < 1e36)
        out.distance = std::max(best, 0.0);
    return out;
}

double smooth(double k)
{
    k = std::clamp(k, 0.0, 1.0);
    return k * k * (3.0 - 2.0 * k);
}

// ---- the atlas ----

struct TileUv {
    double u0, v0, u1, v1;
};

TileUv tileUv(int tile)
{
    const double w = tilePx * tileCount;
    return TileUv{(tile * tilePx + 2.0) / w, 2.0 / tilePx, ((tile + 1) * tilePx - 2.0) / w, (tilePx - 2.0) / tilePx};
}

Rgba noisy(Rgba base, double amount, double n)
{
    return shade(base, 1.0 + (n - 0.5) * amount);
}

RgbaImage paintAtlas(const Theme& th, uint32_t seed)
{
    RgbaImage atlas = makeImage(tilePx * tileCount, tilePx, Rgba{128, 128, 128, 255});
    Random random = seededRandom(seed);
    for (int tile = 0; tile < tileCount; ++tile) {
        for (int y = 0; y < tilePx; ++y) {
            for (int x = 0; x < tilePx; ++x) {
                double u = (x + 0.5) / tilePx, v = (y + 0.5) / tilePx;
                double grain = nextUnit(random);
                double n = fractalNoise(u * 8.0 + tile * 13.0, v * 8.0, 4, seed);
                Rgba c;
                switch (tile) {
                case tileGround: c = noisy(th.ground, 0.25, 0.6 * n + 0.4 * grain); break;
                case tileGroundAlt: c = noisy(th.groundAlt, 0.3, 0.6 * n + 0.4 * grain); break;
                case tileRock: {
                    // Strata: bands across v broken by noise.
                    double band = 0.5 + 0.5 * std::sin(v * 40.0 + n * 6.0);
                    c = noisy(th.rock, 0.35, 0.5 * band + 0.3 * n + 0.2 * grain);
                    break;
                }
                case tilePeak: c = noisy(th.peak, 0.12, 0.7 * n + 0.3 * grain); break;
                case tileFoliage: c = noisy(th.foliage, 0.5, 0.5 * n + 0.5 * grain); break;
                case tileFoliageAlt: c = noisy(th.foliageAlt, 0.5, 0.5 * n + 0.5 * grain); break;
                case tileTrunk: c = noisy(th.trunk, 0.4, 0.7 * (0.5 + 0.5 * std::sin(u * 50.0 + n * 4.0)) + 0.3 * grain); break;
                case tileWall: {
                    c = noisy(th.wall, 0.12, grain);
                    // Windows: a grid of darker glass panes with a lit one here and there.
                    double wx = std::fmod(u * 6.0, 1.0), wy = std::fmod(v * 10.0, 1.0);
                    if (wx > 0.2 && wx < 0.8 && wy > 0.25 && wy < 0.8) {
                        int cell = static_cast<int>(u * 6.0) * 31 + static_cast<int>(v * 10.0) * 7 + tile;
                        c = (cell * 2654435761u >> 28) % 5 == 0 ? Rgba{230, 210, 140, 255} : Rgba{50, 64, 84, 255};
                    }
                    break;
                }
                case tileWater: {
                    double ripple = 0.5 + 0.5 * std::sin(u * 30.0 + std::sin(v * 20.0) * 2.0);
                    c = noisy(th.waterColour, 0.2, 0.6 * ripple + 0.4 * n);
                    break;
                }
                case tileMarker:
                    // Roadside post: white with a red top and a black band, v up the post.
                    c = v > 0.78 ? Rgba{210, 30, 30, 255} : (v > 0.7 ? Rgba{20, 20, 20, 255} : Rgba{240, 240, 236, 255});
                    break;
                case tileRoof: c = noisy(Rgba{70, 72, 78, 255}, 0.2, grain); break;
                case tileStand: {
                    // Spectators: bright specks on grey steps.
                    double step = std::fmod(v * 8.0, 1.0);
                    c = step < 0.3 ? Rgba{110, 110, 116, 255} : Rgba{static_cast<uint8_t>(80 + 170 * grain),
                                                                     static_cast<uint8_t>(60 + 160 * nextUnit(random)),
                                                                     static_cast<uint8_t>(60 + 160 * nextUnit(random)), 255};
                    break;
                }
                case tileMetal: c = noisy(Rgba{150, 150, 156, 255}, 0.3, 0.5 * n + 0.5 * grain); break;
                case tileSand: c = noisy(th.sand, 0.15, 0.6 * n + 0.4 * grain); break;
                default: c = noisy(th.ground, 0.2, grain); break;
                }
                c.a = 255;
                setPixel(atlas, tile * tilePx + x, y, c);
            }
        }
    }
    return atlas;
}

// ---- mesh building helpers ----

struct Builder {
    TrisBuilder mesh;
    size_t group = 0;
    // Four corner texture coordinates per tile and its centre, made on first use.
    std::vector<std::array<uint32_t, 5>> tileCoords;
    std::vector<bool> tileMade;
    uint32_t up = 0;
};

uint32_t tileCorner(Builder& b, int tile, int corner)
{
    if (b.tileCoords.empty()) {
        b.tileCoords.resize(tileCount);
        b.tileMade.assign(tileCount, false);
    }
    if (!b.tileMade[tile]) {
        TileUv uv = tileUv(tile);
        b.tileCoords[tile] = {addTexCoord(b.mesh, uv.u0, uv.v0), addTexCoord(b.mesh, uv.u1, uv.v0),
                              addTexCoord(b.mesh, uv.u1, uv.v1), addTexCoord(b.mesh, uv.u0, uv.v1),
                              addTexCoord(b.mesh, (uv.u0 + uv.u1) * 0.5, (uv.v0 + uv.v1) * 0.5)};
        b.tileMade[tile] = true;
    }
    return b.tileCoords[tile][corner];
}

// The light shines straight down, so walls would be nearly black: their normals
// lean upward by a brightness of their own, which keeps the faces apart.
Vec3 litNormal(Vec3 n, double brightness)
{
    double h = std::sqrt(n.x * n.x + n.y * n.y);
    if (h < 1e-9)
        return n;
    double side = std::sqrt(std::max(0.0, 1.0 - brightness * brightness));
    return Vec3{n.x / h * side, n.y / h * side, brightness};
}

double faceBrightness(Vec3 n)
{
    // Sun from the south-west as seen in the shading, without moving the real light.
    double h = std::sqrt(n.x * n.x + n.y * n.y);
    if (h < 1e-9)
        return 1.0;
    double toward = (-n.x * 0.6 - n.y * 0.8) / h;
    return 0.62 + 0.22 * toward;
}

// A triangle with corners counter-clockwise from outside, its own flat normal and
// the tile's corners c0, c1, c2 (0 to 3 around the tile).
void flatTriangle(Builder& b, uint32_t i0, uint32_t i1, uint32_t i2, int tile, int c0, int c1, int c2)
{
    const Vec3& p0 = b.mesh.positions[i0];
    const Vec3& p1 = b.mesh.positions[i1];
    const Vec3& p2 = b.mesh.positions[i2];
    Vec3 n = normalize(cross(sub(p1, p0), sub(p2, p0)));
    if (std::fabs(n.z) < 0.9)
        n = litNormal(n, faceBrightness(n) * (n.z < -0.2 ? 0.5 : 1.0));
    uint32_t ni = addNormal(b.mesh, n);
    uint32_t v[3] = {i0, i1, i2}, nn[3] = {ni, ni, ni};
    uint32_t t[3] = {tileCorner(b, tile, c0), tileCorner(b, tile, c1), tileCorner(b, tile, c2)};
    addTriangle(b.mesh, b.group, v, nn, t);
}

void flatQuad(Builder& b, uint32_t i0, uint32_t i1, uint32_t i2, uint32_t i3, int tile)
{
    flatTriangle(b, i0, i1, i2, tile, 0, 1, 2);
    flatTriangle(b, i0, i2, i3, tile, 0, 2, 3);
}

// A box or frustum on the ground: base centre, half sizes, yaw, top scaled by taper.
void addBlock(Builder& b, Vec3 base, double hx, double hy, double height, double yaw, double taper, int sideTile,
              int topTile)
{
    double c = std::cos(yaw), s = std::sin(yaw);
    uint32_t idx[8];
    for (int i = 0; i < 8; ++i) {
        bool top = i >= 4;
        double k = top ? taper : 1.0;
        double lx = ((i & 1) ? hx : -hx) * k, ly = ((i & 2) ? hy : -hy) * k;
        // Corners 0, 1, 3, 2 run counter-clockwise seen from above.
        idx[i] = addPosition(b.mesh, Vec3{base.x + c * lx - s * ly, base.y + s * lx + c * ly, base.z + (top ? height : 0.0)});
    }
    flatQuad(b, idx[4], idx[5], idx[7], idx[6], topTile);
    flatQuad(b, idx[0], idx[1], idx[5], idx[4], sideTile);
    flatQuad(b, idx[1], idx[3], idx[7], idx[5], sideTile);
    flatQuad(b, idx[3], idx[2], idx[6], idx[7], sideTile);
    flatQuad(b, idx[2], idx[0], idx[4], idx[6], sideTile);
}

// A cone or spike of the given sides: base ring and apex.
void addCone(Builder& b, Vec3 base, double radius, double height, int sides, double phase, int tile)
{
    uint32_t apex = addPosition(b.mesh, Vec3{base.x, base.y, base.z + height});
    std::vector<uint32_t> ring;
    for (int i = 0; i < sides; ++i) {
        double a = phase + 2.0 * pi * i / sides;
        ring.push_back(addPosition(b.mesh, Vec3{base.x + radius * std::cos(a), base.y + radius * std::sin(a), base.z}));
    }
    for (int i = 0; i < sides; ++i)
        flatTriangle(b, ring[i], ring[(i + 1) % sides], apex, tile, 0, 1, 2);
}

// A boulder: an uneven ring of corners, a shoulder ring and an off-centre top.
void addRock(Builder& b, Vec3 base, double radius, double height, Random& random)
{
    const int sides = 6;
    std::vector<uint32_t> low, high;
    double phase = nextRange(random, 0, 6);
    for (int i = 0; i < sides; ++i) {
        double a = phase + 2.0 * pi * i / sides, r = radius * nextRange(random, 0.7, 1.15);
        low.push_back(addPosition(b.mesh, Vec3{base.x + r * std::cos(a), base.y + r * std::sin(a), base.z}));
        double a2 = a + pi / sides, r2 = r * nextRange(random, 0.5, 0.8);
        high.push_back(addPosition(b.mesh, Vec3{base.x + r2 * std::cos(a2), base.y + r2 * std::sin(a2),
                                                base.z + height * nextRange(random, 0.45, 0.7)}));
    }
    uint32_t top = addPosition(b.mesh, Vec3{base.x + radius * nextRange(random, -0.2, 0.2),
                                            base.y + radius * nextRange(random, -0.2, 0.2), base.z + height});
    for (int i = 0; i < sides; ++i) {
        int j = (i + 1) % sides;
        flatTriangle(b, low[i], low[j], high[i], tileRock, 0, 1, 2);
        flatTriangle(b, high[i], low[j], high[j], tileRock, 3, 1, 2);
        flatTriangle(b, high[i], high[j], top, tileRock, 0, 1, 2);
    }
}

// A rounded crown: ring at mid height, apex above, point below.
void addCrown(Builder& b, Vec3 centre, double radius, double height, int tile, double phase)
{
    uint32_t top = addPosition(b.mesh, Vec3{centre.x, centre.y, centre.z + height * 0.5});
    uint32_t bottom = addPosition(b.mesh, Vec3{centre.x, centre.y, centre.z - height * 0.5});
    std::vector<uint32_t> ring;
    const int sides = 6;
    for (int i = 0; i < sides; ++i) {
        double a = phase + 2.0 * pi * i / sides;
        ring.push_back(addPosition(b.mesh, Vec3{centre.x + radius * std::cos(a), centre.y + radius * std::sin(a), centre.z}));
    }
    for (int i = 0; i < sides; ++i) {
        flatTriangle(b, ring[i], ring[(i + 1) % sides], top, tile, 0, 1, 2);
        flatTriangle(b, ring[(i + 1) % sides], ring[i], bottom, tile, 0, 1, 3);
    }
}

// ---- the terrain grid ----

struct Grid {
    std::vector<double> xs, ys;
    std::vector<double> z;
    double at(size_t i, size_t j) const { return z[j * xs.size() + i]; }
};

std::vector<double> axis(double lo, double hi, double cell, double centre)
{
    std::vector<double> core;
    int n = static_cast<int>(std::ceil((hi - lo) / cell));
    for (int i = 0; i <= n; ++i)
        core.push_back(lo + i * cell);
    std::vector<double> out;
    // Cells grow by a quarter each step outward, to the rim of the scenery.
    double step = cell, x = core.front();
    std::vector<double> before;
    while (x > centre - sceneryHalfSize) {
        step *= 1.3;
        x = std::max(x - step, centre - sceneryHalfSize);
        before.push_back(x);
    }
    out.assign(before.rbegin(), before.rend());
    out.insert(out.end(), core.begin(), core.end());
    step = cell;
    x = core.back();
    while (x < centre + sceneryHalfSize) {
        step *= 1.3;
        x = std::min(x + step, centre + sceneryHalfSize);
        out.push_back(x);
    }
    return out;
}

double gridHeight(const Grid& g, double x, double y)
{
    size_t i = std::upper_bound(g.xs.begin(), g.xs.end(), x) - g.xs.begin();
    size_t j = std::upper_bound(g.ys.begin(), g.ys.end(), y) - g.ys.begin();
    i = std::clamp<size_t>(i, 1, g.xs.size() - 1);
    j = std::clamp<size_t>(j, 1, g.ys.size() - 1);
    double fx = (x - g.xs[i - 1]) / (g.xs[i] - g.xs[i - 1]), fy = (y - g.ys[j - 1]) / (g.ys[j] - g.ys[j - 1]);
    fx = std::clamp(fx, 0.0, 1.0);
    fy = std::clamp(fy, 0.0, 1.0);
    double a = g.at(i - 1, j - 1), bb = g.at(i, j - 1), c = g.at(i - 1, j), d = g.at(i, j);
    // The lower of the bilinear value and the cell's corners keeps features from floating.
    double bil = (a + (bb - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
    return std::min(bil, std::min(std::min(a, bb), std::min(c, d)) + 0.5);
}

} // namespace

Scenery buildScenery(const BuiltTrack& track)
{
    const Theme& th = themeFor(track.design.theme);
    uint32_t seed = scenerySeed(track.design.name);
    Scenery out;
    // One atlas per theme, painted once: tracks of a theme share the look.
    static std::vector<std::pair<std::string, RgbaImage>> atlases;
    auto cached = std::find_if(atlases.begin(), atlases.end(), [&](const auto& e) { return e.first == th.name; });
    if (cached == atlases.end()) {
        atlases.emplace_back(th.name, paintAtlas(th, static_cast<uint32_t>(&th - themes) * 101u + 7u));
        cached = atlases.end() - 1;
    }
    out.atlas = cached->second;
    Builder b;
    b.group = groupIndex(b.mesh, "ground");

    RoadCloud cloud = sampleRoad(track, true);
    RoadCloud surface = sampleRoad(track, false);
    double minX = 1e18, minY = 1e18, maxX = -1e18, maxY = -1e18, minRoadZ = 1e18, maxRoadZ = -1e18;
    for (const Vec3& p : surface.points) {
        minX = std::min(minX, p.x);
        minY = std::min(minY, p.y);
        maxX = std::max(maxX, p.x);
        maxY = std::max(maxY, p.y);
        minRoadZ = std::min(minRoadZ, p.z);
        maxRoadZ = std::max(maxRoadZ, p.z);
    }
    const double margin = 500.0;
    const double cx = (minX + maxX) * 0.5, cy = (minY + maxY) * 0.5;
    double extent = std::max(maxX - minX, maxY - minY) + 2.0 * margin;
    const double cell = std::max(12.0, extent / 120.0);
    Grid g;
    g.xs = axis(minX - margin, maxX + margin, cell, cx);
    g.ys = axis(minY - margin, maxY + margin, cell, cy);
    const size_t nx = g.xs.size(), ny = g.ys.size();
    g.z.resize(nx * ny);
    const double waterLevel = minRoadZ - 3.0;
    const double clampRadius = cell * 1.4143 + 2.5;
    for (size_t j = 0; j < ny; ++j) {
        for (size_t i = 0; i < nx; ++i) {
            double x = g.xs[i], y = g.ys[j];
            double near = (fractalNoise(x / 420.0, y / 420.0, 4, seed) - 0.5) * 2.0 * th.hills;
            // Distance beyond the road's box: the land rises into mountains toward the rim.
            double ox = std::max(0.0, std::fabs(x - cx) - (maxX - minX) * 0.5);
            double oy = std::max(0.0, std::fabs(y - cy) - (maxY - minY) * 0.5);
            double out2 = std::sqrt(ox * ox + oy * oy);
            double ridge = fractalNoise(x / 700.0, y / 700.0, 5, seed + 5);
            double mountain = th.mountains * smooth((out2 - 400.0) / 1800.0) * (0.25 + 0.75 * ridge * ridge);
            double natural = near + mountain + th.plateau + (minRoadZ + maxRoadZ) * 0.5;
            // The coast: beyond the road on the +x side the land sinks under the sea
            // instead of rising into mountains.
            if (th.sea > 0.0) {
                double shore = smooth((x - maxX - 60.0) / 250.0);
                natural = natural * (1.0 - shore) + (minRoadZ - th.sea) * shore;
            }
            Nearby r = queryRoad(cloud, x, y, th.blend + 20.0, 0.0);
            r.lowestZ = queryRoad(surface, x, y, 0.0, clampRadius).lowestZ;
            double h = natural;
            if (r.distance < 1e17) {
                double target = r.nearestZ - groundClearance - 0.2;
                h = target + (natural - target) * smooth((r.distance - 3.0) / th.blend);
            }
            if (r.lowestZ < 1e17)
                h = std::min(h, r.lowestZ - groundClearance);
            g.z[j * nx + i] = h;
        }
    }

    // Terrain: shared corners and smooth normals, the tile chosen per triangle.
    std::vector<uint32_t> vid(nx * ny), nid(nx * ny);
    for (size_t j = 0; j < ny; ++j) {
        for (size_t i = 0; i < nx; ++i) {
            vid[j * nx + i] = addPosition(b.mesh, Vec3{g.xs[i], g.ys[j], g.at(i, j)});
            size_t i0 = i > 0 ? i - 1 : i, i1 = i + 1 < nx ? i + 1 : i;
            size_t j0 = j > 0 ? j - 1 : j, j1 = j + 1 < ny ? j + 1 : j;
            double dzdx = (g.at(i1, j) - g.at(i0, j)) / (g.xs[i1] - g.xs[i0]);
            double dzdy = (g.at(i, j1) - g.at(i, j0)) / (g.ys[j1] - g.ys[j0]);
            nid[j * nx + i] = addNormal(b.mesh, Vec3{-dzdx, -dzdy, 1.0});
        }
    }
    for (size_t j = 0; j + 1 < ny; ++j) {
        for (size_t i = 0; i + 1 < nx; ++i) {
            size_t k[4] = {j * nx + i, j * nx + i + 1, (j + 1) * nx + i + 1, (j + 1) * nx + i};
            double zs[4] = {g.z[k[0]], g.z[k[1]], g.z[k[2]], g.z[k[3]]};
            double zmax = *std::max_element(zs, zs + 4), zmin = *std::min_element(zs, zs + 4);
            double span = std::max(g.xs[i + 1] - g.xs[i], g.ys[j + 1] - g.ys[j]);
            double slope = (zmax - zmin) / span;
            double cxm = (g.xs[i] + g.xs[i + 1]) * 0.5, cym = (g.ys[j] + g.ys[j + 1]) * 0.5;
            int tile = fractalNoise(cxm / 150.0, cym / 150.0, 3, seed + 9) > 0.55 ? tileGroundAlt : tileGround;
            if (th.water && zmin < waterLevel + 1.5 && queryRoad(cloud, cxm, cym, 40.0, 0.0).distance > 30.0)
                tile = tileSand;
            if (slope > 0.45)
                tile = tileRock;
            if (zmax - minRoadZ > th.snowLine || zmax > minRoadZ + th.plateau + th.mountains * 0.45)
                tile = slope > 0.9 ? tileRock : tilePeak;
            // Mirrored tiling: the tile's corners follow the parity of the grid lines.
            // The large cells toward the rim take the tile's mean colour instead,
            // which would otherwise be stretched into stripes.
            int c[4];
            bool far = span > cell * 2.5;
            for (int q = 0; q < 4; ++q) {
                size_t ii = i + (q == 1 || q == 2), jj = j + (q >= 2);
                c[q] = far ? 4 : (ii & 1) ? ((jj & 1) ? 2 : 1) : ((jj & 1) ? 3 : 0);
            }
            uint32_t v0[3] = {vid[k[0]], vid[k[1]], vid[k[2]]}, n0[3] = {nid[k[0]], nid[k[1]], nid[k[2]]};
            uint32_t t0[3] = {tileCorner(b, tile, c[0]), tileCorner(b, tile, c[1]), tileCorner(b, tile, c[2])};
            addTriangle(b.mesh, b.group, v0, n0, t0);
            uint32_t v1[3] = {vid[k[0]], vid[k[2]], vid[k[3]]}, n1[3] = {nid[k[0]], nid[k[2]], nid[k[3]]};
            uint32_t t1[3] = {tileCorner(b, tile, c[0]), tileCorner(b, tile, c[2]), tileCorner(b, tile, c[3])};
            addTriangle(b.mesh, b.group, v1, n1, t1);
        }
    }

    // Water (or lava) fills every hollow below the lowest road, never reaching it.
    if (th.water) {
        b.group = groupIndex(b.mesh, "water");
        const int n = 6;
        std::vector<uint32_t> w;
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i)
                w.push_back(addPosition(b.mesh, Vec3{g.xs.front() + (g.xs.back() - g.xs.front()) * i / n,
                                                     g.ys.front() + (g.ys.back() - g.ys.front()) * j / n, waterLevel}));
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i)
                flatQuad(b, w[j * (n + 1) + i], w[j * (n + 1) + i + 1], w[(j + 1) * (n + 1) + i + 1],
                         w[(j + 1) * (n + 1) + i], tileWater);
    }

    // Features keep this much room to the nearest road sample beyond their own size.
    auto clear = [&](double x, double y, double radius, double room = 4.0) {
        return queryRoad(cloud, x, y, radius + room, 0.0).distance > radius + room;
    };
    auto ground = [&](double x, double y) { return gridHeight(g, x, y); };
    auto dry = [&](double x, double y) { return !th.water || ground(x, y) > waterLevel + 0.5; };
    const size_t budget = 64000;
    Random random = seededRandom(seed + 3);

    // Roadside posts every 50 m on both sides: they make the speed readable.
    b.group = groupIndex(b.mesh, "posts");
    const double L = track.path.length;
    for (double s = 25.0; s < L; s += 50.0) {
        PathSample p = samplePath(track.design, track.path, s);
        for (double side : {1.0, -1.0}) {
            double off = p.width * 0.5 * std::cos(p.bank) + 2.2;
            double x = p.centre.x - p.dy * off * side, y = p.centre.y + p.dx * off * side;
            if (!clear(x, y, 0.3, 1.2))
                continue;
            double gz = ground(x, y);
            double top = p.centre.z + 1.0 - side * p.width * 0.5 * std::sin(p.bank);
            addBlock(b, Vec3{x, y, gz - 0.3}, 0.12, 0.12, std::max(1.0, top - gz + 0.3), std::atan2(p.dy, p.dx), 1.0,
                     tileMarker, tileMarker);
        }
    }

    // A grandstand beside the start straight, on the left.
    if (th.grandstand) {
        b.group = groupIndex(b.mesh, "stand");
        PathSample p = samplePath(track.design, track.path, 0.0);
        double x = -(p.width * 0.5 + 24.0);
        bool fits = true;
        for (double y = -70.0; y <= 70.0; y += 10.0)
            fits = fits && clear(x, y, 16.0);
        if (fits) {
            double gz = std::min(ground(x - 6.0, 0.0), ground(x + 6.0, 0.0));
            for (int step = 0; step < 4; ++step)
                addBlock(b, Vec3{x - step * 3.0, 0.0, gz}, 1.6 + 0.0, 60.0, 2.0 + step * 2.2, 0.0, 1.0, tileStand, tileStand);
            addBlock(b, Vec3{x - 12.5, 0.0, gz}, 1.0, 60.0, 12.0, 0.0, 1.0, tileWall, tileRoof);
        }
    }

    // Mesas: flat-topped rock towers away from the road.
    b.group = groupIndex(b.mesh, "rocks");
    for (int k = 0, tries = 0; k < th.mesaCount && tries < 2000; ++tries) {
        double x = nextRange(random, minX - 1200, maxX + 1200), y = nextRange(random, minY - 1200, maxY + 1200);
        double r = nextRange(random, 60.0, 180.0);
        if (!clear(x, y, r * 1.4 + 60.0))
            continue;
        addBlock(b, Vec3{x, y, ground(x, y) - 5.0}, r, r * nextRange(random, 0.6, 1.0), nextRange(random, 50, 150),
                 nextRange(random, 0, pi), 0.8, tileRock, tileGroundAlt);
        ++k;
    }
    for (int k = 0, tries = 0; k < th.rockCount && tries < 20000 && b.mesh.positions.size() < budget; ++tries) {
        double x = nextRange(random, minX - 400, maxX + 400), y = nextRange(random, minY - 400, maxY + 400);
        double r = nextRange(random, 1.0, 7.0);
        if (!clear(x, y, r + 2.0) || !dry(x, y))
            continue;
        addRock(b, Vec3{x, y, ground(x, y) - r * 0.3}, r, r * nextRange(random, 0.6, 1.4), random);
        ++k;
    }

    // Buildings near the road, taller further from it.
    b.group = groupIndex(b.mesh, "buildings");
    for (int k = 0, tries = 0; k < th.buildingCount && tries < 40000 && b.mesh.positions.size() < budget; ++tries) {
        double x = nextRange(random, minX - 300, maxX + 300), y = nextRange(random, minY - 300, maxY + 300);
        double hx = nextRange(random, 6.0, 22.0), hy = nextRange(random, 6.0, 22.0);
        double r = std::hypot(hx, hy);
        if (!clear(x, y, r + 8.0) || !dry(x, y))
            continue;
        double d = queryRoad(cloud, x, y, 400.0, 0.0).distance;
        double h = th.buildingHeight * nextRange(random, 0.25, 1.0) * (0.5 + std::min(d, 300.0) / 300.0);
        // Aligned with the nearest stretch of road looks planned rather than scattered.
        double yaw = std::floor(nextRange(random, 0, 4)) * pi * 0.5 + 0.1 * (nextUnit(random) - 0.5);
        addBlock(b, Vec3{x, y, ground(x, y) - 1.0}, hx, hy, h, yaw, 1.0, tileWall, tileRoof);
        ++k;
    }

    // Power line pylons marching across the land.
    if (th.pylons) {
        for (int line = 0; line < 2; ++line) {
            double a = nextRange(random, 0, pi);
            double ox = cx + nextRange(random, -300, 300), oy = cy + nextRange(random, -300, 300);
            for (double s = -2500; s <= 2500; s += 160) {
                double x = ox + std::cos(a) * s, y = oy + std::sin(a) * s;
                if (!clear(x, y, 20.0) || !dry(x, y) || b.mesh.positions.size() >= budget)
                    continue;
                double gz = ground(x, y);
                addBlock(b, Vec3{x, y, gz - 0.5}, 3.0, 3.0, 38.0, a, 0.25, tileMetal, tileMetal);
                addBlock(b, Vec3{x, y, gz + 30.0}, 0.6, 9.0, 1.4, a, 1.0, tileMetal, tileMetal);
            }
        }
    }

    // Trees in groves: denser where the noise says so and close to the road.
    b.group = groupIndex(b.mesh, "trees");
    for (int k = 0, tries = 0; th.trees != Trees::none && k < th.treeCount && tries < 200000 &&
                               b.mesh.positions.size() + 40 < budget;
         ++tries) {
        double x = nextRange(random, minX - 450, maxX + 450), y = nextRange(random, minY - 450, maxY + 450);
        double grove = fractalNoise(x / 260.0, y / 260.0, 3, seed + 21);
        if (nextUnit(random) > smooth((grove - 0.35) / 0.3))
            continue;
        double size = nextRange(random, 0.7, 1.4);
        if (!clear(x, y, 4.0 * size + 1.0) || !dry(x, y))
            continue;
        double gz = ground(x, y) - 0.3;
        int foliage = nextUnit(random) < 0.5 ? tileFoliage : tileFoliageAlt;
        double phase = nextRange(random, 0, 6);
        if (th.trees == Trees::pine) {
            addBlock(b, Vec3{x, y, gz}, 0.35 * size, 0.35 * size, 3.0 * size, phase, 1.0, tileTrunk, tileTrunk);
            addCone(b, Vec3{x, y, gz + 2.0 * size}, 3.6 * size, 8.0 * size, 6, phase, foliage);
            addCone(b, Vec3{x, y, gz + 6.5 * size}, 2.6 * size, 6.0 * size, 6, phase + 0.5, foliage);
        } else if (th.trees == Trees::palm) {
            addBlock(b, Vec3{x, y, gz}, 0.3 * size, 0.3 * size, 9.0 * size, phase, 0.7, tileTrunk, tileTrunk);
            addCrown(b, Vec3{x, y, gz + 9.0 * size}, 4.0 * size, 1.6 * size, foliage, phase);
        } else {
            addBlock(b, Vec3{x, y, gz}, 0.4 * size, 0.4 * size, 3.5 * size, phase, 0.8, tileTrunk, tileTrunk);
            addCrown(b, Vec3{x, y, gz + 5.5 * size}, 3.8 * size, 6.0 * size, foliage, phase);
        }
        ++k;
    }
    out.mesh = std::move(b.mesh);
    return out;
}
