#pragma once
// Watching a stored run: its records played through the race core from the
// start of the countdown on a ship of the viewer's own, with a playback clock
// at a choice of speeds, a choice of cameras, pausing and going back to the
// start. The viewer owns its ship, its copy of the records and the session;
// the road's lap counters are the only thing outside it that it changes.
// Nothing here needs a window.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/control.h"
#include "sim/race_session.h"
#include "sim/ship.h"

struct Track;

enum class WatchCamera { chase, behindAbove, trackside };
constexpr int watchCameraCount = 3;

// Playback speeds, slowest first; the viewer starts at normal speed.
constexpr double watchSpeeds[] = {0.25, 0.5, 1.0, 2.0, 4.0};
constexpr int watchSpeedCount = 5;
constexpr int watchNormalSpeed = 2;

// Medal ghosts a replay can show beside the watched run.
constexpr size_t maxWatchGhosts = 3;

// Ticks between kept snapshots: a seek re-simulates at most this many.
constexpr int64_t watchSnapshotSpacing = 500;

// Everything a tick of the race core depends on, at one tick.
struct WatchSnapshot {
    RaceSession session;
    ShipState ship;
    // The ghosts' ships, one per ghost run.
    std::vector<ShipState> ghosts;
    // One counter per road segment, in order.
    std::vector<int32_t> laps;
};

struct Watch {
    // The run being watched, one record per race tick.
    std::vector<ControlInput> run;
    Track* track = nullptr;
    ShipState ship;
    // The ship before the last tick, for drawing between the two; equal to
    // ship after a start, a seek or a change of camera.
    ShipState previousShip;
    // Its player is ship, its track is track, it has no ghost.
    RaceSession session;
    // Taken at every multiple of watchSnapshotSpacing ticks the replay has
    // reached, the start (tick 0) first.
    std::vector<WatchSnapshot> snapshots;
    // The race ended (finish or loss), or the records ran out.
    bool ended = false;
    bool paused = false;
    int speedIndex = watchNormalSpeed;
    WatchCamera camera = WatchCamera::chase;
    // Playback milliseconds not yet spent on a tick (below 10 after a frame).
    double pendingMs = 0.0;
    // The trackside cameras, filled by whoever starts the watch.
    std::vector<Vec3> cameraPoints;
    // Runs raced beside the watched one (the track's medal ghosts), stepped
    // by the session's ghost lanes on ghostShips whether shown or not, so
    // that showing them never changes where anything is.
    std::vector<std::vector<ControlInput>> ghostRuns;
    ShipState ghostShips[maxWatchGhosts];
    ShipState previousGhostShips[maxWatchGhosts];
    bool ghostsShown = false;
};

// What a key does to the viewer.
enum class WatchKey { left, right, up, down, space, home, escape, enter, ghosts, other };

// Starts watching run on track from the start of the countdown, at normal
// speed, with the chase camera. The watch must stay where it is while it
// runs: its session points at its own ship.
void beginWatch(Watch& watch, Track& track, const std::vector<ControlInput>& run, double gravity);
// The same with ghost runs beside it (at most maxWatchGhosts are kept),
// hidden until the ghosts key shows them.
void beginWatch(Watch& watch, Track& track, const std::vector<ControlInput>& run,
                const std::vector<std::vector<ControlInput>>& ghostRuns, double gravity);

// One tick through stepRace; a race tick uses the run's record of its index.
// Ends the replay on a finish, a loss or past the last record.
TickReport stepWatch(Watch& watch);

// Runs the ticks that elapsedMs of wall time make at the playback speed;
// nothing while paused or after the end.
void advanceWatch(Watch& watch, double elapsedMs);

// Puts the replay at tick (countdown ticks included) by re-simulating from
// the last kept snapshot at or before it; a tick past the end stops at the end.
void seekWatch(Watch& watch, int64_t tick);

// Acts on a key; true when the viewer is to be left (Escape or Enter).
// Left and Right cycle the cameras, Up and Down change the speed, Space
// pauses and resumes (after the end it plays again from the start), Home goes
// back to the start, the ghosts key shows or hides the ghost runs.
bool watchKey(Watch& watch, WatchKey key);

double watchSpeed(const Watch& watch);

// "replay x1/4 chase", "replay x2 trackside paused", "... end"; "medals"
// after the camera while the ghosts are shown.
std::string watchStatusText(const Watch& watch);

// The watched ship as a frame draws it: between the state before the last
// tick and after it, as far as the playback clock has gone toward the next
// tick; standing still while paused, the last state once ended.
ShipState watchDrawnShip(const Watch& watch);

// Ghost lane lane (below the ghost runs' count) as a frame draws it, blended
// as the watched ship is.
ShipState watchDrawnGhost(const Watch& watch, size_t lane);

// The replay's race ticks so far (0 in the countdown).
int64_t watchRaceTicks(const Watch& watch);
