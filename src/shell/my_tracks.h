#pragma once
// The player's own tracks beside the save file: saveDir/tracks/PLAN/, a
// folder holding plan.txt and the files the plan builds, and the shared
// tracks (PLAN.vtrack) a player drops into saveDir/tracks/ to take them in.
// Plain functions over folders and files; nothing here needs a window.

#include <map>
#include <string>
#include <vector>

struct MyTrack {
    // The folder's name, which is its plan's name.
    std::string plan;
    // It holds an author run, so its medal times are set and it can be shared.
    bool validated = false;
};

// The folders of saveDir/tracks that a plan may name and that hold a regular
// plan.txt, in byte order of their names. Links and other files are passed over.
std::vector<MyTrack> listMyTracks(const std::string& saveDir);
// The regular files of saveDir/tracks whose names end in ".vtrack", by name.
std::vector<std::string> listSharedFiles(const std::string& saveDir);

// The name the game races PLAN under now (see playerTrackName): its road's
// hash as the folder holds it. "" when the folder holds no readable road.
std::string myTrackRecordName(const std::string& saveDir, const std::string& plan);
// A player track's name brought to its road as it is on disk now, so an
// edited road never meets the records of the old one; every other name, and
// a player track without a road, unchanged.
std::string currentTrackName(const std::string& name);

enum class ImportOutcome { taken, alreadyHere, refused };
struct ImportResult {
    ImportOutcome outcome = ImportOutcome::refused;
    // The track's plan name, once the file told it.
    std::string plan;
    // For a refusal: "FILE: why", one line.
    std::string line;
};
// Proves saveDir/tracks/fileName (decoded, its plan built, its author run
// replayed) and, when it holds, builds its folder as the content tool would,
// with the author run from the file. A track of that name already here with
// the same plan and author run is alreadyHere; one that differs is refused
// and left as it is.
ImportResult importSharedTrack(const std::string& saveDir, const std::string& fileName);

// Writes saveDir/shared/PLAN.vtrack from the folder's plan and author run,
// after proving it as the receiving game will. where is the file's path;
// false with error (one line) when the track has no sound author run or the
// file cannot be written.
bool shareMyTrack(const std::string& saveDir, const std::string& plan, std::string& where, std::string& error);
// Removes PLAN's folder (its files and links, then the folder) and
// saveDir/tracks/PLAN.vtrack when that file carries the same plan name, so a
// deleted track is not taken in again. The save file's records stay.
bool deleteMyTrack(const std::string& saveDir, const std::string& plan, std::string& error);

// The "my tracks" screen: the list, the chosen track, the question and line.
struct MyTracksScreen {
    std::vector<MyTrack> tracks;
    int chosen = 0;
    // "delete" was chosen once; the next "delete" deletes.
    bool askingDelete = false;
    std::string message;
    // Shared files still to be proven on this opening, one a frame.
    std::vector<std::string> pending;
    // Files judged this session by "name size mtime", with their refusal
    // line ("" when taken in or already here), so none is proven twice.
    std::map<std::string, std::string> judged;
    // Refusals of this opening, one line each.
    std::vector<std::string> refusals;
};

constexpr int myTracksShownRows = 14;
struct MyTracksView {
    // The list's captions from firstShown on, at most myTracksShownRows.
    std::vector<std::string> rows;
    int firstShown = 0;
    // How many tracks the whole list holds.
    int count = 0;
    // The chosen track, -1 when the list is empty.
    int chosen = -1;
    // "no tracks of your own yet ..." when the list is empty.
    std::string emptyLine;
    // The message, then the refusals, one line each.
    std::vector<std::string> lines;
};
MyTracksView myTracksView(const MyTracksScreen& screen);

// A file name as the screen can show it on one line: control bytes become '?'.
std::string shownFileName(const std::string& name);

// The key a shared file is judged under: name, size and modification time.
std::string sharedFileKey(const std::string& saveDir, const std::string& fileName);
