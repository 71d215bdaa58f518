// vantor-sim verify: every best score in a save file must be reproduced by
// replaying its ghost run from the start of its track, or the record cannot
// be trusted.
#include <algorithm>
#include <cstdio>

#include "command.h"
#include "save/ghost_file.h"
#include "save/save_file.h"
#include "sim/splits.h"
#include "track/track_file.h"

// A name from a file as one line of text: bytes outside printable ASCII
// become '?', so a hostile name cannot break the line or the terminal.
static std::string printableName(const std::string& name)
{
    std::string shown = name.empty() ? "\"\"" : name;
    for (char& c : shown)
        if (c < 0x21 || c > 0x7e)
            c = '?';
    return shown;
}

int verifyCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> options;
    std::string savePath;
    bool printLaps = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--laps" && !printLaps) {
            printLaps = true;
        } else if (args[i].rfind("--", 0) == 0) {
            options.push_back(args[i]);
            if (i + 1 < args.size())
                options.push_back(args[++i]);
        } else if (savePath.empty()) {
            savePath = args[i];
        } else {
            return fail("verify takes one save file, not also '" + args[i] + "'");
        }
    }
    Options parsed;
    if (!parseOptions(options, {"--data"}, parsed))
        return fail(parsed.error);
    if (!parsed.has("--data") || savePath.empty())
        return fail("verify needs --data DIR and a SAVEFILE");

    SaveData save;
    const SaveFileRead file = readSaveFile(save, savePath);
    if (file.found == SaveFound::none || file.found == SaveFound::unreadable)
        return fail("cannot read save file " + savePath + (file.reason.empty() ? "" : ": " + file.reason));
    bool whole = file.found == SaveFound::whole;

    bool allOk = true;
    for (const auto& entry : save.records) {
        const TrackRecord& record = entry.second;
        if (record.scores.empty())
            continue;
        // Scores are normally kept sorted, but a file is taken as stored.
        int32_t best = record.scores.front().ticks;
        for (const ScoreEntry& s : record.scores)
            best = std::min(best, s.ticks);
        const std::string shown = printableName(entry.first);
        const char* name = shown.c_str();
        // A record's name becomes a folder under tracks/ only when it could
        // name one: "../x" or a name with a slash would read elsewhere.
        if (!isTrackName(entry.first)) {
            std::printf("%s mismatch %d bad track name\n", name, best);
            allOk = false;
            continue;
        }

        Track track;
        std::string error;
        if (!readRoad(parsed.values["--data"], entry.first, track, error)) {
            std::fprintf(stderr, "vantor-sim: %s\n", error.c_str());
            std::printf("%s mismatch %d unreadable\n", name, best);
            allOk = false;
            continue;
        }
        ReplaySetup setup;
        setup.controls = record.ghostRun;
        // A best score is at most an hour, so a run that has not finished by
        // then cannot match: it is reported at once, not replayed for minutes.
        setup.maxTicks = hourTicks;
        RunSplits splits;
        resetSplits(splits, static_cast<int32_t>(track.segments.size()));
        setup.onTick = [&splits](const TickReport& report) { noteSplitTick(splits, report); };
        ReplayResult result = replayRace(track, setup);
        if (result.outcome == RaceOutcome::finish && result.raceTicks == best) {
            std::printf("%s ok %d\n", name, best);
            if (printLaps)
                std::printf("%s %s\n", name, lapTimesLine(splits).c_str());
        } else if (result.outcome != RaceOutcome::finish && record.ghostRun.size() > size_t(hourTicks)) {
            std::printf("%s mismatch %d run too long\n", name, best);
            allOk = false;
        } else {
            std::printf("%s mismatch %d %s\n", name, best, outcomeLine(result).c_str());
            allOk = false;
        }
    }
    if (!whole) {
        std::fprintf(stderr, "vantor-sim: %s is damaged; records after the damage were not checked\n",
                     savePath.c_str());
        allOk = false;
    }
    return allOk ? 0 : 1;
}
