#pragma once
// The race HUD: time, speed, lap and segment, frame rate, countdown, the
// difference to the rival run and the last lap's time; when a run is
// watched, the playback speed and camera instead of the race comparisons.

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
    // The player's lap counter beside the race time.
    gcn::Label* lapCountLabel = nullptr;
};

// The captions of one frame, made by the shell from the last tick.
struct HudView {
    std::string timeText;
    std::string fpsText;
    std::string speedText;
    // Empty while the ship is on no segment: the line keeps what it said.
    std::string lapText;
    // "3", "2", "1", or empty once the race runs.
    std::string countdownText;
    // "-0.42" or "+1.10", empty without a comparison; behind picks the colour.
    std::string deltaText;
    bool behind = false;
    // Blue ahead and orange behind instead of green and red.
    bool blueOrange = false;
    // The lap-and-segment line and the frame rate; off in a clean race info.
    bool countersShown = true;
    // "lap 1/2"; empty in a replay.
    std::string lapCountText;
    std::string lapTimeText;
    // The replay's speed and camera; empty in a race.
    std::string playbackText;
};

// Creates the container and the labels with their fonts and places; the
// caller adds the container to the widget tree.
void buildHud(Hud& hud);

// Sizes the container to a w x h window and puts the labels along its edges.
void placeHud(Hud& hud, int w, int h);

// Writes the captions of view; once per race or watch frame.
void updateHud(Hud& hud, const HudView& view);
