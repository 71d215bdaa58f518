#pragma once
// The track editor's part of the flow: opening a plan, every key and click on
// the editing screen, saving into the player's tracks folder, and the test
// drive whose finish validates the road. The rules that need no window
// (which key does what, what the screen says, what a save writes) are plain
// functions here; the rest changes the game.

#include <string>
#include <vector>

#include "design/plan_edit.h"
#include "design/track_package.h"
#include "render/plan_view.h"
#include "save/ghost_file.h"

struct Game;
union SDL_Event;

struct EditorState {
    PlanEditor edit;
    // The faults of edit.plan, the first from checkPlan; empty for a sound plan.
    std::vector<PlanFault> faults;
    // The road of a sound plan, and the hash of its track.track.
    BuiltTrack built;
    bool haveRoad = false;
    PlanRoad road;
    Sha256Digest roadHash{};
    // The last finished test drive, a validation while its hash is roadHash.
    GhostFile author;
    bool haveAuthor = false;
    // What the last save, test drive or refused key did.
    std::string status;
    bool testDriving = false;
    // The ghost setting as it was before the test drive, which races alone.
    bool ghostWasEnabled = true;
    // An Escape whose save failed: the next one leaves without saving.
    bool leaveUnsaved = false;
};

// What a key on the editing screen asks for beyond a change of the plan.
enum class EditorCommand { none, edited, refused, save, testDrive, leave };

// Acts on one key (an SDLKey and its shift state) on the editor's plan;
// "edited" after a change, "refused" when the change was not possible.
EditorCommand editorKey(EditorState& e, int key, bool shift);
// The faults, the road and the validation brought up to date with the plan.
void refreshEditor(EditorState& e);
// Whether the author run was driven on the road the plan makes now.
bool editorValidated(const EditorState& e);

// The screen's lines, for the menu to show.
struct EditorView {
    std::string title;
    std::string plan;
    std::string corner;
    std::string fault;
    std::string validation;
    std::vector<std::string> keys;
    std::string status;
};
EditorView editorView(const EditorState& e);

// The files a save writes, and the files of the track's folder it removes
// because they no longer belong to the plan (a road and times of an earlier
// plan, an author run of an earlier road). area.png is encoded here too.
struct EditorSave {
    std::vector<TrackFileImage> files;
    std::vector<std::string> stale;
    std::string error;
};
EditorSave editorSave(const EditorState& e);
// Writes the plan into root/tracks/NAME/; false with e.status saying why.
bool saveEditorPlan(EditorState& e, const std::string& root);
// The author run a finished test drive makes of the run's records.
GhostFile authorOfDrive(const EditorState& e, const std::string& player, const std::vector<ControlInput>& records,
                        const StateImage& startState, int64_t date);

// Saves the plan and races its road at once, without a ghost; nothing when
// the plan has a fault or the road cannot be saved (the status says why).
void startTestDrive(Game& g);
// Opens the editor on plan (its name names its folder), the corner list at the first.
void openEditor(Game& g, const TrackPlan& plan);
// Opens a new plan with a free name, or the plan saved in tracks/NAME/plan.txt.
void openNewPlan(Game& g);
bool openSavedPlan(Game& g, const std::string& name);
// Back from the editor to "my tracks", the current track loaded again.
void leaveEditor(Game& g);
// A key or a click on the editing screen, taken before the menus; false for
// every other event.
bool editorTakesEvent(Game& g, const SDL_Event& event);

// The plan drawn from above under the editor's lines.
void drawEditor(Game& g);

// The test drive's ends, called by the race flow while g.editor.testDriving:
// a finish validates the road; a loss, an abort or a restart return to the editor.
void finishTestDrive(Game& g);
void endTestDrive(Game& g, const std::string& note);
