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

// One row of a segment with its cross-section samples: the points every
// slice that shares the row needs from it. A row is the far row (t2) of one
// slice, the middle row of the next and the near row of the one after, so
// each is evaluated once per frame instead of three times; the values are
// the same evaluations of the same t, so what is sent does not change.
struct RowSamples {
    Row row;
    // u = k/8, k = 0 .. 9.
    Vec3 s[samples];
    // u = 0.01 and u = 1.01, which measure the surface direction at the edges.
    Vec3 probe0;
    Vec3 probe1;
};

void sampleRow(const TrackSegment& segment, double t, RowSamples& out)
{
    out.row = rowAt(segment, t);
    double u = 0.0;
    for (int k = 0; k < samples; ++k, u += acrossStep)
        out.s[k] = out.row.at(u);
    out.probe0 = out.row.at(lipProbe);
    out.probe1 = out.row.at(1.0 + lipProbe);
}

// Rows a, b and c are those of t0, t1 = t0 + 1/16 and t2 = t1 + 1/16.
void drawSlice(TrackSegment& segment, double t0, double t1, const RowSamples& a, const RowSamples& b,
               const RowSamples& c)
{
    const Vec3* sa = a.s;
    const Vec3* sb = b.s;
    double u = 0.0;

    // First half, rail 0 to the centre line.
    bindSlot(segment.textureA);
    glBegin(GL_TRIANGLE_STRIP);
    {
        const Vec3 eb = lipPoint(sb[0], b.probe0, c.s[0], -1.0);
        const Vec3 ea = lipPoint(sa[0], a.probe0, sb[0], -1.0);
        const Vec3 across = sub(eb, ea);
        sendDouble(safeNormalize(cross(across, sub(eb, sb[0]))), 0.0, t1, eb);
        sendDouble(safeNormalize(cross(across, sub(ea, sa[0]))), 0.0, t0, ea);
    }
    for (int k = 0; u <= 0.5; ++k, u += acrossStep) {
        const Vec3 g = sub(sb[k], sa[k]);
        const Vec3 db = sub(sb[k + 1], sb[k]);
        const Vec3 da = sub(sa[k + 1], sa[k]);
        sendDouble(safeNormalize(cross(db, g)), 2.0 * u, t1, sb[k]);
        sendDouble(safeNormalize(cross(da, g)), 2.0 * u, t0, sa[k]);
    }
    glEnd();

    // Second half, centre line to rail 3. Sample 8 is u = 1, sample 4 u = 0.5.
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
        const Vec3 eb = lipPoint(sb[8], b.probe1, c.s[8], 1.0);
        const Vec3 ea = lipPoint(sa[8], a.probe1, sb[8], 1.0);
        const Vec3 across = sub(eb, ea);
        sendSingle(safeNormalize(cross(sub(eb, sb[8]), across)), 0.0, t1, eb);
        sendSingle(safeNormalize(cross(sub(ea, sa[8]), across)), 0.0, t0, ea);
    }
    glEnd();
}

} // namespace

void drawTrack(Track& track)
{
    // Rows of the slice at hand and the next; rotated, never copied.
    RowSamples rows[3];
    for (TrackSegment& segment : track.segments) {
        double t0 = 0.0;
        RowSamples* a = &rows[0];
        RowSamples* b = &rows[1];
        RowSamples* c = &rows[2];
        sampleRow(segment, t0, *a);
        sampleRow(segment, t0 + sliceStep, *b);
        for (int slice = 0; slice < 16; ++slice, t0 += sliceStep) {
            // t1 and t2 as sums from t0: multiples of 1/16, exact in doubles,
            // so the rows carried over are those of the same t.
            const double t1 = t0 + sliceStep;
            const double t2 = t1 + sliceStep;
            sampleRow(segment, t2, *c);
            drawSlice(segment, t0, t1, *a, *b, *c);
            RowSamples* done = a;
            a = b;
            b = c;
            c = done;
        }
    }
}
