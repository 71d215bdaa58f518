#pragma once
// The settings screen: one line a setting, Up and Down to choose, Left and
// Right (or Enter) to change, Enter on a control to bind it; "back" or
// Escape leaves. It shows a SettingsView and forwards every choice as an
// intent; the flow changes the settings.

#include <vector>

#include <guichan/actionlistener.hpp>

#include "gui/buttons.h"
#include "shell/settings_rules.h"

namespace gcn {
class Container;
class Label;
}

class MenuSettings : public gcn::ActionListener, public ButtonListener {
public:
    MenuSettings();

    // Writes the view's captions; focuses row focused.
    void refresh(const SettingsView& view, int focused);

    void action(const gcn::ActionEvent& actionEvent) override;
    void focusUp(ButtonTalker* button) override;
    void focusDown(ButtonTalker* button) override;
    void focusLeft(ButtonTalker* button) override;
    void focusRight(ButtonTalker* button) override;

    gcn::Container* container = nullptr;
    // In SettingsRow order; the last is "back".
    std::vector<ButtonTalker*> rows;
    gcn::Label* statusLabel = nullptr;

private:
    void moveFocus(int row);
};
