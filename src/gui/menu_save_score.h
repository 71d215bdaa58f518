#pragma once
// Asks for the player's name after a run that reached the five best; "done"
// records the run under that name.

#include <string>

#include <guichan/actionlistener.hpp>

#include "gui/buttons.h"

namespace gcn {
class Container;
class Label;
}

// What the menu shows for a finished run.
struct SaveScoreView {
    // The run's time, "-:--.--" for none.
    std::string timeText;
    // The name the box opens with: the last one used.
    std::string name;
    // The run's lap times.
    std::string note;
    bool analysisShown = false;
    // The medal ghost the run beat and the next one: "silver: 1.37 to go".
    std::string nextToBeat;
};

class MenuSaveScore : public gcn::ActionListener, public ButtonListener {
public:
    MenuSaveScore();

    // Shows the menu for a run, the name box focused and filled with the
    // name of view, the caret after it.
    void show(const SaveScoreView& view);

    // "done" becomes the intent to record the run under the typed name.
    void action(const gcn::ActionEvent& actionEvent) override;
    // Both step through the name box, "done" and "analysis".
    void focusUp(ButtonTalker* button) override;
    void focusDown(ButtonTalker* button) override;

    gcn::Container* container = nullptr;
    ButtonBigText* doneButton = nullptr;
    // The run against its reference before it is recorded; shown when there
    // is one.
    ButtonBigText* analysisButton = nullptr;
    TextBoxName* nameBox = nullptr;
    gcn::Label* titleLabel = nullptr;
    gcn::Label* timeLabel = nullptr;
    // The lap times of the run, under the name box.
    gcn::Label* lapsLabel = nullptr;
    // Under the lap times: which medal was beaten and which is next.
    gcn::Label* nextLabel = nullptr;
};
