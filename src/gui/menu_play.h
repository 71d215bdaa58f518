#pragma once
// The screen between the track menu and a race: "play NN", the last finished
// time, the five best runs and the medal target times, and "watch" when the
// track has a best run to play back.

#include <string>
#include <vector>

#include <guichan/actionlistener.hpp>

#include "gui/buttons.h"

namespace gcn {
class Container;
class Label;
}

class MenuPlay : public gcn::ActionListener, public ButtonListener {
public:
    MenuPlay();

    // Shows the menu, reloads the current track and its area, fills the
    // lines and hands the track's ghost run to the current run.
    void refresh();

    // Shows game.saveStatus.writeError, the one line about a failed write.
    void showSaveResult();

    void action(const gcn::ActionEvent& actionEvent) override;
    void focusUp(ButtonTalker* button) override;
    void focusDown(ButtonTalker* button) override;

    gcn::Container* container = nullptr;
    ButtonBigText* playButton = nullptr;
    // Visible only while the track has a best run.
    ButtonBigText* watchButton = nullptr;
    // Keyboard order: "play", "watch", "back"; hidden buttons are skipped.
    std::vector<ButtonTalker*> buttons;
    // Best first.
    std::vector<gcn::Label*> scoreLabels;
    // Gold, silver, bronze.
    std::vector<gcn::Label*> medalTimeLabels;
    gcn::Label* lastLabel = nullptr;
    // "could not save: REASON" while the last write failed, else empty.
    gcn::Label* saveErrorLabel = nullptr;
};
