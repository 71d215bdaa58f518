#include "sim/race_session.h"

#include <algorithm>

#include "sim/race.h"
#include "sim/ship_physics.h"
#include "track/track_file.h"

namespace {

bool sessionOn(void* context) { return static_cast<RaceSession*>(context)->on; }

void sessionFinish(void* context)
{
    RaceSession* s = static_cast<RaceSession*>(context);
    s->on = false;
    s->outcome = RaceOutcome::finish;
}

void sessionLeaveRoad(void* context)
{
    RaceSession* s = static_cast<RaceSession*>(context);
    s->on = false;
    s->outcome = RaceOutcome::offroad;
}

// The lap counter under a segment index, 0 off the road's segments.
int32_t lapOf(const Track& track, int32_t segment)
{
    if (segment < 0 || static_cast<size_t>(segment) >= track.segments.size())
        return 0;
    return track.segments[size_t(segment)].lap;
}

// Steps one ghost: braked as the player in the countdown, else its record
// for the race tick, the last one past the end of its run. A race tick of an
// empty run leaves it resting.
void stepGhost(ShipState& ghost, const std::vector<ControlInput>* run, const RaceSession& session,
               const ControlInput& countdownControl, bool countdown)
{
    if (countdown) {
        ghost.control = countdownControl;
    } else {
        const size_t m = run ? run->size() : 0;
        if (m == 0 || !session.on)
            return;
        const size_t n = static_cast<size_t>(session.raceTicks);
        ghost.control = (*run)[std::min(m, n) - 1];
    }
    stepShipState(ghost, *session.track, session.gravity, tickSeconds);
}

} // namespace

void beginRace(RaceSession& session, Track& track, ShipState& player, ShipState* ghost, double gravity)
{
    session.track = &track;
    session.player = &player;
    session.ghost = ghost;
    session.gravity = gravity;
    session.ticks = 0;
    session.raceTicks = 0;
    session.on = true;
    session.outcome = RaceOutcome::unfinished;
    resetLaps(track);
    resetShip(player, track);
    if (ghost)
        resetShip(*ghost, track);
    for (const GhostLane& lane : session.moreGhosts)
        if (lane.ship)
            resetShip(*lane.ship, track);
}

bool inCountdown(const RaceSession& session) { return session.ticks < countdownTicks; }

int32_t countdownMsLeft(const RaceSession& session)
{
    const int64_t msPerTick = 1000 / ticksPerSecond;
    const int64_t left = countdownStartMs - session.ticks * msPerTick;
    return static_cast<int32_t>(std::max<int64_t>(left, 0));
}

TickReport stepRace(RaceSession& session, const ControlInput* record)
{
    Track& track = *session.track;
    ShipState& player = *session.player;
    RaceHooks hooks;
    hooks.context = &session;
    hooks.raceOn = sessionOn;
    hooks.finish = sessionFinish;
    hooks.leaveRoad = sessionLeaveRoad;

    TickReport report;
    report.countdown = inCountdown(session);
    report.previousSegment = player.segment;
    report.previousLap = lapOf(track, player.segment);
    const bool wasOn = session.on;

    if (report.countdown) {
        // All craft held with full brake while the countdown runs.
        player.control = ControlInput{0.0f, 1.0f, 0.0f};
        stepShipState(player, track, session.gravity, tickSeconds);
        updateRaceProgress(track, player, hooks);
    } else {
        if (record)
            player.control = *record;
        stepShipState(player, track, session.gravity, tickSeconds);
        updateRaceProgress(track, player, hooks);
        ++session.raceTicks;
        report.raceTick = session.raceTicks;
    }
    if (session.ghost)
        stepGhost(*session.ghost, session.ghostRun, session, player.control, report.countdown);
    for (const GhostLane& lane : session.moreGhosts)
        if (lane.ship)
            stepGhost(*lane.ship, lane.run, session, player.control, report.countdown);
    ++session.ticks;

    report.tick = session.ticks;
    report.segment = player.segment;
    report.lap = lapOf(track, player.segment);
    report.finished = wasOn && session.outcome == RaceOutcome::finish;
    report.leftRoad = wasOn && session.outcome == RaceOutcome::offroad;
    return report;
}
