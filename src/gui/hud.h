#pragma once
// The race HUD: time, speed, lap and segment, frame rate, countdown, the
// difference to the rival run and the last lap's time; when a run is
// watched, also the playback speed and camera.

#include <string>

namespace gcn {
class Container;
class Label;
}

// Five labels over the race view; the widgets belong to the container.
struct Hud {
    // Covers the window, not opaque.
    gcn::Container* container = nullptr;
    gcn::Label* speedLabel = nullptr;
    gcn::Label* lapLabel = nullptr;
    gcn::Label* timeLabel = nullptr;
    gcn::Label* fpsLabel = nullptr;
    gcn::Label* countdownLabel = nullptr;
    // Shown only while a run is watched.
    gcn::Label* playbackLabel = nullptr;
    // Under the race time: the difference to the rival at the last joint,
    // green ahead, red behind.
    gcn::Label* deltaLabel = nullptr;
    // Top centre, for three seconds after each completed lap.
    gcn::Label* lapTimeLabel = nullptr;
};

struct Watch;

// "%01d:%02d.%02d" of minutes, seconds and hundredths, all truncated.
std::string formatTime(double seconds);

// Creates the container and the labels with their fonts and places; the
// caller adds the container to the widget tree.
void buildHud(Hud& hud);

// Writes the captions from the game state; once per race frame.
void updateHud(Hud& hud);

// The same captions from a watched run (its race time, its ship, the road's
// laps, its countdown), and the playback line; once per watch frame.
void updateWatchHud(Hud& hud, const Watch& watch);
