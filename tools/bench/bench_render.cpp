// Drawing: frame times of the race scene (with its corner map), the chase camera following the
// autopilot's race, and of the menu background with the play menu over it,
// per track, in the game's own window with the HUD and menus drawn as in
// play. Each frame is timed from its first GL call to the end of its buffer
// swap with the GL work finished. Also the play menu's refresh, which
// reloads the track and its area.
#include <GL/gl.h>
#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <guichan.hpp>
#include <thread>
#include <utility>

#include "assets/data_dir.h"
#include "assets/models.h"
#include "assets/texture_cache.h"
#include "bench.h"
#include "gui/gui_common.h"
#include "gui/gui_setup.h"
#include "gui/hud.h"
#include "gui/menu_play.h"
#include "gui/menu_track.h"
#include "render/scene.h"
#include "render/track_map.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/race_rivals.h"
#include "shell/views.h"
#include "sim/autopilot.h"
#include "sim/pose_blend.h"
#include "sim/replay.h"
#include "track/track.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of the whole process, the renderer's threads included: on a
// shared machine it shows what a frame costs apart from waiting for a core.
double processCpuMs()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

void finishFrame()
{
    if (game.gui) {
        game.gui->logic();
        game.gui->draw();
    }
    SDL_GL_SwapBuffers();
    glFinish();
}

// cpuMs: processor time per frame, negative when not measured.
void printStats(const char* scene, const std::string& track, const std::vector<double>& samples, double cpuMs = -1.0)
{
    FrameStats s = frameStats(samples);
    std::printf("%-6s %-5s %6zu %9.2f %9.2f %9.2f %7d", track.c_str(), scene, s.count, s.median, s.p99, s.max,
                s.over16_7);
    if (cpuMs >= 0.0)
        std::printf(" %9.2f", cpuMs);
    std::printf("\n");
}

// Drains the window's events so the X server never waits on the game.
void drainEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
}

// The race scene along the states, warm-up frames first; the measured ones.
std::vector<double> raceFrames(const BenchOptions& options, const std::vector<ShipState>& states, double& cpuMs)
{
    std::vector<double> race;
    double cpuStart = 0.0;
    const int frames = options.warmUpFrames + options.raceFrames;
    const size_t stride = std::max<size_t>(1, states.size() / size_t(frames));
    game.run.controls.clear();
    for (int f = 0; f < frames; ++f) {
        const size_t tick = std::min(states.size() - 1, size_t(f) * stride);
        drainEvents();
        if (f == options.warmUpFrames)
            cpuStart = processCpuMs();
        Clock::time_point start = Clock::now();
        game.player.state = states[tick];
        // The ghost a second behind.
        game.ghost.state = states[tick > 100 ? tick - 100 : 0];
        game.run.controls.resize(tick + 1);
        glClearColor(0.49019608f, 0.654902f, 0.8509804f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (game.hud)
            updateHud(*game.hud, raceHudView(game));
        drawRaceView(raceView(game));
        finishFrame();
        double ms = msSince(start);
        game.frameTimesMs[game.frameCounter++ & 63] = ms;
        if (f >= options.warmUpFrames)
            race.push_back(ms);
    }
    cpuMs = (processCpuMs() - cpuStart) / double(std::max(1, options.raceFrames));
    return race;
}

// The corner map alone over the race scene, each timed from its first GL
// call to the end of its drawing with the GL work finished: what the map
// adds to a race frame. floor gets the same timing around no drawing at all,
// the cost of the finish itself.
std::vector<double> mapFrames(const BenchOptions& options, const std::vector<ShipState>& states,
                              std::vector<double>& floor)
{
    std::vector<double> map;
    const int frames = options.warmUpFrames + options.raceFrames;
    const size_t stride = std::max<size_t>(1, states.size() / size_t(frames));
    for (int f = 0; f < frames; ++f) {
        const size_t tick = std::min(states.size() - 1, size_t(f) * stride);
        drainEvents();
        game.player.state = states[tick];
        game.ghost.state = states[tick > 100 ? tick - 100 : 0];
        glClearColor(0.49019608f, 0.654902f, 0.8509804f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawRaceScene(raceView(game));
        glFinish();
        Clock::time_point start = Clock::now();
        glFinish();
        const double none = msSince(start);
        start = Clock::now();
        drawRaceMap(raceView(game));
        glFinish();
        double ms = msSince(start);
        SDL_GL_SwapBuffers();
        if (f >= options.warmUpFrames) {
            map.push_back(ms);
            floor.push_back(none);
        }
    }
    return map;
}

// Four ghosts' name tags over the race scene, the ghosts half a second to two
// seconds ahead of the player so that their tags are in view, each frame
// timed like the map's: what the tags add to a race frame with four ghosts.
std::vector<double> tagFrames(const BenchOptions& options, const std::vector<ShipState>& states)
{
    std::vector<double> tags;
    const int frames = options.warmUpFrames + options.raceFrames;
    const size_t stride = std::max<size_t>(1, states.size() / size_t(frames));
    const char* const names[4] = {"best run", "gold", "silver", "bronze"};
    for (int f = 0; f < frames; ++f) {
        const size_t tick = std::min(states.size() - 1, size_t(f) * stride);
        drainEvents();
        game.player.state = states[tick];
        game.ghost.state = states[tick > 100 ? tick - 100 : 0];
        glClearColor(0.49019608f, 0.654902f, 0.8509804f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        RaceView view = raceView(game);
        drawRaceScene(view);
        view.tags.clear();
        for (size_t lane = 0; lane < 4; ++lane) {
            const ShipState& ghost = states[std::min(states.size() - 1, tick + 50 * (lane + 1))];
            const GhostTint tint = ghostTint(lane);
            view.tags.push_back(NameTag{tagAnchor(ghost), names[lane], tint.red, tint.green, tint.blue, 1.0f});
        }
        view.tagFont = game.fontDefault;
        glFinish();
        Clock::time_point start = Clock::now();
        drawNameTags(view.tags, view.camera, view.screenWidth, view.screenHeight, view.tagFont);
        glFinish();
        const double ms = msSince(start);
        SDL_GL_SwapBuffers();
        if (f >= options.warmUpFrames)
            tags.push_back(ms);
    }
    return tags;
}

double threadCpuNs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e9 + double(t.tv_nsec);
}

// What the drawing would add per ship and frame to draw between the last two
// ticks: every pair of successive states of the race blended at a fraction
// that moves on as at 60 frames a second; the fastest of three passes.
double poseBlendNs(const std::vector<ShipState>& states)
{
    if (states.size() < 2)
        return 0.0;
    double best = 1e300;
    volatile double sink = 0.0;
    for (int pass = 0; pass < 3; ++pass) {
        const double start = threadCpuNs();
        double fraction = 0.0;
        for (size_t i = 1; i < states.size(); ++i) {
            fraction += 0.6;
            if (fraction > 1.0)
                fraction -= 1.0;
            const ShipState drawn = blendShipStates(states[i - 1], states[i], fraction);
            sink = sink + drawn.position.x + drawn.orientation.m[4];
        }
        best = std::min(best, (threadCpuNs() - start) / double(states.size() - 1));
    }
    return best;
}

} // namespace

int benchRendering(const BenchOptions& options)
{
    dataDir = options.data;
    textureCache = TextureCache{};
    if (!createGame()) {
        std::fprintf(stderr, "vantor-bench: cannot open a window: %s\n", SDL_GetError());
        return 1;
    }
    loadShipModel(game.player, game.save.shipName);
    loadShipModel(game.ghost, game.save.shipName);
    const char* threads = std::getenv("LP_NUM_THREADS");
    std::printf("== rendering: %dx%d, GL_RENDERER \"%s\", %u hardware threads, LP_NUM_THREADS %s\n",
                game.screenWidth, game.screenHeight, reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                std::thread::hardware_concurrency(), threads ? threads : "unset");
    std::printf("frame times in ms after %d warm-up frames; goal median <= 16, p99 <= 25\n", options.warmUpFrames);
    std::printf("%-6s %-5s %6s %9s %9s %9s %7s %9s\n", "track", "scene", "frames", "median", "p99", "max", ">16.7",
                "cpu");

    if (game.menuTrack && game.menuTrack->container)
        game.menuTrack->container->setVisible(false);
    std::vector<double> refreshMs;
    std::vector<double> blendNs;
    std::vector<double> allRace, allMenu, allMap, allFloor, allTags;
    if (options.withoutScenery)
        std::printf("(bare: the race scene without the scenery mesh, for diagnosis only)\n");
    for (const std::string& name : options.tracks) {
        game.save.trackName = name;
        // The play menu's refresh, as when Enter picks the track.
        for (int k = 0; k < 5; ++k) {
            Clock::time_point start = Clock::now();
            openPlayMenu(game);
            refreshMs.push_back(msSince(start));
        }
        if (game.track.segments.empty()) {
            std::printf("%-6s no road\n", name.c_str());
            continue;
        }

        // The autopilot's race, one ship state per tick.
        ReplaySetup setup;
        setup.controls = driveWithAutopilot(game.track, AutopilotSettings{}, 60000).controls;
        std::vector<ShipState> states;
        replayRace(game.track, setup, [&](int64_t, bool countdown, const ShipState& state) {
            if (!countdown)
                states.push_back(state);
        });
        if (states.empty())
            continue;
        blendNs.push_back(poseBlendNs(states));
        TrackRecord& record = recordFor(game.save, name);
        record.ghostRun = setup.controls;
        game.race.ghostRun = &record.ghostRun;

        // Menu background, turning as at 60 frames a second.
        std::vector<double> menu;
        uint32_t ticksMs = 0;
        double menuCpuStart = 0.0;
        for (int f = 0; f < options.warmUpFrames + options.menuFrames; ++f) {
            drainEvents();
            if (f == options.warmUpFrames)
                menuCpuStart = processCpuMs();
            Clock::time_point start = Clock::now();
            drawMenuBackgroundAt(game, ticksMs);
            finishFrame();
            if (f >= options.warmUpFrames)
                menu.push_back(msSince(start));
            ticksMs += 16;
        }
        const double menuCpu = (processCpuMs() - menuCpuStart) / double(options.menuFrames);

        // The race: the menu hidden, the HUD shown, as "play" leaves them.
        game.menuPlay->container->setVisible(false);
        if (game.borderIcon)
            game.borderIcon->setVisible(false);
        if (game.hud && game.hud->container)
            game.hud->container->setVisible(true);
        if (game.top)
            game.top->setPosition(0, 0);
        game.inRace = true;
        game.countdownMs = 0;
        double raceCpu = 0.0, bareCpu = 0.0;
        std::vector<double> race = raceFrames(options, states, raceCpu);
        std::vector<double> floor;
        std::vector<double> map = mapFrames(options, states, floor);
        std::vector<double> tags = tagFrames(options, states);
        std::vector<double> bare;
        if (options.withoutScenery) {
            Mesh scenery;
            std::swap(scenery, game.area.mesh);
            bare = raceFrames(options, states, bareCpu);
            std::swap(scenery, game.area.mesh);
        }
        game.inRace = false;
        if (game.hud && game.hud->container)
            game.hud->container->setVisible(false);
        if (game.borderIcon)
            game.borderIcon->setVisible(true);
        centreTop();

        printStats("race", name, race, raceCpu);
        printStats("map", name, map);
        printStats("tags", name, tags);
        if (options.withoutScenery)
            printStats("bare", name, bare, bareCpu);
        printStats("menu", name, menu, menuCpu);
        allRace.insert(allRace.end(), race.begin(), race.end());
        allMenu.insert(allMenu.end(), menu.begin(), menu.end());
        allMap.insert(allMap.end(), map.begin(), map.end());
        allTags.insert(allTags.end(), tags.begin(), tags.end());
        allFloor.insert(allFloor.end(), floor.begin(), floor.end());
    }
    std::printf("pose blend between two ticks: median %.0f ns per ship (thread processor time; a frame blends the "
                "player and each ghost shown)\n",
                medianOf(blendNs));
    printStats("race", "all", allRace);
    printStats("map", "all", allMap);
    printStats("tags", "all", allTags);
    printStats("floor", "all", allFloor);
    printStats("menu", "all", allMenu);
    FrameStats r = frameStats(refreshMs);
    std::printf("play-menu refresh (track and area reload): median %.2f ms, max %.2f ms over %zu\n", r.median, r.max,
                r.count);
    SDL_Quit();
    return 0;
}
