#pragma once
// Splits: where a run crossed from one road segment into the next, and when
// it completed each lap, read from the TickReports of its race ticks. A
// live race compares its crossings with those of the rival run (the records
// the ghost replays), which are found by replaying that run once, headless,
// through the same race core: the same tick domain, never an estimate.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sim/control.h"
#include "sim/time_text.h"

struct Track;
struct TickReport;

// A race tick on which the player's segment became the next one in order.
struct Split {
    // The lap the HUD shows after the tick, and the segment entered.
    int32_t lap = 0;
    int32_t segment = 0;
    // From 1 at the first race tick.
    int64_t raceTick = 0;
};

// The crossings and completed laps of one run, in the order they happened.
struct RunSplits {
    int32_t segmentCount = 0;
    std::vector<Split> splits;
    // Keys (lap, segment) already taken: only the first crossing counts.
    std::set<std::pair<int32_t, int32_t>> keys;
    // Race tick on which lap i was completed: the first tick on which the
    // HUD's lap reached i + 1.
    std::vector<int64_t> lapEndTicks;
};

// What one tick added to a run's splits.
struct SplitStep {
    bool crossed = false;
    bool lapCompleted = false;
};

// Empties the run's splits for a road of segmentCount segments.
void resetSplits(RunSplits& run, int32_t segmentCount);

// Notes one tick. Countdown ticks, a first step onto the road and any
// segment change other than +1 (skips, driving backwards) add no crossing.
SplitStep noteSplitTick(RunSplits& run, const TickReport& report);

// The splits of records replayed from the start of a copy of track (its lap
// counters are left alone), run until the race ends, the records do or an
// hour of race ticks has passed.
RunSplits splitsOfRun(const Track& track, const std::vector<ControlInput>& records, double gravity);

// The race tick of the crossing with key (lap, segment), or -1 when the run
// never made it.
int64_t splitTickAt(const RunSplits& run, int32_t lap, int32_t segment);

// Ticks of lap index i (from the previous completion, or the race start).
// Index 0 is the run-up from the start to the first crossing of the start
// joint; the laps proper are 1 and 2.
int64_t lapTicks(const RunSplits& run, size_t lap);

// The times of a run's full laps, the run-up left out: "laps 0:25.10 0:24.90";
// empty before the first full lap.
std::string lapTimesLine(const RunSplits& run);

// A run replayed headless a few ticks at a time, its splits growing as it
// goes (defined in the source: it holds a copy of the road and a race).
struct SplitsReplay;

// The comparison a live race shows: its own splits, the rival's, and what
// the last crossing and the last completed lap said.
struct LiveSplits {
    RunSplits own;
    RunSplits rival;
    bool haveRival = false;
    // The rival's replay while it has not reached its end; null once rival
    // holds every split. A race start only sets it up, so a long rival costs
    // the start nothing: the frames step it, and a crossing the rival has
    // not been replayed to yet steps it on the spot. A copy of the record
    // shares it: step one of them only.
    std::shared_ptr<SplitsReplay> rivalReplay;
    // What the rival's splits were replayed from: the same records on the
    // same road are not replayed again (a restart costs no replay). The
    // records are known by their count and a hash of their bytes; a copy of
    // an hour-long run would cost the start more than a frame.
    size_t rivalRecordCount = 0;
    size_t rivalRecordHash = 0;
    std::string rivalTrack;
    uint64_t rivalRevision = 0;
    size_t rivalSegments = 0;
    double rivalGravity = 0.0;
    // Own tick minus the rival's at the last crossing the rival also made.
    bool haveDelta = false;
    int64_t delta = 0;
    // The last completed full lap: its index, time, difference to the rival's
    // same lap (when the rival completed it) and the race tick it ended on.
    bool haveLap = false;
    int32_t lap = 0;
    int64_t lapTime = 0;
    bool haveLapDelta = false;
    int64_t lapDelta = 0;
    int64_t lapEndTick = 0;
};

// Race ticks a completed lap stays on screen.
const int64_t lapShowTicks = 300;

// Starts the comparison for a race on track; rival may be null or empty,
// and must stay as it is while the race runs (the ghost replays it too).
// The rival's splits are kept from the last start when nothing they depend
// on has changed, a replay still under way included.
void beginLiveSplits(LiveSplits& live, const Track& track, const std::vector<ControlInput>* rival,
                     double gravity);

// Replays up to tickBudget more ticks of the rival (countdown ticks count).
void stepRivalSplits(LiveSplits& live, int64_t tickBudget);

// Whether the rival's splits are complete (always so without a rival).
bool rivalSplitsComplete(const LiveSplits& live);

// Rival ticks a frame replays: about 3 ms on the machines we measure, so a
// one-hour rival is complete within the countdown at 60 frames a second.
const int64_t rivalTicksPerFrame = 2000;

// Notes one tick of the live race.
void noteLiveTick(LiveSplits& live, const TickReport& report);

// Whether the last completed lap is still shown at race tick raceTick.
bool lapShown(const LiveSplits& live, int64_t raceTick);

// "lap 1  0:25.10  +0.42" (the difference only when the rival has that lap).
std::string lapLine(const LiveSplits& live);

// The word for a race lost off the road: "off the road at 0:11.41 in lap 1",
// the race tick of the loss and the lap the HUD showed then.
std::string offRoadLine(int64_t raceTick, int32_t lap);
