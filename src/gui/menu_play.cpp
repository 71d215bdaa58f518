#include "gui/menu_play.h"

#include <guichan.hpp>

#include "gui/gui_common.h"
#include "gui/intents.h"
#include "shell/game.h"
#include "sim/time_text.h"

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
    // Bottom left, under the line of the ghosts it races and clear of
    // "watch", which its longest caption would touch on watch's row.
    ButtonChoice* choice = new ButtonChoice("ghost bronze: racing");
    choice->setFont(game.fontBig);
    choice->highlightFont = game.fontBigHighlight;
    choice->setPosition(20, 550);
    choice->adjustSize();
    choice->setActionEventId("ghosts");
    choice->addActionListener(this);
    container->add(choice);
    choice->setVisible(false);
    ghostsButton = choice;
    ghostsLabel = makeLabel(container, "", 20, 520);
    ghostsLabel->setWidth(270);
    // Status lines sit at the top, clear of the buttons and the scores.
    saveErrorLabel = makeLabel(container, "", 20, 20);
    saveErrorLabel->setWidth(760);
    rejectedLabel = makeLabel(container, "", 20, 40);
    rejectedLabel->setWidth(760);
    rejectedLabel->setVisible(false);
    contentLabel = makeLabel(container, "", 20, 60);
    contentLabel->setWidth(760);
    nextLabel = makeLabel(container, "", 20, 80);
    nextLabel->setWidth(760);

    // Between the last time and the scores, clear of both texts.
    noteLabel = makeLabel(container, "", 300, 270);
    // Under the five scores, above the rival.
    statsLabel = makeLabel(container, "", 300, 400);

    // Left of the scores and the rival, above the ghosts button.
    analysisButton = makeButton(container, "analysis", 20, 380, "analysis", this);
    analysisButton->setVisible(false);
    practiceButton = new ButtonChoice("practice");
    practiceButton->setFont(game.fontBig);
    practiceButton->highlightFont = game.fontBigHighlight;
    practiceButton->setPosition(20, 430);
    practiceButton->adjustSize();
    practiceButton->setActionEventId("practice");
    practiceButton->addActionListener(this);
    practiceButton->setVisible(false);
    container->add(practiceButton);

    buttons = {playButton, rivalButton, ghostsButton, watchButton, analysisButton, practiceButton, back};
    for (size_t k = 0; k < buttons.size(); ++k) {
        buttons[k]->row = static_cast<int32_t>(k);
        buttons[k]->listener = this;
    }
}

void MenuPlay::refresh(const PlayMenuView& view)
{
    container->setFocusable(false);
    playButton->setVisible(view.playShown);
    (view.playShown ? buttons.front() : buttons.back())->requestFocus();
    guiLogicStep();

    contentLabel->setCaption(view.contentLine);
    playButton->setCaption(view.playCaption);
    // Wide enough for a player track's longer name; never narrower than made.
    const int madeWidth = playButton->getWidth();
    playButton->adjustSize();
    if (playButton->getWidth() < madeWidth)
        playButton->setWidth(madeWidth);
    lastLabel->setCaption(view.lastLine);
    noteLabel->setCaption(view.note);
    nextLabel->setCaption(view.nextToBeat);
    statsLabel->setCaption(view.statsLine);
    watchButton->setVisible(view.watchShown);
    for (size_t i = 0; i < scoreLabels.size(); ++i)
        scoreLabels[i]->setCaption(i < view.scoreLines.size() ? view.scoreLines[i] : noTimeText);
    for (size_t j = 0; j < medalTimeLabels.size(); ++j)
        medalTimeLabels[j]->setCaption(j < view.medalLines.size() ? view.medalLines[j] : noTimeText);
    showSaveResult(view.saveError);
    showRival(view.rivalShown, view.rivalCaption);
    showGhosts(view.ghostsCaption, view.ghostsLine);
    showRejected(view.rejectedLine);
    analysisButton->setVisible(view.analysisShown);
    showPractice(view.practiceShown, view.practiceCaption);
}

void MenuPlay::showPractice(bool shown, const std::string& caption)
{
    practiceButton->setVisible(shown);
    practiceButton->setCaption(caption);
    practiceButton->adjustSize();
}

void MenuPlay::focusLeft(ButtonTalker* button)
{
    if (button == practiceButton)
        reportIntent(IntentKind::practiceEarlier);
    else if (button == ghostsButton)
        reportIntent(IntentKind::nextGhost, "left");
}

void MenuPlay::focusRight(ButtonTalker* button)
{
    if (button == practiceButton)
        reportIntent(IntentKind::practiceLater);
    else if (button == ghostsButton)
        reportIntent(IntentKind::nextGhost, "right");
}

void MenuPlay::showRejected(const std::string& line)
{
    rejectedLabel->setCaption(line);
    rejectedLabel->setVisible(!line.empty());
}

void MenuPlay::showSaveResult(const std::string& writeError) { saveErrorLabel->setCaption(writeError); }

void MenuPlay::showRival(bool shown, const std::string& caption)
{
    rivalButton->setVisible(shown);
    rivalButton->setCaption(caption);
    rivalButton->adjustSize();
}

void MenuPlay::showGhosts(const std::string& caption, const std::string& line)
{
    ghostsButton->setVisible(!caption.empty());
    ghostsButton->setCaption(caption);
    ghostsButton->adjustSize();
    ghostsLabel->setCaption(line);
}

void MenuPlay::action(const gcn::ActionEvent& actionEvent)
{
    const std::string& id = actionEvent.getId();
    if (id == "rival")
        reportIntent(IntentKind::cycleRival);
    else if (id == "back")
        reportIntent(IntentKind::backToTracks);
    else if (id == "play")
        reportIntent(IntentKind::play);
    else if (id == "ghosts")
        reportIntent(IntentKind::toggleGhost);
    else if (id == "watch")
        reportIntent(IntentKind::watch);
    else if (id == "analysis")
        reportIntent(IntentKind::analysis);
    else if (id == "practice")
        reportIntent(IntentKind::practice);
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
