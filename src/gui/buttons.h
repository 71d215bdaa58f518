#pragma once
// Keyboard-driven menu widgets: buttons that report arrow keys to their menu,
// a text button drawn in a highlight font while focused, the picture button of
// the track grid, and the one-line name box.

#include "save/progress.h"
#include <cstdint>
#include <string>

#include <guichan/widgets/button.hpp>
#include <guichan/widgets/textbox.hpp>

namespace gcn {
class Font;
class Image;
}
class ButtonTalker;

// What a menu does with the arrow keys; each gets the button that had the key.
class ButtonListener {
public:
    virtual ~ButtonListener() = default;
    virtual void focusUp(ButtonTalker*) {}
    virtual void focusDown(ButtonTalker*) {}
    virtual void focusLeft(ButtonTalker*) {}
    virtual void focusRight(ButtonTalker*) {}
};

// A button that knows its place in its menu's list or grid.
class ButtonTalker : public gcn::Button {
public:
    ButtonTalker();
    explicit ButtonTalker(const std::string& caption);
    ~ButtonTalker() override;

    ButtonListener* listener = nullptr;
    int32_t row = 0;
    int32_t column = 0;
};

// Caption only, no background or frame; the highlight font marks the focus.
// Up and Down go to the menu, Enter fires the action at once, every other key
// (Space included) is ignored.
class ButtonBigText : public ButtonTalker {
public:
    explicit ButtonBigText(const std::string& caption);
    ~ButtonBigText() override;

    void draw(gcn::Graphics* graphics) override;
    void drawFrame(gcn::Graphics* graphics) override;
    void keyPressed(gcn::KeyEvent& keyEvent) override;

    gcn::Font* highlightFont = nullptr;
    // Left and Right go to the menu too: a row of text buttons side by side.
    bool sideKeys = false;
};

// A text button whose caption names one of several choices: left and right
// tell the listener, as up and down do.
class ButtonChoice : public ButtonBigText {
public:
    explicit ButtonChoice(const std::string& caption);
    void keyPressed(gcn::KeyEvent& keyEvent) override;
};

// A line of a list in the small font, marked "* " while focused, with an
// optional second column at sideX. Up and Down go to the menu, Enter fires;
// Left and Right go to the menu too when sideKeys is set.
class ButtonLine : public ButtonTalker {
public:
    ButtonLine();
    void draw(gcn::Graphics* graphics) override;
    void drawFrame(gcn::Graphics* graphics) override;
    void keyPressed(gcn::KeyEvent& keyEvent) override;

    bool sideKeys = false;
    std::string side;
    int32_t sideX = 0;
};


// A 64 x 64 track button: picture, medal and frame. A locked track shows
// only its frame and ignores the mouse.
class ButtonTrack : public ButtonTalker {
public:
    ButtonTrack();
    ~ButtonTrack() override;

    void draw(gcn::Graphics* graphics) override;
    void drawFrame(gcn::Graphics* graphics) override;
    void keyPressed(gcn::KeyEvent& keyEvent) override;
    void mousePressed(gcn::MouseEvent& mouseEvent) override;

    gcn::Image* trackImage = nullptr;
    gcn::Image* selectedFrame = nullptr;
    gcn::Image* plainFrame = nullptr;
    // Locked, open without a medal, or the medal earned.
    TrackState medal = TrackState::locked;
};

// A text box whose Enter fires its action instead of starting a new line.
class TextBoxName : public gcn::TextBox {
public:
    TextBoxName();
    void keyPressed(gcn::KeyEvent& keyEvent) override;
};
