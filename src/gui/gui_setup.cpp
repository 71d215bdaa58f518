#include "gui/gui_setup.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cstdio>
#include <guichan.hpp>
#include <guichan/opengl.hpp>
#include <guichan/opengl/openglsdlimageloader.hpp>
#include <guichan/sdl.hpp>

#include "assets/data_dir.h"
#include "gui/gui_common.h"
#include "gui/image_loader.h"
#include "gui/hud.h"
#include "gui/menu_analysis.h"
#include "gui/menu_my_tracks.h"
#include "gui/menu_play.h"
#include "gui/menu_save_score.h"
#include "gui/menu_settings.h"
#include "gui/menu_editor.h"
#include "gui/menu_track.h"
#include "shell/game.h"

// Loads the fonts through the bounded image loader; a file that is missing or
// not a regular file throws as the library does. The library's exception stops the loading where it
// happened and is dropped, leaving the fonts not yet made null.
static void loadFonts(const std::string& gui)
{
    try {
        game.fontDefault = new gcn::ImageFont(gui + "/rpgfont.png", kFontGlyphs);
        game.fontBig = new gcn::ImageFont(gui + "/techyfontbig.png", kFontGlyphs);
        game.fontBigHighlight = new gcn::ImageFont(gui + "/techyfontbigh.png", kFontGlyphs);
        gcn::Widget::setGlobalFont(game.fontDefault);
    } catch (const gcn::Exception& e) {
        // Read and dropped: the game runs on with the library's own font.
        (void)e.getFilename();
        (void)e.getFunction();
        (void)e.getLine();
        (void)e.getMessage();
    }
    // The time differences' colours; without them the HUD uses the big font.
    try {
        game.fontAhead = new gcn::ImageFont(gui + "/techyfontahead.png", kFontGlyphs);
        game.fontBehind = new gcn::ImageFont(gui + "/techyfontbehind.png", kFontGlyphs);
    } catch (const gcn::Exception& e) {
        (void)e.getMessage();
    }
    try {
        game.fontAheadBlue = new gcn::ImageFont(gui + "/techyfontaheadblue.png", kFontGlyphs);
        game.fontBehindOrange = new gcn::ImageFont(gui + "/techyfontbehindorange.png", kFontGlyphs);
    } catch (const gcn::Exception& e) {
        (void)e.getMessage();
    }
}

WindowFit fitWindowToDisplay(int width, int height, int displayWidth, int displayHeight)
{
    WindowFit fit;
    // A configuration that ends early gives a size of 0, and X refuses a
    // negative one; SDL takes 0 as "the display's size".
    fit.width = width > 0 ? width : 0;
    fit.height = height > 0 ? height : 0;
    if (displayWidth > 0 && fit.width > displayWidth) {
        fit.width = displayWidth;
        fit.clamped = true;
    }
    if (displayHeight > 0 && fit.height > displayHeight) {
        fit.height = displayHeight;
        fit.clamped = true;
    }
    return fit;
}

namespace {

WindowFit desktop;

} // namespace

uint32_t videoFlags(bool fullscreen)
{
    const Uint32 flags = SDL_HWSURFACE | SDL_OPENGL | SDL_HWACCEL;
    return fullscreen ? flags | SDL_FULLSCREEN : flags;
}

void desktopSize(int& width, int& height)
{
    width = desktop.width;
    height = desktop.height;
}

void setGlState(int width, int height)
{
    glViewport(0, 0, width, height);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
}

void resizeGui()
{
    const int width = game.screenWidth, height = game.screenHeight;
    if (openGLGraphics)
        openGLGraphics->setTargetPlane(width, height);
    if (!game.top)
        return;
    game.top->setDimension(gcn::Rectangle(0, 0, width, height));
    centreTop();
    // The menus' own areas cover the window as at start-up; what they hold
    // keeps its 800 x 600 layout, centred with top.
    for (gcn::Container* c : {game.menuTrack ? game.menuTrack->container : nullptr,
                              game.menuPlay ? game.menuPlay->container : nullptr,
                              game.menuSaveScore ? game.menuSaveScore->container : nullptr,
                              game.menuAnalysis ? game.menuAnalysis->container : nullptr})
        if (c)
            c->setSize(width, height);
    if (game.hud)
        placeHud(*game.hud, width, height);
}

bool createGame()
{
    printf("Init SDL\n");
    // Without a display or a GL visual nothing below can work, and SDL 1.2
    // crashes on GL calls made without a video mode.
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return false;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // Vertical sync where the driver offers it; the main loop paces the
    // frames where it does not.
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 1);
    const Uint32 flags = videoFlags(game.fullscreen);
    int width = game.screenWidth > 0 ? game.screenWidth : 0;
    int height = game.screenHeight > 0 ? game.screenHeight : 0;
    // A full screen larger than the display has no video mode and is handled
    // below; a window would open larger than the display.
    const SDL_VideoInfo* display = SDL_GetVideoInfo();
    // Known only before the first mode is set: SDL reports the window's size after.
    if (display) {
        desktop.width = display->current_w;
        desktop.height = display->current_h;
    }
    if (!game.fullscreen && display) {
        const WindowFit fit = fitWindowToDisplay(width, height, display->current_w, display->current_h);
        if (fit.clamped)
            std::fprintf(stderr, "A %dx%d window is larger than the %dx%d display; opening %dx%d\n", width,
                         height, display->current_w, display->current_h, fit.width, fit.height);
        width = fit.width;
        height = fit.height;
    }
    SDL_Surface* screen = SDL_SetVideoMode(width, height, 32, flags);
    // A size larger than the display has no video mode; the display's own
    // size is the largest that opens.
    if (!screen && (width > 0 || height > 0)) {
        printf("Cannot open a %dx%d window (%s); using the display's size\n", width, height, SDL_GetError());
        screen = SDL_SetVideoMode(0, 0, 32, flags);
    }
    if (!screen) {
        SDL_Quit();
        return false;
    }
    // The menus, the HUD and the viewport are laid out for the window SDL
    // actually opened.
    game.screenWidth = screen->w;
    game.screenHeight = screen->h;
    SDL_ShowCursor(1);
    SDL_EnableUNICODE(1);
    SDL_EnableKeyRepeat(500, 30);
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    SDL_JoystickEventState(1);
    if (SDL_NumJoysticks() > 0)
        joystick = SDL_JoystickOpen(0);

    printf("Init OpenGL\n");
    setGlState(game.screenWidth, game.screenHeight);

    printf("Init Guichan\n");
    // The OpenGL loader decodes files through SDL_image and uploads them;
    // the bounded one reads them first.
    openGLImageLoader = new BoundedImageLoader();
    sdlImageLoader = new gcn::SDLImageLoader();
    gcn::Image::setImageLoader(openGLImageLoader);
    openGLGraphics = new gcn::OpenGLGraphics();
    openGLGraphics->setTargetPlane(game.screenWidth, game.screenHeight);
    sdlInput = new gcn::SDLInput();

    std::string gui = dataDir + "/gui";
    printf("Load fonts\n");
    loadFonts(gui);

    printf("Load medals\n");
    game.medalBronze = loadGuiImage(gui + "/medalBronze.tga");
    game.medalSilver = loadGuiImage(gui + "/medalSilver.tga");
    game.medalGold = loadGuiImage(gui + "/medalGold.tga");

    printf("Create widgets\n");
    printf(".. gui\n");
    game.gui = new gcn::Gui();
    game.gui->setGraphics(openGLGraphics);
    game.gui->setInput(sdlInput);

    printf(".. top\n");
    game.top = new gcn::Container();
    game.top->setOpaque(false);
    game.top->setDimension(gcn::Rectangle(0, 0, game.screenWidth, game.screenHeight));
    centreTop();
    game.gui->setTop(game.top);

    printf(".. border\n");
    gcn::Image* border = loadGuiImage(gui + "/border.tga");
    game.borderIcon = border ? new gcn::Icon(border) : new gcn::Icon();
    game.top->add(game.borderIcon);

    printf(".. track menu\n");
    game.menuTrack = new MenuTrack();
    game.top->add(game.menuTrack->container);

    printf(".. HUD\n");
    game.hud = new Hud();
    buildHud(*game.hud);
    game.top->add(game.hud->container);

    // Created with the track menu's neighbours but unannounced: the start-up lines stay as they were.
    game.menuSettings = new MenuSettings();
    game.top->add(game.menuSettings->container);

    printf(".. play menu\n");
    game.menuPlay = new MenuPlay();
    game.top->add(game.menuPlay->container);

    printf(".. score saving menu\n");
    game.menuSaveScore = new MenuSaveScore();
    game.top->add(game.menuSaveScore->container);

    // Made with the score-saving menu: the start-up lines stay as they were.
    game.menuAnalysis = new MenuAnalysis();
    game.top->add(game.menuAnalysis->container);
    game.menuEditor = new MenuEditor();
    game.top->add(game.menuEditor->container);
    game.menuMyTracks = new MenuMyTracks();
    game.top->add(game.menuMyTracks->container);
    return true;
}
