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
    hud.lapCountLabel = makeLabel(hud.container, "", w - 300, 10, game.fontBig);
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
