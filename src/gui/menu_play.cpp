#include "gui/menu_play.h"

#include <SDL.h>
#include <cstring>
#include <guichan.hpp>

#include "assets/data_dir.h"
#include "assets/models.h"
#include "gui/gui_common.h"
#include "gui/hud.h"
#include "gui/menu_track.h"
#include "save/ghost_shelf.h"
#include "save/runs.h"
#include "shell/game.h"
#include "shell/main_loop.h"
#include "shell/screens.h"
#include "shell/shelf_files.h"
#include "shell/watch_screen.h"
#include "track/track.h"

// The score and medal lines: the time text with a trailing space.
static std::string formatTimeSpaced(double seconds) { return formatTime(seconds) + " "; }

static gcn::Label* makeLabel(gcn::Container* container, const char* caption, int x, int y)
{
    gcn::Label* label = new gcn::Label(caption);
    label->setFont(game.fontDefault);
    label->setSize(500, 40);
    label->setPosition(x, y);
    container->add(label);
    return label;
}

static ButtonBigText* makeButton(gcn::Container* container, const char* caption, int x, int y,
                                 const char* eventId, gcn::ActionListener* menu)
{
    ButtonBigText* button = new ButtonBigText(caption);
    button->setFont(game.fontBig);
    button->highlightFont = game.fontBigHighlight;
    button->setPosition(x, y);
    button->adjustSize();
    button->setActionEventId(eventId);
    button->addActionListener(menu);
    container->add(button);
    return button;
}

static void addMedalIcon(gcn::Container* container, gcn::Image* image, int x)
{
    gcn::Icon* icon = image ? new gcn::Icon(image) : new gcn::Icon();
    icon->setPosition(x, 170);
    icon->setSize(64, 64);
    container->add(icon);
}

MenuPlay::MenuPlay()
{
    container = new gcn::Container();
    container->setOpaque(false);
    container->setSize(game.screenWidth, game.screenHeight);
    container->setPosition(0, 0);

    // Sized for a two-character track name; later captions keep this size.
    playButton = makeButton(container, "play ##", 300, 100, "play", this);
    lastLabel = makeLabel(container, "previous -:--.--", 300, 250);
    for (int i = 0; i < 5; ++i)
        scoreLabels.push_back(makeLabel(container, "-:--.--", 300, 300 + 20 * i));
    addMedalIcon(container, game.medalGold, 200);
    addMedalIcon(container, game.medalSilver, 350);
    addMedalIcon(container, game.medalBronze, 500);
    for (int j = 0; j < 3; ++j)
        medalTimeLabels.push_back(makeLabel(container, "-:--.--", 270 + 150 * j, 185));
    watchButton = makeButton(container, "watch", 300, 480, "watch", this);
    watchButton->setVisible(false);
    ButtonBigText* back = makeButton(container, "back", 490, 550, "back", this);
    rivalButton = makeButton(container, "rival: best run", 300, 430, "rival", this);
    rivalButton->setVisible(false);
    // Status lines sit at the top, clear of the buttons and the scores.
    saveErrorLabel = makeLabel(container, "", 20, 20);
    saveErrorLabel->setWidth(760);
    rejectedLabel = makeLabel(container, "", 20, 40);
    rejectedLabel->setWidth(760);
    rejectedLabel->setVisible(false);
    contentLabel = makeLabel(container, "", 20, 60);
    contentLabel->setWidth(760);

    // Between the last time and the scores, clear of both texts.
    noteLabel = makeLabel(container, "", 300, 270);

    buttons = {playButton, rivalButton, watchButton, back};
    for (size_t k = 0; k < buttons.size(); ++k) {
        buttons[k]->row = static_cast<int32_t>(k);
        buttons[k]->listener = this;
    }
}

void MenuPlay::refresh()
{
    container->setFocusable(false);
    if (!buttons.empty())
        buttons[0]->requestFocus();
    guiLogicStep();

    // Reloaded every time: a finished run comes back here with fresh files.
    loadTrack(game.track, game.save.trackName);
    loadArea(game.area, game.save.trackName);

    // A road that did not load cannot be raced or watched.
    const bool roadLoaded = !game.track.segments.empty();
    contentLabel->setCaption(contentFaultLine(game.save.trackName, roadLoaded, game.area.timesRead));
    playButton->setVisible(roadLoaded);
    (roadLoaded ? buttons.front() : buttons.back())->requestFocus();
    playButton->setCaption("play " + game.save.trackName);
    if (game.run.ticks != 0)
        lastLabel->setCaption("last " + formatTime(game.run.ticks * game.stepSeconds));
    else
        lastLabel->setCaption("last -:--.--");
    noteLabel->setCaption(game.raceNote);

    TrackRecord& record = recordFor(game.save, game.save.trackName);
    // A best run on a road that did not load has nothing to be watched on.
    watchButton->setVisible(!record.ghostRun.empty() && roadLoaded);
    sortScores(record.scores);
    for (size_t i = 0; i < scoreLabels.size(); ++i) {
        if (i < record.scores.size()) {
            const ScoreEntry& score = record.scores[i];
            scoreLabels[i]->setCaption(formatTimeSpaced(score.ticks * game.stepSeconds) +
                                       shownName(score.playerName));
        } else {
            scoreLabels[i]->setCaption("-:--.--");
        }
    }
    const double targets[3] = {game.area.goldSeconds, game.area.silverSeconds,
                               game.area.bronzeSeconds};
    for (size_t j = 0; j < medalTimeLabels.size() && j < 3; ++j)
        medalTimeLabels[j]->setCaption(formatTimeSpaced(targets[j]));
    showSaveResult();

    Sha256Digest trackHash{};
    bool haveHash = hashTrackFile(dataDir, game.save.trackName, trackHash);
    // The files are judged over the next frames; this frame does its share.
    beginShelf(game.ghosts, ghostFolder(), game.save.trackName, trackHash, haveHash);
    stepShelf(game.ghosts, game.track, &record, menuFrameShelfBudget);
    showShelf();

    // A run that finishes outside the five best is recorded after this
    // refresh, so it can only store the ghost run again.
    game.run.controls = record.ghostRun;
    std::memcpy(game.run.startState.data(), record.ghostStart.data(), game.run.startState.size());
}

void MenuPlay::showSaveResult() { saveErrorLabel->setCaption(game.saveStatus.writeError); }

void MenuPlay::showShelf()
{
    // The shelf's files were read anew: the race that just ended must not keep
    // pointing at the records it held before.
    game.race.ghostRun = raceRivalRun(game);
    showRival();
    std::string line = rejectedLine(game.ghosts);
    rejectedLabel->setCaption(line);
    rejectedLabel->setVisible(!line.empty());
}

void MenuPlay::showRival()
{
    rivalButton->setVisible(!game.ghosts.offered.empty());
    const ShelfEntry* rival = rivalEntry(game.ghosts);
    std::string caption;
    if (rival)
        // A shared file may carry a name of any length; the button stays on screen.
        caption = "rival: " + rival->ghost.playerName.substr(0, 20) + " " +
                  formatTime(rival->ghost.ticks * game.stepSeconds);
    else if (!recordFor(game.save, game.save.trackName).ghostRun.empty())
        caption = "rival: best run";
    else
        caption = "rival: none";
    rivalButton->setCaption(caption);
    rivalButton->adjustSize();
}

void MenuPlay::action(const gcn::ActionEvent& actionEvent)
{
    const std::string& id = actionEvent.getId();
    if (id == "rival") {
        cycleRival(game.ghosts);
        keepRivalChoice(game);
        game.race.ghostRun = raceRivalRun(game);
        showRival();
    } else if (id == "back") {
        showScreen(Screen::trackMenu);
        if (game.menuTrack)
            game.menuTrack->refresh();
    } else if (id == "play") {
        showScreen(Screen::race);
        startRace(game);
    } else if (id == "watch") {
        if (startWatchAt(game, static_cast<double>(SDL_GetTicks())))
            showScreen(Screen::watch);
    }
}

void MenuPlay::focusUp(ButtonTalker* button)
{
    int n = static_cast<int>(buttons.size());
    for (int step = 1; step <= n; ++step) {
        ButtonTalker* target = buttons[(n + button->row - step) % n];
        target->requestFocus();
        if (target->isVisible())
            return;
    }
}

void MenuPlay::focusDown(ButtonTalker* button)
{
    int n = static_cast<int>(buttons.size());
    for (int step = 1; step <= n; ++step) {
        ButtonTalker* target = buttons[(button->row + n + step) % n];
        target->requestFocus();
        if (target->isVisible())
            return;
    }
}
