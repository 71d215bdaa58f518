// vantor-sim verify: every best score in a save file must be reproduced by
// replaying its ghost run from the start of its track, or the record cannot
// be trusted.
#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

#include "command.h"
#include "save/save_file.h"
#include "track/track_file.h"

int verifyCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> options;
    std::string savePath;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) == 0) {
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

    std::FILE* probe = std::fopen(savePath.c_str(), "rb");
    struct stat st;
    bool regular = probe && fstat(fileno(probe), &st) == 0 && S_ISREG(st.st_mode);
    if (probe)
        std::fclose(probe);
    if (!regular)
        return fail("cannot read save file " + savePath);
    SaveData save;
    bool whole = loadSaveFile(save, savePath);

    bool allOk = true;
    for (const auto& entry : save.records) {
        const TrackRecord& record = entry.second;
        if (record.scores.empty())
            continue;
        // Scores are normally kept sorted, but a file is taken as stored.
        int32_t best = record.scores.front().ticks;
        for (const ScoreEntry& s : record.scores)
            best = std::min(best, s.ticks);
        const char* name = entry.first.c_str();

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
        ReplayResult result = replayRace(track, setup);
        if (result.outcome == RaceOutcome::finish && result.raceTicks == best) {
            std::printf("%s ok %d\n", name, best);
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
