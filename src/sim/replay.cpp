#include "sim/replay.h"

#include <cstdio>

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

    const bool endless = setup.hold || setup.driver;
    const int64_t records = endless ? -1 : static_cast<int64_t>(setup.controls.size());
    const bool haveRecord = setup.driver || !setup.controls.empty();
    int64_t raceTicks = 0;
    while (race.on && haveRecord) {
        if (records >= 0 && raceTicks >= records)
            break;
        if (setup.maxTicks >= 0 && raceTicks >= setup.maxTicks)
            break;
        if (setup.driver)
            ship.control = setup.driver(ship, raceTicks);
        else
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

std::string outcomeLine(const ReplayResult& result)
{
    const char* word = result.outcome == RaceOutcome::finish    ? "finish"
                       : result.outcome == RaceOutcome::offroad ? "offroad"
                                                                : "unfinished";
    return std::string(word) + " " + std::to_string(result.raceTicks);
}

std::string traceLine(int64_t tick, bool countdown, const ShipState& s)
{
    char line[512];
    std::snprintf(line, sizeof line, "%lld %c %a %a %a %a %a %a %d %a %a", static_cast<long long>(tick),
                  countdown ? 'c' : 'r', s.position.x, s.position.y, s.position.z, s.velocity.x, s.velocity.y,
                  s.velocity.z, static_cast<int>(s.segment), s.trackU, s.trackT);
    return line;
}
