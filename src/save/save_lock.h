#pragma once
// One game per save. The first game to start holds an advisory lock (flock)
// on a file beside the save for as long as it runs; a second game on the
// same save reads it but writes nothing into its folder, so neither game's
// runs can be overwritten by the other's.

#include <string>

#include "save/save_file.h"
#include "save/save_status.h"

struct SaveLock {
    // The open lock file while the lock is held, else -1.
    int fd = -1;
    // The save it was taken for.
    std::string savePath;
    // Another game held the lock when it was last asked for.
    bool otherGame = false;
    // errno of the last attempt that failed for another reason, else 0.
    int failure = 0;
};

enum class LockOutcome { held, busy, failed };

// What the track menu says in a game that found the save in use.
extern const char* const otherGameNotice;

// The lock file of the save at savePath: savePath + ".lock".
std::string saveLockPath(const std::string& savePath);

// Takes the lock for the save at savePath without waiting. The lock file is
// created when missing but never replaces anything; a folder that does not
// exist, or a lock file that is not a regular file, fails with the reason in
// error. Holding it already is held.
LockOutcome takeSaveLock(SaveLock& lock, const std::string& savePath, std::string& error);

// Gives the lock back; the lock file stays for the next game.
void releaseSaveLock(SaveLock& lock);

// Start-up: takes the lock when the save's folder exists, then reads the
// save. A save in use by another game is read as it is (a damaged one is not
// copied) and never written in this session.
SaveStatus openLockedSave(SaveData& save, SaveLock& lock, const std::string& savePath, std::time_t now);

// Before a write into the save's folder: the lock is held, or taken now
// (its folder created first, as the save's writing would). False when the
// folder must not be written; status then says why. A lock file that cannot
// be created for want of permission, space or a folder does not stop the
// write: the write meets the same wall and says so in its own words.
bool lockForWriting(SaveLock& lock, const std::string& savePath, SaveStatus& status);
