#include "gui/menu_analysis.h"

#include <guichan.hpp>

#include "gui/gui_common.h"
#include "gui/intents.h"
#include "shell/game.h"

namespace {

// Rows a column holds: the run-up and one lap of at most twelve sectors.
constexpr int rowsPerColumn = 13;
constexpr int rowHeight = 16;
// Where each of a row's four texts starts within its column.
constexpr int columnOffsets[4] = {0, 60, 140, 220};

gcn::Label* makeLabel(gcn::Container* container, gcn::Font* font, int x, int y, int width)
{
    gcn::Label* label = new gcn::Label("");
    label->setFont(font);
    label->setPosition(x, y);
    label->setSize(width, font ? font->getHeight() + 2 : 20);
    container->add(label);
    return label;
}

}  // namespace

std::string analysisRowLabel(const AnalysisRow& row) { return row.worst ? "*" + row.label : row.label; }

MenuAnalysis::MenuAnalysis()
{
    container = new gcn::Container();
    container->setOpaque(false);
    container->setSize(game.screenWidth, game.screenHeight);
    container->setPosition(0, 0);
    // Over the other menus and only ever opened after a finish: hidden until then.
    container->setVisible(false);

    titleLabel = makeLabel(container, game.fontBig, 40, 20, 380);
    timeLabel = makeLabel(container, game.fontDefault, 40, 70, 380);
    referenceLabel = makeLabel(container, game.fontDefault, 40, 90, 380);
    differenceLabel = makeLabel(container, game.fontAhead ? game.fontAhead : game.fontBig, 40, 110, 380);
    theoreticalLabel = makeLabel(container, game.fontDefault, 40, 160, 380);
    worstLabel = makeLabel(container, game.fontDefault, 40, 180, 380);

    // Two columns: the run-up and lap 1, then lap 2.
    for (int i = 0; i < 2 * rowsPerColumn; ++i) {
        const int x = 40 + (i / rowsPerColumn) * 370;
        const int y = 215 + (i % rowsPerColumn) * rowHeight;
        std::vector<gcn::Label*> row;
        for (int c = 0; c < 4; ++c)
            row.push_back(makeLabel(container, game.fontDefault, x + columnOffsets[c], y, 80));
        rowLabels.push_back(row);
    }
    practiceLabel = makeLabel(container, game.fontDefault, 40, 435, 720);

    practiceButton = new ButtonChoice("practice");
    backButton = new ButtonBigText("back");
    int y = 480;
    for (ButtonBigText* button : {static_cast<ButtonBigText*>(practiceButton), backButton}) {
        button->setFont(game.fontBig);
        button->highlightFont = game.fontBigHighlight;
        button->setPosition(button == backButton ? 490 : 40, button == backButton ? 550 : y);
        button->adjustSize();
        button->setActionEventId(button == backButton ? "back" : "practice");
        button->addActionListener(this);
        button->listener = this;
        container->add(button);
    }
}

void MenuAnalysis::show(const AnalysisView& view, const std::string& practiceCaption, const std::string& practiceLine)
{
    container->setFocusable(false);
    const bool practice = view.practiceSector > 0;
    practiceButton->setVisible(practice);
    (practice ? practiceButton : backButton)->requestFocus();
    guiLogicStep();

    titleLabel->setCaption(view.title);
    timeLabel->setCaption(view.timeLine);
    referenceLabel->setCaption(view.referenceLine);
    gcn::Font* difference = view.behind ? game.fontBehind : game.fontAhead;
    differenceLabel->setFont(difference ? difference : game.fontBig);
    differenceLabel->setCaption(view.differenceText);
    theoreticalLabel->setCaption(view.theoreticalLine);
    worstLabel->setCaption(view.worstLine);
    practiceLabel->setCaption(practiceLine);

    // Lap 2's sectors start the second column whatever lap 1 left out.
    std::vector<const AnalysisRow*> slots(rowLabels.size(), nullptr);
    size_t firstColumn = 0;
    size_t secondColumn = rowsPerColumn;
    for (const AnalysisRow& row : view.rows) {
        const bool lapTwo = row.lap >= 2;
        size_t& next = lapTwo ? secondColumn : firstColumn;
        if (next < (lapTwo ? slots.size() : size_t(rowsPerColumn)))
            slots[next++] = &row;
    }
    for (size_t i = 0; i < rowLabels.size(); ++i) {
        const AnalysisRow* row = slots[i];
        rowLabels[i][0]->setCaption(row ? analysisRowLabel(*row) : "");
        rowLabels[i][1]->setCaption(row ? row->timeText : "");
        rowLabels[i][2]->setCaption(row ? row->referenceText : "");
        rowLabels[i][3]->setCaption(row ? row->deltaText : "");
    }
    graph = view.graph;
    graphScale = view.gapScale;
    showPractice(practiceCaption);
}

void MenuAnalysis::showTheoreticalBest(const std::string& line) { theoreticalLabel->setCaption(line); }

void MenuAnalysis::showPractice(const std::string& caption)
{
    practiceButton->setCaption(caption);
    practiceButton->adjustSize();
}

GapGraphView MenuAnalysis::graphView() const
{
    GapGraphView view;
    int x = 0;
    int y = 0;
    container->getAbsolutePosition(x, y);
    view.x = x + graphX;
    view.y = y + graphY;
    view.width = graphWidth;
    view.height = graphHeight;
    view.lines = graph;
    view.scale = graphScale;
    return view;
}

void MenuAnalysis::action(const gcn::ActionEvent& actionEvent)
{
    const std::string& id = actionEvent.getId();
    if (id == "practice")
        reportIntent(IntentKind::practice);
    else if (id == "back")
        reportIntent(IntentKind::leaveAnalysis);
}

void MenuAnalysis::focusUp(ButtonTalker* button) { focusDown(button); }

void MenuAnalysis::focusDown(ButtonTalker* button)
{
    if (button == backButton && practiceButton->isVisible())
        practiceButton->requestFocus();
    else
        backButton->requestFocus();
}

void MenuAnalysis::focusLeft(ButtonTalker* button)
{
    if (button == practiceButton)
        reportIntent(IntentKind::practiceEarlier);
}

void MenuAnalysis::focusRight(ButtonTalker* button)
{
    if (button == practiceButton)
        reportIntent(IntentKind::practiceLater);
}
