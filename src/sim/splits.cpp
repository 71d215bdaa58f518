#include "sim/splits.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>

#include "sim/race_session.h"
#include "track/track_file.h"

void resetSplits(RunSplits& run, int32_t segmentCount)
{
    run = RunSplits();
    run.segmentCount = segmentCount;
}

SplitStep noteSplitTick(RunSplits& run, const TickReport& report)
{
    SplitStep step;
    if (report.countdown || report.raceTick <= 0 || run.segmentCount <= 0)
        return step;
    if (report.previousSegment >= 0 && report.segment >= 0 &&
        report.segment == (report.previousSegment + 1) % run.segmentCount &&
        run.keys.insert({report.lap, report.segment}).second) {
        run.splits.push_back(Split{report.lap, report.segment, report.raceTick});
        step.crossed = true;
    }
    // A lap is done the first time the HUD shows the next one; a counter that
    // falls back (a skipped segment) and climbs again completes nothing.
    while (report.lap > 0 && run.lapEndTicks.size() < static_cast<size_t>(report.lap)) {
        run.lapEndTicks.push_back(report.raceTick);
        step.lapCompleted = true;
    }
    return step;
}

struct SplitsReplay {
    Track track;
    ShipState ship;
    RaceSession session;
    const std::vector<ControlInput>* records = nullptr;
};

// Sets up a replay of records (which the caller keeps) on a copy of track.
static std::shared_ptr<SplitsReplay> beginSplitsReplay(const Track& track, const std::vector<ControlInput>& records,
                                                       double gravity)
{
    auto replay = std::make_shared<SplitsReplay>();
    replay->track = track;
    replay->records = &records;
    beginRace(replay->session, replay->track, replay->ship, nullptr, gravity);
    return replay;
}

// Steps the replay by up to budget ticks, noting run's splits; true once it
// has ended: the race ended, the records ran out or an hour of race ticks
// passed (no run worth comparing with finishes later).
static bool stepSplitsReplay(SplitsReplay& replay, RunSplits& run, int64_t budget)
{
    RaceSession& session = replay.session;
    const std::vector<ControlInput>& records = *replay.records;
    for (int64_t done = 0; done < budget; ++done) {
        if (!session.on)
            return true;
        const ControlInput* record = nullptr;
        if (!inCountdown(session)) {
            const int64_t next = session.raceTicks;
            if (next >= static_cast<int64_t>(records.size()) || next >= hourTicks)
                return true;
            record = &records[static_cast<size_t>(next)];
        }
        noteSplitTick(run, stepRace(session, record));
    }
    return !session.on;
}

RunSplits splitsOfRun(const Track& track, const std::vector<ControlInput>& records, double gravity)
{
    RunSplits run;
    resetSplits(run, static_cast<int32_t>(track.segments.size()));
    if (records.empty())
        return run;
    const std::shared_ptr<SplitsReplay> replay = beginSplitsReplay(track, records, gravity);
    while (!stepSplitsReplay(*replay, run, rivalTicksPerFrame)) {
    }
    return run;
}

int64_t splitTickAt(const RunSplits& run, int32_t lap, int32_t segment)
{
    if (!run.keys.count({lap, segment}))
        return -1;
    for (const Split& s : run.splits) {
        if (s.lap == lap && s.segment == segment)
            return s.raceTick;
    }
    return -1;
}

int64_t lapTicks(const RunSplits& run, size_t lap)
{
    if (lap >= run.lapEndTicks.size())
        return 0;
    return run.lapEndTicks[lap] - (lap == 0 ? 0 : run.lapEndTicks[lap - 1]);
}

std::string lapTimesLine(const RunSplits& run)
{
    if (run.lapEndTicks.size() < 2)
        return "";
    std::string line = "laps";
    for (size_t i = 1; i < run.lapEndTicks.size(); ++i)
        line += " " + formatTicks(lapTicks(run, i));
    return line;
}

void beginLiveSplits(LiveSplits& live, const Track& track, const std::vector<ControlInput>* rival, double gravity)
{
    LiveSplits fresh;
    resetSplits(fresh.own, static_cast<int32_t>(track.segments.size()));
    fresh.haveRival = rival && !rival->empty();
    if (!fresh.haveRival) {
        resetSplits(fresh.rival, fresh.own.segmentCount);
        live = std::move(fresh);
        return;
    }
    const size_t hash = std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(rival->data()), rival->size() * sizeof(ControlInput)));
    const bool same = live.haveRival && live.rivalTrack == track.name && live.rivalRevision == track.revision &&
                      live.rivalSegments == track.segments.size() && live.rivalGravity == gravity &&
                      live.rivalRecordCount == rival->size() && live.rivalRecordHash == hash;
    if (same) {
        fresh.rival = std::move(live.rival);
        fresh.rivalReplay = std::move(live.rivalReplay);
        // The same records, perhaps held elsewhere now.
        if (fresh.rivalReplay)
            fresh.rivalReplay->records = rival;
    } else {
        resetSplits(fresh.rival, fresh.own.segmentCount);
        fresh.rivalReplay = beginSplitsReplay(track, *rival, gravity);
    }
    fresh.rivalRecordCount = rival->size();
    fresh.rivalRecordHash = hash;
    fresh.rivalTrack = track.name;
    fresh.rivalRevision = track.revision;
    fresh.rivalSegments = track.segments.size();
    fresh.rivalGravity = gravity;
    live = std::move(fresh);
}

void stepRivalSplits(LiveSplits& live, int64_t tickBudget)
{
    if (live.rivalReplay && stepSplitsReplay(*live.rivalReplay, live.rival, tickBudget))
        live.rivalReplay.reset();
}

bool rivalSplitsComplete(const LiveSplits& live)
{
    return !live.rivalReplay;
}

void noteLiveTick(LiveSplits& live, const TickReport& report)
{
    const SplitStep step = noteSplitTick(live.own, report);
    if (step.crossed && live.haveRival) {
        const Split& s = live.own.splits.back();
        // The rival has not been replayed this far yet: on until it crosses
        // there or ends.
        while (!rivalSplitsComplete(live) && !live.rival.keys.count({s.lap, s.segment}))
            stepRivalSplits(live, rivalTicksPerFrame);
        const int64_t theirs = splitTickAt(live.rival, s.lap, s.segment);
        // A joint the rival never reached leaves the last difference up.
        if (theirs >= 0) {
            live.haveDelta = true;
            live.delta = s.raceTick - theirs;
        }
    }
    // The first rise of the HUD's lap is the start joint: a lap begins there.
    if (step.lapCompleted && live.own.lapEndTicks.size() >= 2) {
        const size_t lap = live.own.lapEndTicks.size() - 1;
        live.haveLap = true;
        live.lap = static_cast<int32_t>(lap);
        live.lapTime = lapTicks(live.own, lap);
        live.lapEndTick = report.raceTick;
        while (live.haveRival && !rivalSplitsComplete(live) && live.rival.lapEndTicks.size() <= lap)
            stepRivalSplits(live, rivalTicksPerFrame);
        live.haveLapDelta = live.haveRival && lap < live.rival.lapEndTicks.size();
        live.lapDelta = live.haveLapDelta ? live.lapTime - lapTicks(live.rival, lap) : 0;
    }
}

bool lapShown(const LiveSplits& live, int64_t raceTick)
{
    return live.haveLap && raceTick >= live.lapEndTick && raceTick - live.lapEndTick < lapShowTicks;
}

std::string lapLine(const LiveSplits& live)
{
    if (!live.haveLap)
        return "";
    std::string line = "lap " + std::to_string(live.lap) + "  " + formatTicks(live.lapTime);
    if (live.haveLapDelta)
        line += "  " + formatDelta(live.lapDelta);
    return line;
}

std::string offRoadLine(int64_t raceTick, int32_t lap)
{
    return "off the road at " + formatTicks(raceTick) + " in lap " + std::to_string(lap);
}
