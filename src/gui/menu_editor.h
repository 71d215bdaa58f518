#pragma once
// The track editor's screen: the plan's lines above the picture of the road
// (drawn by the renderer beneath the GUI) and the keys below it. It holds no
// focusable widget: every key and click goes to the editor's flow, which
// hands this menu an EditorView to show.

#include <vector>

#include "shell/editor_flow.h"

namespace gcn {
class Container;
class Label;
}

class MenuEditor {
public:
    MenuEditor();
    void refresh(const EditorView& view);

    gcn::Container* container = nullptr;
    gcn::Label* titleLabel = nullptr;
    gcn::Label* planLabel = nullptr;
    gcn::Label* cornerLabel = nullptr;
    gcn::Label* faultLabel = nullptr;
    gcn::Label* validationLabel = nullptr;
    std::vector<gcn::Label*> keyLabels;
    gcn::Label* statusLabel = nullptr;
};
