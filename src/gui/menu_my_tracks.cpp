#include "gui/menu_my_tracks.h"

#include <guichan.hpp>

#include "gui/intents.h"
#include "shell/game.h"

namespace {

const int kRowHeight = 24;
const int kTop = 70;
const int kLines = 3;

}  // namespace

MenuMyTracks::MenuMyTracks()
{
    container = new gcn::Container();
    container->setOpaque(false);
    container->setSize(800, 600);
    // Up only when the flow shows it: it lies over the track menu.
    container->setVisible(false);

    gcn::Label* title = new gcn::Label("my tracks");
    title->setFont(game.fontBig);
    title->setPosition(290, 16);
    title->adjustSize();
    container->add(title);

    for (int i = 0; i < myTracksShownRows; ++i) {
        ButtonLine* row = new ButtonLine();
        row->setFont(game.fontDefault);
        row->setPosition(150, kTop + i * kRowHeight);
        row->setSize(520, kRowHeight);
        row->setActionEventId("row");
        row->addActionListener(this);
        row->row = i;
        row->listener = this;
        row->setVisible(false);
        container->add(row);
        rows.push_back(row);
    }

    emptyLabel = new gcn::Label("");
    emptyLabel->setFont(game.fontDefault);
    emptyLabel->setPosition(150, kTop);
    emptyLabel->setSize(620, kRowHeight);
    container->add(emptyLabel);

    for (int i = 0; i < kLines; ++i) {
        gcn::Label* line = new gcn::Label("");
        line->setFont(game.fontDefault);
        line->setPosition(40, kTop + myTracksShownRows * kRowHeight + 10 + i * 20);
        line->setSize(720, 20);
        container->add(line);
        lineLabels.push_back(line);
    }

    const struct {
        const char* caption;
        int x;
    } row[] = {{"play", 40}, {"share", 170}, {"delete", 300}, {"new", 440}, {"edit", 540}, {"back", 680}};
    for (const auto& b : row) {
        ButtonBigText* button = new ButtonBigText(b.caption);
        button->setFont(game.fontBig);
        button->highlightFont = game.fontBigHighlight;
        button->setPosition(b.x, 550);
        button->adjustSize();
        button->setActionEventId(b.caption);
        button->addActionListener(this);
        button->sideKeys = true;
        button->listener = this;
        container->add(button);
        buttons.push_back(button);
    }
}

ButtonTalker* MenuMyTracks::rowOf(int index) const
{
    const int slot = index - shown.firstShown;
    if (slot < 0 || slot >= static_cast<int>(rows.size()) || slot >= static_cast<int>(shown.rows.size()))
        return nullptr;
    return rows[size_t(slot)];
}

void MenuMyTracks::refresh(const MyTracksView& view, bool focusChosen)
{
    shown = view;
    for (size_t i = 0; i < rows.size(); ++i) {
        const bool used = i < view.rows.size();
        rows[i]->setCaption(used ? view.rows[i] : std::string());
        rows[i]->setVisible(used);
        rows[i]->setFocusable(used);
    }
    emptyLabel->setCaption(view.emptyLine);
    for (size_t i = 0; i < lineLabels.size(); ++i)
        lineLabels[i]->setCaption(i < view.lines.size() ? view.lines[i] : std::string());
    if (!focusChosen || !container->isVisible())
        return;
    ButtonTalker* target = rowOf(view.chosen);
    if (!target && !buttons.empty())
        target = buttons.front();
    if (target)
        target->requestFocus();
}

void MenuMyTracks::chooseIndex(int index)
{
    // The focus moves at once, so keys that arrive together each find their line.
    if (ButtonTalker* target = rowOf(index))
        target->requestFocus();
    reportIntent(IntentKind::chooseMyTrack, std::to_string(index));
}

void MenuMyTracks::action(const gcn::ActionEvent& actionEvent)
{
    const std::string& id = actionEvent.getId();
    if (id == "row") {
        const ButtonTalker* source = dynamic_cast<ButtonTalker*>(actionEvent.getSource());
        if (!source)
            return;
        const int index = shown.firstShown + source->row;
        // Enter or a click on the chosen line plays it; on another, chooses it.
        if (index == shown.chosen)
            reportIntent(IntentKind::playMyTrack);
        else
            chooseIndex(index);
    } else if (id == "play") {
        reportIntent(IntentKind::playMyTrack);
    } else if (id == "share") {
        reportIntent(IntentKind::shareMyTrack);
    } else if (id == "delete") {
        reportIntent(IntentKind::deleteMyTrack);
    } else if (id == "new") {
        reportIntent(IntentKind::newTrack);
    } else if (id == "edit") {
        reportIntent(IntentKind::editTrack);
    } else if (id == "back") {
        reportIntent(IntentKind::leaveMyTracks);
    }
}

static bool inRow(const std::vector<ButtonTalker*>& row, const ButtonTalker* button)
{
    for (const ButtonTalker* b : row)
        if (b == button)
            return true;
    return false;
}

void MenuMyTracks::focusUp(ButtonTalker* button)
{
    if (inRow(buttons, button)) {
        if (ButtonTalker* target = rowOf(shown.chosen))
            target->requestFocus();
        return;
    }
    const int index = shown.firstShown + button->row;
    if (index > 0)
        chooseIndex(index - 1);
}

void MenuMyTracks::focusDown(ButtonTalker* button)
{
    if (inRow(buttons, button))
        return;
    const int index = shown.firstShown + button->row;
    if (index + 1 < shown.count)
        chooseIndex(index + 1);
    else if (!buttons.empty())
        buttons.front()->requestFocus();
}

void MenuMyTracks::focusLeft(ButtonTalker* button)
{
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] == button)
            buttons[(i + buttons.size() - 1) % buttons.size()]->requestFocus();
}

void MenuMyTracks::focusRight(ButtonTalker* button)
{
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] == button)
            buttons[(i + 1) % buttons.size()]->requestFocus();
}
