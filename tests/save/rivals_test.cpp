// Choosing the race's rivals and the line after a finish, from the save data
// and the medal times alone.
#include <gtest/gtest.h>

#include "save/rivals.h"
#include "save/runs.h"

namespace {

const MedalSeconds times{92.0, 104.0, 129.0};
const bool allOffered[3] = {true, true, true};

// A record whose best run took bestTicks (0: no score at all), with or
// without the ghost run the save keeps beside it.
TrackRecord recordWith(int32_t bestTicks, bool ghostRun = true)
{
    TrackRecord r;
    r.name = "00";
    if (bestTicks > 0) {
        // A slower score first: the best is found, not taken from the front.
        r.scores.push_back(ScoreEntry{"ace", "ship", bestTicks + 500, 2});
        r.scores.push_back(ScoreEntry{"ace", "ship", bestTicks, 1});
    }
    if (ghostRun)
        r.ghostRun.assign(10, ControlInput{0.0f, 0.0f, 1.0f});
    return r;
}

const Rival best{RivalKind::bestRun, ""};
const Rival gold{RivalKind::gold, ""};
const Rival silver{RivalKind::silver, ""};
const Rival bronze{RivalKind::bronze, ""};

} // namespace

TEST(DefaultRivals, TheBestRunAndTheNextMedalNotYetEarned)
{
    const struct {
        const char* what;
        int32_t bestTicks;
        bool ghostRun;
        std::vector<Rival> expected;
    } cases[] = {
        {"no run yet", 0, false, {bronze}},
        {"scores kept without a ghost run", 10000, false, {gold}},
        {"slower than bronze", 13000, true, {best, bronze}},
        {"bronze at its last tick", 12900, true, {best, silver}},
        {"silver", 10000, true, {best, gold}},
        {"one tick short of gold", 9201, true, {best, gold}},
        {"gold", 9200, true, {best}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TrackRecord r = recordWith(c.bestTicks, c.ghostRun);
        EXPECT_EQ(defaultRivals(&r, times, allOffered), c.expected);
    }
    EXPECT_EQ(defaultRivals(nullptr, times, allOffered), std::vector<Rival>{bronze});
}

TEST(DefaultRivals, AMedalGhostTheTrackLacksIsLeftOut)
{
    const bool noSilver[3] = {true, false, true};
    const TrackRecord bronzeRun = recordWith(12000);
    EXPECT_EQ(defaultRivals(&bronzeRun, times, noSilver), std::vector<Rival>{best});
    const bool none[3] = {false, false, false};
    EXPECT_TRUE(defaultRivals(nullptr, times, none).empty());
}

TEST(DefaultRivals, TheEarnedMedalFollowsTheBestScoreAndTheTimes)
{
    const TrackRecord r = recordWith(10000);
    EXPECT_EQ(earnedMedal(&r, times), TrackState::silver);
    EXPECT_EQ(earnedMedal(&r, MedalSeconds{100.0, 110.0, 120.0}), TrackState::gold);
    EXPECT_EQ(earnedMedal(nullptr, times), TrackState::open);
    EXPECT_FALSE(hasBestRun(nullptr));
    const TrackRecord ghostWithoutScore = recordWith(0, true);
    EXPECT_FALSE(hasBestRun(&ghostWithoutScore));
}

TEST(ToggleRival, UpToFourRaceAndTheFirstStaysTheReference)
{
    std::vector<Rival> rivals;
    const Rival fileA{RivalKind::file, "ghosts/a.vghost"};
    const Rival fileB{RivalKind::file, "ghosts/b.vghost"};
    for (const Rival& r : {silver, best, gold, fileA})
        EXPECT_TRUE(toggleRival(rivals, r));
    EXPECT_EQ(rivals, (std::vector<Rival>{silver, best, gold, fileA}));
    EXPECT_FALSE(toggleRival(rivals, fileB)) << "a fifth ghost does not join";
    EXPECT_EQ(rivals.size(), maxRivals);
    // Files are told apart by their paths.
    EXPECT_TRUE(toggleRival(rivals, fileA));
    EXPECT_TRUE(toggleRival(rivals, fileB));
    EXPECT_EQ(rivals, (std::vector<Rival>{silver, best, gold, fileB}));
    // Taking the reference out makes the next one the reference.
    EXPECT_TRUE(toggleRival(rivals, silver));
    EXPECT_EQ(rivals.front(), best);
}

TEST(NextToBeat, NamesTheMedalBeatenAndTheTimeToTheNext)
{
    const struct {
        int32_t ticks;
        const char* line;
    } cases[] = {
        {9158, "gold beaten by 0.42"},
        {9200, "gold beaten by 0.00"},
        {9201, "silver beaten by 11.99, gold: 0.01 to go"},
        {10263, "silver beaten by 1.37, gold: 10.63 to go"},
        {10400, "silver beaten by 0.00, gold: 12.00 to go"},
        {12900, "bronze beaten by 0.00, silver: 25.00 to go"},
        {12901, "bronze: 0.01 to go"},
        {20037, "bronze: 71.37 to go"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nextToBeatLine(c.ticks, times), c.line) << c.ticks;
}

TEST(NextToBeat, CountsFromTheLastTickThatEarnsTheMedal)
{
    // 4.35 s is 434.99... hundredths: 435 ticks miss it, as medalFor says.
    const MedalSeconds odd{4.35, 5.0, 6.0};
    EXPECT_EQ(medalLimitTicks(4.35, 0.01), 434);
    EXPECT_EQ(nextToBeatLine(434, odd), "gold beaten by 0.00");
    EXPECT_EQ(nextToBeatLine(435, odd), "silver beaten by 0.65, gold: 0.01 to go");
}

namespace {

const Rival fileA{RivalKind::file, "/ghosts/a.vghost"};
const Rival fileB{RivalKind::file, "/ghosts/b.vghost"};

} // namespace

TEST(AddableRivals, MedalsFirstThenTheBestRunThenEachFile)
{
    const bool none[3] = {false, false, false};
    const bool silverOnly[3] = {false, true, false};
    const std::vector<std::string> files{fileA.path, fileB.path};
    const struct {
        const char* what;
        const bool* offered;
        bool bestRun;
        std::vector<std::string> files;
        std::vector<Rival> rivals;
    } cases[] = {
        {"every medal, the best run leads", allOffered, false, {}, {gold, silver, bronze}},
        {"a file leads", silverOnly, true, files, {silver, best, fileA, fileB}},
        {"files alone", none, false, files, {fileA, fileB}},
        {"nothing to add", none, false, {}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(addableRivals(c.offered, c.bestRun, c.files), c.rivals) << c.what;
}

TEST(AddableRivals, TheButtonStepsRoundTheCandidatesBothWays)
{
    const std::vector<Rival> candidates{gold, best, fileA, fileB};
    const struct {
        Rival shown;
        int step;
        Rival next;
    } cases[] = {
        {gold, 1, best},  {best, 1, fileA},   {fileB, 1, gold},  {gold, -1, fileB},
        {fileA, -1, best}, {silver, 1, gold}, {silver, -1, gold},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stepAmong(candidates, c.shown, c.step), c.next) << int(c.shown.kind) << " " << c.step;
    EXPECT_EQ(stepAmong({}, silver, 1), silver) << "nothing to step to";
    EXPECT_EQ(stepAmong({fileA}, fileA, 1), fileA);
}
