#pragma once
// The one global game state. Everything the game holds by value lives here;
// the GUI objects behind its pointers are created once and live for the process.

#include <cstdint>

#include "assets/models.h"
#include "save/ghost_shelf.h"
#include "save/run_history.h"
#include "render/track_map.h"
#include "save/save_file.h"
#include "save/save_lock.h"
#include "save/save_status.h"
#include "shell/held_keys.h"
#include "shell/my_tracks.h"
#include "shell/practice_flow.h"
#include "shell/screens.h"
#include "sim/watch.h"
#include "shell/config.h"
#include "shell/editor_flow.h"
#include "shell/settings_rules.h"
#include "shell/race_rivals.h"
#include "sim/pose_blend.h"
#include "sim/race_session.h"
#include "sim/ship.h"
#include "sim/splits.h"
#include "track/track.h"
#include "track/track_list.h"

namespace gcn {
class Gui;
class Container;
class ImageFont;
class Icon;
class Image;
class SDLImageLoader;
class OpenGLSDLImageLoader;
class OpenGLGraphics;
class SDLInput;
}
class MenuTrack;
class MenuPlay;
class MenuSaveScore;
class MenuSettings;
class MenuAnalysis;
class MenuEditor;
class MenuMyTracks;
struct Hud;
struct _SDL_Joystick;

struct Game {
    gcn::Gui* gui = nullptr;
    gcn::Container* top = nullptr;
    gcn::ImageFont* fontDefault = nullptr;
    gcn::ImageFont* fontBig = nullptr;
    gcn::ImageFont* fontBigHighlight = nullptr;
    // The big font in green and in red, for time differences ahead and behind.
    gcn::ImageFont* fontAhead = nullptr;
    gcn::ImageFont* fontBehind = nullptr;
    // The same in blue and in orange, the colours setting's other choice.
    gcn::ImageFont* fontAheadBlue = nullptr;
    gcn::ImageFont* fontBehindOrange = nullptr;
    gcn::Icon* borderIcon = nullptr;
    gcn::Image* medalBronze = nullptr;
    gcn::Image* medalSilver = nullptr;
    gcn::Image* medalGold = nullptr;
    MenuTrack* menuTrack = nullptr;
    Hud* hud = nullptr;
    MenuPlay* menuPlay = nullptr;
    MenuSaveScore* menuSaveScore = nullptr;
    MenuSettings* menuSettings = nullptr;
    MenuAnalysis* menuAnalysis = nullptr;
    MenuEditor* menuEditor = nullptr;
    MenuMyTracks* menuMyTracks = nullptr;
    Track track;
    // The road compiled for drawing; recompiled on the first draw after a load.
    TrackList trackList;
    // The race screen's map of the road, rebuilt when the road changes.
    TrackMap trackMap;
    Area area;
    Ship player;
    // The player's and the ghost's states around the last tick, and how far
    // the clock has gone toward the next: what a race frame draws.
    PoseHistory playerPose;
    PoseHistory ghostPose;
    double drawFraction = 1.0;
    // Seconds per simulation tick; never changed at run time.
    double stepSeconds = tickSeconds;
    // Clock milliseconds (frameClockMs) at which the next tick is due.
    double nextTickMs = 0.0;
    // Ring of the last 64 race-frame durations, milliseconds.
    double frameTimesMs[64];
    int32_t frameCounter = 0;
    SaveData save;
    // What the player must be told about the save file, and whether it may be written.
    SaveStatus saveStatus;
    // Held from start-up (or the first write) to exit: one game per save.
    SaveLock saveLock;
    Run run;
    // Milliseconds left before the race starts, as the race session counts them.
    int32_t countdownMs = 0;
    // The race being run: its ticks, its countdown, whether it is still on.
    RaceSession race;
    // This race's crossings and laps against the rival run's.
    LiveSplits splits;
    // What the play menu says about the race that ended last: where the road
    // was lost, or the lap times of a finish. Cleared by a race start and a
    // track change.
    std::string raceNote;
    // How often the current track was raced, as the play menu last read it.
    TrackStats trackStats;
    bool haveTrackStats = false;
    Ship ghost;
    // The best run being watched, while watching is set; it never touches
    // run or save.
    Watch watch;
    bool watching = false;
    // Clock milliseconds (frameClockMs) of the last watch frame.
    double watchFrameMs = 0.0;
    bool ghostEnabled = true;
    // The ghost files beside the save file and the rival chosen among them.
    GhostShelf ghosts;
    // The last finish's analysis and the practice begun from it.
    AnalysisState analysis;
    // The medal ghosts raced beside the rival and the lanes of this race.
    RaceRivals rivals;
    bool running = true;
    bool inRace = false;
    // The screen up now, as showScreen() last set it.
    Screen screen = Screen::trackMenu;
    // The track menu asks "quit?" after an Escape.
    bool askingQuit = false;
    // Keys held over the end of a race, kept from the menus until released.
    HeldKeys heldKeys;
    int32_t screenWidth = 800;
    int32_t screenHeight = 600;
    bool fullscreen = false;
    // Joystick 0 buttons and axes; a negative number switches a mapping off.
    int32_t joyThrottleButton = 2;
    int32_t joyBrakeButton = 3;
    int32_t joyLeftButton = 0;
    int32_t joyRightButton = 1;
    int32_t joyThrottleAxis = 2;
    int32_t joyBrakeAxis = 3;
    int32_t joySteerAxis = 0;
    // Sound volume, 0 (off) to 100 (configuration value 11).
    int32_t soundVolume = 80;
    // The settings as configured; the fields above are what runs (the window
    // size as SDL opened it). The settings screen changes these and saves them.
    Settings settings;
    // The settings screen's focus, binding and message.
    SettingsScreen settingsScreen;
    // The track editor's plan, its road and its test drive.
    EditorState editor;
    // The "my tracks" screen's list, choice and lines.
    MyTracksScreen myTracks;

    Game();
};

extern Game game;

// Platform handles beside the game state, null until start-up creates them.
extern gcn::SDLImageLoader* sdlImageLoader;
extern gcn::OpenGLSDLImageLoader* openGLImageLoader;
extern gcn::OpenGLGraphics* openGLGraphics;
extern gcn::SDLInput* sdlInput;
extern _SDL_Joystick* joystick;
