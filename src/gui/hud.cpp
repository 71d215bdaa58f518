#include "gui/hud.h"

#include <cmath>
#include <cstdio>
#include <guichan.hpp>

#include "gui/shown_figures.h"
#include "shell/game.h"
#include "shell/watch.h"
#include "sim/vecmath.h"

std::string formatTime(double seconds)
{
    int minutes = static_cast<int>(seconds / 60);
    int secs = static_cast<int>(seconds - std::floor(seconds / 60) * 60);
    int hundredths = static_cast<int>((seconds - std::floor(seconds)) * 100);
    char text[64];
    std::snprintf(text, sizeof text, "%01d:%02d.%02d", minutes, secs, hundredths);
    return text;
}

static gcn::Label* makeLabel(gcn::Container* container, const char* caption, int x, int y,
                             gcn::Font* font)
{
    gcn::Label* label = new gcn::Label(caption);
    label->setSize(500, 45);
    label->setPosition(x, y);
    label->setFont(font);
    container->add(label);
    return label;
}

void buildHud(Hud& hud)
{
    int w = game.screenWidth, h = game.screenHeight;
    hud.container = new gcn::Container();
    hud.container->setOpaque(false);
    hud.container->setSize(w, h);
    hud.speedLabel = makeLabel(hud.container, "100 mph", w - 200, h - 50, game.fontBig);
    hud.countdownLabel = makeLabel(hud.container, "3", w / 2 - 10, h / 2 + 10, game.fontBig);
    hud.timeLabel = makeLabel(hud.container, "1:59.99", w - 150, 10, game.fontBig);
    hud.lapLabel = makeLabel(hud.container, "lap 2 seg 0", 10, 0, game.fontDefault);
    hud.fpsLabel = makeLabel(hud.container, "60 fps", 10, 20, game.fontDefault);
    hud.playbackLabel = makeLabel(hud.container, "", 10, 40, game.fontDefault);
    hud.playbackLabel->setVisible(false);
    gcn::Font* aheadFont = game.fontAhead ? game.fontAhead : game.fontBig;
    hud.deltaLabel = makeLabel(hud.container, "", w - 150, 50, aheadFont);
    hud.lapTimeLabel = makeLabel(hud.container, "", w / 2 - 100, 10, game.fontDefault);
}

// Captions shared by the race and the replay, from a race time in ticks, a
// ship, the road under it and the countdown left.
static void writeCaptions(Hud& hud, uint64_t ticks, const ShipState& ship, int32_t countdownMs)
{
    char text[64];
    // The HUD divides by 100.0 while the menus multiply by the tick length, so
    // the two can differ by a hundredth for the same run.
    double t = static_cast<double>(static_cast<unsigned>(ticks)) / 100.0;
    hud.timeLabel->setCaption(formatTime(t));

    double sum = 0.0;
    for (double ms : game.frameTimesMs)
        sum += ms;
    std::snprintf(text, sizeof text, "% 3d fps", static_cast<int>(1000.0 / (sum * 0.015625)));
    hud.fpsLabel->setCaption(text);

    // Metres per second to miles per hour.
    double speed = length(ship.velocity);
    std::snprintf(text, sizeof text, "% 3d mph", shownMph(speed));
    hud.speedLabel->setCaption(text);

    int segment = ship.segment;
    if (segment >= 0 && !game.track.segments.empty() &&
        static_cast<size_t>(segment) < game.track.segments.size()) {
        std::snprintf(text, sizeof text, "lap % 2d seg % 2d",
                      static_cast<int>(game.track.segments[segment].lap), segment);
        hud.lapLabel->setCaption(text);
    }

    if (countdownMs > 0) {
        std::snprintf(text, sizeof text, "%d", countdownMs / 1000 + 1);
        hud.countdownLabel->setCaption(text);
    } else {
        hud.countdownLabel->setCaption("");
    }

    const LiveSplits& splits = game.splits;
    if (hud.deltaLabel) {
        // Level counts as ahead: not behind the rival.
        gcn::Font* font = splits.delta > 0 ? game.fontBehind : game.fontAhead;
        hud.deltaLabel->setFont(font ? font : game.fontBig);
        hud.deltaLabel->setCaption(splits.haveDelta ? formatDelta(splits.delta) : "");
    }
    if (hud.lapTimeLabel)
        hud.lapTimeLabel->setCaption(lapShown(splits, game.race.raceTicks) ? lapLine(splits) : "");
}

void updateHud(Hud& hud)
{
    writeCaptions(hud, game.run.controls.size(), game.player.state, game.countdownMs);
}

void updateWatchHud(Hud& hud, const Watch& watch)
{
    writeCaptions(hud, static_cast<uint64_t>(watchRaceTicks(watch)), watch.ship,
                  countdownMsLeft(watch.session));
    if (hud.playbackLabel)
        hud.playbackLabel->setCaption(watchStatusText(watch));
}
