#pragma once
// The rival chosen on each track, kept between starts in a small text file
// beside the save: one line per track, its name, a tab and the ghost file's
// name ("" for the track's best run).

#include <map>
#include <string>

// Longest file of choices read back.
constexpr size_t maxRivalChoiceBytes = 64 * 1024;

std::string encodeRivalChoices(const std::map<std::string, std::string>& chosen);
// Lines that do not parse are skipped.
std::map<std::string, std::string> decodeRivalChoices(const std::string& text);
