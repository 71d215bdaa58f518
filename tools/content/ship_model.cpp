// The ship: a low faceted hover craft about 4.5 m long, in ship coordinates
// (x right, y forward, z up, metres, the road surface at z = 0). It is mostly
// seen from behind as the ghost, so the tail carries the strongest shapes: a
// wide stern with two glowing thrusters, twin fins and swept side wings.
#include <cmath>
#include <string>
#include <vector>

#include "content/content.h"
#include "assets/picture_file.h"
#include "design/picture.h"
#include "design/tris_writer.h"
#include "shell/paths.h"

namespace {

// Texture regions of ship.tga, in texture units (v = 0 at the bottom row).
struct Region {
    double u0, v0, u1, v1;
};
const Region paintRegion{0.0, 0.5, 1.0, 1.0};
const Region underRegion{0.0, 0.25, 0.5, 0.5};
const Region thrusterRegion{0.5, 0.25, 1.0, 0.5};
const Region glassRegion{0.0, 0.0, 0.5, 0.25};
const Region trimRegion{0.5, 0.0, 1.0, 0.25};

struct ShipMesh {
    TrisBuilder mesh;
};

uint32_t regionCoord(TrisBuilder& mesh, const Region& r, double a, double b)
{
    a = std::fmin(std::fmax(a, 0.02), 0.98);
    b = std::fmin(std::fmax(b, 0.02), 0.98);
    return addTexCoord(mesh, r.u0 + (r.u1 - r.u0) * a, r.v0 + (r.v1 - r.v0) * b);
}

// One flat triangle, turned so its normal points away from inside.
void face(TrisBuilder& mesh, size_t group, Vec3 a, Vec3 b, Vec3 c, Vec3 inside, const Region* forced = nullptr)
{
    Vec3 n = cross(sub(b, a), sub(c, a));
    if (length(n) < 1e-12)
        return;
    Vec3 mid = scale(add(add(a, b), c), 1.0 / 3.0);
    if (dot(n, sub(mid, inside)) < 0.0) {
        std::swap(b, c);
        n = neg(n);
    }
    n = normalize(n);
    uint32_t v[3] = {addPosition(mesh, a), addPosition(mesh, b), addPosition(mesh, c)};
    uint32_t ni = addNormal(mesh, n);
    uint32_t nn[3] = {ni, ni, ni};
    Vec3 corners[3] = {a, b, c};
    uint32_t t[3];
    for (int k = 0; k < 3; ++k) {
        const Vec3& p = corners[k];
        const Region* r = forced;
        if (!r)
            r = n.z < -0.4 ? &underRegion : &paintRegion;
        // Planar map from above: x across, y along the craft.
        t[k] = regionCoord(mesh, *r, (p.x + 2.2) / 4.4, (p.y + 2.4) / 5.0);
        if (r == &thrusterRegion || r == &glassRegion || r == &trimRegion)
            t[k] = regionCoord(mesh, *r, (p.x + 1.3) / 2.6, (p.z - 0.2) / 1.2);
    }
    addTriangle(mesh, group, v, nn, t);
}

void quad(TrisBuilder& mesh, size_t group, Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 inside, const Region* r = nullptr)
{
    face(mesh, group, a, b, c, inside, r);
    face(mesh, group, a, c, d, inside, r);
}

struct Station {
    double y, halfWidth, bottom, top;
};

// A ring of six points around the hull at one station, right side first.
std::vector<Vec3> ring(const Station& s)
{
    double mid = s.bottom + (s.top - s.bottom) * 0.45;
    return {{s.halfWidth, s.y, mid},          {s.halfWidth * 0.62, s.y, s.top},
            {-s.halfWidth * 0.62, s.y, s.top}, {-s.halfWidth, s.y, mid},
            {-s.halfWidth * 0.8, s.y, s.bottom}, {s.halfWidth * 0.8, s.y, s.bottom}};
}

void loft(TrisBuilder& mesh, size_t group, const std::vector<Station>& stations, Vec3 tip, bool capRear,
          const Region* rearRegion)
{
    std::vector<std::vector<Vec3>> rings;
    for (const Station& s : stations)
        rings.push_back(ring(s));
    for (size_t i = 0; i + 1 < rings.size(); ++i) {
        Vec3 inside{0, (stations[i].y + stations[i + 1].y) * 0.5,
                    (stations[i].bottom + stations[i].top) * 0.5};
        for (size_t k = 0; k < 6; ++k) {
            size_t k2 = (k + 1) % 6;
            quad(mesh, group, rings[i][k], rings[i][k2], rings[i + 1][k2], rings[i + 1][k], inside);
        }
    }
    const std::vector<Vec3>& front = rings.back();
    Vec3 inside{0, stations.back().y - 0.3, (stations.back().bottom + stations.back().top) * 0.5};
    for (size_t k = 0; k < 6; ++k)
        face(mesh, group, front[k], front[(k + 1) % 6], tip, inside);
    if (capRear) {
        const std::vector<Vec3>& rear = rings.front();
        Vec3 in{0, stations.front().y + 0.5, (stations.front().bottom + stations.front().top) * 0.5};
        for (size_t k = 1; k + 1 < 6; ++k)
            face(mesh, group, rear[0], rear[k], rear[k + 1], in, rearRegion);
    }
}

// A box between two corners, optionally sheared forward at the top (fins).
void slab(TrisBuilder& mesh, size_t group, Vec3 lo, Vec3 hi, double topShiftY, const Region* r = nullptr)
{
    Vec3 c[8];
    for (int i = 0; i < 8; ++i) {
        bool top = i & 4;
        c[i] = Vec3{(i & 1) ? hi.x : lo.x, ((i & 2) ? hi.y : lo.y) + (top ? topShiftY : 0.0), top ? hi.z : lo.z};
    }
    Vec3 inside = scale(add(add(lo, hi), Vec3{0, topShiftY, 0}), 0.5);
    quad(mesh, group, c[0], c[1], c[3], c[2], inside, r);
    quad(mesh, group, c[4], c[5], c[7], c[6], inside, r);
    quad(mesh, group, c[0], c[1], c[5], c[4], inside, r);
    quad(mesh, group, c[2], c[3], c[7], c[6], inside, r);
    quad(mesh, group, c[0], c[2], c[6], c[4], inside, r);
    quad(mesh, group, c[1], c[3], c[7], c[5], inside, r);
}

TrisBuilder buildShip()
{
    TrisBuilder mesh;
    size_t body = groupIndex(mesh, "body");
    loft(mesh, body,
         {{-2.0, 1.05, 0.32, 0.92}, {-1.2, 1.18, 0.28, 1.0}, {0.0, 1.1, 0.28, 0.96}, {1.2, 0.72, 0.3, 0.74},
          {2.1, 0.26, 0.36, 0.5}},
         Vec3{0.0, 2.5, 0.4}, true, &thrusterRegion);
    size_t wings = groupIndex(mesh, "wings");
    for (double side : {1.0, -1.0}) {
        // Swept wing: root along the hull side, tip further back.
        Vec3 r0{side * 1.0, 0.1, 0.52}, r1{side * 1.0, -1.8, 0.52}, t0{side * 2.1, -1.2, 0.5},
            t1{side * 2.1, -1.95, 0.5};
        Vec3 up{0, 0, 0.09};
        Vec3 inside{side * 1.5, -1.2, 0.55};
        quad(mesh, wings, add(r0, up), add(t0, up), add(t1, up), add(r1, up), inside);
        quad(mesh, wings, r0, t0, t1, r1, inside, &underRegion);
        quad(mesh, wings, r0, t0, add(t0, up), add(r0, up), inside);
        quad(mesh, wings, t0, t1, add(t1, up), add(t0, up), inside, &trimRegion);
        quad(mesh, wings, r1, t1, add(t1, up), add(r1, up), inside, &trimRegion);
        // Thruster pod at the wing tip, its rear face glowing.
        slab(mesh, wings, Vec3{side > 0 ? 1.85 : -2.25, -2.1, 0.38}, Vec3{side > 0 ? 2.25 : -1.85, -0.9, 0.72}, 0.0);
        Vec3 p0{side > 0 ? 1.87 : -2.23, -2.11, 0.41}, p1{side > 0 ? 2.23 : -1.87, -2.11, 0.69};
        quad(mesh, wings, p0, Vec3{p1.x, p0.y, p0.z}, p1, Vec3{p0.x, p0.y, p1.z}, Vec3{p0.x, -1.5, 0.55},
             &thrusterRegion);
    }
    size_t fins = groupIndex(mesh, "fins");
    for (double side : {1.0, -1.0})
        slab(mesh, fins, Vec3{side * 0.62 - 0.05, -2.0, 0.9}, Vec3{side * 0.62 + 0.05, -1.35, 1.55}, -0.35,
             &trimRegion);
    // The canopy, drawn last so the translucent ghost shows it over the hull.
    size_t canopy = groupIndex(mesh, "Tcanopy");
    const double ys[] = {-0.7, -0.2, 0.5, 1.05};
    const double ws[] = {0.36, 0.5, 0.46, 0.2};
    const double hs[] = {0.22, 0.38, 0.3, 0.06};
    std::vector<std::vector<Vec3>> rings;
    for (int i = 0; i < 4; ++i) {
        double zb = 0.93 - 0.15 * (ys[i] > 0.5 ? (ys[i] - 0.5) / 0.6 : 0.0);
        rings.push_back({{ws[i], ys[i], zb},
                         {ws[i] * 0.7, ys[i], zb + hs[i] * 0.75},
                         {0.0, ys[i], zb + hs[i]},
                         {-ws[i] * 0.7, ys[i], zb + hs[i] * 0.75},
                         {-ws[i], ys[i], zb}});
    }
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 4; ++k)
            quad(mesh, canopy, rings[i][k], rings[i][k + 1], rings[i + 1][k + 1], rings[i + 1][k],
                 Vec3{0, (ys[i] + ys[i + 1]) * 0.5, 0.85}, &glassRegion);
    for (int k = 1; k + 1 < 5; ++k)
        face(mesh, canopy, rings[0][0], rings[0][k], rings[0][k + 1], Vec3{0, 0.0, 0.9}, &glassRegion);
    return mesh;
}

RgbaImage paintSkin()
{
    const int size = 256;
    RgbaImage image = makeImage(size, size, Rgba{});
    for (int y = 0; y < size; ++y) {
        double v = (y + 0.5) / size;
        for (int x = 0; x < size; ++x) {
            double u = (x + 0.5) / size;
            Rgba c;
            if (v >= 0.5) {
                // Paint seen from above: white hull, two blue stripes down the spine, a red nose band.
                double a = u, b = (v - 0.5) * 2.0;
                c = Rgba{232, 234, 238, 255};
                double dx = std::fabs(a - 0.5);
                if (dx > 0.035 && dx < 0.075)
                    c = Rgba{30, 92, 200, 255};
                if (b > 0.86)
                    c = Rgba{210, 40, 36, 255};
                if (std::fabs(dx - 0.3) < 0.012 && b < 0.6)
                    c = Rgba{40, 44, 52, 255};
            } else if (v >= 0.25) {
                c = u < 0.5 ? Rgba{58, 62, 70, 255} : Rgba{255, 170, 60, 255};
                if (u >= 0.5) {
                    // Thrusters: hot white core fading to orange and deep red at the rim.
                    double dx = (u - 0.75) / 0.25, dy = (v - 0.375) / 0.125;
                    double r = std::sqrt(dx * dx + dy * dy);
                    c = mix(Rgba{255, 250, 220, 255}, Rgba{240, 90, 30, 255}, std::fmin(r, 1.0));
                }
            } else {
                c = u < 0.5 ? Rgba{70, 150, 210, 255} : Rgba{30, 92, 200, 255};
                if (u < 0.5 && std::fabs(u - v * 0.8 - 0.12) < 0.02)
                    c = Rgba{200, 230, 250, 255};
            }
            setPixel(image, x, y, c);
        }
    }
    return image;
}

} // namespace

bool writeShip(const std::string& root)
{
    std::string folder = root + "/ships";
    if (!makeDirectories(folder))
        return false;
    return writeTris(buildShip(), folder + "/ship.tris", 1.0) && saveTga(paintSkin(), folder + "/ship.tga");
}
