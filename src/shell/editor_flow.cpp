#include "shell/editor_flow.h"

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "assets/atomic_file.h"
#include "assets/data_dir.h"
#include "assets/picture_file.h"
#include "assets/regular_file.h"
#include "assets/texture_cache.h"
#include "audio/sound.h"
#include "design/scenery.h"
#include "design/tris_writer.h"
#include "gui/intents.h"
#include "gui/menu_editor.h"
#include "render/plan_view.h"
#include "save/sha256.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/my_tracks_flow.h"
#include "shell/paths.h"
#include "shell/screens.h"
#include "sim/race_constants.h"
#include "sim/time_text.h"
#include "track/track.h"

namespace {

std::string metres(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// The road files of a sound plan without an author run: the track can be
// looked at and test-driven, not raced for medals.
bool roadFiles(const EditorState& e, std::vector<TrackFileImage>& files, std::string& error)
{
    Scenery scenery = buildScenery(e.built);
    TrackFileImage area{"area.tris", {}}, png{"area.png", {}};
    if (!encodeTris(scenery.mesh, 0.01, area.bytes) || !encodePng(scenery.atlas, png.bytes)) {
        error = "the scenery of this road is too large for its files";
        return false;
    }
    files.push_back({"track.track", controlPointBytes(e.built)});
    files.push_back({"textures.txt", bytesOf(textureWordsText(e.built))});
    files.push_back(area);
    files.push_back(png);
    files.push_back({"plan.txt", bytesOf(formatPlan(e.edit.plan))});
    return true;
}

// Removes the regular files of names from folder; anything else is left alone.
void removeStale(const std::string& folder, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            unlink(path.c_str());
    }
}

void showEditor(Game& g)
{
    if (g.menuEditor)
        g.menuEditor->refresh(editorView(g.editor));
}

// Loads the saved road and scenery of the plan from root/tracks/NAME/ as
// the race's track and area; no medal times, as nothing is judged.
bool loadTestTrack(Game& g, const std::string& root)
{
    const std::string name = g.editor.edit.plan.name;
    const std::string folder = root + "/tracks/" + name + "/";
    clearTrack(g.track);
    if (!readTrackRoad(g.track, root, name))
        return false;
    std::istringstream words(textureWordsText(g.editor.built));
    std::vector<std::string> textures = readTextureNames(words, g.track.segments.size());
    for (size_t i = 0; i < g.track.segments.size(); ++i) {
        acquire(g.track.segments[i].textureA, textures[2 * i]);
        acquire(g.track.segments[i].textureB, textures[2 * i + 1]);
    }
    g.area.name = name;
    if (loadMesh(g.area.mesh, folder + "area.tris"))
        for (std::vector<Float3>& frame : g.area.mesh.vertexFrames)
            for (Float3& p : frame) {
                p.x *= 100.0f;
                p.y *= 100.0f;
                p.z *= 100.0f;
            }
    acquire(g.area.texture, folder + "area.png");
    g.area.timesRead = false;
    return true;
}

// Takes the road of the game's current track back after a test drive.
void reloadCurrentTrack(Game& g)
{
    loadTrack(g.track, g.save.trackName);
    loadArea(g.area, g.save.trackName);
}

void backToEditor(Game& g, const std::string& note)
{
    g.inRace = false;
    g.editor.testDriving = false;
    g.ghostEnabled = g.editor.ghostWasEnabled;
    g.run.controls.clear();
    g.run.ticks = 0;
    stopEngine();
    g.editor.status = note;
    showScreen(Screen::editor);
    showEditor(g);
}

} // namespace

bool editorValidated(const EditorState& e) { return e.haveRoad && e.haveAuthor && e.author.trackHash == e.roadHash; }

void refreshEditor(EditorState& e)
{
    e.faults = planFaults(e.edit.plan);
    e.haveRoad = false;
    e.built = BuiltTrack{};
    e.road = PlanRoad{};
    if (!e.faults.empty())
        return;
    PlanFault fault = checkPlan(e.edit.plan, &e.built);
    if (planFaulty(fault)) {
        e.faults.push_back(fault);
        return;
    }
    e.haveRoad = true;
    e.road = planRoadEdges(e.built);
    std::vector<uint8_t> points = controlPointBytes(e.built);
    e.roadHash = sha256(points.data(), points.size());
}

EditorCommand editorKey(EditorState& e, int key, bool shift)
{
    const int way = shift ? -1 : 1;
    const double move = shift ? 5.0 * planMoveStep : planMoveStep;
    bool done = false;
    switch (key) {
    case SDLK_TAB:
        chooseNextCorner(e.edit, way);
        return EditorCommand::edited;
    case SDLK_PAGEDOWN:
    case SDLK_PAGEUP:
        chooseNextCorner(e.edit, key == SDLK_PAGEDOWN ? 1 : -1);
        return EditorCommand::edited;
    case SDLK_LEFT: done = moveCorner(e.edit, -move, 0); break;
    case SDLK_RIGHT: done = moveCorner(e.edit, move, 0); break;
    case SDLK_UP: done = moveCorner(e.edit, 0, move); break;
    case SDLK_DOWN: done = moveCorner(e.edit, 0, -move); break;
    case SDLK_i:
    case SDLK_INSERT: done = insertCorner(e.edit); break;
    case SDLK_x:
    case SDLK_DELETE: done = deleteCorner(e.edit); break;
    case SDLK_q: done = stepCornerValue(e.edit, CornerValue::radius, 1); break;
    case SDLK_a: done = stepCornerValue(e.edit, CornerValue::radius, -1); break;
    case SDLK_w: done = stepCornerValue(e.edit, CornerValue::height, 1); break;
    case SDLK_s: done = stepCornerValue(e.edit, CornerValue::height, -1); break;
    case SDLK_e: done = stepCornerValue(e.edit, CornerValue::bank, 1); break;
    case SDLK_d: done = stepCornerValue(e.edit, CornerValue::bank, -1); break;
    case SDLK_r: done = stepCornerValue(e.edit, CornerValue::width, 1); break;
    case SDLK_f: done = stepCornerValue(e.edit, CornerValue::width, -1); break;
    case SDLK_t: done = stepTheme(e.edit, way); break;
    case SDLK_g: done = stepRoad(e.edit, way); break;
    case SDLK_u:
    case SDLK_BACKSPACE: done = undoEdit(e.edit); break;
    case SDLK_F2: return EditorCommand::save;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_F5: return EditorCommand::testDrive;
    case SDLK_ESCAPE: return EditorCommand::leave;
    default: return EditorCommand::none;
    }
    if (done)
        refreshEditor(e);
    return done ? EditorCommand::edited : EditorCommand::refused;
}

EditorView editorView(const EditorState& e)
{
    EditorView v;
    const TrackPlan& p = e.edit.plan;
    v.title = "editor: " + p.name;
    v.plan = "theme " + p.theme + "   road " + p.road + "   width " + metres(p.width) + " m   " +
             std::to_string(p.corners.size()) + " corners" + (e.edit.changed ? "   (changed)" : "");
    if (e.edit.chosen >= 0 && static_cast<size_t>(e.edit.chosen) < p.corners.size()) {
        const Corner& c = p.corners[static_cast<size_t>(e.edit.chosen)];
        v.corner = "corner " + std::to_string(e.edit.chosen + 1) + " of " + std::to_string(p.corners.size()) +
                   ":  x " + metres(c.x) + "  y " + metres(c.y) + "  radius " + metres(c.radius) + "  height " +
                   metres(c.z) + "  bank " + metres(c.bank) + "  width " + metres(widthAt(p, c));
    }
    if (e.faults.empty()) {
        v.fault = "no fault: the road can be driven";
    } else {
        const PlanFault& f = e.faults.front();
        v.fault = (f.corner >= 0 ? "corner " + std::to_string(f.corner + 1) + ": " : "plan: ") + f.message;
        if (e.faults.size() > 1)
            v.fault += " (+" + std::to_string(e.faults.size() - 1) + " more)";
    }
    if (editorValidated(e)) {
        MedalTimes m = medalTimesFrom(static_cast<double>(e.author.ticks) * tickSeconds);
        v.validation = "validated: author time " + formatTicks(e.author.ticks) + ", gold " + metres(m.gold) +
                       " s, silver " + metres(m.silver) + " s, bronze " + metres(m.bronze) + " s";
    } else {
        v.validation = "not validated: finish a test drive";
    }
    v.keys = {"Tab/PgDn next corner   Shift+Tab/PgUp the one before   arrows move (Shift x5)",
              "I insert after   X/Del delete   Q/A radius   W/S height   E/D bank   R/F width",
              "T theme   G road (Shift: back)   U/Backspace undo   mouse: left chooses, right places",
              "Enter test drive   F2 save   Esc saves and leaves"};
    v.status = e.status;
    return v;
}

EditorSave editorSave(const EditorState& e)
{
    EditorSave s;
    if (!e.haveRoad) {
        s.files.push_back({"plan.txt", bytesOf(formatPlan(e.edit.plan))});
        s.stale = {"track.track", "textures.txt", "area.tris", "area.png", "times.txt", "author.vghost"};
        return s;
    }
    if (!editorValidated(e)) {
        if (!roadFiles(e, s.files, s.error))
            s.files.clear();
        s.stale = {"times.txt", "author.vghost"};
        return s;
    }
    TrackPackage package;
    PlanFault fault;
    TrackFileImage png{"area.png", {}};
    if (!packageWithAuthor(e.edit.plan, e.built, e.author, package, fault) ||
        !encodePng(package.scenery.atlas, png.bytes)) {
        s.error = planFaulty(fault) ? fault.message : "the scenery's picture cannot be encoded";
        return s;
    }
    s.files = package.files;
    s.files.insert(s.files.begin() + 3, png);
    return s;
}

bool saveEditorPlan(EditorState& e, const std::string& root)
{
    EditorSave s = editorSave(e);
    if (s.files.empty()) {
        e.status = "not saved: " + s.error;
        return false;
    }
    if (root.empty() || !makeDirectories(root)) {
        e.status = "not saved: there is no folder for the player's files";
        return false;
    }
    std::string error;
    if (writeTrackFolder(root, e.edit.plan.name, s.files, error) != FolderWrite::written) {
        e.status = "not saved: " + error;
        return false;
    }
    removeStale(root + "/tracks/" + e.edit.plan.name, s.stale);
    e.edit.changed = false;
    e.status = "saved " + std::string(editorValidated(e) ? "with its medals" : "(not validated)");
    return true;
}

GhostFile authorOfDrive(const EditorState& e, const std::string& player, const std::vector<ControlInput>& records,
                        const StateImage& startState, int64_t date)
{
    GhostFile author;
    author.trackName = e.edit.plan.name;
    author.trackHash = e.roadHash;
    author.playerName = player;
    author.date = date;
    author.ticks = static_cast<uint32_t>(records.size());
    author.startState = startState;
    author.records = records;
    return author;
}

void startTestDrive(Game& g)
{
    EditorState& e = g.editor;
    if (g.screen != Screen::editor || g.inRace)
        return;
    if (!e.haveRoad) {
        e.status = "no test drive: the plan has a fault";
        showEditor(g);
        return;
    }
    // The drive races the files the game reads, so they are saved first.
    if (!saveEditorPlan(e, saveDirectory())) {
        showEditor(g);
        return;
    }
    if (!loadTestTrack(g, saveDirectory())) {
        e.status = "no test drive: the saved road could not be read";
        reloadCurrentTrack(g);
        showEditor(g);
        return;
    }
    e.testDriving = true;
    e.ghostWasEnabled = g.ghostEnabled;
    // The road is new: there is no run to race against.
    g.ghostEnabled = false;
    showScreen(Screen::race);
    startRace(g);
}

void openEditor(Game& g, const TrackPlan& plan)
{
    g.editor = EditorState{};
    g.editor.edit = editPlan(plan);
    refreshEditor(g.editor);
    showScreen(Screen::editor);
    showEditor(g);
}

void openNewPlan(Game& g)
{
    // Anything already in the tracks folder by that name keeps it, whatever it is.
    std::vector<std::string> taken;
    std::error_code error;
    std::filesystem::directory_iterator it(saveDirectory() + "/tracks", error), end;
    for (; !error && it != end; it.increment(error))
        taken.push_back(it->path().filename().string());
    openEditor(g, defaultPlan(freePlanName("track", taken)));
}

bool openSavedPlan(Game& g, const std::string& name)
{
    if (!isPlanName(name))
        return false;
    const std::string folder = saveDirectory() + "/tracks/" + name;
    FileRead file = readRegularFile(folder + "/plan.txt", maxPlanBytes);
    TrackPlan plan;
    PlanFault fault;
    if (file.status != FileStatus::ok || !readPlan(asText(file), plan, fault) || plan.name != name)
        return false;
    openEditor(g, plan);
    // A saved author run keeps the road validated while the road stays the same.
    FileRead ghost = readRegularFile(folder + "/author.vghost", maxGhostFileBytes);
    std::string why;
    if (ghost.status == FileStatus::ok && decodeGhost(ghost.bytes.data(), ghost.bytes.size(), g.editor.author, why))
        g.editor.haveAuthor = true;
    showEditor(g);
    return true;
}

void leaveEditor(Game& g)
{
    reloadCurrentTrack(g);
    // The list is read again: a new track is on it, an edited one changed.
    openMyTracks(g);
}

bool editorTakesEvent(Game& g, const SDL_Event& event)
{
    if (g.screen != Screen::editor || g.inRace)
        return false;
    EditorState& e = g.editor;
    if (event.type == SDL_MOUSEBUTTONDOWN &&
        (event.button.button == SDL_BUTTON_LEFT || event.button.button == SDL_BUTTON_RIGHT)) {
        PlanFrame frame = planFrame(e.edit.plan, g.screenWidth, g.screenHeight);
        double x = 0.0, y = 0.0;
        planPointAt(frame, event.button.x, event.button.y, x, y);
        if (event.button.button == SDL_BUTTON_LEFT) {
            int corner = cornerAt(e.edit.plan, x, y, 14.0 / frame.scale);
            if (corner >= 0)
                chooseCorner(e.edit, corner);
        } else if (placeCorner(e.edit, std::round(x), std::round(y))) {
            refreshEditor(e);
        }
        showEditor(g);
        return true;
    }
    if (event.type != SDL_KEYDOWN)
        return event.type == SDL_KEYUP;
    const bool shift = (event.key.keysym.mod & KMOD_SHIFT) != 0;
    const EditorCommand command = editorKey(e, event.key.keysym.sym, shift);
    if (command != EditorCommand::leave)
        e.leaveUnsaved = false;
    switch (command) {
    case EditorCommand::none:
        return false;
    case EditorCommand::edited:
        e.status.clear();
        break;
    case EditorCommand::refused:
        e.status = "not possible here";
        break;
    case EditorCommand::save:
        saveEditorPlan(e, saveDirectory());
        break;
    case EditorCommand::testDrive:
        // Started by the flow after this poll, as "play" is: the poll's own
        // record then stays out of the drive.
        reportIntent(IntentKind::testDrive);
        return true;
    case EditorCommand::leave:
        if (!e.edit.changed || e.leaveUnsaved || saveEditorPlan(e, saveDirectory())) {
            leaveEditor(g);
            return true;
        }
        e.leaveUnsaved = true;
        e.status += "; Esc again leaves without saving";
        break;
    }
    showEditor(g);
    return true;
}

void finishTestDrive(Game& g)
{
    EditorState& e = g.editor;
    const std::vector<ControlInput> records = g.run.controls;
    GhostFile author =
        authorOfDrive(e, g.save.playerName, records, g.run.startState, static_cast<int64_t>(std::time(nullptr)));
    const std::string time = formatTicks(static_cast<int64_t>(records.size()));
    // Only a run that replays to its finish on the road may stand for it.
    Track road;
    road.segments = e.built.segments;
    const std::string why = checkGhost(author, e.roadHash, road);
    backToEditor(g, "");
    if (!why.empty()) {
        e.status = "finished in " + time + ", but the run does not replay (" + why + "): not validated";
        reloadCurrentTrack(g);
        showEditor(g);
        return;
    }
    e.author = author;
    e.haveAuthor = true;
    // The validation is kept at once: the road's files gain their medals.
    if (saveEditorPlan(e, saveDirectory()))
        e.status = "validated in " + time + ": saved with its medals";
    else
        e.status = "validated in " + time + ", " + e.status;
    reloadCurrentTrack(g);
    showEditor(g);
}

void endTestDrive(Game& g, const std::string& note)
{
    backToEditor(g, note.empty() ? "test drive ended" : "test drive: " + note);
    reloadCurrentTrack(g);
    showEditor(g);
}

void drawEditor(Game& g)
{
    const EditorState& e = g.editor;
    PlanDraw draw;
    draw.plan = &e.edit.plan;
    draw.road = e.haveRoad ? &e.road : nullptr;
    draw.chosen = e.edit.chosen;
    for (const PlanFault& f : e.faults)
        if (f.corner >= 0)
            draw.faultyCorners.push_back(f.corner);
    draw.screenWidth = g.screenWidth;
    draw.screenHeight = g.screenHeight;
    drawPlanView(draw);
}
