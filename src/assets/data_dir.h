#pragma once
// Root of the content directory; "data" relative to the working directory in
// the game, chosen by --data in the tools.

#include <string>

extern std::string dataDir;

// The one line start-up prints when the content folder dir cannot be read
// (missing, not a folder, no permission): it names the folder, made absolute
// against the working directory. "" when it can be read.
std::string contentFolderProblem(const std::string& dir);

// What the play menu says about track name's content: "track NAME could not
// be loaded" when its road did not load, else a line about medal times that
// could not be read, else "".
std::string contentFaultLine(const std::string& name, bool roadLoaded, bool timesRead);
