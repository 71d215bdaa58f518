#include <gtest/gtest.h>
#include <GL/gl.h>
#include <guichan.hpp>
#include <guichan/opengl.hpp>

#include <string>
#include <vector>

#include "audio/sound.h"
#include "gl_window.h"
#include "gui/buttons.h"
#include "gui_env.h"

namespace {

// Records which arrow operations reached the menu, and the actions fired.
struct Recorder : ButtonListener, gcn::ActionListener {
    std::vector<std::string> calls;
    void focusUp(ButtonTalker* b) override { calls.push_back("up " + b->getCaption()); }
    void focusDown(ButtonTalker* b) override { calls.push_back("down " + b->getCaption()); }
    void focusLeft(ButtonTalker* b) override { calls.push_back("left " + b->getCaption()); }
    void focusRight(ButtonTalker* b) override { calls.push_back("right " + b->getCaption()); }
    void action(const gcn::ActionEvent& e) override { calls.push_back("action " + e.getId()); }
};

// Sends one key press to the widget's key listener part; true when consumed.
bool press(gcn::KeyListener& widget, int key)
{
    gcn::KeyEvent event(nullptr, false, false, false, false, gcn::KeyEvent::PRESSED, false,
                        gcn::Key(key));
    widget.keyPressed(event);
    return event.isConsumed();
}

// Mean colour of the window's back buffer in a rectangle given in window
// coordinates from the top left, counting only pixels that are not black.
struct Ink {
    double r = 0, g = 0, b = 0;
    int count = 0;
};

Ink inkIn(int x0, int y0, int w, int h)
{
    std::vector<unsigned char> rgb = readBackBuffer();
    int width = glWindowWidth(), height = glWindowHeight();
    Ink ink;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            const unsigned char* p = &rgb[(size_t(height - 1 - y) * width + x) * 3];
            if (p[0] + p[1] + p[2] < 90)
                continue;
            ink.r += p[0];
            ink.g += p[1];
            ink.b += p[2];
            ++ink.count;
        }
    }
    if (ink.count) {
        ink.r /= ink.count;
        ink.g /= ink.count;
        ink.b /= ink.count;
    }
    return ink;
}

void drawFrame()
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    game.gui->logic();
    game.gui->draw();
}

}  // namespace

TEST(ButtonKeys, KeyValuesAreTheLibraryCodes)
{
    EXPECT_EQ(gcn::Key::ENTER, 10);
    EXPECT_EQ(gcn::Key::LEFT, 1039);
    EXPECT_EQ(gcn::Key::RIGHT, 1040);
    EXPECT_EQ(gcn::Key::UP, 1041);
    EXPECT_EQ(gcn::Key::DOWN, 1042);
}

TEST(ButtonKeys, BigTextReportsUpDownAndFiresOnEnterOnly)
{
    Recorder menu;
    ButtonBigText button("play");
    button.listener = &menu;
    button.setActionEventId("play");
    button.addActionListener(&menu);
    for (int key : {int(gcn::Key::UP), int(gcn::Key::DOWN), int(gcn::Key::ENTER)})
        EXPECT_TRUE(press(button, key)) << key;
    for (int key : {int(gcn::Key::LEFT), int(gcn::Key::RIGHT), int(gcn::Key::SPACE), int('a')})
        EXPECT_FALSE(press(button, key)) << key;
    // Space must not press the button on release either.
    gcn::KeyEvent release(nullptr, false, false, false, false, gcn::KeyEvent::RELEASED, false,
                          gcn::Key(gcn::Key::SPACE));
    button.keyReleased(release);
    EXPECT_EQ(menu.calls, (std::vector<std::string>{"up play", "down play", "action play"}));
}

TEST(ButtonKeys, TrackButtonReportsAllFourArrowsAndFiresOnEnter)
{
    Recorder menu;
    ButtonTrack button;
    button.setCaption("t");
    button.listener = &menu;
    button.setActionEventId("play");
    button.addActionListener(&menu);
    for (int key : {int(gcn::Key::UP), int(gcn::Key::DOWN), int(gcn::Key::ENTER),
                    int(gcn::Key::LEFT), int(gcn::Key::RIGHT)})
        EXPECT_TRUE(press(button, key));
    EXPECT_FALSE(press(button, gcn::Key::SPACE));
    EXPECT_EQ(menu.calls, (std::vector<std::string>{"up t", "down t", "action play", "left t",
                                                    "right t"}));
}

TEST(ButtonKeys, ButtonsWithoutAMenuIgnoreArrows)
{
    ButtonBigText text("x");
    ButtonTrack track;
    EXPECT_TRUE(press(text, gcn::Key::UP));
    EXPECT_TRUE(press(track, gcn::Key::LEFT));
}

TEST(ButtonKeys, NameBoxEnterFiresNameAndKeepsOneLine)
{
    Recorder menu;
    TextBoxName box;
    box.setActionEventId("name");
    box.addActionListener(&menu);
    box.setText("ace");
    box.setCaretPosition(3);
    EXPECT_TRUE(press(box, gcn::Key::ENTER));
    EXPECT_EQ(box.getText(), "ace");
    EXPECT_EQ(box.getNumberOfRows(), 1u);
    press(box, 'x');
    press(box, gcn::Key::BACKSPACE);
    press(box, gcn::Key::BACKSPACE);
    press(box, 'y');
    EXPECT_EQ(box.getText(), "acy");
    EXPECT_EQ(menu.calls, (std::vector<std::string>{"action name"}));
}

// The menus' clicks through the real track menu: a move sound only when an
// arrow really moves the focus, a select sound on Enter.
class MenuSounds : public GuiTest {};

TEST_F(MenuSounds, ArrowsThatMoveTheFocusClickAndEnterSelects)
{
    int& moves = sound.requested[static_cast<int>(SoundCue::menuMove)];
    int& selects = sound.requested[static_cast<int>(SoundCue::menuSelect)];
    ButtonTalker* first = game.menuTrack->rows[0][0];
    first->requestFocus();
    int movesBefore = moves, selectsBefore = selects;
    // The neighbour is locked: the focus stays, no sound. Down onto a locked
    // track lands on "back": one move.
    const struct {
        SDLKey key;
        gcn::Widget* focused;
        int moves;
    } steps[] = {{SDLK_RIGHT, first, 0}, {SDLK_DOWN, game.menuTrack->rows[3][0], 1}, {SDLK_UP, first, 2}};
    for (const auto& s : steps) {
        pressKey(s.key);
        EXPECT_EQ(focusedWidget(), s.focused);
        EXPECT_EQ(moves, movesBefore + s.moves);
    }
    EXPECT_EQ(selects, selectsBefore);
    pressKey(SDLK_RETURN);
    EXPECT_EQ(selects, selectsBefore + 1);
    EXPECT_EQ(moves, movesBefore + 2) << "the play menu taking the focus is no move";
}

TEST(ButtonSounds, EnterSelectsOnEveryKindOfButtonAndOtherKeysAreSilent)
{
    int& selects = sound.requested[static_cast<int>(SoundCue::menuSelect)];
    int& moves = sound.requested[static_cast<int>(SoundCue::menuMove)];
    Recorder menu;
    ButtonBigText text("x");
    ButtonTrack track;
    TextBoxName box;
    text.listener = &menu;
    track.listener = &menu;
    int before = selects, movesBefore = moves;
    press(text, gcn::Key::ENTER);
    press(track, gcn::Key::ENTER);
    press(box, gcn::Key::ENTER);
    EXPECT_EQ(selects, before + 3);
    // The recorder moves no focus: arrows alone make no sound.
    press(text, gcn::Key::UP);
    press(track, gcn::Key::LEFT);
    press(text, gcn::Key::SPACE);
    press(box, 'm');
    EXPECT_EQ(moves, movesBefore);
    EXPECT_EQ(selects, before + 3);
}

// Drawn for real: the focused text button uses the amber highlight font, the
// unfocused one the ice-blue big font; a locked track shows only its frame.
class ButtonDrawing : public GuiTest {};

TEST_F(ButtonDrawing, FocusedTextButtonUsesTheHighlightFont)
{
    ASSERT_NE(game.fontBig, nullptr);
    ASSERT_NE(game.fontBigHighlight, nullptr);
    ButtonTalker* back = game.menuTrack->rows[3][0];
    // "back" sits at (490, 550) in the centred 800 x 600 area.
    drawFrame();
    Ink plain = inkIn(490, 550, back->getWidth(), back->getHeight());
    back->requestFocus();
    drawFrame();
    Ink lit = inkIn(490, 550, back->getWidth(), back->getHeight());
    ASSERT_GT(plain.count, 50);
    ASSERT_GT(lit.count, 50);
    EXPECT_GT(plain.b, plain.r) << "ice blue when not focused";
    EXPECT_GT(lit.r, lit.b + 60) << "amber when focused";
}
