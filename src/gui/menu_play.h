#pragma once
// The screen between the track menu and a race: "play NN", the last finished
// time, the five best runs and the medal target times, "watch" when the
// track has a best run to play back and, with verified ghost files for the
// track, the rival the ghost ship replays.

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
    // lines and hands the track's ghost run to the current run. Looks at the
    // ghost files again and offers the verified ones as rivals.
    void refresh();

    // Shows game.saveStatus.writeError, the one line about a failed write.
    void showSaveResult();

    void action(const gcn::ActionEvent& actionEvent) override;
    void focusUp(ButtonTalker* button) override;
    void focusDown(ButtonTalker* button) override;

    // The rival button's caption and visibility from the game's ghost shelf.
    void showRival();
    // The rival and the shelf's line, after the shelf judged more files.
    void showShelf();

    gcn::Container* container = nullptr;
    ButtonBigText* playButton = nullptr;
    // Visible only while the track has a best run.
    ButtonBigText* watchButton = nullptr;
    // Cycles the rival; shown only while the track has verified ghost files.
    ButtonBigText* rivalButton = nullptr;
    // How many ghost files were rejected; empty and hidden when none.
    gcn::Label* rejectedLabel = nullptr;
    // Keyboard order: "play", "rival", "watch", "back"; hidden buttons are skipped.
    std::vector<ButtonTalker*> buttons;
    // Best first.
    std::vector<gcn::Label*> scoreLabels;
    // Gold, silver, bronze.
    std::vector<gcn::Label*> medalTimeLabels;
    gcn::Label* lastLabel = nullptr;
    // "could not save: REASON" while the last write failed, else empty.
    gcn::Label* saveErrorLabel = nullptr;
    // A track whose road or medal times could not be read, else empty.
    gcn::Label* contentLabel = nullptr;
    // Under the last time: where the last race left the road, or its lap times.
    gcn::Label* noteLabel = nullptr;
};
