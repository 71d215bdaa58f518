#pragma once
// What each screen shows, made from the game state as plain records: the
// menus and the HUD write these captions and the renderer draws these views,
// deciding nothing themselves. Nothing here needs a window.

#include "gui/hud.h"
#include "gui/menu_play.h"
#include "gui/menu_save_score.h"
#include "gui/menu_track.h"
#include "render/race_view.h"

struct Game;
struct Watch;

// The play menu of the current track as the loading half left it: the last
// finished time, the five best, the medal targets, watch, the rival.
PlayMenuView playMenuView(const Game& g);

// The rival button's caption: the chosen ghost file's player and time, the
// best run, or none.
std::string rivalCaption(const Game& g);

SaveScoreView saveScoreView(const Game& g);
TrackMenuView trackMenuView(const Game& g);

// The HUD of the race from its last tick: the race time, speed, lap,
// countdown and the comparison with the rival.
HudView raceHudView(const Game& g);
// The player's lap counter under the lap counter of the ship's segment: the
// start line opens lap 1, and the finish line's counter stays on the last lap.
std::string lapCountText(int32_t segmentLap);

// The HUD of a watched run: its own figures and the playback line, never the
// comparisons of a race.
HudView watchHudView(const Game& g, const Watch& watch);

// Whether this race shows a ghost ship: the ghost is on and the race has
// rival records to replay. The one place that decides it.
bool ghostShown(const Game& g);

// The race frame: the camera of the settings (chase, or behind and above) on the player, the ghost when shown, the
// map; with the ships at the poses given (a frame between two ticks), or at
// their states after the last tick.
RaceView raceViewAt(Game& g, const ShipState& player, const ShipState& ghost);
RaceView raceView(Game& g);

// Where the replay's chosen camera looks from, at the watched ship's pose.
CameraPose watchCameraPose(const Watch& watch, const ShipState& ship);

// The replay frame: the watched ship in the player's model, opaque, seen
// from the chosen camera, and the medal ghosts while they are shown; no map.
RaceView watchView(Game& g, const Watch& watch);
