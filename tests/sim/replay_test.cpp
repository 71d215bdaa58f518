// Whole runs: the independent reference runs reproduced bit for bit, and a
// golden run on a track built here that pins the physics down.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "sim/replay.h"
#include "test_tracks.h"

namespace {

const std::string referenceDir = VANTOR_REFERENCE_DIR;

std::vector<ControlInput> readRecords(const std::string& path)
{
    std::vector<ControlInput> controls;
    std::ifstream in(path, std::ios::binary);
    ControlInput c;
    while (in.read(reinterpret_cast<char*>(&c), sizeof c))
        controls.push_back(c);
    return controls;
}

std::string hexOf(const void* data, size_t size)
{
    static const char digits[] = "0123456789abcdef";
    const unsigned char* b = static_cast<const unsigned char*>(data);
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        out.push_back(digits[b[i] >> 4]);
        out.push_back(digits[b[i] & 15]);
    }
    return out;
}

std::string hexDouble(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%a", v);
    return text;
}

struct ReferenceRun {
    const char* track;
    const char* controls;
    ControlInput hold;
    const char* name;
};

class ReferenceRuns : public ::testing::TestWithParam<ReferenceRun> {};

TEST_P(ReferenceRuns, ReproduceTheTraceAndOutcomeBitForBit)
{
    const ReferenceRun& run = GetParam();
    std::vector<std::string> expected = gunzipLines(referenceDir + "/" + run.name + ".trace.gz");
    ASSERT_GT(expected.size(), 299u) << "reference trace missing in " << referenceDir;
    std::ifstream outFile(referenceDir + "/" + run.name + ".out");
    std::string resetLine, stateLine, outcome;
    ASSERT_TRUE(std::getline(outFile, resetLine) && std::getline(outFile, stateLine) && std::getline(outFile, outcome));

    Track track;
    ASSERT_TRUE(readTrackRoad(track, referenceDir, run.track));
    ReplaySetup setup;
    if (run.controls) {
        setup.controls = readRecords(referenceDir + "/" + run.controls);
        ASSERT_FALSE(setup.controls.empty());
    } else {
        setup.controls.push_back(run.hold);
        setup.hold = true;
        setup.maxTicks = 100000;
    }
    std::vector<std::string> actual;
    ReplayResult result = replayRace(track, setup, [&](int64_t tick, bool countdown, const ShipState& s) {
        actual.push_back(traceLine(tick, countdown, s));
    });

    const ShipState& start = result.startState;
    EXPECT_EQ("reset " + hexDouble(start.position.x) + " " + hexDouble(start.position.y) + " " +
                  hexDouble(start.position.z) + " " + hexDouble(start.trackU) + " " + hexDouble(start.trackT),
              resetLine);
    EXPECT_EQ("startstate " + hexOf(&start, sizeof start), stateLine);
    EXPECT_EQ(outcomeLine(result), outcome);

    size_t common = std::min(expected.size(), actual.size());
    for (size_t i = 0; i < common; ++i) {
        if (expected[i] != actual[i]) {
            ADD_FAILURE() << "first differing trace line " << i + 1 << "\n  expected: " << expected[i]
                          << "\n  actual:   " << actual[i];
            return;
        }
    }
    EXPECT_EQ(actual.size(), expected.size()) << "traces agree up to the shorter one";
}

INSTANTIATE_TEST_SUITE_P(
    Reference, ReferenceRuns,
    ::testing::Values(ReferenceRun{"refa", "refa.ctl", {}, "refa"}, ReferenceRun{"refb", "refb.ctl", {}, "refb"},
                      ReferenceRun{"refa", nullptr, {0.3f, 0.0f, 1.0f}, "refa-hold"},
                      ReferenceRun{"refb", nullptr, {0.0f, 0.0f, 1.0f}, "refb-hold"}),
    [](const ::testing::TestParamInfo<ReferenceRun>& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (c == '-')
                c = '_';
        return n;
    });

// FNV-1a over the state's bytes; the padding is always written as zero.
uint64_t hashState(const ShipState& s)
{
    uint64_t h = 14695981039346656037ull;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(&s);
    for (size_t i = 0; i < sizeof s; ++i) {
        h ^= b[i];
        h *= 1099511628211ull;
    }
    return h;
}

// A fixed driver on a fixed hilly ring: holds the centre line by the across-
// road offset and its rate, and a cruising speed by throttle and brake.
TEST(GoldenRun, EndsAtTheStoredTickAndStateHash)
{
    Track track = ringTrack(36, 260.0, 24.0, 7.0, 3);
    ReplaySetup setup;
    double previousU = 0.5;
    std::vector<ControlInput> records;
    setup.driver = [&](const ShipState& s, int64_t) {
        double offset = s.trackU - 0.5;
        double drift = s.trackU - previousU;
        previousU = s.trackU;
        double speed = length(s.velocity);
        ControlInput c;
        c.steer = float(0.13 + 2.0 * offset + 150.0 * drift);
        c.throttle = speed < 38.0 ? 1.0f : 0.0f;
        c.brake = speed > 42.0 ? 0.5f : 0.0f;
        records.push_back(c);
        return c;
    };
    setup.maxTicks = 40000;
    ReplayResult result = replayRace(track, setup);
    // Any change here breaks every stored ghost: update these only on purpose.
    EXPECT_EQ(outcomeLine(result), "finish 8984");
    EXPECT_EQ(hashState(result.finalState), 0x582ffb6f48ddb8c1ull);

    // The driver's records replayed as a ghost run end in the very same state.
    ReplaySetup ghost;
    ghost.controls = records;
    ReplayResult replayed = replayRace(track, ghost);
    EXPECT_EQ(outcomeLine(replayed), "finish 8984");
    EXPECT_EQ(std::memcmp(&replayed.finalState, &result.finalState, sizeof(ShipState)), 0);
}

} // namespace
