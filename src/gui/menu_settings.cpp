#include "gui/menu_settings.h"

#include <guichan.hpp>
#include <string>

#include "gui/intents.h"
#include "shell/game.h"

namespace {

const int kRowHeight = 22;
const int kTop = 60;

// Where a control's joystick button is written, clear of its two keys.
const int kSideX = 320;

}  // namespace

MenuSettings::MenuSettings()
{
    container = new gcn::Container();
    container->setOpaque(false);
    container->setSize(800, 600);

    gcn::Label* title = new gcn::Label("settings");
    title->setFont(game.fontBig);
    title->setPosition(300, 10);
    title->adjustSize();
    container->add(title);

    for (int i = 0; i < settingsRowCount; ++i) {
        ButtonLine* row = new ButtonLine();
        row->sideKeys = true;
        row->sideX = kSideX;
        row->setFont(game.fontDefault);
        row->setPosition(150, kTop + i * kRowHeight);
        row->setSize(500, kRowHeight);
        row->setActionEventId("row");
        row->addActionListener(this);
        row->row = i;
        row->listener = this;
        container->add(row);
        rows.push_back(row);
    }

    statusLabel = new gcn::Label("");
    statusLabel->setFont(game.fontDefault);
    statusLabel->setPosition(60, kTop + settingsRowCount * kRowHeight + 8);
    statusLabel->setSize(700, 30);
    container->add(statusLabel);
}

void MenuSettings::refresh(const SettingsView& view, int focused)
{
    for (size_t i = 0; i < rows.size() && i < view.rows.size(); ++i) {
        rows[i]->setCaption(view.rows[i]);
        if (i < view.buttons.size())
            static_cast<ButtonLine*>(rows[i])->side = view.buttons[i];
    }
    statusLabel->setCaption(view.status);
    if (focused >= 0 && static_cast<size_t>(focused) < rows.size() && container->isVisible())
        rows[size_t(focused)]->requestFocus();
}

void MenuSettings::action(const gcn::ActionEvent& actionEvent)
{
    for (ButtonTalker* row : rows)
        if (row == actionEvent.getSource())
            reportIntent(IntentKind::changeSetting, std::to_string(row->row) + " 0");
}

// The focus moves at once, so keys that arrive together each find their row;
// the flow hears of it to keep the row across a refresh.
void MenuSettings::moveFocus(int row)
{
    rows[size_t(row)]->requestFocus();
    reportIntent(IntentKind::focusSetting, std::to_string(row));
}

void MenuSettings::focusUp(ButtonTalker* button)
{
    const int n = static_cast<int>(rows.size());
    moveFocus((button->row + n - 1) % n);
}

void MenuSettings::focusDown(ButtonTalker* button)
{
    const int n = static_cast<int>(rows.size());
    moveFocus((button->row + 1) % n);
}

void MenuSettings::focusLeft(ButtonTalker* button)
{
    reportIntent(IntentKind::changeSetting, std::to_string(button->row) + " -1");
}

void MenuSettings::focusRight(ButtonTalker* button)
{
    reportIntent(IntentKind::changeSetting, std::to_string(button->row) + " 1");
}
