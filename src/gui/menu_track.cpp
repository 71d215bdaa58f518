#include "gui/menu_track.h"

#include <algorithm>
#include <guichan.hpp>
#include <string>

#include "assets/data_dir.h"
#include "gui/gui_common.h"
#include "gui/intents.h"
#include "shell/game.h"

namespace {
const int kGridRows = trackGridRows;
const int kGridColumns = trackGridColumns;
const int kBackRow = 3;
}  // namespace

MenuTrack::MenuTrack()
{
    container = new gcn::Container();
    container->setOpaque(false);
    container->setSize(game.screenWidth, game.screenHeight);

    std::string gui = dataDir + "/gui";
    gcn::Image* selectedFrame = loadGuiImage(gui + "/trackSel.tga");
    gcn::Image* plainFrame = loadGuiImage(gui + "/trackUnsel.tga");
    // 96 pixels apart both ways; the grid is 5 x 3 starting at (200, 170).
    for (int r = 0, y = 170; r < kGridRows; ++r, y += 96) {
        std::vector<ButtonTalker*> row;
        for (int c = 0, x = 200; c < kGridColumns; ++c, x += 96) {
            ButtonTrack* button = new ButtonTrack();
            button->setFont(game.fontBig);
            button->setPosition(x, y);
            button->setSize(64, 64);
            button->setActionEventId("play");
            button->addActionListener(this);
            button->trackImage = loadGuiImage(gui + "/track" + trackNameAt(r, c) + ".tga");
            button->selectedFrame = selectedFrame;
            button->plainFrame = plainFrame;
            container->add(button);
            row.push_back(button);
        }
        rows.push_back(row);
    }

    ButtonBigText* back = new ButtonBigText("back");
    back->setFont(game.fontBig);
    back->highlightFont = game.fontBigHighlight;
    back->setPosition(490, 550);
    back->adjustSize();
    back->setActionEventId("back");
    back->addActionListener(this);
    container->add(back);

    ButtonBigText* settings = new ButtonBigText("settings");
    settings->setFont(game.fontBig);
    settings->highlightFont = game.fontBigHighlight;
    settings->setPosition(230, 550);
    settings->adjustSize();
    settings->setActionEventId("settings");
    settings->addActionListener(this);
    container->add(settings);
    ButtonBigText* myTracks = new ButtonBigText("my tracks");
    myTracks->setFont(game.fontBig);
    myTracks->highlightFont = game.fontBigHighlight;
    myTracks->setPosition(40, 550);
    myTracks->adjustSize();
    myTracks->setActionEventId("my tracks");
    myTracks->addActionListener(this);
    container->add(myTracks);
    back->sideKeys = true;
    settings->sideKeys = true;
    myTracks->sideKeys = true;
    // "back" stays first in its row, so focus reaches it from the grid as before.
    rows.push_back({back, settings, myTracks});

    noticeLabel = new gcn::Label("");
    noticeLabel->setFont(game.fontDefault);
    noticeLabel->setPosition(20, 470);
    noticeLabel->setSize(760, 40);
    container->add(noticeLabel);

    lockHintLabel = new gcn::Label("");
    lockHintLabel->setFont(game.fontDefault);
    lockHintLabel->setPosition(200, 432);
    lockHintLabel->setSize(560, 30);
    container->add(lockHintLabel);

    quitLabel = new gcn::Label("quit? Enter / Escape");
    quitLabel->setFont(game.fontBig);
    quitLabel->setPosition(200, 500);
    quitLabel->adjustSize();
    quitLabel->setVisible(false);
    container->add(quitLabel);

    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t j = 0; j < rows[i].size(); ++j) {
            rows[i][j]->row = static_cast<int32_t>(i);
            rows[i][j]->column = static_cast<int32_t>(j);
            rows[i][j]->listener = this;
        }
    }
}

TrackState MenuTrack::stateAt(int r, int c) const
{
    return static_cast<ButtonTrack*>(rows[r][c])->medal;
}

void MenuTrack::refresh(const TrackMenuView& view)
{
    if (!rows.empty() && !rows[0].empty()) {
        selected = rows[0][0];
        selected->requestFocus();
    }
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            ButtonTrack* button = static_cast<ButtonTrack*>(rows[r][c]);
            button->medal = view.states[r][c];
            // Neither Tab nor the mouse may put the focus on a locked track.
            button->setFocusable(button->medal != TrackState::locked);
        }
    }
    noticeLabel->setCaption(view.notice);
    lockHintLabel->setCaption(view.lockHint);
    showQuitQuestion(false);
    guiLogicStep();
}

void MenuTrack::showQuitQuestion(bool shown)
{
    if (quitLabel)
        quitLabel->setVisible(shown);
}

void MenuTrack::action(const gcn::ActionEvent& actionEvent)
{
    const std::string& id = actionEvent.getId();
    if (id == "back") {
        reportIntent(IntentKind::quit);
        return;
    }
    if (id == "settings") {
        reportIntent(IntentKind::openSettings);
        return;
    }
    if (id == "my tracks") {
        reportIntent(IntentKind::openMyTracks);
        return;
    }
    if (id != "play")
        return;
    // A click (or a Tab) can reach a track button without the arrow keys, so
    // the button that raised the action is the one to start; locked ones start
    // nothing.
    for (int r = 0; r < kGridRows && r < static_cast<int>(rows.size()); ++r) {
        for (ButtonTalker* button : rows[r]) {
            if (button != actionEvent.getSource())
                continue;
            if (static_cast<ButtonTrack*>(button)->medal == TrackState::locked)
                return;
            selected = button;
        }
    }
    if (!selected)
        return;
    reportIntent(IntentKind::chooseTrack, trackNameAt(selected->row, selected->column));
}

void MenuTrack::moveTo(ButtonTalker* target)
{
    target->requestFocus();
    selected = target;
}

void MenuTrack::focusUp(ButtonTalker* button)
{
    int n = static_cast<int>(rows.size());
    int i = button->row;
    int target = (i == kBackRow) ? 0 : (n + i - 1) % n;
    // Every button of the bottom row goes up to "00", the one track always open.
    int column = (i == kBackRow) ? 0 : std::min<int>(button->column, static_cast<int>(rows[target].size()) - 1);
    moveTo(rows[target][column]);
}

void MenuTrack::focusDown(ButtonTalker* button)
{
    int n = static_cast<int>(rows.size());
    int i = button->row;
    int target = (i + 1) % n;
    int column = target == kBackRow ? 0 : std::min<int>(button->column, static_cast<int>(rows[target].size()) - 1);
    ButtonTalker* next = rows[target][column];
    if (target < kGridRows && stateAt(target, column) == TrackState::locked)
        next = rows[kBackRow][0];
    moveTo(next);
}

// In the bottom row Left and Right go to the neighbour on screen, round
// from one end to the other.
static bool bottomRowMove(std::vector<std::vector<ButtonTalker*>>& rows, ButtonTalker* button, int step,
                          ButtonTalker*& target)
{
    if (button->row != kBackRow || rows[kBackRow].size() < 2)
        return false;
    std::vector<ButtonTalker*> onScreen = rows[kBackRow];
    std::sort(onScreen.begin(), onScreen.end(),
              [](const ButtonTalker* a, const ButtonTalker* b) { return a->getX() < b->getX(); });
    const int n = static_cast<int>(onScreen.size());
    const int at = static_cast<int>(std::find(onScreen.begin(), onScreen.end(), button) - onScreen.begin());
    target = onScreen[size_t((at + step + n) % n)];
    return true;
}

void MenuTrack::focusLeft(ButtonTalker* button)
{
    ButtonTalker* other = nullptr;
    if (bottomRowMove(rows, button, -1, other))
        moveTo(other);
    if (button->row >= kGridRows)
        return;
    int j = (button->column + kGridColumns - 1) % kGridColumns;
    if (stateAt(button->row, j) == TrackState::locked)
        return;
    moveTo(rows[button->row][j]);
}

void MenuTrack::focusRight(ButtonTalker* button)
{
    ButtonTalker* other = nullptr;
    if (bottomRowMove(rows, button, 1, other))
        moveTo(other);
    if (button->row >= kGridRows)
        return;
    int j = (button->column + 1) % kGridColumns;
    if (stateAt(button->row, j) == TrackState::locked)
        return;
    moveTo(rows[button->row][j]);
}
