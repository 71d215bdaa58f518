#pragma once
// Where two runs of one track gained and lost against each other, exactly:
// both are replayed on the same tick grid, so every figure here is a
// difference of the race ticks at which they crossed the same joints
// (sim/splits.h), never an estimate from speed or position.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/race.h"
#include "sim/race_session.h"
#include "sim/splits.h"

struct Track;

// The race ticks from one joint crossing both runs have to the next.
struct Section {
    // The key of the crossing that ends it.
    int32_t lap = 0;
    int32_t segment = 0;
    // Ticks each run took since the previous common crossing (race tick 0
    // for the first), and the race tick of this crossing in each.
    int64_t ticksA = 0;
    int64_t ticksB = 0;
    int64_t tickA = 0;
    int64_t tickB = 0;
};

// The sections in the order of a's crossings: one for each key of a's that b
// also has, except a key b reached no later than the previous common key
// (b took the joints in another order there; its ticks would not add up).
std::vector<Section> commonSections(const RunSplits& a, const RunSplits& b);

// Most sectors a lap is cut into, so the comparison fits one screen.
constexpr int32_t maxSectorsPerLap = 12;

// How a track's joints fall into sectors. Sector 0 is the run-up from the
// start to the first crossing of the start joint; then each lap has
// sectorsPerLap sectors of whole segments, lap 1 first.
struct SectorLayout {
    int32_t segmentCount = 0;
    // The segment a ship enters when it crosses the start joint.
    int32_t startJoint = 0;
    int32_t sectorsPerLap = 0;
};

// The layout of track: the start joint found by the first countdown tick of
// a race on a copy of it (the track's own counters are left alone).
SectorLayout sectorLayout(const Track& track, double gravity);

// 1 + raceLaps * sectorsPerLap, or 0 for a layout without segments.
int32_t sectorCount(const SectorLayout& layout);

// The sector a crossing with key (lap, segment) ends part of: the start
// joint closes the lap before it (lap 0 being the run-up), any other joint
// lies in the lap it shows. -1 for a key outside the race's laps.
int32_t sectorOf(const SectorLayout& layout, int32_t lap, int32_t segment);

// The lap of a sector (0 for the run-up) and its place in that lap from 0.
int32_t sectorLap(const SectorLayout& layout, int32_t sector);
int32_t sectorInLap(const SectorLayout& layout, int32_t sector);

// The crossing that closes a sector.
struct JointKey {
    int32_t lap = 0;
    int32_t segment = 0;
};
JointKey sectorEnd(const SectorLayout& layout, int32_t sector);

// One sector of a comparison: the sum of the sections that end in it.
struct SectorRow {
    int32_t sections = 0;
    int64_t ticksA = 0;
    int64_t ticksB = 0;
};

// One row per sector of the layout; sections of keys outside the laps are
// left out.
std::vector<SectorRow> groupSectors(const SectorLayout& layout, const std::vector<Section>& sections);

// The sector in which a lost most to b (the largest ticksA - ticksB above
// zero, the first of equals); -1 when a lost in none.
int32_t worstSector(const std::vector<SectorRow>& rows);

// One run's own time in every sector: from its crossing of the joint that
// closes the sector before (race tick 0 for the run-up) to its crossing of
// the joint that closes this one; -1 where it missed either joint.
std::vector<int64_t> runSectorTicks(const SectorLayout& layout, const RunSplits& run);

// The sum over sectors of the fewest ticks any of the runs took there (each
// given as runSectorTicks); -1 when no run has a time for some sector or
// there are no runs.
int64_t theoreticalBest(const std::vector<std::vector<int64_t>>& runs);

// The gap at one common crossing, placed on the lap's distance: a lap's
// samples run from its start joint (distance 0) to the next crossing of it
// (the lap's length), so each lap draws as one line.
struct GapSample {
    // 1 or 2.
    int32_t lap = 0;
    // Metres along the centre line from the start joint.
    double distance = 0.0;
    // a's race tick minus b's there: below zero a is ahead.
    int64_t gap = 0;
};

// Metres along the centre line from segment 0's joint to each joint, and
// the lap's length as the last entry (segmentCount + 1 values).
std::vector<double> jointDistances(const Track& track);

// The samples a gap graph draws, lap by lap in distance order. The start
// joint closes one lap (a sample at its length) and opens the next (a
// sample at 0); crossings of the run-up give none.
std::vector<GapSample> gapOverDistance(const SectorLayout& layout, const std::vector<double>& joints,
                                       const std::vector<Section>& sections);

// "start" for the run-up, else "LAP.K" with K from 1: "1.1" to "2.12".
std::string sectorLabel(const SectorLayout& layout, int32_t sector);

// Everything the comparison of a finished run with its reference shows.
struct RunAnalysis {
    SectorLayout layout;
    RaceOutcome outcome = RaceOutcome::unfinished;
    RaceOutcome referenceOutcome = RaceOutcome::unfinished;
    // Race ticks of each run, and this run's minus the reference's.
    int64_t ticks = 0;
    int64_t referenceTicks = 0;
    int64_t difference = 0;
    std::vector<Section> sections;
    std::vector<SectorRow> sectors;
    // -1 when the run lost in no sector.
    int32_t worstSector = -1;
    // Over the history's sector times, this run's and the reference's; -1
    // while some sector has no time in any of them.
    int64_t theoreticalBest = -1;
    std::vector<GapSample> gap;
    // Metres of one lap along the centre line, the gap graph's width.
    double lapLength = 0.0;
};

// Replays run and reference on copies of track and works out the figures;
// history holds the runSectorTicks of the track's kept runs.
RunAnalysis analyseRun(const Track& track, const std::vector<ControlInput>& run,
                       const std::vector<ControlInput>& reference, const std::vector<std::vector<int64_t>>& history,
                       double gravity);
