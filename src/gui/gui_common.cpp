#include "gui/gui_common.h"

#include <guichan.hpp>


#include "shell/game.h"

const char* const kFontGlyphs =
    " abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,!?-+/():;%&`'*#=[]\"";

gcn::Image* loadGuiImage(const std::string& fileName)
{
    // The image loader reads through the bounded reader and throws for
    // anything but a regular image file.
    try {
        return gcn::Image::load(fileName);
    } catch (const gcn::Exception&) {
        // A missing picture is not an error the player can act on.
        return nullptr;
    }
}

void guiLogicStep()
{
    if (game.gui && game.gui->getTop())
        game.gui->logic();
}

void centreTop()
{
    if (game.top)
        game.top->setPosition(game.screenWidth / 2 - 400, game.screenHeight / 2 - 300);
}
