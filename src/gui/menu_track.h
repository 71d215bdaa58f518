#pragma once
// The first screen: fifteen track buttons in three rows of five and "back".
// Tracks open one by one as their neighbours earn medals.

#include <string>
#include <vector>

#include <guichan/actionlistener.hpp>

#include "gui/buttons.h"

namespace gcn {
class Container;
class Label;
}

// What the track menu shows.
struct TrackMenuView {
    // Row by row, column by column.
    TrackState states[trackGridRows][trackGridColumns] = {};
    // A word about the save file, until the player first opens a track.
    std::string notice;
    // Under the grid, how locked tracks open; empty once none is locked.
    std::string lockHint;
};

class MenuTrack : public gcn::ActionListener, public ButtonListener {
public:
    MenuTrack();

    // Shows every track's state and the notice, and focuses "00".
    void refresh(const TrackMenuView& view);

    // Shows or hides the question Escape asks before the game ends.
    void showQuitQuestion(bool shown);

    // A track becomes the intent to open it; "back" the intent to quit.
    void action(const gcn::ActionEvent& actionEvent) override;
    void focusUp(ButtonTalker* button) override;
    void focusDown(ButtonTalker* button) override;
    void focusLeft(ButtonTalker* button) override;
    void focusRight(ButtonTalker* button) override;

    gcn::Container* container = nullptr;
    // The track that "play" starts.
    ButtonTalker* selected = nullptr;
    // Rows 0 to 2: the track buttons of each grid row, column by column;
    // row 3: the "back" button alone.
    std::vector<std::vector<ButtonTalker*>> rows;
    // game.saveStatus.startNotice until the player first opens a track.
    gcn::Label* noticeLabel = nullptr;
    // The view's lockHint, under the grid.
    gcn::Label* lockHintLabel = nullptr;
    // "quit? Enter / Escape", while Escape asks.
    gcn::Label* quitLabel = nullptr;

private:
    // The state of the track button at row r, column c (rows 0 to 2).
    TrackState stateAt(int r, int c) const;
    void moveTo(ButtonTalker* target);
};

