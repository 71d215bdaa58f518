#include "gui/buttons.h"

#include <algorithm>

#include "gui/lock_shape.h"

#include <guichan.hpp>

#include "audio/sound.h"
#include "save/save_status.h"
#include "shell/game.h"

static gcn::Widget* focusedWidget(gcn::Widget* widget)
{
    gcn::FocusHandler* focus = widget->_getFocusHandler();
    return focus ? focus->getFocused() : nullptr;
}

// The menu's click for a key a button has handled: Enter, or a move of the focus.
static void menuKeySound(gcn::Widget* button, int key, gcn::Widget* focusBefore)
{
    SoundCue cue;
    if (menuKeyCue(key == gcn::Key::ENTER, focusedWidget(button) != focusBefore, cue))
        playCue(cue);
}

ButtonTalker::ButtonTalker() : gcn::Button("") {}

ButtonTalker::ButtonTalker(const std::string& caption) : gcn::Button(caption) {}

ButtonTalker::~ButtonTalker() = default;

ButtonBigText::ButtonBigText(const std::string& caption) : ButtonTalker(caption) {}

ButtonBigText::~ButtonBigText() = default;

void ButtonBigText::draw(gcn::Graphics* graphics)
{
    gcn::Font* font = (isFocused() && highlightFont) ? highlightFont : getFont();
    graphics->setFont(font);
    graphics->drawText(getCaption(), 0, 0, gcn::Graphics::LEFT);
}

void ButtonBigText::drawFrame(gcn::Graphics*) {}

ButtonChoice::ButtonChoice(const std::string& caption) : ButtonBigText(caption) {}

void ButtonChoice::keyPressed(gcn::KeyEvent& keyEvent)
{
    const int key = keyEvent.getKey().getValue();
    if (key != gcn::Key::LEFT && key != gcn::Key::RIGHT) {
        ButtonBigText::keyPressed(keyEvent);
        return;
    }
    if (listener) {
        if (key == gcn::Key::LEFT)
            listener->focusLeft(this);
        else
            listener->focusRight(this);
    }
    keyEvent.consume();
    playCue(SoundCue::menuMove);
}

void ButtonBigText::keyPressed(gcn::KeyEvent& keyEvent)
{
    int key = keyEvent.getKey().getValue();
    gcn::Widget* focusBefore = focusedWidget(this);
    if (key == gcn::Key::UP) {
        if (listener)
            listener->focusUp(this);
    } else if (key == gcn::Key::DOWN) {
        if (listener)
            listener->focusDown(this);
    } else if (key == gcn::Key::ENTER) {
        distributeActionEvent();
    } else if (sideKeys && key == gcn::Key::LEFT) {
        if (listener)
            listener->focusLeft(this);
    } else if (sideKeys && key == gcn::Key::RIGHT) {
        if (listener)
            listener->focusRight(this);
    } else {
        return;
    }
    keyEvent.consume();
    menuKeySound(this, key, focusBefore);
}

ButtonTrack::ButtonTrack() = default;

ButtonTrack::~ButtonTrack() = default;

void ButtonTrack::draw(gcn::Graphics* graphics)
{
    if (medal != TrackState::locked && trackImage)
        graphics->drawImage(trackImage, 0, 0);
    gcn::Image* medalImage = nullptr;
    if (medal == TrackState::bronze)
        medalImage = game.medalBronze;
    else if (medal == TrackState::silver)
        medalImage = game.medalSilver;
    else if (medal == TrackState::gold)
        medalImage = game.medalGold;
    if (medalImage)
        graphics->drawImage(medalImage, 0, 0);
    if (medal == TrackState::locked) {
        graphics->setColor(gcn::Color(170, 170, 185));
        for (const LockRect& r : lockRects(std::min(getWidth(), getHeight())))
            graphics->fillRectangle(gcn::Rectangle(r.x, r.y, r.width, r.height));
    }
    gcn::Image* frame = isFocused() ? selectedFrame : plainFrame;
    if (frame)
        graphics->drawImage(frame, 0, 0);
}

void ButtonTrack::drawFrame(gcn::Graphics*) {}

void ButtonTrack::keyPressed(gcn::KeyEvent& keyEvent)
{
    int key = keyEvent.getKey().getValue();
    gcn::Widget* focusBefore = focusedWidget(this);
    if (key == gcn::Key::UP) {
        if (listener)
            listener->focusUp(this);
    } else if (key == gcn::Key::DOWN) {
        if (listener)
            listener->focusDown(this);
    } else if (key == gcn::Key::ENTER) {
        distributeActionEvent();
    } else if (key == gcn::Key::LEFT) {
        if (listener)
            listener->focusLeft(this);
    } else if (key == gcn::Key::RIGHT) {
        if (listener)
            listener->focusRight(this);
    } else {
        return;
    }
    keyEvent.consume();
    menuKeySound(this, key, focusBefore);
}

void ButtonTrack::mousePressed(gcn::MouseEvent& mouseEvent)
{
    // A locked track is not pressed, so its release raises no action either.
    if (medal == TrackState::locked) {
        mouseEvent.consume();
        return;
    }
    gcn::Button::mousePressed(mouseEvent);
}

TextBoxName::TextBoxName() = default;

void TextBoxName::keyPressed(gcn::KeyEvent& keyEvent)
{
    if (keyEvent.getKey().getValue() == gcn::Key::ENTER) {
        gcn::Widget* focusBefore = focusedWidget(this);
        distributeActionEvent();
        keyEvent.consume();
        menuKeySound(this, gcn::Key::ENTER, focusBefore);
        return;
    }
    // Names are kept no longer than they are ever drawn: a key that would
    // make the name longer leaves it as it was.
    const std::string before = getText();
    const unsigned caret = getCaretPosition();
    gcn::TextBox::keyPressed(keyEvent);
    if (getText().size() > maxShownNameChars) {
        setText(before);
        setCaretPosition(caret);
    }
}

ButtonLine::ButtonLine() : ButtonTalker("") {}

void ButtonLine::draw(gcn::Graphics* graphics)
{
    graphics->setFont(getFont());
    graphics->drawText((isFocused() ? "* " : "  ") + getCaption(), 0, 0, gcn::Graphics::LEFT);
    if (!side.empty())
        graphics->drawText(side, sideX, 0, gcn::Graphics::LEFT);
}

void ButtonLine::drawFrame(gcn::Graphics*) {}

void ButtonLine::keyPressed(gcn::KeyEvent& keyEvent)
{
    const int key = keyEvent.getKey().getValue();
    if (!listener)
        return;
    if (key == gcn::Key::UP)
        listener->focusUp(this);
    else if (key == gcn::Key::DOWN)
        listener->focusDown(this);
    else if (sideKeys && key == gcn::Key::LEFT)
        listener->focusLeft(this);
    else if (sideKeys && key == gcn::Key::RIGHT)
        listener->focusRight(this);
    else if (key == gcn::Key::ENTER)
        distributeActionEvent();
    else
        return;
    keyEvent.consume();
}
