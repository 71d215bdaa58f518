#pragma once
// Test-only: the content tool run once per test process into a temporary
// folder, removed again when the process ends.

#include <string>
#include <vector>

// The folder the real vantor-content binary wrote; empty when it failed.
const std::string& generatedContent();
// Runs vantor-content into a fresh temporary folder; returns the folder or empty.
std::string runContentTool(const std::string& tag);
// Every regular file below root, as paths relative to it, sorted.
std::vector<std::string> filesBelow(const std::string& root);
std::string readWholeFile(const std::string& path);
// Runs a program of the build through the shell with the given arguments;
// returns what it printed and sets its exit status (-1: it did not exit).
std::string runBuilt(const std::string& program, const std::string& args, int& status);
