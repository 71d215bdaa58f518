#include "sim/practice.h"

#include <algorithm>

#include "sim/ship.h"
#include "sim/splits.h"
#include "track/track_file.h"

int64_t practiceCrossingTick(const Track& track, const std::vector<ControlInput>& records, int32_t lap,
                             int32_t segment, double gravity)
{
    Track copy = track;
    ShipState ship;
    RaceSession session;
    beginRace(session, copy, ship, nullptr, gravity);
    RunSplits splits;
    resetSplits(splits, static_cast<int32_t>(copy.segments.size()));
    // The replay stops at the crossing: the rest of the run cannot change it.
    while (session.on) {
        const ControlInput* record = nullptr;
        if (!inCountdown(session)) {
            const size_t next = static_cast<size_t>(session.raceTicks);
            if (next >= records.size())
                break;
            record = &records[next];
        }
        const TickReport report = stepRace(session, record);
        if (noteSplitTick(splits, report).crossed && splits.splits.back().lap == lap &&
            splits.splits.back().segment == segment)
            return report.raceTick;
    }
    return -1;
}

void stepRaceWith(RaceSession& session, const std::vector<ControlInput>& records, int64_t untilTick,
                  const std::function<void(const TickReport& report)>& onTick)
{
    while (session.on && session.ticks < untilTick) {
        const ControlInput* record = nullptr;
        if (!inCountdown(session)) {
            const size_t next = static_cast<size_t>(session.raceTicks);
            if (next >= records.size())
                break;
            record = &records[next];
        }
        const TickReport report = stepRace(session, record);
        if (onTick)
            onTick(report);
    }
}

int64_t beginPractice(RaceSession& session, Track& track, ShipState& player, ShipState* ghost,
                      const std::vector<ControlInput>& reference, int32_t lap, int32_t segment, double gravity,
                      int64_t leadTicks, const std::function<void(const TickReport& report)>& onTick)
{
    const int64_t crossing = practiceCrossingTick(track, reference, lap, segment, gravity);
    beginRace(session, track, player, ghost, gravity);
    if (crossing < 0)
        return -1;
    const int64_t until = std::max<int64_t>(0, countdownTicks + crossing - std::max<int64_t>(0, leadTicks));
    stepRaceWith(session, reference, until, onTick);
    return crossing;
}
