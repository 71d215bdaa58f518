#include "track/track_draw.h"

#include <gtest/gtest.h>

#include <cmath>

#include "assets/mesh.h"
#include "gl_recorder.h"
#include "gl_window.h"
#include "loop_points.h"

namespace {

// Rails at x = -10, -5, 5, 10, z = 0, running along y = 100 t.
TrackSegment flatStraight()
{
    TrackSegment s;
    const double xs[4] = {-10, -5, 5, 10};
    for (int r = 0; r < 4; ++r) {
        s.rails[r].x.a = xs[r];
        s.rails[r].y.b = 100.0;
    }
    return s;
}

// A closed, banked, hilly loop built from control points.
Track curvedTrack()
{
    return loopTrack(loopPoints(
        5, 0.0, [](double, int r) { return 300.0 + (r - 1.5) * 8.0; },
        [](double a, int r) { return 20.0 * std::sin(2 * a) + (r - 1.5) * 2.0 + (r == 1 || r == 2 ? 1 : 0); }));
}

struct Strip {
    std::vector<GlCall> normals, texCoords, vertices;
};

// The strips of a recording, in order; every vertex carries its normal and texture coordinate.
std::vector<Strip> strips(const std::vector<GlCall>& calls)
{
    std::vector<Strip> out;
    for (const GlCall& c : calls) {
        if (c.kind == GlCall::Begin) {
            EXPECT_EQ(c.v[0], GL_TRIANGLE_STRIP);
            out.emplace_back();
        } else if (c.kind == GlCall::Normal) {
            out.back().normals.push_back(c);
        } else if (c.kind == GlCall::TexCoord) {
            out.back().texCoords.push_back(c);
        } else if (c.kind == GlCall::Vertex) {
            out.back().vertices.push_back(c);
        }
    }
    return out;
}

class TrackDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(openGlWindow()) << "no display: run under xvfb-run";
        boundTexture = -1;
    }

    std::vector<GlCall> record(Track& track) { return recorded([&] { drawTrack(track); }); }
};

void expectNear3(const GlCall& c, double x, double y, double z, double tol)
{
    EXPECT_NEAR(c.v[0], x, tol);
    EXPECT_NEAR(c.v[1], y, tol);
    EXPECT_NEAR(c.v[2], z, tol);
}

} // namespace

TEST_F(TrackDrawTest, FlatStraightSegmentGivesTheSurfaceAndLipVertices)
{
    Track track;
    track.segments.push_back(flatStraight());
    track.segments[0].textureA = track.segments[0].textureB = 0;
    std::vector<Strip> all = strips(record(track));
    ASSERT_EQ(all.size(), 32u);
    for (const Strip& s : all) {
        ASSERT_EQ(s.vertices.size(), 12u);
        ASSERT_EQ(s.normals.size(), 12u);
        ASSERT_EQ(s.texCoords.size(), 12u);
    }

    const Strip& first = all[0];
    // Lip pair first, row t1 before row t0.
    expectNear3(first.vertices[0], -11.5149, 6.25, -1.5149, 1e-4);
    expectNear3(first.vertices[1], -11.5149, 0.0, -1.5149, 1e-4);
    expectNear3(first.normals[0], -0.70711, 0.0, 0.70711, 1e-5);
    expectNear3(first.normals[1], -0.70711, 0.0, 0.70711, 1e-5);
    const double xs[5] = {-10, -7.91015625, -5.46875, -2.79296875, 0};
    for (int k = 0; k < 5; ++k) {
        for (int row = 0; row < 2; ++row) {
            const GlCall& v = first.vertices[2 + 2 * k + row];
            EXPECT_EQ(v.v[0], xs[k]);
            EXPECT_EQ(v.v[1], row == 0 ? 6.25 : 0.0);
            EXPECT_EQ(v.v[2], 0.0);
            EXPECT_FALSE(v.single);
            const GlCall& n = first.normals[2 + 2 * k + row];
            EXPECT_EQ(n.v[0], 0.0);
            EXPECT_EQ(n.v[1], 0.0);
            EXPECT_EQ(n.v[2], 1.0);
        }
    }
    // Texture coordinates (0, t1), (0, t0), then s = 2u across the first half.
    const double s1[6] = {0, 0, 0.25, 0.5, 0.75, 1};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(first.texCoords[i].v[0], s1[i / 2]);
        EXPECT_EQ(first.texCoords[i].v[1], i % 2 == 0 ? 0.0625 : 0.0);
    }

    const Strip& second = all[1];
    // Surface pairs mirror s (1 at the centre, 0 at the edge), sent as floats; lip pair last.
    const double s2[6] = {1, 0.75, 0.5, 0.25, 0, 0};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(second.texCoords[i].v[0], s2[i / 2]);
        EXPECT_TRUE(second.texCoords[i].single);
    }
    EXPECT_EQ(second.vertices[0].v[0], 0.0);
    EXPECT_EQ(second.vertices[8].v[0], 10.0);
    expectNear3(second.vertices[10], 11.4849, 6.25, -1.4849, 1e-4);
    expectNear3(second.vertices[11], 11.4849, 0.0, -1.4849, 1e-4);
    expectNear3(second.normals[10], 0.70711, 0.0, 0.70711, 1e-5);
    expectNear3(second.normals[11], 0.70711, 0.0, 0.70711, 1e-5);

    // The last slice runs from t = 0.9375 to 1 along y.
    EXPECT_EQ(all[31].vertices[0].v[1], 100.0);
    EXPECT_EQ(all[31].vertices[1].v[1], 93.75);
}

TEST_F(TrackDrawTest, SurfaceVerticesAreTheExactSurfacePoints)
{
    Track track = curvedTrack();
    std::vector<Strip> all = strips(record(track));
    ASSERT_EQ(all.size(), 32u * track.segments.size());
    for (size_t seg = 0; seg < track.segments.size(); ++seg) {
        const TrackSegment& s = track.segments[seg];
        for (int slice = 0; slice < 16; ++slice) {
            const double t0 = slice * 0.0625, t1 = t0 + 0.0625;
            for (int half = 0; half < 2; ++half) {
                const Strip& strip = all[seg * 32 + slice * 2 + half];
                for (int k = 0; k < 5; ++k) {
                    const double u = 0.125 * (k + 4 * half);
                    for (int row = 0; row < 2; ++row) {
                        const double t = row == 0 ? t1 : t0;
                        Vec3 p = sectionPoint(railPoint(s, 0, t), railPoint(s, 1, t), railPoint(s, 2, t),
                                              railPoint(s, 3, t), u);
                        const GlCall& v = strip.vertices[(half == 0 ? 2 : 0) + 2 * k + row];
                        ASSERT_EQ(v.v[0], p.x);
                        ASSERT_EQ(v.v[1], p.y);
                        ASSERT_EQ(v.v[2], p.z);
                    }
                }
                // Normals of the surface and the lips face up on this loop.
                for (const GlCall& n : strip.normals) {
                    EXPECT_GT(n.v[2], 0.0);
                    EXPECT_NEAR(n.v[0] * n.v[0] + n.v[1] * n.v[1] + n.v[2] * n.v[2], 1.0, 1e-12);
                }
            }
        }
    }
}

TEST_F(TrackDrawTest, BindsOnlyWhenTheTextureChanges)
{
    GLuint names[2];
    glGenTextures(2, names);
    Track track = curvedTrack();
    for (TrackSegment& s : track.segments) {
        s.textureA = static_cast<TextureSlot>(names[0]);
        s.textureB = static_cast<TextureSlot>(names[1]);
    }
    EXPECT_EQ(countCalls(record(track), GlCall::Bind), 32u * track.segments.size());

    for (TrackSegment& s : track.segments)
        s.textureB = s.textureA;
    boundTexture = -1;
    EXPECT_EQ(countCalls(record(track), GlCall::Bind), 1u);
    // Already bound from the last frame: nothing at all.
    EXPECT_EQ(countCalls(record(track), GlCall::Bind), 0u);
    glDeleteTextures(2, names);
}

TEST_F(TrackDrawTest, UntexturedSlotsBecomeZeroAndBindZero)
{
    Track track;
    track.segments.push_back(flatStraight());
    GLuint name = 0;
    glGenTextures(1, &name);
    track.segments[0].textureB = static_cast<TextureSlot>(name);
    std::vector<GlCall> calls = record(track);
    EXPECT_EQ(track.segments[0].textureA, 0);
    EXPECT_EQ(track.segments[0].textureB, static_cast<TextureSlot>(name));
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, GlCall::Bind);
    EXPECT_EQ(calls[0].v[0], 0.0);
    glDeleteTextures(1, &name);
}

TEST_F(TrackDrawTest, EmptyTrackDrawsAndBindsNothing)
{
    Track track;
    EXPECT_TRUE(record(track).empty());
}

TEST_F(TrackDrawTest, DegenerateSegmentsSendNoNaN)
{
    // All rails in one point, and a segment that does not move along t.
    Track track;
    track.segments.resize(2);
    for (int r = 0; r < 4; ++r) {
        track.segments[0].rails[r].x.a = 5.0;
        track.segments[1].rails[r].x.a = -10.0 + 5.0 * r;
    }
    std::vector<GlCall> calls = record(track);
    EXPECT_EQ(countCalls(calls, GlCall::Vertex), 2u * 384u);
    for (const GlCall& c : calls)
        for (double v : c.v)
            ASSERT_TRUE(std::isfinite(v));
}
