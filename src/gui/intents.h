#pragma once
// What the player chose in a menu. Menus only show and forward: a button's
// action becomes an intent in this queue, and the shell's flow takes the
// queue after the GUI's logic step and acts on each, in order.

#include <string>
#include <vector>

enum class IntentKind {
    // The track menu: a track (text: its name), or "back", which ends the game.
    chooseTrack,
    quit,
    // The play menu.
    play,
    watch,
    cycleRival,
    // The ghosts button: Enter, and Left or Right (text: "left", "right").
    toggleGhost,
    nextGhost,
    backToTracks,
    // The score-saving menu's "done"; text: the name as typed.
    confirmName,
    // The track menu's "settings"; on the settings screen, a row focused
    // (text: its number) or changed (text: its number, then -1, 0 for Enter, or 1).
    openSettings,
    focusSetting,
    changeSetting,
    // The score-saving and play menus' "analysis" of the last finish.
    analysis,
    // "practice" on the analysis screen or the play menu; left and right on
    // it choose the joint before or after.
    practice,
    practiceEarlier,
    practiceLater,
    // The analysis screen's "back".
    leaveAnalysis,
    // "new" and "edit" on the "my tracks" screen: a new plan, or the chosen track's, opened in the editor.
    newTrack,
    editTrack,
    // The editor's Enter: the plan's road raced at once.
    testDrive,
    // The track menu's "my tracks"; on that screen a track chosen (text: its
    // index in the list), "play", "share", "delete" and "back".
    openMyTracks,
    chooseMyTrack,
    playMyTrack,
    shareMyTrack,
    deleteMyTrack,
    leaveMyTracks,
};

struct MenuIntent {
    IntentKind kind = IntentKind::play;
    std::string text;
};

// Queues an intent for the flow.
void reportIntent(IntentKind kind, const std::string& text = "");

// The intents queued since the last call, oldest first; empties the queue.
std::vector<MenuIntent> takeIntents();
