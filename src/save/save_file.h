#pragma once
// What the game remembers between runs of the program, and its binary file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/control.h"

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
};

// The record under name, inserted empty when there is none.
TrackRecord& recordFor(SaveData& save, const std::string& name);

// Reads the file at path into save; a missing file leaves save unchanged.
// Nothing in the file is trusted: at the first damaged or truncated item the
// header strings and the records read completely before it are kept and the
// rest is ignored. True when the file was read to its last record undamaged.
bool loadSaveFile(SaveData& save, const std::string& path);
// Writes save to path, replacing the file atomically: the new file is written
// beside the old one, flushed to disk and renamed over it, so the path always
// holds either the complete old file or the complete new one. Missing folders
// are created. False when the write failed; the old file is then untouched.
bool writeSaveFile(const SaveData& save, const std::string& path);

// Replaces the file at path with bytes: written beside it under a unique
// name, flushed to disk and renamed over it, the folder flushed after. Missing
// folders are created. False when it failed; the old file is then untouched.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);
// Reads a regular file of at most maxBytes into bytes without blocking on a
// FIFO; false when it is missing, not a regular file or too large. A file
// that shrinks while being read yields the bytes read so far.
bool readWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes);

// The file image of save, byte for byte as writeSaveFile stores it.
std::vector<uint8_t> encodeSaveData(const SaveData& save);
// Reads a file image into save with the rules of loadSaveFile.
bool decodeSaveData(SaveData& save, const uint8_t* bytes, size_t size);
