#pragma once
// The analysis screen after a finish: the run against its reference sector
// by sector, the totals, the theoretical best, the sector that lost most
// (marked) and the gap graph's place; "practice" (left and right choose the
// joint) and "back". It shows the view it is handed and forwards the keys.

#include <string>
#include <vector>

#include <guichan/actionlistener.hpp>

#include "gui/buttons.h"
#include "render/gap_graph.h"
#include "shell/analysis_view.h"

namespace gcn {
class Container;
class Label;
}

// A row's first text: the worst sector's label is marked with a star.
std::string analysisRowLabel(const AnalysisRow& row);

class MenuAnalysis : public gcn::ActionListener, public ButtonListener {
public:
    MenuAnalysis();

    // Writes every line of view and focuses "practice" (or "back" when
    // nothing can be practised); practiceLine is what the last practice said.
    void show(const AnalysisView& view, const std::string& practiceCaption, const std::string& practiceLine);
    void showPractice(const std::string& caption);
    void showTheoreticalBest(const std::string& line);

    // The graph's place on the window now, with the view's lines.
    GapGraphView graphView() const;

    void action(const gcn::ActionEvent& actionEvent) override;
    void focusUp(ButtonTalker* button) override;
    void focusDown(ButtonTalker* button) override;
    void focusLeft(ButtonTalker* button) override;
    void focusRight(ButtonTalker* button) override;

    gcn::Container* container = nullptr;
    gcn::Label* titleLabel = nullptr;
    gcn::Label* timeLabel = nullptr;
    gcn::Label* referenceLabel = nullptr;
    // The total difference in the HUD's colours.
    gcn::Label* differenceLabel = nullptr;
    gcn::Label* theoreticalLabel = nullptr;
    gcn::Label* worstLabel = nullptr;
    gcn::Label* practiceLabel = nullptr;
    // Per sector: its label, this run's time, the reference's, the difference.
    std::vector<std::vector<gcn::Label*>> rowLabels;
    ButtonBigText* practiceButton = nullptr;
    ButtonBigText* backButton = nullptr;
    // Where the graph is drawn, in the container.
    int32_t graphX = 430;
    int32_t graphY = 60;
    int32_t graphWidth = 330;
    int32_t graphHeight = 140;
    std::vector<GapLine> graph;
    int64_t graphScale = 1;
};
