#include "gui/menu_save_score.h"

#include <guichan.hpp>

#include "gui/gui_common.h"
#include "gui/intents.h"
#include "shell/game.h"

static gcn::Label* makeLabel(gcn::Container* container, const char* caption, int y)
{
    gcn::Label* label = new gcn::Label(caption);
    label->setFont(game.fontBig);
    label->setPosition(300, y);
    label->setSize(500, 40);
    container->add(label);
    return label;
}

MenuSaveScore::MenuSaveScore()
{
    container = new gcn::Container();
    container->setOpaque(false);
    container->setSize(game.screenWidth, game.screenHeight);
    container->setPosition(0, 0);

    titleLabel = makeLabel(container, "You got a high score!", 100);
    timeLabel = makeLabel(container, "-:--.--", 150);

    nameBox = new TextBoxName();
    nameBox->setFont(game.fontBig);
    nameBox->setPosition(300, 200);
    nameBox->setActionEventId("name");
    nameBox->setOpaque(false);
    // The caret is drawn in the foreground colour; black would vanish over
    // the dark scenery.
    nameBox->setForegroundColor(gcn::Color(255, 255, 255));
    nameBox->addActionListener(this);
    container->add(nameBox);

    doneButton = new ButtonBigText("done");
    doneButton->setFont(game.fontBig);
    doneButton->highlightFont = game.fontBigHighlight;
    doneButton->setPosition(490, 550);
    doneButton->adjustSize();
    doneButton->setActionEventId("done");
    doneButton->addActionListener(this);
    doneButton->listener = this;
    container->add(doneButton);

    analysisButton = new ButtonBigText("analysis");
    analysisButton->setFont(game.fontBig);
    analysisButton->highlightFont = game.fontBigHighlight;
    analysisButton->setPosition(300, 480);
    analysisButton->adjustSize();
    analysisButton->setActionEventId("analysis");
    analysisButton->addActionListener(this);
    analysisButton->listener = this;
    analysisButton->setVisible(false);
    container->add(analysisButton);

    lapsLabel = new gcn::Label("");
    lapsLabel->setFont(game.fontDefault);
    lapsLabel->setPosition(300, 260);
    lapsLabel->setSize(500, 40);
    container->add(lapsLabel);

    nextLabel = new gcn::Label("");
    nextLabel->setFont(game.fontDefault);
    nextLabel->setPosition(300, 280);
    nextLabel->setSize(500, 40);
    container->add(nextLabel);
}

void MenuSaveScore::show(const SaveScoreView& view)
{
    container->setFocusable(false);
    nameBox->setFocusable(true);
    nameBox->requestFocus();
    nameBox->setText(view.name);
    // Typing extends the name; Backspace shortens it.
    nameBox->setCaretPosition(static_cast<unsigned>(view.name.size()));
    guiLogicStep();
    timeLabel->setCaption(view.timeText);
    lapsLabel->setCaption(view.note);
    analysisButton->setVisible(view.analysisShown);
    nextLabel->setCaption(view.nextToBeat);
}

void MenuSaveScore::action(const gcn::ActionEvent& actionEvent)
{
    const std::string& id = actionEvent.getId();
    if (id == "done")
        // The whole text as typed; an empty name is a valid name.
        reportIntent(IntentKind::confirmName, nameBox->getText());
    else if (id == "name")
        doneButton->requestFocus();
    else if (id == "analysis")
        reportIntent(IntentKind::analysis);
}

void MenuSaveScore::focusUp(ButtonTalker* button)
{
    if (button == analysisButton)
        doneButton->requestFocus();
    else
        nameBox->requestFocus();
}

void MenuSaveScore::focusDown(ButtonTalker* button)
{
    if (button == doneButton && analysisButton->isVisible())
        analysisButton->requestFocus();
    else
        nameBox->requestFocus();
}
