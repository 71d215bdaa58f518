#pragma once
// The screen between the track menu and a race: "play NN", the last finished
// time, the five best runs and the medal target times.

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

    void action(const gcn::ActionEvent& actionEvent) override;
    void focusUp(ButtonTalker* button) override;
    void focusDown(ButtonTalker* button) override;

    gcn::Container* container = nullptr;
    ButtonBigText* playButton = nullptr;
    // Keyboard order: "play", then "back".
    std::vector<ButtonTalker*> buttons;
    // Best first.
    std::vector<gcn::Label*> scoreLabels;
    // Gold, silver, bronze.
    std::vector<gcn::Label*> medalTimeLabels;
    gcn::Label* lastLabel = nullptr;
    // Under the last time: where the last race left the road, or its lap times.
    gcn::Label* noteLabel = nullptr;
};
