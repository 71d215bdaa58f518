#include "sim/replay.h"

#include "sim/race.h"
#include "sim/ship_physics.h"
#include "track/track.h"

namespace {

struct HeadlessRace {
    bool on = true;
    RaceOutcome outcome = RaceOutcome::unfinished;
};

bool headlessRaceOn(void* context) { return static_cast<HeadlessRace*>(context)->on; }

void headlessFinish(void* context)
{
    HeadlessRace* race = static_cast<HeadlessRace*>(context);
    race->on = false;
    race->outcome = RaceOutcome::finish;
}

void headlessLeaveRoad(void* context)
{
    HeadlessRace* race = static_cast<HeadlessRace*>(context);
    race->on = false;
    race->outcome = RaceOutcome::offroad;
}

} // namespace

ReplayResult replayRace(Track& track, const ReplaySetup& setup, const ReplayTrace& trace)
{
    HeadlessRace race;
    RaceHooks hooks;
    hooks.context = &race;
    hooks.raceOn = headlessRaceOn;
    hooks.finish = headlessFinish;
    hooks.leaveRoad = headlessLeaveRoad;

    ReplayResult result;
    ShipState ship;
    resetLaps(track);
    resetShip(ship, track);
    result.startState = ship;

    int64_t tick = 0;
    for (int32_t i = 0; i < countdownTicks && race.on; ++i) {
        ship.control = ControlInput{0.0f, 1.0f, 0.0f};
        stepShipState(ship, track, setup.gravity, setup.stepSeconds);
        updateRaceProgress(track, ship, hooks);
        ++tick;
        if (trace)
            trace(tick, true, ship);
    }

    const int64_t records = setup.hold ? -1 : static_cast<int64_t>(setup.controls.size());
    const bool haveRecord = !setup.controls.empty();
    int64_t raceTicks = 0;
    while (race.on && haveRecord) {
        if (records >= 0 && raceTicks >= records)
            break;
        if (setup.maxTicks >= 0 && raceTicks >= setup.maxTicks)
            break;
        ship.control = setup.hold ? setup.controls.front() : setup.controls[size_t(raceTicks)];
        stepShipState(ship, track, setup.gravity, setup.stepSeconds);
        updateRaceProgress(track, ship, hooks);
        ++raceTicks;
        ++tick;
        if (trace)
            trace(tick, false, ship);
    }

    result.outcome = race.outcome;
    result.raceTicks = raceTicks;
    result.finalState = ship;
    return result;
}
