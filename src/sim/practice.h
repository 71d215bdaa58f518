#pragma once
// Practice from a joint: a race that begins where a reference run crossed a
// chosen joint, in exactly the state the reference had there. The race core
// replays the reference's records from the start to that crossing, so the
// ship, the lap counters, the clock and the ghost are what they were, and
// the player's records take over from the next race tick.

#include <cstdint>
#include <functional>
#include <vector>

#include "sim/control.h"
#include "sim/race_constants.h"
#include "sim/race_session.h"

struct Track;

// Ticks before the crossing during which the screen shows the reference
// driving before the player takes over.
constexpr int64_t practiceLeadInTicks = 3 * ticksPerSecond;

// The race tick on which records, replayed from the race start on a copy of
// track, first cross the joint with key (lap, segment) as the splits count
// crossings; -1 when they never do.
int64_t practiceCrossingTick(const Track& track, const std::vector<ControlInput>& records, int32_t lap,
                             int32_t segment, double gravity);

// Steps a begun race, race tick n with records[n - 1], until session.ticks
// (countdown included) reaches untilTick, the race ends or the records run
// out. onTick, when set, is told every tick.
void stepRaceWith(RaceSession& session, const std::vector<ControlInput>& records, int64_t untilTick,
                  const std::function<void(const TickReport& report)>& onTick = nullptr);

// Begins a race on session (as beginRace; session.ghostRun is kept as the
// caller set it) and drives it with the reference's records to leadTicks
// ticks before their first crossing of (lap, segment), countdown ticks
// counting as well: with leadTicks 0 the session stands right after the
// crossing tick, ready for the player's record of the next race tick.
// Returns the crossing's race tick, or -1 when the reference never crosses
// there (the race is then begun but not stepped).
int64_t beginPractice(RaceSession& session, Track& track, ShipState& player, ShipState* ghost,
                      const std::vector<ControlInput>& reference, int32_t lap, int32_t segment, double gravity,
                      int64_t leadTicks = 0, const std::function<void(const TickReport& report)>& onTick = nullptr);
