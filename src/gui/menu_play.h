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

// Everything the play menu shows, made by the shell for the current track.
struct PlayMenuView {
    // "play 00".
    std::string playCaption;
    // "last 1:25.99", or "last -:--.--" before a finish.
    std::string lastLine;
    // Where the last race left the road, or its lap times.
    std::string note;
    // After a finish: the medal it beat and the next ("silver: 1.37 to go").
    std::string nextToBeat;
    // Best first, five lines: "1:25.99 NAME " or "-:--.--".
    std::vector<std::string> scoreLines;
    // Gold, silver, bronze target times, each with a trailing space.
    std::vector<std::string> medalLines;
    bool watchShown = false;
    bool rivalShown = false;
    std::string rivalCaption;
    // The ghosts button ("ghost silver: racing"), hidden when empty, and the
    // ghosts the next race runs ("ghosts: best run, silver").
    std::string ghostsCaption;
    std::string ghostsLine;
    // How many ghost files were rejected; empty when none.
    std::string rejectedLine;
    // "could not save: REASON" while the last write failed, else empty.
    std::string saveError;
    // How often the track was raced: "12 races, 5 finished, ..."; empty when unknown.
    std::string statsLine;
    // "track NN could not be loaded" or the medal times' fault; else empty.
    std::string contentLine;
    // False when the road did not load: nothing can be raced, and the focus
    // starts on "back".
    bool playShown = true;
    // "analysis" of the last finish on this track, and "practice from 1.3".
    bool analysisShown = false;
    bool practiceShown = false;
    std::string practiceCaption;
};

class MenuPlay : public gcn::ActionListener, public ButtonListener {
public:
    MenuPlay();

    // Focuses "play" and writes every line of view; loads nothing.
    void refresh(const PlayMenuView& view);

    // The one line about a failed write.
    void showSaveResult(const std::string& writeError);

    // The rival button's caption and visibility.
    void showRival(bool shown, const std::string& caption);
    // The ghosts button's caption (hidden when empty) and the ghosts line.
    void showGhosts(const std::string& caption, const std::string& line);
    // The line about the ghost files: how many were rejected, how many wait.
    void showRejected(const std::string& line);
    // The practice button's caption and visibility.
    void showPractice(bool shown, const std::string& caption);

    // "play", "rival", "watch" and "back" become intents for the flow.
    void action(const gcn::ActionEvent& actionEvent) override;
    void focusUp(ButtonTalker* button) override;
    void focusDown(ButtonTalker* button) override;
    // Left and right on "practice" choose its joint, on the ghosts button
    // the medal ghost shown.
    void focusLeft(ButtonTalker* button) override;
    void focusRight(ButtonTalker* button) override;

    gcn::Container* container = nullptr;
    ButtonBigText* playButton = nullptr;
    // Visible only while the track has a best run.
    ButtonBigText* watchButton = nullptr;
    // Cycles the rival; shown only while the track has verified ghost files.
    ButtonBigText* rivalButton = nullptr;
    // The last finish's analysis, and practice from a joint of the rival.
    ButtonBigText* analysisButton = nullptr;
    ButtonChoice* practiceButton = nullptr;
    // Adds or drops a medal ghost (Enter), Left and Right show the next;
    // shown only while the track ships medal ghosts.
    ButtonTalker* ghostsButton = nullptr;
    // The ghosts the next race runs.
    gcn::Label* ghostsLabel = nullptr;
    // How many ghost files were rejected; empty and hidden when none.
    gcn::Label* rejectedLabel = nullptr;
    // Keyboard order: "play", "rival", "ghosts", "watch", "analysis",
    // "practice", "back"; hidden buttons are skipped.
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
    // Under the status lines: the medal the last finish beat and the next.
    gcn::Label* nextLabel = nullptr;
    // Under the scores: how often the track was raced.
    gcn::Label* statsLabel = nullptr;
};
