#pragma once
// The two scenes: the turning menu background and the race seen from the
// chase camera, with the translucent ghost. Both leave GL_TEXTURE_2D,
// GL_DEPTH_TEST and GL_CULL_FACE enabled, GL_LIGHTING and GL_BLEND disabled,
// the matrix mode at modelview and the colour at the last one they set.

#include <cstdint>

#include "render/camera.h"

struct Game;
struct Watch;

// Light 0 fixed in the world; call with the camera on the modelview matrix.
void setLights();

// The global game at the current SDL time.
void drawMenuBackground();
void drawRaceScene();

// The same scenes of a given game; the menu turned as at ticksMs.
void drawMenuBackgroundAt(Game& g, uint32_t ticksMs);
void drawRaceSceneOf(Game& g);

// Where the replay's chosen camera looks from.
CameraPose watchCameraPose(const Watch& watch);

// The race scene of a replay: the watched ship, drawn with the player's
// model, seen from the chosen camera; no ghost.
void drawWatchSceneOf(Game& g, const Watch& watch);
