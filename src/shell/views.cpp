#include "shell/views.h"

#include <guichan/imagefont.hpp>

#include <algorithm>
#include <cstdio>

#include "assets/data_dir.h"
#include "gui/shown_figures.h"
#include "save/progress.h"
#include "save/save_status.h"
#include "shell/game.h"
#include "shell/race_rivals.h"
#include "sim/race.h"
#include "sim/time_text.h"
#include "sim/vecmath.h"

// A record looked up without inserting one.
static const TrackRecord* findRecord(const Game& g)
{
    auto it = g.save.records.find(g.save.trackName);
    return it == g.save.records.end() ? nullptr : &it->second;
}

std::string rivalCaption(const Game& g)
{
    if (const ShelfEntry* rival = rivalEntry(g.ghosts))
        // A shared file may carry a name of any length; the button stays on screen.
        return "rival: " + rival->ghost.playerName.substr(0, 20) + " " + formatTicks(rival->ghost.ticks);
    const TrackRecord* record = findRecord(g);
    if (record && !record->ghostRun.empty())
        return "rival: best run";
    return "rival: none";
}

PlayMenuView playMenuView(const Game& g)
{
    PlayMenuView view;
    view.playCaption = "play " + shownTrackName(g.save.trackName);
    view.lastLine = "last " + (g.run.ticks != 0 ? formatTicks(g.run.ticks) : std::string(noTimeText));
    view.note = g.raceNote;
    view.nextToBeat = finishNextToBeat(g);
    const TrackRecord* record = findRecord(g);
    // A best run on a road that did not load has nothing to be watched on.
    view.watchShown = record && !record->ghostRun.empty() && !g.track.segments.empty();
    for (size_t i = 0; i < 5; ++i) {
        if (record && i < record->scores.size()) {
            const ScoreEntry& score = record->scores[i];
            view.scoreLines.push_back(formatTicks(score.ticks) + " " + shownName(score.playerName));
        } else {
            view.scoreLines.push_back(noTimeText);
        }
    }
    for (double seconds : {g.area.goldSeconds, g.area.silverSeconds, g.area.bronzeSeconds})
        view.medalLines.push_back(formatTicks(ticksWithin(seconds, g.stepSeconds)) + " ");
    view.rivalShown = !g.ghosts.offered.empty();
    view.rivalCaption = rivalCaption(g);
    view.ghostsCaption = ghostsButtonCaption(g);
    view.ghostsLine = raceGhostsLine(g);
    view.rejectedLine = rejectedLine(g.ghosts);
    view.saveError = g.saveStatus.writeError;
    view.statsLine = g.haveTrackStats ? trackStatsLine(g.trackStats) : "";
    view.playShown = !g.track.segments.empty();
    view.contentLine = contentFaultLine(shownTrackName(g.save.trackName), view.playShown, g.area.timesRead);
    view.analysisShown = analysisOffered(g);
    view.practiceShown = practiceOffered(g);
    view.practiceCaption = practiceButtonCaption(g);
    return view;
}

SaveScoreView saveScoreView(const Game& g)
{
    SaveScoreView view;
    view.analysisShown = analysisOffered(g);
    view.timeText = g.run.ticks != 0 ? formatTicks(g.run.ticks) : std::string(noTimeText);
    view.name = shownName(g.save.playerName);
    view.note = g.raceNote;
    view.nextToBeat = finishNextToBeat(g);
    return view;
}

TrackMenuView trackMenuView(const Game& g)
{
    TrackMenuView view;
    for (int r = 0; r < trackGridRows; ++r)
        for (int c = 0; c < trackGridColumns; ++c)
            view.states[r][c] = trackState(g.save, r, c);
    for (const auto& row : view.states)
        for (TrackState state : row)
            if (state == TrackState::locked)
                view.lockHint = "a bronze medal opens the tracks beside it";
    view.notice = g.saveStatus.startNotice;
    return view;
}

// The captions a race and a replay share, from a race time in ticks, a ship,
// the road's laps under it and the countdown left.
static HudView commonHudView(const Game& g, int64_t raceTicks, const ShipState& ship, int32_t countdownMs)
{
    HudView view;
    char text[64];
    view.timeText = formatTicks(raceTicks);

    double sum = 0.0;
    for (double ms : g.frameTimesMs)
        sum += ms;
    std::snprintf(text, sizeof text, "% 3d fps", static_cast<int>(1000.0 / (sum * 0.015625)));
    view.fpsText = text;

    // Metres per second to miles per hour.
    double speed = length(ship.velocity);
    std::snprintf(text, sizeof text, "% 3d mph", shownMph(speed));
    view.speedText = text;

    int segment = ship.segment;
    if (segment >= 0 && static_cast<size_t>(segment) < g.track.segments.size()) {
        std::snprintf(text, sizeof text, "lap % 2d seg % 2d", static_cast<int>(g.track.segments[segment].lap),
                      segment);
        view.lapText = text;
    }
    if (countdownMs > 0) {
        std::snprintf(text, sizeof text, "%d", countdownMs / 1000 + 1);
        view.countdownText = text;
    }
    return view;
}

std::string lapCountText(int32_t segmentLap)
{
    const int32_t lap = std::clamp<int32_t>(segmentLap, 1, raceLaps);
    return "lap " + std::to_string(lap) + "/" + std::to_string(raceLaps);
}

HudView raceHudView(const Game& g)
{
    HudView view = commonHudView(g, static_cast<int64_t>(g.run.controls.size()), g.player.state, g.countdownMs);
    const int32_t segment = g.player.state.segment;
    const bool onRoad = segment >= 0 && static_cast<size_t>(segment) < g.track.segments.size();
    view.lapCountText = lapCountText(onRoad ? g.track.segments[size_t(segment)].lap : 0);
    view.blueOrange = g.settings.colours == DeltaColours::blueOrange;
    view.countersShown = g.settings.info == RaceInfo::full;
    const LiveSplits& splits = g.splits;
    if (splits.haveDelta) {
        view.deltaText = formatDelta(splits.delta);
        // With several ghosts the player is told which one the delta is against.
        if (g.rivals.names.size() > 1 && !g.race.moreGhosts.empty())
            view.deltaText += " " + g.rivals.names.front();
        view.behind = splits.delta > 0;
    }
    if (lapShown(splits, g.race.raceTicks))
        view.lapTimeText = lapLine(splits);
    return view;
}

HudView watchHudView(const Game& g, const Watch& watch)
{
    HudView view = commonHudView(g, watchRaceTicks(watch), watch.ship, countdownMsLeft(watch.session));
    view.playbackText = watchStatusText(watch);
    return view;
}

bool ghostShown(const Game& g) { return g.ghostEnabled && g.race.ghostRun && !g.race.ghostRun->empty(); }

RaceView raceViewAt(Game& g, const ShipState& player, const ShipState& ghost)
{
    RaceView view;
    view.track = &g.track;
    view.trackList = &g.trackList;
    view.area = &g.area;
    view.camera = g.settings.camera == RaceCamera::above ? behindAboveCamera(player) : chaseCamera(player);
    // The camera above shows the player's own ship, which the chase camera sits inside.
    if (g.settings.camera == RaceCamera::above)
        view.ships.push_back(ShipDraw{&g.player, player, 1.0f});
    view.map = &g.trackMap;
    view.playerDot = player.position;
    if (ghostShown(g)) {
        // The ghosts after the first are blended between their ticks as the
        // first is, by the same fraction.
        std::vector<ShipState> poses{ghost};
        for (size_t i = 0; i < g.race.moreGhosts.size() && i + 1 < maxRivals; ++i)
            poses.push_back(drawnPose(g.rivals.poses[i], g.drawFraction));
        const float chosen = static_cast<float>(std::clamp<int32_t>(g.settings.ghostOpacity, 0, 100)) / 100.0f;
        for (size_t lane = 0; lane < poses.size(); ++lane) {
            const GhostTint tint = ghostTint(lane);
            const float opacity = ghostOpacityFor(length(sub(poses[lane].position, player.position)), chosen);
            view.ships.push_back(ShipDraw{&g.ghost, poses[lane], opacity, tint.red, tint.green, tint.blue});
            const GhostTint dot = ghostDotTint(lane);
            view.ghostDots.push_back(poses[lane].position);
            view.ghostDotColours.push_back(DotColour{dot.red, dot.green, dot.blue});
            // Ghosts the settings hide carry no name either.
            if (lane < g.rivals.names.size() && chosen > 0.0f)
                view.tags.push_back(NameTag{tagAnchor(poses[lane]), g.rivals.names[lane], tint.red, tint.green,
                                            tint.blue, tagFade(length(sub(poses[lane].position, player.position)))});
        }
        view.tagFont = g.fontDefault;
    }
    view.screenWidth = g.screenWidth;
    view.screenHeight = g.screenHeight;
    return view;
}

RaceView raceView(Game& g) { return raceViewAt(g, g.player.state, g.ghost.state); }

CameraPose watchCameraPose(const Watch& watch, const ShipState& ship)
{
    switch (watch.camera) {
    case WatchCamera::behindAbove:
        return behindAboveCamera(ship);
    case WatchCamera::trackside:
        return tracksideCamera(watch.cameraPoints, ship);
    case WatchCamera::chase:
        break;
    }
    return chaseCamera(ship);
}

RaceView watchView(Game& g, const Watch& watch)
{
    RaceView view;
    view.track = &g.track;
    view.trackList = &g.trackList;
    view.area = &g.area;
    const ShipState ship = watchDrawnShip(watch);
    view.camera = watchCameraPose(watch, ship);
    // From the chase camera the watched ship's nose shows at the bottom of the view.
    view.ships.push_back(ShipDraw{&g.player, ship, 1.0f});
    // The medal ghosts in the colours of the race's lanes after the first,
    // which stays the watched ship's.
    if (watch.ghostsShown) {
        for (size_t lane = 0; lane < watch.ghostRuns.size(); ++lane) {
            const ShipState pose = watchDrawnGhost(watch, lane);
            const GhostTint tint = ghostTint(lane + 1);
            view.ships.push_back(ShipDraw{&g.ghost, pose, ghostOpacity(length(sub(pose.position, ship.position))),
                                          tint.red, tint.green, tint.blue});
        }
    }
    view.playerDot = ship.position;
    view.screenWidth = g.screenWidth;
    view.screenHeight = g.screenHeight;
    return view;
}
