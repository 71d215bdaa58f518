// The scenery of every track: within the mesh format's limits, and never above
// the road anywhere within the road's width.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "design/scenery.h"
#include "design/track_catalogue.h"

namespace {

struct FlatTriangle {
    Vec3 a, b, c;
};

// Height of the triangle's plane above (x, y) when the point lies inside its
// projection onto the ground plane.
bool heightAt(const FlatTriangle& t, double x, double y, double& z)
{
    double d = (t.b.y - t.c.y) * (t.a.x - t.c.x) + (t.c.x - t.b.x) * (t.a.y - t.c.y);
    if (std::fabs(d) < 1e-9)
        return false;
    double l1 = ((t.b.y - t.c.y) * (x - t.c.x) + (t.c.x - t.b.x) * (y - t.c.y)) / d;
    double l2 = ((t.c.y - t.a.y) * (x - t.c.x) + (t.a.x - t.c.x) * (y - t.c.y)) / d;
    double l3 = 1.0 - l1 - l2;
    const double e = -1e-9;
    if (l1 < e || l2 < e || l3 < e)
        return false;
    z = l1 * t.a.z + l2 * t.b.z + l3 * t.c.z;
    return true;
}

struct TriangleIndex {
    double cell = 25.0;
    std::vector<FlatTriangle> triangles;
    std::map<std::pair<int, int>, std::vector<size_t>> buckets;
};

TriangleIndex indexTriangles(const TrisBuilder& mesh)
{
    TriangleIndex index;
    for (const TrisPart& g : mesh.groups) {
        for (size_t k = 0; k + 2 < g.vertex.size(); k += 3) {
            FlatTriangle t{mesh.positions[g.vertex[k]], mesh.positions[g.vertex[k + 1]], mesh.positions[g.vertex[k + 2]]};
            size_t id = index.triangles.size();
            index.triangles.push_back(t);
            int x0 = static_cast<int>(std::floor(std::min({t.a.x, t.b.x, t.c.x}) / index.cell));
            int x1 = static_cast<int>(std::floor(std::max({t.a.x, t.b.x, t.c.x}) / index.cell));
            int y0 = static_cast<int>(std::floor(std::min({t.a.y, t.b.y, t.c.y}) / index.cell));
            int y1 = static_cast<int>(std::floor(std::max({t.a.y, t.b.y, t.c.y}) / index.cell));
            // Huge far-away triangles are never near the road; skip indexing them cell by cell.
            if ((x1 - x0 + 1) * (y1 - y0 + 1) > 4000)
                continue;
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    index.buckets[{x, y}].push_back(id);
        }
    }
    return index;
}

} // namespace

TEST(Scenery, EveryAreaFitsTheMeshFormat)
{
    for (const BuiltTrack& track : builtTracks()) {
        Scenery s = buildScenery(track);
        SCOPED_TRACE(track.design.name);
        EXPECT_TRUE(fitsIndexes(s.mesh));
        size_t triangles = 0;
        for (const TrisPart& g : s.mesh.groups) {
            EXPECT_EQ(g.vertex.size(), g.normal.size());
            EXPECT_EQ(g.vertex.size(), g.tex.size());
            for (uint32_t i : g.vertex)
                ASSERT_LT(i, s.mesh.positions.size());
            for (uint32_t i : g.normal)
                ASSERT_LT(i, s.mesh.normals.size());
            for (uint32_t i : g.tex)
                ASSERT_LT(i, s.mesh.texCoords.size() / 2);
            triangles += g.vertex.size() / 3;
        }
        EXPECT_GT(triangles, 1000u);
        // Nothing lies beyond the far plane from every point of the road, where it
        // could never be seen.
        for (const Vec3& p : s.mesh.positions) {
            double nearest = 1e18;
            for (const TrackSegment& seg : track.segments)
                nearest = std::min(nearest, length(sub(p, seg.center)));
            ASSERT_LT(nearest, 5000.0);
        }
    }
}

TEST(Scenery, NeverRisesAboveTheRoadWithinItsWidth)
{
    for (const BuiltTrack& track : builtTracks()) {
        SCOPED_TRACE(track.design.name);
        Scenery s = buildScenery(track);
        TriangleIndex index = indexTriangles(s.mesh);
        int worst = 0;
        double worstGap = -1e9;
        for (size_t k = 0; k < track.segments.size(); ++k) {
            for (int i = 0; i < 32; ++i) {
                for (int j = 0; j <= 16; ++j) {
                    Vec3 p = roadPoint(track.segments[k], i / 32.0, j / 16.0);
                    auto it = index.buckets.find({static_cast<int>(std::floor(p.x / index.cell)),
                                                  static_cast<int>(std::floor(p.y / index.cell))});
                    if (it == index.buckets.end())
                        continue;
                    for (size_t id : it->second) {
                        double z;
                        if (heightAt(index.triangles[id], p.x, p.y, z) && z - p.z > worstGap) {
                            worstGap = z - p.z;
                            worst = static_cast<int>(k);
                        }
                    }
                }
            }
        }
        EXPECT_LT(worstGap, 0.0) << "scenery above the road by " << worstGap << " m in segment " << worst;
    }
}
