// The road drawing against a direct transcription that evaluates the rails
// of all three rows of every slice afresh: the drawing carries rows over from
// slice to slice, and must still send every normal, texture coordinate and
// vertex exactly as the transcription computes them.
#include <gtest/gtest.h>

#include <cmath>

#include "assets/mesh.h"
#include "gl_recorder.h"
#include "gl_window.h"
#include "loop_points.h"
#include "track/track_draw.h"

namespace {

Vec3 unitOrZero(Vec3 v)
{
    const double len = length(v);
    if (!(len > 0.0) || !std::isfinite(len))
        return Vec3{0.0, 0.0, 0.0};
    return normalize(v);
}

Vec3 at(const TrackSegment& s, double t, double u)
{
    return sectionPoint(railPoint(s, 0, t), railPoint(s, 1, t), railPoint(s, 2, t), railPoint(s, 3, t), u);
}

// side -1 at rail 0, +1 at rail 3.
Vec3 lip(Vec3 edge, Vec3 probe, Vec3 ahead, double side)
{
    const Vec3 d = sub(probe, edge);
    const Vec3 g = unitOrZero(sub(ahead, edge));
    const Vec3 bend = side < 0.0 ? sub(cross(g, d), d) : add(cross(g, d), d);
    return add(edge, scale(bend, 10.0));
}

void expect(std::vector<GlCall>& out, Vec3 n, double s, double t, Vec3 v, bool single)
{
    out.push_back({GlCall::Normal, {n.x, n.y, n.z}, false});
    if (single)
        out.push_back({GlCall::TexCoord, {double(float(s)), double(float(t)), 0.0}, true});
    else
        out.push_back({GlCall::TexCoord, {s, t, 0.0}, false});
    out.push_back({GlCall::Vertex, {v.x, v.y, v.z}, false});
}

// Normals, texture coordinates and vertices of one segment, in sending order.
std::vector<GlCall> transcription(const TrackSegment& s)
{
    std::vector<GlCall> out;
    for (int slice = 0; slice < 16; ++slice) {
        const double t0 = slice * 0.0625, t1 = t0 + 0.0625, t2 = t1 + 0.0625;
        {
            const Vec3 eb = lip(at(s, t1, 0.0), at(s, t1, 0.01), at(s, t2, 0.0), -1.0);
            const Vec3 ea = lip(at(s, t0, 0.0), at(s, t0, 0.01), at(s, t1, 0.0), -1.0);
            expect(out, unitOrZero(cross(sub(eb, ea), sub(eb, at(s, t1, 0.0)))), 0.0, t1, eb, false);
            expect(out, unitOrZero(cross(sub(eb, ea), sub(ea, at(s, t0, 0.0)))), 0.0, t0, ea, false);
        }
        for (double u = 0.0; u <= 0.5; u += 0.125) {
            const Vec3 g = sub(at(s, t1, u), at(s, t0, u));
            expect(out, unitOrZero(cross(sub(at(s, t1, u + 0.125), at(s, t1, u)), g)), 2.0 * u, t1, at(s, t1, u),
                   false);
            expect(out, unitOrZero(cross(sub(at(s, t0, u + 0.125), at(s, t0, u)), g)), 2.0 * u, t0, at(s, t0, u),
                   false);
        }
        for (double u = 0.5; u <= 1.0; u += 0.125) {
            const Vec3 g = sub(at(s, t1, u), at(s, t0, u));
            const double tex = 2.0 * (1.0 - u);
            expect(out, unitOrZero(cross(sub(at(s, t1, u + 0.125), at(s, t1, u)), g)), tex, t1, at(s, t1, u), true);
            expect(out, unitOrZero(cross(sub(at(s, t0, u + 0.125), at(s, t0, u)), g)), tex, t0, at(s, t0, u), true);
        }
        {
            const Vec3 eb = lip(at(s, t1, 1.0), at(s, t1, 1.01), at(s, t2, 1.0), 1.0);
            const Vec3 ea = lip(at(s, t0, 1.0), at(s, t0, 1.01), at(s, t1, 1.0), 1.0);
            expect(out, unitOrZero(cross(sub(eb, at(s, t1, 1.0)), sub(eb, ea))), 0.0, t1, eb, true);
            expect(out, unitOrZero(cross(sub(ea, at(s, t0, 1.0)), sub(eb, ea))), 0.0, t0, ea, true);
        }
    }
    return out;
}

// A banked, hilly, uneven loop of seven control points.
Track windingTrack()
{
    return loopTrack(loopPoints(
        7, 0.0, [](double a, int r) { return 250.0 + 60.0 * std::sin(3 * a) + (r - 1.5) * (6.0 + 2.0 * std::cos(a)); },
        [](double a, int r) { return 15.0 * std::sin(2 * a) + (r - 1.5) * 1.5 + (r == 1 || r == 2 ? 0.7 : 0); }));
}

TEST(TrackDrawReference, SendsExactlyWhatTheDirectTranscriptionComputes)
{
    ASSERT_TRUE(openGlWindow()) << "no display: run under xvfb-run";
    Track track = windingTrack();
    boundTexture = -1;
    std::vector<GlCall> sent;
    for (const GlCall& c : recorded([&] { drawTrack(track); }))
        if (c.kind == GlCall::Normal || c.kind == GlCall::TexCoord || c.kind == GlCall::Vertex)
            sent.push_back(c);

    std::vector<GlCall> expected;
    for (const TrackSegment& s : track.segments) {
        std::vector<GlCall> one = transcription(s);
        expected.insert(expected.end(), one.begin(), one.end());
    }
    ASSERT_EQ(sent.size(), expected.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        ASSERT_EQ(sent[i].kind, expected[i].kind) << i;
        ASSERT_EQ(sent[i].single, expected[i].single) << i;
        const int n = sent[i].kind == GlCall::TexCoord ? 2 : 3;
        for (int k = 0; k < n; ++k)
            ASSERT_EQ(sent[i].v[k], expected[i].v[k]) << "call " << i << " value " << k;
    }
}

} // namespace
