#include "gui/hud.h"

#include <guichan.hpp>

#include "shell/game.h"

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
    hud.container = new gcn::Container();
    hud.container->setOpaque(false);
    hud.speedLabel = makeLabel(hud.container, "100 mph", 0, 0, game.fontBig);
    hud.countdownLabel = makeLabel(hud.container, "3", 0, 0, game.fontBig);
    hud.timeLabel = makeLabel(hud.container, "1:59.99", 0, 0, game.fontBig);
    hud.lapLabel = makeLabel(hud.container, "lap 2 seg 0", 0, 0, game.fontDefault);
    hud.fpsLabel = makeLabel(hud.container, "60 fps", 0, 0, game.fontDefault);
    hud.playbackLabel = makeLabel(hud.container, "", 0, 0, game.fontDefault);
    hud.playbackLabel->setVisible(false);
    gcn::Font* aheadFont = game.fontAhead ? game.fontAhead : game.fontBig;
    hud.deltaLabel = makeLabel(hud.container, "", 0, 0, aheadFont);
    hud.lapTimeLabel = makeLabel(hud.container, "", 0, 0, game.fontDefault);
    hud.lapCountLabel = makeLabel(hud.container, "", 0, 0, game.fontBig);
    placeHud(hud, game.screenWidth, game.screenHeight);
}

void placeHud(Hud& hud, int w, int h)
{
    hud.container->setSize(w, h);
    hud.speedLabel->setPosition(w - 200, h - 50);
    hud.countdownLabel->setPosition(w / 2 - 10, h / 2 + 10);
    hud.timeLabel->setPosition(w - 150, 10);
    hud.lapLabel->setPosition(10, 0);
    hud.fpsLabel->setPosition(10, 20);
    hud.playbackLabel->setPosition(10, 40);
    hud.deltaLabel->setPosition(w - 150, 50);
    hud.lapTimeLabel->setPosition(w / 2 - 100, 10);
    hud.lapCountLabel->setPosition(w - 300, 10);
}

void updateHud(Hud& hud, const HudView& view)
{
    hud.timeLabel->setCaption(view.timeText);
    hud.fpsLabel->setCaption(view.fpsText);
    hud.speedLabel->setCaption(view.speedText);
    if (!view.lapText.empty())
        hud.lapLabel->setCaption(view.lapText);
    hud.countdownLabel->setCaption(view.countdownText);
    if (hud.deltaLabel) {
        // Level counts as ahead: not behind the rival.
        gcn::Font* font = view.blueOrange ? (view.behind ? game.fontBehindOrange : game.fontAheadBlue)
                                          : (view.behind ? game.fontBehind : game.fontAhead);
        hud.deltaLabel->setFont(font ? font : game.fontBig);
        hud.deltaLabel->setCaption(view.deltaText);
    }
    if (hud.lapTimeLabel)
        hud.lapTimeLabel->setCaption(view.lapTimeText);
    if (hud.playbackLabel)
        hud.playbackLabel->setCaption(view.playbackText);
    hud.lapLabel->setVisible(view.countersShown);
    hud.fpsLabel->setVisible(view.countersShown);
    if (hud.lapCountLabel)
        hud.lapCountLabel->setCaption(view.lapCountText);
}
