#pragma once
// What the game remembers between runs of the program, and its binary file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "assets/atomic_file.h"
#include "sim/control.h"
#include "sim/race_constants.h"

struct ScoreEntry {
    std::string playerName;
    std::string shipName;
    // Ticks, 100 per second.
    int32_t ticks = 0;
    // Low 32 bits of the calendar time in seconds since 1970, compared signed.
    int32_t date = 0;
};

// A byte image of a ShipState, carried along and never interpreted.
using StateImage = std::array<uint8_t, 200>;

struct TrackRecord {
    // Equal to the map key once a run has been recorded; empty for records
    // that were only looked up.
    std::string name;
    std::vector<ScoreEntry> scores;
    std::vector<ControlInput> ghostRun;
    StateImage ghostStart{};
    // 0 no run, 1 finished, 2 bronze, 3 silver, 4 gold.
    int32_t medal = 0;
};

struct SaveData {
    std::string playerName = "ace";
    std::string shipName = "ship";
    std::string trackName = "00";
    // Ordered byte-wise by name, which is also the order in the file.
    std::map<std::string, TrackRecord> records;
};

// The run in progress, or the last finished one.
struct Run {
    std::vector<ControlInput> controls;
    StateImage startState{};
    // Ticks of the last finished run; 0 means none to show.
    int32_t ticks = 0;
    // A practice run, begun at a joint of another run: never recorded as a
    // score, a ghost or a history run.
    bool practice = false;
};

// The record under name, inserted empty when there is none.
TrackRecord& recordFor(SaveData& save, const std::string& name);

// The slowest score a run can have: an hour of race. An entry outside 0 to
// this is damage.
constexpr int32_t maxScoreTicks = hourTicks;
// Longest ghost run kept: an hour of race and an hour more of the records
// the menus append after the finish until the score is saved. A longer one
// is damage and is cut to this length, which keeps every real finish.
constexpr size_t maxStoredRunRecords = 2 * static_cast<size_t>(hourTicks);

// Far beyond any real save file (a ghost run of an hour is 4.3 MB); a larger
// file is not read at all rather than risking an allocation that fails.
const size_t maxSaveFileBytes = 256u * 1024u * 1024u;

// What reading a save file found.
enum class SaveFound {
    // No file: a new player.
    none,
    // Read to its last record with nothing skipped.
    whole,
    // Read up to damage: something was stopped at or skipped.
    damaged,
    // There, but not readable (permission, I/O error, not a regular file, too large).
    unreadable,
};

struct SaveFileRead {
    SaveFound found = SaveFound::none;
    // Why an unreadable file could not be read, in lower-case words.
    std::string reason;
    // The file as read, for a copy of a damaged one.
    std::vector<uint8_t> bytes;
};

// Reads the file at path into save. Nothing in the file is trusted: at the
// first damaged or truncated item the header strings and the records read
// completely before it are kept and the rest is ignored. Bytes after the last
// record also count as damage, since a rewrite would drop them, and so do a
// record name stored twice (one of the two is kept), a score outside 0 to
// maxScoreTicks (dropped) and a ghost run over maxStoredRunRecords (cut).
// Save is left unchanged unless the file could be read.
SaveFileRead readSaveFile(SaveData& save, const std::string& path);
// readSaveFile, true when the file was read to its last record undamaged.
bool loadSaveFile(SaveData& save, const std::string& path);
// Writes save to path with writeFileAtomically, so the path always holds
// either the complete old file or the complete new one; a link is written
// through to its target. Missing folders are created: the save lives in the
// game's own per-user folder. False when the write failed, with the reason in
// lower-case words in error when given; the old file is then untouched.
bool writeSaveFile(const SaveData& save, const std::string& path, std::string* error = nullptr);

// The file image of save, byte for byte as writeSaveFile stores it.
std::vector<uint8_t> encodeSaveData(const SaveData& save);
// Reads a file image into save with the rules of loadSaveFile.
bool decodeSaveData(SaveData& save, const uint8_t* bytes, size_t size);
