#pragma once
// The first screen: fifteen track buttons in three rows of five and "back".
// Tracks open one by one as their neighbours earn medals.

#include <vector>

#include <guichan/actionlistener.hpp>

#include "gui/buttons.h"

namespace gcn {
class Container;
}

class MenuTrack : public gcn::ActionListener, public ButtonListener {
public:
    MenuTrack();

    // Recomputes every track's state from the save data and focuses "00".
    void refresh();

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

private:
    // The state of the track button at row r, column c (rows 0 to 2).
    TrackState stateAt(int r, int c) const;
    void moveTo(ButtonTalker* target);
};

