#include "sim/watch.h"

#include <algorithm>
#include <cmath>

#include "sim/pose_blend.h"
#include "track/track_file.h"

namespace {

WatchSnapshot takeSnapshot(const Watch& watch)
{
    WatchSnapshot s;
    s.session = watch.session;
    s.ship = watch.ship;
    s.ghosts.assign(watch.ghostShips, watch.ghostShips + watch.ghostRuns.size());
    s.laps.reserve(watch.track->segments.size());
    for (const TrackSegment& segment : watch.track->segments)
        s.laps.push_back(segment.lap);
    return s;
}

void restoreSnapshot(Watch& watch, const WatchSnapshot& s)
{
    watch.session = s.session;
    watch.ship = s.ship;
    // The copy points at whatever the watch pointed at when it was taken.
    watch.session.track = watch.track;
    watch.session.player = &watch.ship;
    watch.session.ghost = nullptr;
    watch.session.ghostRun = nullptr;
    watch.session.moreGhosts.clear();
    for (size_t i = 0; i < watch.ghostRuns.size(); ++i)
        watch.session.moreGhosts.push_back(GhostLane{&watch.ghostShips[i], &watch.ghostRuns[i]});
    for (size_t i = 0; i < watch.ghostRuns.size() && i < s.ghosts.size(); ++i) {
        watch.ghostShips[i] = s.ghosts[i];
        watch.previousGhostShips[i] = s.ghosts[i];
    }
    std::vector<TrackSegment>& segments = watch.track->segments;
    for (size_t i = 0; i < segments.size() && i < s.laps.size(); ++i)
        segments[i].lap = s.laps[i];
    watch.ended = false;
    watch.pendingMs = 0.0;
}

const char* cameraName(WatchCamera camera)
{
    switch (camera) {
    case WatchCamera::chase:
        return "chase";
    case WatchCamera::behindAbove:
        return "behind";
    case WatchCamera::trackside:
        return "trackside";
    }
    return "";
}

WatchCamera cycleCamera(WatchCamera camera, int step)
{
    const int next = (static_cast<int>(camera) + step + watchCameraCount) % watchCameraCount;
    return static_cast<WatchCamera>(next);
}

} // namespace

void beginWatch(Watch& watch, Track& track, const std::vector<ControlInput>& run, double gravity)
{
    beginWatch(watch, track, run, {}, gravity);
}

void beginWatch(Watch& watch, Track& track, const std::vector<ControlInput>& run,
                const std::vector<std::vector<ControlInput>>& ghostRuns, double gravity)
{
    watch.run = run;
    watch.track = &track;
    watch.ship = ShipState{};
    watch.ghostRuns.assign(ghostRuns.begin(), ghostRuns.begin() + long(std::min(ghostRuns.size(), maxWatchGhosts)));
    watch.ghostsShown = false;
    // The lanes point into the watch, which stays where it is while it runs.
    watch.session.moreGhosts.clear();
    for (size_t i = 0; i < watch.ghostRuns.size(); ++i)
        watch.session.moreGhosts.push_back(GhostLane{&watch.ghostShips[i], &watch.ghostRuns[i]});
    beginRace(watch.session, track, watch.ship, nullptr, gravity);
    for (size_t i = 0; i < watch.ghostRuns.size(); ++i)
        watch.previousGhostShips[i] = watch.ghostShips[i];
    watch.snapshots.clear();
    watch.snapshots.push_back(takeSnapshot(watch));
    watch.ended = false;
    watch.paused = false;
    watch.speedIndex = watchNormalSpeed;
    watch.camera = WatchCamera::chase;
    watch.pendingMs = 0.0;
    watch.previousShip = watch.ship;
}

TickReport stepWatch(Watch& watch)
{
    TickReport report;
    if (watch.ended || !watch.track)
        return report;
    const size_t index = static_cast<size_t>(watch.session.raceTicks);
    const bool countdown = inCountdown(watch.session);
    if (!countdown && index >= watch.run.size()) {
        watch.ended = true;
        return report;
    }
    watch.previousShip = watch.ship;
    for (size_t i = 0; i < watch.ghostRuns.size(); ++i)
        watch.previousGhostShips[i] = watch.ghostShips[i];
    report = stepRace(watch.session, countdown ? nullptr : &watch.run[index]);
    const bool recordsOut = !countdown && static_cast<size_t>(watch.session.raceTicks) >= watch.run.size();
    watch.ended = report.finished || report.leftRoad || recordsOut;
    if (!watch.ended && watch.session.ticks % watchSnapshotSpacing == 0 &&
        watch.snapshots.back().session.ticks < watch.session.ticks)
        watch.snapshots.push_back(takeSnapshot(watch));
    return report;
}

void advanceWatch(Watch& watch, double elapsedMs)
{
    if (watch.paused || watch.ended || !(elapsedMs > 0.0) || !std::isfinite(elapsedMs))
        return;
    const double msPerTick = 1000.0 / ticksPerSecond;
    watch.pendingMs += elapsedMs * watchSpeed(watch);
    while (watch.pendingMs >= msPerTick && !watch.ended) {
        watch.pendingMs -= msPerTick;
        stepWatch(watch);
    }
    if (watch.ended)
        watch.pendingMs = 0.0;
}

void seekWatch(Watch& watch, int64_t tick)
{
    if (watch.snapshots.empty() || !watch.track)
        return;
    if (tick < 0)
        tick = 0;
    // The last snapshot at or before the tick; stepping on from where the
    // replay stands is cheaper when it is between that snapshot and the tick.
    size_t from = 0;
    for (size_t i = 0; i < watch.snapshots.size(); ++i) {
        if (watch.snapshots[i].session.ticks <= tick)
            from = i;
    }
    const int64_t now = watch.session.ticks;
    if (tick < now || watch.snapshots[from].session.ticks > now)
        restoreSnapshot(watch, watch.snapshots[from]);
    watch.pendingMs = 0.0;
    while (watch.session.ticks < tick && !watch.ended)
        stepWatch(watch);
    // Nothing is drawn between where the replay was and where it now is.
    watch.previousShip = watch.ship;
    for (size_t i = 0; i < watch.ghostRuns.size(); ++i)
        watch.previousGhostShips[i] = watch.ghostShips[i];
}

bool watchKey(Watch& watch, WatchKey key)
{
    switch (key) {
    case WatchKey::left:
        watch.camera = cycleCamera(watch.camera, -1);
        watch.previousShip = watch.ship;
        break;
    case WatchKey::right:
        watch.camera = cycleCamera(watch.camera, 1);
        watch.previousShip = watch.ship;
        break;
    case WatchKey::up:
        if (watch.speedIndex < watchSpeedCount - 1)
            ++watch.speedIndex;
        break;
    case WatchKey::down:
        if (watch.speedIndex > 0)
            --watch.speedIndex;
        break;
    case WatchKey::space:
        // At the end, Space plays the run again rather than pausing nothing.
        if (watch.ended) {
            seekWatch(watch, 0);
            watch.paused = false;
        } else {
            watch.paused = !watch.paused;
        }
        break;
    case WatchKey::home:
        seekWatch(watch, 0);
        break;
    case WatchKey::ghosts:
        watch.ghostsShown = !watch.ghostsShown && !watch.ghostRuns.empty();
        break;
    case WatchKey::escape:
    case WatchKey::enter:
        return true;
    case WatchKey::other:
        break;
    }
    return false;
}

double watchSpeed(const Watch& watch)
{
    if (watch.speedIndex < 0 || watch.speedIndex >= watchSpeedCount)
        return 1.0;
    return watchSpeeds[watch.speedIndex];
}

std::string watchStatusText(const Watch& watch)
{
    static const char* const speedTexts[watchSpeedCount] = {"x1/4", "x1/2", "x1", "x2", "x4"};
    const int index = watch.speedIndex >= 0 && watch.speedIndex < watchSpeedCount ? watch.speedIndex
                                                                                   : watchNormalSpeed;
    std::string text = std::string("replay ") + speedTexts[index] + " " + cameraName(watch.camera);
    if (watch.ghostsShown)
        text += " medals";
    if (watch.ended)
        text += " end";
    else if (watch.paused)
        text += " paused";
    return text;
}

int64_t watchRaceTicks(const Watch& watch) { return watch.session.raceTicks; }

ShipState watchDrawnGhost(const Watch& watch, size_t lane)
{
    if (lane >= watch.ghostRuns.size())
        return ShipState{};
    if (watch.ended)
        return watch.ghostShips[lane];
    const double msPerTick = 1000.0 / ticksPerSecond;
    return blendShipStates(watch.previousGhostShips[lane], watch.ghostShips[lane], watch.pendingMs / msPerTick);
}

ShipState watchDrawnShip(const Watch& watch)
{
    if (watch.ended)
        return watch.ship;
    const double msPerTick = 1000.0 / ticksPerSecond;
    return blendShipStates(watch.previousShip, watch.ship, watch.pendingMs / msPerTick);
}
