#pragma once
// The "my tracks" screen: the player's own tracks, one a line, chosen with
// Up and Down or the mouse, and a row of buttons under them: "play",
// "share", "delete", "new" and "edit" (the editor) and "back" (Escape too). Left and Right go along the
// row. The row keeps x 440 to 640 free for more buttons: one added to
// container and to buttons (in the order Left and Right should visit them)
// needs nothing else here. It shows a MyTracksView and forwards every choice
// as an intent.

#include <string>
#include <vector>

#include <guichan/actionlistener.hpp>

#include "gui/buttons.h"
#include "shell/my_tracks.h"

namespace gcn {
class Container;
class Label;
}

class MenuMyTracks : public gcn::ActionListener, public ButtonListener {
public:
    MenuMyTracks();

    // Writes the view's captions and lines; with focusChosen the chosen
    // track's line takes the focus ("play" when the list is empty).
    void refresh(const MyTracksView& view, bool focusChosen);

    void action(const gcn::ActionEvent& actionEvent) override;
    void focusUp(ButtonTalker* button) override;
    void focusDown(ButtonTalker* button) override;
    void focusLeft(ButtonTalker* button) override;
    void focusRight(ButtonTalker* button) override;

    gcn::Container* container = nullptr;
    // The shown lines of the list, top to bottom.
    std::vector<ButtonTalker*> rows;
    // The bottom row, left to right; play first.
    std::vector<ButtonTalker*> buttons;
    gcn::Label* emptyLabel = nullptr;
    std::vector<gcn::Label*> lineLabels;

private:
    // The row that shows track index, or null.
    ButtonTalker* rowOf(int index) const;
    void chooseIndex(int index);
    MyTracksView shown;
};
