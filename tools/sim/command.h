#pragma once
// Shared pieces of the vantor-sim subcommands. A subcommand is one function
// taking the arguments after its name and returning the exit status; main.cpp
// lists them in its table.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/control.h"
#include "sim/replay.h"

struct Track;

// Exit status for bad arguments and unreadable files.
const int exitUsage = 2;

// Prints "vantor-sim: MESSAGE" as one line on standard error and returns exitUsage.
int fail(const std::string& message);

// "--name value" pairs; false (with error set) for an unknown or repeated
// option, a missing value, or a word that is not an option.
struct Options {
    std::map<std::string, std::string> values;
    std::string error;
    bool has(const std::string& name) const { return values.count(name) != 0; }
};
bool parseOptions(const std::vector<std::string>& args, const std::vector<std::string>& known, Options& options);

// Whole-string conversions; false on any stray character or overflow.
bool parseCount(const std::string& text, int64_t& value);
bool parseHold(const std::string& text, ControlInput& control);

// Largest control file read: over 15 hours of race at 100 records a second.
const size_t maxControlFileBytes = 64u * 1024u * 1024u;

// Raw 12-byte little-endian records. False when the file is not a regular
// file of at most maxControlFileBytes, cannot be read or its size is not a
// whole number of records.
bool readControlFile(const std::string& path, std::vector<ControlInput>& controls);
std::vector<uint8_t> encodeControls(const std::vector<ControlInput>& controls);

// Why a subcommand may not write out, or "" when it may: out must not be one
// of the inputs the subcommand reads, nor the game's own save file, and what
// exists there must be a regular file or a link to one.
std::string outputProblem(const std::string& out, const std::vector<std::string>& inputs);
// Writes bytes to out atomically, never creating a folder for it; false
// with error set when it fails.
bool writeOutput(const std::string& out, const std::vector<uint8_t>& bytes, std::string& error);

// The road file of track name under dir.
std::string trackFilePath(const std::string& dir, const std::string& name);

// The records of a run given as either a control file or a ghost file, told
// apart by the ghost file's magic. False with error set when the file cannot
// be read or is neither.
bool readRunFile(const std::string& path, std::vector<ControlInput>& records, std::string& error);

// Reads the road of dir/tracks/NAME, without textures. False (with error
// set) when its file is missing or holds no road.
bool readRoad(const std::string& dir, const std::string& name, Track& track, std::string& error);

int raceCommand(const std::vector<std::string>& args);
int botCommand(const std::vector<std::string>& args);
int benchCommand(const std::vector<std::string>& args);
// Replays the ghost run of every scored record of a save file: one line
// "NAME ok TICKS" or "NAME mismatch BEST RESULT" each; 1 if any fails.
int verifyCommand(const std::vector<std::string>& args);
// "ghost export --data DIR SAVEFILE TRACK OUT" writes the best run of TRACK as
// a ghost file; "ghost verify --data DIR FILE..." prints "FILE ok TICKS" or
// "FILE rejected REASON" for each file; 1 if any is rejected.
int ghostCommand(const std::vector<std::string>& args);
// "compare --data DIR --track NAME A B": each run's outcome, then the ticks
// each took between the joint crossings both have, then both totals.
int compareCommand(const std::vector<std::string>& args);
// "practice ... --run R --lap L --segment S --controls P": R's records to its
// first crossing of (L, S), then P's, as one race.
int practiceCommand(const std::vector<std::string>& args);
