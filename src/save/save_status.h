#pragma once
// Keeping the player's records safe around a save file that could not be
// read, was damaged or could not be written, and the lines that tell the
// player so.

#include <ctime>
#include <string>
#include <vector>

#include "save/save_file.h"

struct SaveStatus {
    // False when start-up could not read the file, or could not keep a copy
    // of a damaged one: the file is then never replaced in this session.
    bool writable = true;
    // Why the file is not written, for "could not save: REASON"; "" for a
    // save that could not be read at start.
    std::string blockedReason;
    // One line for the track menu about what start-up found; "" for nothing to say.
    std::string startNotice;
    // "could not save: REASON" after a failed write, until a write succeeds.
    std::string writeError;
};

// Longest text drawn from a save file string (player and ship names): a
// damaged or hostile file may hold megabytes in one name.
const size_t maxShownNameChars = 64;

// The first maxShownNameChars characters of text, for drawing.
std::string shownName(const std::string& text);

// Reads the save file at start-up. A damaged file is first copied beside
// itself as PATH.damaged-YYYYMMDD-HHMMSS (local time now), unless a copy with
// the same bytes already exists there; what could be read is kept. An
// unreadable file leaves save as it was. Either one, or a damaged file that
// could not be copied, leaves the status not writable.
SaveStatus openSaveFile(SaveData& save, const std::string& path, std::time_t now);

// The copy of a damaged file's bytes beside path: an existing
// PATH.damaged-* file with exactly these bytes, or a new one made with them.
// The copy's file name without its folder; "" with error set when no copy exists.
std::string keepDamagedCopy(const std::string& path, const std::vector<uint8_t>& bytes, std::time_t now,
                            std::string& error);

// Writes save to path when status allows it and keeps status.writeError up
// to date. True when the file now holds save.
bool storeSaveFile(const SaveData& save, const std::string& path, SaveStatus& status);
