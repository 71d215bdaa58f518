#pragma once
// The "my tracks" screen's part of the flow: opening and leaving it, the
// chosen track played, deleted (asked once) or shared, and the shared files
// dropped beside the player's tracks proven one a frame while it is up.

struct Game;

// Lists the player's tracks, queues the shared files not yet judged this
// session and shows the screen.
void openMyTracks(Game& g);
// Escape or "back": a pending delete question is taken back; otherwise the
// track menu comes back.
void leaveMyTracks(Game& g);
// Up, Down or a click on a row: the track at index becomes the chosen one.
void chooseMyTrack(Game& g, int index);
// The chosen track's play menu, under the name of its road as it is now.
void playMyTrack(Game& g);
// The first "delete" asks; the second deletes the chosen track's folder.
void deleteChosenTrack(Game& g);
// Writes the chosen track as a shared file and says where.
void shareChosenTrack(Game& g);
// One frame's share of proving shared files: at most one.
void stepMyTracks(Game& g);
// Whether the play menu's "back" leads here: the current track is the player's.
bool playingMyTrack(const Game& g);
