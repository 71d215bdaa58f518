#pragma once
// Asks for the player's name after a run that reached the five best; "done"
// records the run under that name.

#include <guichan/actionlistener.hpp>

#include "gui/buttons.h"

namespace gcn {
class Container;
class Label;
}

class MenuSaveScore : public gcn::ActionListener, public ButtonListener {
public:
    MenuSaveScore();

    // Shows the menu for the run held in the game, the name box focused and
    // filled with the last name used.
    void show();

    void action(const gcn::ActionEvent& actionEvent) override;
    // Both toggle between the name box and "done".
    void focusUp(ButtonTalker* button) override;
    void focusDown(ButtonTalker* button) override;

    gcn::Container* container = nullptr;
    ButtonBigText* doneButton = nullptr;
    TextBoxName* nameBox = nullptr;
    gcn::Label* titleLabel = nullptr;
    gcn::Label* timeLabel = nullptr;
    // The lap times of the run, under the name box.
    gcn::Label* lapsLabel = nullptr;
};
