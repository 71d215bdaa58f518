#include "track/track_draw.h"

#include <GL/gl.h>
#include <cmath>

#include "assets/mesh.h"

namespace {

// Sixteen slices per segment along t, four steps per half across u.
constexpr double sliceStep = 0.0625;
constexpr double acrossStep = 0.125;
// u distance that measures the surface direction at an edge.
constexpr double lipProbe = 0.01;
constexpr double lipScale = 10.0;
// Cross-section samples u = 0, 0.125, ..., 1.125 (one beyond the far edge).
constexpr int samples = 10;

// Unit vector, or the zero vector where the surface degenerates (coinciding
// rows, an edge of zero width): GL then gets a zero normal, never a NaN.
Vec3 safeNormalize(Vec3 v)
{
    const double len = length(v);
    if (!(len > 0.0) || !std::isfinite(len))
        return Vec3{0.0, 0.0, 0.0};
    return normalize(v);
}

// One row of the surface: the four rail points at one t.
struct Row {
    Vec3 p[4];
    Vec3 at(double u) const { return sectionPoint(p[0], p[1], p[2], p[3], u); }
};

Row rowAt(const TrackSegment& segment, double t)
{
    Row row;
    for (int r = 0; r < 4; ++r)
        row.p[r] = railPoint(segment, r, t);
    return row;
}

// The outer vertex of a lip: from the edge point, outward along the
// cross-section and toward the unlit side, 45 degrees for a square frame.
// side is -1 at the rail-0 edge and +1 at the rail-3 edge.
Vec3 lipPoint(Vec3 edge, Vec3 probe, Vec3 ahead, double side)
{
    const Vec3 d = sub(probe, edge);
    const Vec3 g = safeNormalize(sub(ahead, edge));
    const Vec3 bend = side < 0.0 ? sub(cross(g, d), d) : add(cross(g, d), d);
    return add(edge, scale(bend, lipScale));
}

void sendDouble(Vec3 normal, double s, double t, Vec3 vertex)
{
    const double n[3] = {normal.x, normal.y, normal.z};
    const double v[3] = {vertex.x, vertex.y, vertex.z};
    glNormal3dv(n);
    glTexCoord2d(s, t);
    glVertex3dv(v);
}

// The second half mirrors s about the centre line and sends it as floats.
void sendSingle(Vec3 normal, double s, double t, Vec3 vertex)
{
    const double n[3] = {normal.x, normal.y, normal.z};
    const double v[3] = {vertex.x, vertex.y, vertex.z};
    glNormal3dv(n);
    glTexCoord2f(static_cast<float>(s), static_cast<float>(t));
    glVertex3dv(v);
}

void drawSlice(TrackSegment& segment, double t0)
{
    const double t1 = t0 + sliceStep;
    const double t2 = t1 + sliceStep;
    const Row rowA = rowAt(segment, t0);
    const Row rowB = rowAt(segment, t1);
    const Row rowC = rowAt(segment, t2);

    // Each cross-section point is evaluated once per slice; sample k is u = k/8.
    Vec3 sa[samples], sb[samples];
    double u = 0.0;
    for (int k = 0; k < samples; ++k, u += acrossStep) {
        sa[k] = rowA.at(u);
        sb[k] = rowB.at(u);
    }

    // First half, rail 0 to the centre line.
    bindSlot(segment.textureA);
    glBegin(GL_TRIANGLE_STRIP);
    {
        const Vec3 eb = lipPoint(sb[0], rowB.at(lipProbe), rowC.at(0.0), -1.0);
        const Vec3 ea = lipPoint(sa[0], rowA.at(lipProbe), sb[0], -1.0);
        const Vec3 across = sub(eb, ea);
        sendDouble(safeNormalize(cross(across, sub(eb, sb[0]))), 0.0, t1, eb);
        sendDouble(safeNormalize(cross(across, sub(ea, sa[0]))), 0.0, t0, ea);
    }
    u = 0.0;
    for (int k = 0; u <= 0.5; ++k, u += acrossStep) {
        const Vec3 g = sub(sb[k], sa[k]);
        const Vec3 db = sub(sb[k + 1], sb[k]);
        const Vec3 da = sub(sa[k + 1], sa[k]);
        sendDouble(safeNormalize(cross(db, g)), 2.0 * u, t1, sb[k]);
        sendDouble(safeNormalize(cross(da, g)), 2.0 * u, t0, sa[k]);
    }
    glEnd();

    // Second half, centre line to rail 3.
    bindSlot(segment.textureB);
    glBegin(GL_TRIANGLE_STRIP);
    u = 0.5;
    for (int k = 4; u <= 1.0; ++k, u += acrossStep) {
        const Vec3 g = sub(sb[k], sa[k]);
        const Vec3 db = sub(sb[k + 1], sb[k]);
        const Vec3 da = sub(sa[k + 1], sa[k]);
        const double s = 2.0 * (1.0 - u);
        sendSingle(safeNormalize(cross(db, g)), s, t1, sb[k]);
        sendSingle(safeNormalize(cross(da, g)), s, t0, sa[k]);
    }
    {
        const Vec3 eb = lipPoint(sb[8], rowB.at(1.0 + lipProbe), rowC.at(1.0), 1.0);
        const Vec3 ea = lipPoint(sa[8], rowA.at(1.0 + lipProbe), sb[8], 1.0);
        const Vec3 across = sub(eb, ea);
        sendSingle(safeNormalize(cross(sub(eb, sb[8]), across)), 0.0, t1, eb);
        sendSingle(safeNormalize(cross(sub(ea, sa[8]), across)), 0.0, t0, ea);
    }
    glEnd();
}

} // namespace

void drawTrack(Track& track)
{
    for (TrackSegment& segment : track.segments) {
        double t0 = 0.0;
        for (int slice = 0; slice < 16; ++slice, t0 += sliceStep)
            drawSlice(segment, t0);
    }
}
