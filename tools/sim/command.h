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

// Raw 12-byte little-endian records. False when the file cannot be read or
// its size is not a whole number of records.
bool readControlFile(const std::string& path, std::vector<ControlInput>& controls);
bool writeControlFile(const std::string& path, const std::vector<ControlInput>& controls);

// Reads the road of dir/tracks/NAME, without textures. False (with error
// set) when its file is missing or holds no road.
bool readRoad(const std::string& dir, const std::string& name, Track& track, std::string& error);

int raceCommand(const std::vector<std::string>& args);
int botCommand(const std::vector<std::string>& args);
int benchCommand(const std::vector<std::string>& args);
// Replays the ghost run of every scored record of a save file: one line
// "NAME ok TICKS" or "NAME mismatch BEST RESULT" each; 1 if any fails.
int verifyCommand(const std::vector<std::string>& args);
