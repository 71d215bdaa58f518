// The editor's rules without a window: what each key does, when the road
// counts as validated, and what a save writes and takes away in the
// player's tracks folder.
#include <gtest/gtest.h>

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "assets/regular_file.h"
#include "save/ghost_file.h"
#include "shell/editor_flow.h"
#include "sim/autopilot.h"
#include "sim/race_constants.h"
#include "sim/time_text.h"
#include "track/track_file.h"
#include "test_files.h"

namespace {

EditorState editorOn(const TrackPlan& plan)
{
    EditorState e;
    e.edit = editPlan(plan);
    refreshEditor(e);
    return e;
}

// The autopilot's race on the editor's road, as a finished test drive.
GhostFile autopilotDrive(const EditorState& e)
{
    Track road;
    road.name = e.edit.plan.name;
    road.segments = e.built.segments;
    AutopilotRun run = driveWithAutopilot(road, AutopilotSettings{}, maxAuthorTicks);
    EXPECT_EQ(run.result.outcome, RaceOutcome::finish);
    StateImage start{};
    std::memcpy(start.data(), &run.result.startState, start.size());
    return authorOfDrive(e, "ace", run.controls, start, 5);
}

std::vector<std::string> namesOf(const std::vector<TrackFileImage>& files)
{
    std::vector<std::string> names;
    for (const TrackFileImage& f : files)
        names.push_back(f.name);
    return names;
}

bool present(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

} // namespace

TEST(EditorKeys, EachKeyDoesWhatTheScreenSays)
{
    const struct {
        const char* what;
        int key;
        bool shift;
        EditorCommand command;
        int chosen;
        size_t corners;
    } cases[] = {
        {"Tab: the next corner", SDLK_TAB, false, EditorCommand::edited, 2, 4},
        {"Shift+Tab: the one before", SDLK_TAB, true, EditorCommand::edited, 0, 4},
        {"PageDown", SDLK_PAGEDOWN, false, EditorCommand::edited, 2, 4},
        {"I inserts after", SDLK_i, false, EditorCommand::edited, 2, 5},
        {"Insert too", SDLK_INSERT, false, EditorCommand::edited, 2, 5},
        {"X deletes", SDLK_x, false, EditorCommand::edited, 1, 3},
        {"arrows move", SDLK_LEFT, false, EditorCommand::edited, 1, 4},
        {"radius up", SDLK_q, false, EditorCommand::edited, 1, 4},
        {"nothing to undo", SDLK_u, false, EditorCommand::refused, 1, 4},
        {"F2 saves", SDLK_F2, false, EditorCommand::save, 1, 4},
        {"Enter drives", SDLK_RETURN, false, EditorCommand::testDrive, 1, 4},
        {"Escape leaves", SDLK_ESCAPE, false, EditorCommand::leave, 1, 4},
        {"other keys go on", SDLK_z, false, EditorCommand::none, 1, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EditorState e = editorOn(defaultPlan("mine"));
        chooseCorner(e.edit, 1);
        EXPECT_EQ(editorKey(e, c.key, c.shift), c.command);
        EXPECT_EQ(e.edit.chosen, c.chosen);
        EXPECT_EQ(e.edit.plan.corners.size(), c.corners);
    }
}

TEST(EditorKeys, AChangeIsJudgedAtOnce)
{
    EditorState e = editorOn(defaultPlan("mine"));
    ASSERT_TRUE(e.faults.empty());
    ASSERT_TRUE(e.haveRoad);
    // Narrower than the road: the corner is marked at once.
    while (editorKey(e, SDLK_a, false) == EditorCommand::edited) {
    }
    ASSERT_FALSE(e.faults.empty());
    EXPECT_EQ(e.faults.front().corner, 0);
    EXPECT_FALSE(e.haveRoad);
    EXPECT_NE(editorView(e).fault.find("corner 1: RADIUS"), std::string::npos) << editorView(e).fault;
    EXPECT_EQ(editorKey(e, SDLK_BACKSPACE, false), EditorCommand::edited);
    EXPECT_TRUE(e.faults.empty());
    EXPECT_TRUE(e.haveRoad);
}

TEST(EditorValidation, AFinishedDriveValidatesTheRoadUntilTheRoadChanges)
{
    EditorState e = editorOn(defaultPlan("mine"));
    EXPECT_FALSE(editorValidated(e));
    e.author = autopilotDrive(e);
    e.haveAuthor = true;
    EXPECT_TRUE(editorValidated(e));
    // The run replays on the road it validates, as a shared track's must.
    Track road;
    road.segments = e.built.segments;
    EXPECT_EQ(checkGhost(e.author, e.roadHash, road), "");
    EXPECT_NE(editorView(e).validation.find("validated: author time " + formatTicks(e.author.ticks)),
              std::string::npos);

    // Scenery is not the road; a corner is.
    editorKey(e, SDLK_t, false);
    EXPECT_TRUE(editorValidated(e));
    editorKey(e, SDLK_UP, false);
    EXPECT_FALSE(editorValidated(e));
    EXPECT_NE(editorView(e).validation.find("not validated"), std::string::npos);
    editorKey(e, SDLK_u, false);
    EXPECT_TRUE(editorValidated(e));
}

TEST(EditorSave, WritesWhatThePlanAllowsAndRemovesWhatNoLongerBelongs)
{
    const std::string root = makeTempDir("editor-save");
    const std::string folder = root + "/tracks/mine";
    EditorState e = editorOn(defaultPlan("mine"));
    e.author = autopilotDrive(e);
    e.haveAuthor = true;

    EditorSave validated = editorSave(e);
    EXPECT_EQ(namesOf(validated.files), (std::vector<std::string>{"track.track", "textures.txt", "area.tris",
                                                                  "area.png", "times.txt", "plan.txt",
                                                                  "author.vghost"}));
    ASSERT_TRUE(saveEditorPlan(e, root)) << e.status;
    EXPECT_FALSE(e.edit.changed);
    FileRead times = readRegularFile(folder + "/times.txt", 100);
    EXPECT_EQ(asText(times), medalTimesText(medalTimesFrom(e.author.ticks * tickSeconds)));
    GhostFile stored;
    EXPECT_EQ(verifyGhostFile(root, folder + "/author.vghost", stored), "");

    // A new road: its files, no medals and no author until it is driven again.
    editorKey(e, SDLK_RIGHT, false);
    EXPECT_EQ(namesOf(editorSave(e).files),
              (std::vector<std::string>{"track.track", "textures.txt", "area.tris", "area.png", "plan.txt"}));
    ASSERT_TRUE(saveEditorPlan(e, root)) << e.status;
    EXPECT_FALSE(present(folder + "/author.vghost"));
    EXPECT_FALSE(present(folder + "/times.txt"));
    EXPECT_TRUE(present(folder + "/track.track"));

    // A plan with a fault keeps only itself.
    while (editorKey(e, SDLK_a, false) == EditorCommand::edited) {
    }
    EXPECT_EQ(namesOf(editorSave(e).files), std::vector<std::string>{"plan.txt"});
    ASSERT_TRUE(saveEditorPlan(e, root)) << e.status;
    EXPECT_FALSE(present(folder + "/track.track"));
    FileRead plan = readRegularFile(folder + "/plan.txt", maxPlanBytes);
    EXPECT_EQ(asText(plan), formatPlan(e.edit.plan));
    std::filesystem::remove_all(root);
}

TEST(EditorSave, ALinkInThePlaceOfTheFolderIsRefusedAndTheChangeKept)
{
    const std::string root = makeTempDir("editor-link");
    const std::string elsewhere = makeTempDir("editor-elsewhere");
    ASSERT_EQ(mkdir((root + "/tracks").c_str(), 0755), 0);
    ASSERT_EQ(symlink(elsewhere.c_str(), (root + "/tracks/mine").c_str()), 0);
    EditorState e = editorOn(defaultPlan("mine"));
    editorKey(e, SDLK_UP, false);
    EXPECT_FALSE(saveEditorPlan(e, root));
    EXPECT_EQ(e.status.rfind("not saved: ", 0), 0u) << e.status;
    EXPECT_TRUE(e.edit.changed);
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
    std::filesystem::remove_all(root);
    std::filesystem::remove_all(elsewhere);
}
