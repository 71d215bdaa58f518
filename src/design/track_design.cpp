#include "design/track_design.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const double pi = 3.14159265358979323846;

double wrap(double s, double length)
{
    double r = std::fmod(s, length);
    return r < 0.0 ? r + length : r;
}

double smooth(double k)
{
    k = std::clamp(k, 0.0, 1.0);
    return k * k * (3.0 - 2.0 * k);
}

// Design-space point and direction of the centre line at arc length s (s from corner 0's arc end).
void evaluate(const TrackPath& path, double s, double& x, double& y, double& dx, double& dy, double& k)
{
    s = wrap(s, path.length);
    size_t lo = 0, hi = path.pieces.size();
    while (hi - lo > 1) {
        size_t mid = (lo + hi) / 2;
        if (path.pieces[mid].s0 <= s)
            lo = mid;
        else
            hi = mid;
    }
    const PathPiece& p = path.pieces[lo];
    double sigma = s - p.s0;
    double nx = -p.dy, ny = p.dx;
    k = p.curvature;
    if (p.curvature == 0.0) {
        x = p.x0 + p.dx * sigma;
        y = p.y0 + p.dy * sigma;
        dx = p.dx;
        dy = p.dy;
        return;
    }
    double phi = p.curvature * sigma;
    double along = std::sin(phi) / p.curvature, side = (1.0 - std::cos(phi)) / p.curvature;
    x = p.x0 + p.dx * along + nx * side;
    y = p.y0 + p.dy * along + ny * side;
    dx = std::cos(phi) * p.dx + std::sin(phi) * nx;
    dy = std::cos(phi) * p.dy + std::sin(phi) * ny;
}

// A per-corner value blended smoothly between the corners' arc middles (s in path space).
double cornerBlend(const TrackPath& path, const std::vector<double>& values, double s)
{
    const size_t n = values.size();
    s = wrap(s, path.length);
    for (size_t i = 0; i < n; ++i) {
        double a = path.cornerMid[i], b = path.cornerMid[(i + 1) % n];
        double span = wrap(b - a, path.length);
        if (span <= 0.0)
            span = path.length;
        double into = wrap(s - a, path.length);
        if (into <= span)
            return values[i] + (values[(i + 1) % n] - values[i]) * smooth(into / span);
    }
    return values[0];
}

double cornerWidth(const TrackDesign& design, size_t i)
{
    return design.corners[i].width > 0.0 ? design.corners[i].width : design.width;
}

} // namespace

TrackPath buildPath(const TrackDesign& original)
{
    TrackDesign design = original;
    for (Corner& c : design.corners) {
        c.x *= design.scale;
        c.y *= design.scale;
    }
    TrackPath path;
    const size_t n = design.corners.size();
    if (n < 3) {
        path.error = "fewer than three corners";
        return path;
    }
    std::vector<double> turn(n), tangent(n), ax(n), ay(n);
    for (size_t i = 0; i < n; ++i) {
        const Corner& prev = design.corners[(i + n - 1) % n];
        const Corner& c = design.corners[i];
        const Corner& next = design.corners[(i + 1) % n];
        double inx = c.x - prev.x, iny = c.y - prev.y, outx = next.x - c.x, outy = next.y - c.y;
        double li = std::hypot(inx, iny), lo = std::hypot(outx, outy);
        inx /= li;
        iny /= li;
        outx /= lo;
        outy /= lo;
        turn[i] = std::atan2(inx * outy - iny * outx, inx * outx + iny * outy);
        tangent[i] = std::fabs(turn[i]) < 1e-9 ? 0.0 : c.radius * std::tan(std::fabs(turn[i]) * 0.5);
        ax[i] = outx;
        ay[i] = outy;
    }
    // Pieces from the end of corner 0's arc: straight i, then arc i + 1, ..., arc 0 last.
    double s = 0.0;
    path.cornerMid.assign(n, 0.0);
    path.arcStart.assign(n, 0.0);
    path.arcEnd.assign(n, 0.0);
    for (size_t i = 0; i < n; ++i) {
        const Corner& c = design.corners[i];
        const size_t j = (i + 1) % n;
        const Corner& d = design.corners[j];
        double edge = std::hypot(d.x - c.x, d.y - c.y);
        double straight = edge - tangent[i] - tangent[j];
        if (straight < 0.0) {
            char text[160];
            std::snprintf(text, sizeof text, "arcs of corners %zu and %zu overlap by %.1f m", i, j, -straight);
            path.error = text;
            path.errorCorner = static_cast<int>(j);
            return path;
        }
        PathPiece piece;
        piece.s0 = s;
        piece.length = straight;
        piece.x0 = c.x + ax[i] * tangent[i];
        piece.y0 = c.y + ay[i] * tangent[i];
        piece.dx = ax[i];
        piece.dy = ay[i];
        if (straight > 0.0) {
            path.pieces.push_back(piece);
            s += straight;
        }
        double arc = std::fabs(turn[j]) * d.radius;
        path.arcStart[j] = s;
        path.cornerMid[j] = s + arc * 0.5;
        if (arc > 0.0) {
            PathPiece bend;
            bend.s0 = s;
            bend.length = arc;
            bend.x0 = d.x - ax[i] * tangent[j];
            bend.y0 = d.y - ay[i] * tangent[j];
            bend.dx = ax[i];
            bend.dy = ay[i];
            bend.curvature = (turn[j] > 0.0 ? 1.0 : -1.0) / d.radius;
            path.pieces.push_back(bend);
            s += arc;
        }
        path.arcEnd[j] = s;
    }
    path.length = s;
    double total = 0.0;
    for (double t : turn)
        total += t;
    if (std::fabs(std::fabs(total) - 2.0 * pi) > 1e-6) {
        path.error = "the corners do not make one closed loop";
        return path;
    }
    // Start: the middle of the first straight (corner 0 to corner 1), which begins at s = 0.
    path.originS = path.pieces.front().curvature == 0.0 ? path.pieces.front().length * 0.5 : 0.0;
    double x, y, dx, dy, k;
    evaluate(path, path.originS, x, y, dx, dy, k);
    path.originX = x;
    path.originY = y;
    // Rotate the start direction onto +y.
    double angle = pi * 0.5 - std::atan2(dy, dx);
    path.cosA = std::cos(angle);
    path.sinA = std::sin(angle);
    for (size_t i = 0; i < n; ++i) {
        path.heights.push_back(design.corners[i].z);
        path.widths.push_back(cornerWidth(design, i));
        // The inside edge goes down: left for a left-hand arc.
        path.banks.push_back(design.corners[i].bank * (pi / 180.0) * (turn[i] > 0.0 ? 1.0 : -1.0));
    }
    path.zOffset = -cornerBlend(path, path.heights, path.originS);
    return path;
}

PathSample samplePath(const TrackDesign&, const TrackPath& path, double s)
{
    const size_t n = path.heights.size();
    double ps = wrap(s + path.originS, path.length);
    double x, y, dx, dy, k;
    evaluate(path, ps, x, y, dx, dy, k);
    PathSample out;
    double rx = x - path.originX, ry = y - path.originY;
    out.centre = Vec3{path.cosA * rx - path.sinA * ry, path.sinA * rx + path.cosA * ry,
                      cornerBlend(path, path.heights, ps) + path.zOffset};
    out.dx = path.cosA * dx - path.sinA * dy;
    out.dy = path.sinA * dx + path.cosA * dy;
    out.curvature = k;
    out.width = cornerBlend(path, path.widths, ps);
    // Banking rises over a ramp before each arc and falls after it.
    const double ramp = 35.0;
    double bank = 0.0;
    for (size_t i = 0; i < n; ++i) {
        if (path.banks[i] == 0.0 || path.arcEnd[i] <= path.arcStart[i])
            continue;
        double mid = path.cornerMid[i], half = (path.arcEnd[i] - path.arcStart[i]) * 0.5;
        double off = std::fabs(wrap(ps - mid + path.length * 0.5, path.length) - path.length * 0.5);
        double weight = off <= half ? 1.0 : 1.0 - smooth((off - half) / ramp);
        bank += weight * path.banks[i];
    }
    out.bank = bank;
    return out;
}

Vec3 roadPoint(const TrackSegment& segment, double t, double u)
{
    return sectionPoint(railPoint(segment, 0, t), railPoint(segment, 1, t), railPoint(segment, 2, t),
                        railPoint(segment, 3, t), u);
}

BuiltTrack buildTrack(const TrackDesign& design)
{
    BuiltTrack built;
    built.design = design;
    built.path = buildPath(design);
    if (!built.path.error.empty())
        return built;
    const TrackPath& path = built.path;
    const double L = path.length;

    // Control points closer together where the road bends: spacing about 0.3 radius,
    // between 6 and 28 metres, taken from the tightest curvature within 15 m.
    const double ds = 1.0;
    const int steps = static_cast<int>(std::ceil(L / ds));
    std::vector<double> density(steps + 1);
    built.tightestRadius = 1e9;
    for (int i = 0; i <= steps; ++i) {
        double s = L * i / steps, kmax = 0.0;
        for (double o = -15.0; o <= 15.0; o += 5.0)
            kmax = std::max(kmax, std::fabs(samplePath(design, path, s + o).curvature));
        if (kmax > 0.0)
            built.tightestRadius = std::min(built.tightestRadius, 1.0 / kmax);
        double spacing = kmax > 0.0 ? std::clamp(0.3 / kmax, 6.0, 28.0) : 28.0;
        density[i] = 1.0 / spacing;
    }
    std::vector<double> phi(steps + 1, 0.0);
    for (int i = 1; i <= steps; ++i)
        phi[i] = phi[i - 1] + 0.5 * (density[i - 1] + density[i]) * (L / steps);
    const int count = std::max(8, static_cast<int>(std::lround(phi[steps])));
    const double per = phi[steps] / count;
    auto sAt = [&](double f) {
        f = wrap(f, phi[steps]);
        size_t i = std::upper_bound(phi.begin(), phi.end(), f) - phi.begin();
        i = std::clamp<size_t>(i, 1, phi.size() - 1);
        double a = phi[i - 1], b = phi[i];
        double k = b > a ? (f - a) / (b - a) : 0.0;
        return (static_cast<double>(i - 1) + k) * (L / steps);
    };
    // Control point 0 half a spacing behind the start, so the start lies mid segment 0.
    for (int k = 0; k < count; ++k) {
        double s = sAt((k - 0.5) * per);
        if (k == 0)
            s -= L;
        built.controlS.push_back(s);
        PathSample p = samplePath(design, path, s);
        double lx = -p.dy, ly = p.dx;
        double half = p.width * 0.5, c = std::cos(p.bank), sn = std::sin(p.bank);
        Vec3 left{p.centre.x + lx * half * c, p.centre.y + ly * half * c, p.centre.z - half * sn};
        Vec3 right{p.centre.x - lx * half * c, p.centre.y - ly * half * c, p.centre.z + half * sn};
        ControlPoint cp;
        for (int r = 0; r < 4; ++r) {
            double f = r / 3.0;
            Vec3 q{left.x + (right.x - left.x) * f, left.y + (right.y - left.y) * f, left.z + (right.z - left.z) * f};
            cp.p[r][0] = static_cast<float>(q.x / 100.0);
            cp.p[r][1] = static_cast<float>(q.y / 100.0);
            cp.p[r][2] = static_cast<float>(q.z / 100.0);
        }
        built.filePoints.push_back(cp);
        built.widths.push_back(p.width);
    }

    // The game's own load: every stored float times 100, kept as a float.
    std::vector<ControlPoint> scaled = built.filePoints;
    for (ControlPoint& cp : scaled)
        for (auto& point : cp.p)
            for (float& v : point)
                v = static_cast<float>(v * 100.0);
    built.segments.resize(scaled.size());
    buildSegments(scaled, built.segments);

    // Kerbs on both sides where the road bends tighter than 90 m. Both halves
    // of a segment then share one texture, which the road drawing binds once
    // per segment instead of twice per slice; software GL pays dearly for
    // every switch (a menu frame of a track with one-sided kerbs took half as
    // long again).
    const std::string& road = design.road;
    for (int k = 0; k < count; ++k) {
        double s0 = built.controlS[k];
        double s1 = k + 1 < count ? built.controlS[k + 1] : built.controlS[0] + L;
        double kmax = 0.0;
        for (int i = 0; i <= 8; ++i) {
            double kk = samplePath(design, path, s0 + (s1 - s0) * i / 8.0).curvature;
            if (std::fabs(kk) > std::fabs(kmax))
                kmax = kk;
        }
        std::string a = road, b = road;
        if (k == 0) {
            a = b = road + "_start";
        } else if (kmax != 0.0 && 1.0 / std::fabs(kmax) < 90.0) {
            a = b = road + "_kerb";
        }
        built.textureA.push_back(a);
        built.textureB.push_back(b);
    }
    return built;
}
