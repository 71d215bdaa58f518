#pragma once
// Tracks the simulation tests build in memory or write to a temporary folder.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/control.h"
#include "track/track_file.h"

// count flat segments of 100 m each along +y, rails at x = -10, -5, 5, 10
// (rail 0 on the left looking along +y), segment i from y = 100 i to
// 100 (i + 1). Not closed; for the locator and the force model.
Track straightTrack(int count);

// Control points of a counter-clockwise ring through the world origin, which
// lies in the middle of segment 0, the road heading +y there. Rails evenly
// spaced across width metres; hills of hillHeight metres, hills per lap.
std::vector<ControlPoint> ringPoints(int count, double radius, double width, double hillHeight = 0.0,
                                     int hills = 0);
Track ringTrack(int count, double radius, double width, double hillHeight = 0.0, int hills = 0);

// Writes points as dataDir-style files: root/tracks/name/track.track, with
// the coordinates in file units (hundredths).
void writeTrackFile(const std::string& root, const std::string& name, const std::vector<ControlPoint>& points);

// The records of a race the autopilot drives on a copy of track, its
// throttle held to at most throttleCap on race ticks [capFrom, capTo): runs
// made by hand that differ where the test wants them to, and still finish.
std::vector<ControlInput> drivenRun(const Track& track, float throttleCap = 1.0f, int64_t capFrom = 0,
                                    int64_t capTo = 0);

// Raw 12-byte records, as control files hold them.
void writeControls(const std::string& path, const std::vector<ControlInput>& records);

// A fresh temporary folder, removed by removeFolder.
std::string makeTempFolder();
void removeFolder(const std::string& path);

// A whole file's bytes (none for a file that cannot be read), and the lines
// of a text without their line breaks.
std::string readFile(const std::string& path);
std::vector<std::string> linesOf(const std::string& text);

// The lines of a gzip-compressed text file, without their line breaks.
std::vector<std::string> gunzipLines(const std::string& path);
