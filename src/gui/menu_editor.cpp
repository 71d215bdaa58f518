#include "gui/menu_editor.h"

#include <guichan.hpp>

#include "shell/game.h"

namespace {

gcn::Label* line(gcn::Container* container, gcn::Font* font, int x, int y)
{
    gcn::Label* label = new gcn::Label("");
    label->setFont(font);
    label->setPosition(x, y);
    label->setSize(760, 18);
    container->add(label);
    return label;
}

} // namespace

MenuEditor::MenuEditor()
{
    container = new gcn::Container();
    container->setOpaque(false);
    container->setSize(800, 600);
    // Hidden until the editor opens: on top of the others it would take their clicks.
    container->setVisible(false);
    titleLabel = line(container, game.fontBig, 30, 10);
    titleLabel->setSize(760, 34);
    planLabel = line(container, game.fontDefault, 30, 48);
    cornerLabel = line(container, game.fontDefault, 30, 66);
    faultLabel = line(container, game.fontDefault, 30, 84);
    validationLabel = line(container, game.fontDefault, 30, 102);
    for (int i = 0; i < 4; ++i)
        keyLabels.push_back(line(container, game.fontDefault, 30, 458 + 18 * i));
    statusLabel = line(container, game.fontDefault, 30, 534);
}

void MenuEditor::refresh(const EditorView& view)
{
    titleLabel->setCaption(view.title);
    planLabel->setCaption(view.plan);
    cornerLabel->setCaption(view.corner);
    faultLabel->setCaption(view.fault);
    validationLabel->setCaption(view.validation);
    for (size_t i = 0; i < keyLabels.size(); ++i)
        keyLabels[i]->setCaption(i < view.keys.size() ? view.keys[i] : "");
    statusLabel->setCaption(view.status);
}
