// The fifteen tracks as built from their designs: where they start, which way
// the road faces, how wide and finely cut it is, that it never runs into
// itself, and that the difficulty rises along the menu's unlock order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "design/track_catalogue.h"
#include "sim/locator.h"
#include "sim/ship_physics.h"
#include "track/track.h"

namespace {

Track gameTrack(const BuiltTrack& built)
{
    Track t;
    t.name = built.design.name;
    t.segments = built.segments;
    return t;
}

double horizontal(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.y - b.y); }

} // namespace

TEST(TrackDesigns, AllFifteenBuildInTheMenuOrder)
{
    ASSERT_EQ(trackOrder().size(), 15u);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c) {
            // Column before row in the name, first row left to right, then the next rows.
            std::string name = std::to_string(c) + std::to_string(r);
            EXPECT_EQ(trackOrder()[r * 5 + c], name);
            const BuiltTrack* t = findBuilt(name);
            ASSERT_NE(t, nullptr) << name;
            EXPECT_TRUE(t->path.error.empty()) << name << ": " << t->path.error;
            EXPECT_FALSE(t->segments.empty()) << name;
        }
}

TEST(TrackDesigns, TheShipStartsOnAStraightAtTheOriginFacingAlongTheRoad)
{
    for (const BuiltTrack& built : builtTracks()) {
        SCOPED_TRACE(built.design.name);
        Track track = gameTrack(built);
        // The locator's fresh search begins at the segment whose centre is nearest the origin.
        size_t nearest = 0;
        for (size_t k = 1; k < track.segments.size(); ++k)
            if (length(track.segments[k].center) < length(track.segments[nearest].center))
                nearest = k;
        EXPECT_EQ(nearest, 0u);
        ShipState ship;
        resetShip(ship, track);
        EXPECT_LT(length(ship.position), 0.05);
        EXPECT_NEAR(ship.trackU, 0.5, 0.01);
        EXPECT_NEAR(ship.trackT, 0.5, 0.05);
        // Held by the countdown's brake, the ship's +y becomes the road's forward
        // (seen from above: the road may climb or fall there).
        ship.control = ControlInput{0.0f, 1.0f, 0.0f};
        for (int i = 0; i < 5; ++i)
            stepShipState(ship, track, 9.81, 0.01);
        Vec3 f = row(ship.orientation, 1);
        EXPECT_GT(f.y / std::hypot(f.x, f.y), 0.99999);
        // A straight: the centre line of the start segment bends by centimetres at most.
        Vec3 a = roadPoint(track.segments[0], 0.0, 0.5), b = roadPoint(track.segments[0], 1.0, 0.5);
        for (double t : {0.25, 0.5, 0.75}) {
            Vec3 m = roadPoint(track.segments[0], t, 0.5);
            EXPECT_LT(std::fabs(m.x - (a.x + (b.x - a.x) * t)), 0.05);
        }
    }
}

TEST(TrackDesigns, RailZeroIsOnTheLeftSoTheRoadFacesUp)
{
    for (const BuiltTrack& built : builtTracks()) {
        SCOPED_TRACE(built.design.name);
        double lowest = 1.0;
        for (const TrackSegment& seg : built.segments)
            for (double t : {0.0, 0.3, 0.7})
                for (double u : {0.0, 0.5, 1.0})
                    lowest = std::min(lowest, surfaceFrame(seg, u, t).normal.z);
        // Banking of at most twenty degrees on a grade of at most a few per cent.
        EXPECT_GT(lowest, 0.92);
    }
}

TEST(TrackDesigns, SegmentsAndWidthsFollowTheDesign)
{
    for (const BuiltTrack& built : builtTracks()) {
        SCOPED_TRACE(built.design.name);
        double narrow = built.design.width, wide = built.design.width;
        for (const Corner& c : built.design.corners)
            if (c.width > 0.0) {
                narrow = std::min(narrow, c.width);
                wide = std::max(wide, c.width);
            }
        // No segment longer than 28 m of centre line, so the splines follow the corners.
        EXPECT_GE(built.segments.size(), static_cast<size_t>(std::floor(built.path.length / 28.0)));
        double tightest = 1e9;
        for (size_t k = 0; k < built.segments.size(); ++k) {
            const TrackSegment& seg = built.segments[k];
            double w = length(sub(railPoint(seg, 3, 0.0), railPoint(seg, 0, 0.0)));
            EXPECT_GT(w, narrow - 0.01);
            EXPECT_LT(w, wide + 0.01);
            EXPECT_LT(horizontal(roadPoint(seg, 0.0, 0.5), roadPoint(seg, 1.0, 0.5)), 28.5);
            tightest = std::min(tightest, horizontal(roadPoint(seg, 0.0, 0.5), roadPoint(seg, 1.0, 0.5)));
        }
        EXPECT_GT(tightest, 5.0);
    }
}

TEST(TrackDesigns, TheRoadNeverRunsIntoItself)
{
    for (const BuiltTrack& built : builtTracks()) {
        SCOPED_TRACE(built.design.name);
        std::vector<Vec3> centre;
        std::vector<double> at, half;
        double s = 0.0;
        for (const TrackSegment& seg : built.segments)
            for (int i = 0; i < 4; ++i) {
                Vec3 p = roadPoint(seg, i / 4.0, 0.5);
                if (!centre.empty())
                    s += horizontal(p, centre.back());
                centre.push_back(p);
                at.push_back(s);
                half.push_back(0.5 * length(sub(railPoint(seg, 3, i / 4.0), railPoint(seg, 0, i / 4.0))));
            }
        const double lap = s;
        double closest = 1e9;
        for (size_t i = 0; i < centre.size(); ++i)
            for (size_t j = i + 1; j < centre.size(); ++j) {
                double apart = std::min(at[j] - at[i], lap - (at[j] - at[i]));
                // Parts of the road less than 150 m apart along it may lie close, as in a hairpin.
                if (apart < 150.0)
                    continue;
                closest = std::min(closest, horizontal(centre[i], centre[j]) - half[i] - half[j]);
            }
        EXPECT_GT(closest, 10.0) << "two stretches of road pass within " << closest << " m";
    }
}

TEST(TrackDesigns, DifficultyRisesFromRowToRow)
{
    // Per row of the menu: the mean tightest bend and the mean narrowest road.
    double radius[3] = {0, 0, 0}, width[3] = {0, 0, 0};
    for (size_t i = 0; i < trackOrder().size(); ++i) {
        const BuiltTrack* t = findBuilt(trackOrder()[i]);
        ASSERT_NE(t, nullptr);
        double w = 1e9;
        for (const TrackSegment& seg : t->segments)
            w = std::min(w, length(sub(railPoint(seg, 3, 0.0), railPoint(seg, 0, 0.0))));
        radius[i / 5] += t->tightestRadius / 5.0;
        width[i / 5] += w / 5.0;
    }
    EXPECT_GT(radius[0], radius[1]);
    EXPECT_GT(radius[1], radius[2]);
    EXPECT_GT(width[0], width[1]);
    EXPECT_GT(width[1], width[2]);
    // The first track is the gentle one: broad bends only.
    EXPECT_GE(findBuilt("00")->tightestRadius, 200.0);
}
