// vantor-sim ghost: sharing runs as ghost files. "export" writes the best run
// of a track from a save file; "verify" replays ghost files on the tracks they
// name and says which hold.
#include <algorithm>
#include <cstdio>

#include "command.h"
#include "save/ghost_file.h"
#include "save/save_file.h"
#include "track/track_file.h"

namespace {

// Splits "--data DIR" from the other words, which stay in order.
bool splitArguments(const std::vector<std::string>& args, Options& options, std::vector<std::string>& words)
{
    std::vector<std::string> optionWords;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) == 0) {
            optionWords.push_back(args[i]);
            if (i + 1 < args.size())
                optionWords.push_back(args[++i]);
        } else {
            words.push_back(args[i]);
        }
    }
    return parseOptions(optionWords, {"--data"}, options);
}

int exportGhost(const std::string& dataDir, const std::vector<std::string>& words)
{
    if (words.size() != 3)
        return fail("ghost export needs --data DIR SAVEFILE TRACK OUT");
    const std::string& saveFile = words[0];
    const std::string& trackName = words[1];
    const std::string& out = words[2];
    if (!isTrackName(trackName))
        return fail("'" + trackName + "' cannot name a track");
    const std::string problem = outputProblem(out, {saveFile, trackFilePath(dataDir, trackName)});
    if (!problem.empty())
        return fail(problem);
    SaveData save;
    const SaveFileRead file = readSaveFile(save, saveFile);
    if (file.found == SaveFound::none || file.found == SaveFound::unreadable)
        return fail("cannot read save file " + saveFile + ": " +
                    (file.reason.empty() ? std::string("no such file") : file.reason));
    auto found = save.records.find(trackName);
    if (found == save.records.end() || found->second.scores.empty() || found->second.ghostRun.empty())
        return fail("the save file holds no run on track " + trackName);
    const TrackRecord& record = found->second;

    GhostFile ghost;
    ghost.trackName = trackName;
    if (!hashTrackFile(dataDir, trackName, ghost.trackHash))
        return fail("cannot read track " + trackName + " in " + dataDir);
    Track track;
    std::string error;
    if (!readRoad(dataDir, trackName, track, error))
        return fail(error);
    // The stored ghost run goes on past its finish with the frames spent in
    // the menus; the file holds the run up to its finish, found by replaying it.
    ReplaySetup setup;
    setup.controls = record.ghostRun;
    // No real run finishes after an hour; a longer one is not replayed on.
    setup.maxTicks = hourTicks;
    ReplayResult result = replayRace(track, setup);
    if (result.outcome != RaceOutcome::finish) {
        std::fprintf(stderr, "vantor-sim: the best run of %s does not replay to a finish (%s)\n", trackName.c_str(),
                     outcomeLine(result).c_str());
        return 1;
    }
    ghost.ticks = static_cast<uint32_t>(result.raceTicks);
    ghost.records.assign(record.ghostRun.begin(), record.ghostRun.begin() + result.raceTicks);
    ghost.startState = record.ghostStart;
    // Name and date of the score the run earned: the oldest entry of its time,
    // since a run of equal time never replaces the ghost.
    const ScoreEntry* entry = nullptr;
    for (const ScoreEntry& s : record.scores)
        if (s.ticks == result.raceTicks && (!entry || s.date < entry->date))
            entry = &s;
    if (entry) {
        ghost.playerName = entry->playerName.substr(0, maxGhostPlayerNameBytes);
        ghost.date = static_cast<int64_t>(static_cast<uint32_t>(entry->date));
    }
    if (!writeOutput(out, encodeGhost(ghost), error))
        return fail(error);
    std::printf("%s ok %u\n", out.c_str(), ghost.ticks);
    return 0;
}

int verifyGhosts(const std::string& dataDir, const std::vector<std::string>& words)
{
    if (words.empty())
        return fail("ghost verify needs --data DIR and at least one FILE");
    bool allOk = true;
    for (const std::string& path : words) {
        GhostFile ghost;
        std::string reason = verifyGhostFile(dataDir, path, ghost);
        if (reason.empty()) {
            std::printf("%s ok %u\n", path.c_str(), ghost.ticks);
        } else {
            std::printf("%s rejected %s\n", path.c_str(), reason.c_str());
            allOk = false;
        }
    }
    return allOk ? 0 : 1;
}

}  // namespace

int ghostCommand(const std::vector<std::string>& args)
{
    std::string which = args.empty() ? "" : args[0];
    if (which != "export" && which != "verify")
        return fail("ghost needs export or verify");
    Options options;
    std::vector<std::string> words;
    if (!splitArguments(std::vector<std::string>(args.begin() + 1, args.end()), options, words))
        return fail(options.error);
    if (!options.has("--data"))
        return fail("ghost " + which + " needs --data DIR");
    const std::string& dataDir = options.values["--data"];
    return which == "export" ? exportGhost(dataDir, words) : verifyGhosts(dataDir, words);
}
