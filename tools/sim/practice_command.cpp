// vantor-sim practice: a race that begins at a joint of a reference run.
// The reference's records drive from the start to its first crossing of the
// joint, then the practice records take over, all in one race.
#include <algorithm>
#include <cstdio>

#include "command.h"
#include "sim/practice.h"
#include "track/track_file.h"

// An hour of race ticks, as race stops without --max-ticks.
static const int64_t defaultTickLimit = 360000;

// A whole-string lap or segment number, which may not be negative.
static bool parseIndex(const std::string& text, int32_t& value)
{
    int64_t v = 0;
    if (!parseCount(text, v) || v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

int practiceCommand(const std::vector<std::string>& args)
{
    Options options;
    const std::vector<std::string> known = {"--data",     "--track",    "--run",   "--lap",
                                            "--segment",  "--controls", "--trace", "--max-ticks"};
    if (!parseOptions(args, known, options))
        return fail(options.error);
    for (const char* needed : {"--data", "--track", "--run", "--lap", "--segment", "--controls"}) {
        if (!options.has(needed))
            return fail("practice needs --data DIR --track NAME --run R --lap L --segment S --controls P");
    }
    int32_t lap = 0;
    int32_t segment = 0;
    if (!parseIndex(options.values["--lap"], lap))
        return fail("--lap wants a count, not '" + options.values["--lap"] + "'");
    if (!parseIndex(options.values["--segment"], segment))
        return fail("--segment wants a count, not '" + options.values["--segment"] + "'");
    int64_t maxTicks = defaultTickLimit;
    if (options.has("--max-ticks") && !parseCount(options.values["--max-ticks"], maxTicks))
        return fail("--max-ticks wants a count, not '" + options.values["--max-ticks"] + "'");

    std::vector<ControlInput> reference;
    std::string error;
    if (!readRunFile(options.values["--run"], reference, error))
        return fail(error);
    std::vector<ControlInput> practice;
    if (!readControlFile(options.values["--controls"], practice))
        return fail("cannot read control records from " + options.values["--controls"] +
                    " (missing, not a regular file, over 64 MiB, or not a whole number of 12-byte records)");
    Track track;
    if (!readRoad(options.values["--data"], options.values["--track"], track, error))
        return fail(error);

    const double gravity = defaultGravity;
    const int64_t crossing = practiceCrossingTick(track, reference, lap, segment, gravity);
    if (crossing < 0)
        return fail("the run " + options.values["--run"] + " never crosses into segment " + std::to_string(segment) +
                    " in lap " + std::to_string(lap));

    std::FILE* traceFile = nullptr;
    if (options.has("--trace")) {
        traceFile = std::fopen(options.values["--trace"].c_str(), "w");
        if (!traceFile)
            return fail("cannot write trace " + options.values["--trace"]);
    }
    ShipState ship;
    RaceSession session;
    const auto trace = [&](const TickReport& report) {
        if (!traceFile)
            return;
        std::string line = traceLine(report.tick, report.countdown, ship);
        std::fputs(line.c_str(), traceFile);
        std::fputc('\n', traceFile);
    };
    // The limit counts from the race start, as race counts it: it may fall
    // before the crossing.
    beginRace(session, track, ship, nullptr, gravity);
    stepRaceWith(session, reference, countdownTicks + std::min(crossing, maxTicks), trace);
    for (size_t i = 0; i < practice.size() && session.on && session.raceTicks >= crossing; ++i) {
        if (session.raceTicks >= maxTicks)
            break;
        trace(stepRace(session, &practice[i]));
    }
    if (traceFile && std::fclose(traceFile) != 0)
        return fail("writing trace " + options.values["--trace"] + " failed");

    ReplayResult result;
    result.outcome = session.outcome;
    result.raceTicks = session.raceTicks;
    std::printf("%s\n", outcomeLine(result).c_str());
    return 0;
}
