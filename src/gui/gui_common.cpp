#include "gui/gui_common.h"

#include <guichan.hpp>

#include "assets/image_formats.h"
#include "assets/regular_file.h"

#include "shell/game.h"

const char* const kFontGlyphs =
    " abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,!?-+/():;%&`'*#=[]\"";

gcn::Image* loadGuiImage(const std::string& fileName)
{
    // The image loader opens the file itself and would wait on a FIFO or
    // read a device for ever.
    if (!regularFileWithin(fileName, maxImageFileBytes))
        return nullptr;
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
