#include "sim/replay.h"

#include <cstdio>


ReplayResult replayRace(Track& track, const ReplaySetup& setup, const ReplayTrace& trace)
{
    ReplayResult result;
    ShipState ship;
    RaceSession session;
    beginRace(session, track, ship, nullptr, setup.gravity);
    result.startState = ship;

    while (session.on && inCountdown(session)) {
        TickReport report = stepRace(session, nullptr);
        if (trace)
            trace(report.tick, true, ship);
    }

    const bool endless = setup.hold || setup.driver;
    const int64_t records = endless ? -1 : static_cast<int64_t>(setup.controls.size());
    const bool haveRecord = setup.driver || !setup.controls.empty();
    while (session.on && haveRecord) {
        const int64_t done = session.raceTicks;
        if (records >= 0 && done >= records)
            break;
        if (setup.maxTicks >= 0 && done >= setup.maxTicks)
            break;
        ControlInput record;
        if (setup.driver)
            record = setup.driver(ship, done);
        else
            record = setup.hold ? setup.controls.front() : setup.controls[size_t(done)];
        TickReport report = stepRace(session, &record);
        if (trace)
            trace(report.tick, false, ship);
    }

    result.outcome = session.outcome;
    result.raceTicks = session.raceTicks;
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
