// The game's locator against the direct transcription, on the autopilot's
// race over every track of the content: the whole physics is run once on
// each, and the end states must agree to the last bit, while the game's
// locator makes at most 40% of the rail evaluations.
#include <gtest/gtest.h>

#include <cstring>

#include "content/generated_content.h"
#include "design/track_catalogue.h"
#include "locator_reference.h"
#include "sim/autopilot.h"
#include "sim/replay.h"
#include "track/geometry.h"
#include "track/track_file.h"

namespace {

struct Measured {
    ReplayResult result;
    uint64_t railPoints = 0;
};

Measured raceWith(LocatorChoice choice, Track& track, const ReplaySetup& setup)
{
    locatorInUse = choice;
    const uint64_t before = geometryCounters.railPoints;
    Measured m;
    m.result = replayRace(track, setup);
    m.railPoints = geometryCounters.railPoints - before;
    locatorInUse = LocatorChoice::game;
    return m;
}

TEST(LocatorReference, EveryTrackEndsBitForBitAsTheDirectTranscriptionWithFewerRailEvaluations)
{
    const std::string& data = generatedContent();
    ASSERT_FALSE(data.empty()) << "vantor-content failed";
    for (const std::string& name : trackOrder()) {
        SCOPED_TRACE(name);
        Track track;
        ASSERT_TRUE(readTrackRoad(track, data, name));
        ReplaySetup setup;
        setup.controls = driveWithAutopilot(track, AutopilotSettings{}, 30000).controls;
        ASSERT_GT(setup.controls.size(), 1000u);

        const Measured game = raceWith(LocatorChoice::game, track, setup);
        const Measured reference = raceWith(LocatorChoice::reference, track, setup);
        EXPECT_EQ(game.result.outcome, RaceOutcome::finish);
        EXPECT_EQ(game.result.outcome, reference.result.outcome);
        EXPECT_EQ(game.result.raceTicks, reference.result.raceTicks);
        EXPECT_EQ(std::memcmp(&game.result.finalState, &reference.result.finalState, sizeof(ShipState)), 0);
        EXPECT_EQ(std::memcmp(&game.result.startState, &reference.result.startState, sizeof(ShipState)), 0);
        // The locator is nearly all of the physics' rail evaluations.
        EXPECT_LE(double(game.railPoints), 0.4 * double(reference.railPoints))
            << game.railPoints << " against " << reference.railPoints;
    }
}

TEST(LocatorReference, SearchesFromOddStartsMatchTheTranscription)
{
    // Off the road, far above it, beyond the segment ends and with the trial
    // budget running out mid-phase: the single searches agree bit for bit.
    const std::string& data = generatedContent();
    ASSERT_FALSE(data.empty());
    Track track;
    ASSERT_TRUE(readTrackRoad(track, data, trackOrder().back()));
    ASSERT_GT(track.segments.size(), 4u);
    int checked = 0;
    for (size_t s = 0; s < track.segments.size(); s += 3) {
        const TrackSegment& segment = track.segments[s];
        for (double u0 : {-3.0, -0.05, 0.3, 0.97, 1.6}) {
            for (double t0 : {-2.5, -0.01, 0.5, 1.0005, 2.0}) {
                for (double lift : {0.0, 3.0, 400.0}) {
                    Vec3 p = add(surfacePoint(segment, 0.5 + 0.37 * (u0 - 0.5), 0.5 + 0.21 * (t0 - 0.5)),
                                 Vec3{0.0, 0.0, lift});
                    int iterations = 0;
                    TrackContact a = nearestOnSegment(segment, p, u0, t0, &iterations);
                    TrackContact b = referenceNearestOnSegment(segment, p, u0, t0);
                    ASSERT_EQ(std::memcmp(&a.point, &b.point, sizeof a.point), 0);
                    ASSERT_EQ(std::memcmp(&a.normal, &b.normal, sizeof a.normal), 0);
                    ASSERT_EQ(std::memcmp(&a.u, &b.u, sizeof a.u), 0);
                    ASSERT_EQ(std::memcmp(&a.t, &b.t, sizeof a.t), 0);
                    checked += iterations > 100;

                    ShipState state{};
                    state.position = p;
                    state.segment = static_cast<int32_t>(s);
                    state.trackU = u0;
                    state.trackT = t0;
                    TrackContact la = locate(track, state);
                    TrackContact lb = referenceLocate(track, state);
                    ASSERT_EQ(la.segment, lb.segment);
                    ASSERT_EQ(std::memcmp(&la.point, &lb.point, sizeof la.point), 0);
                    ASSERT_EQ(std::memcmp(&la.u, &lb.u, sizeof la.u), 0);
                    ASSERT_EQ(std::memcmp(&la.t, &lb.t, sizeof la.t), 0);
                }
            }
        }
    }
    // Some of these searches ran out of trials.
    EXPECT_GT(checked, 0);
}

} // namespace
