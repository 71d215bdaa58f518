#pragma once
// The two scenes: the turning menu background and the race seen from the
// chase camera, with the translucent ghost. Both leave GL_TEXTURE_2D,
// GL_DEPTH_TEST and GL_CULL_FACE enabled, GL_LIGHTING and GL_BLEND disabled,
// the matrix mode at modelview and the colour at the last one they set.

#include <cstdint>

#include "render/camera.h"
#include "render/race_view.h"

struct Game;

// Light 0 fixed in the world; call with the camera on the modelview matrix.
void setLights();

// The menu background of the global game at the current SDL time.
void drawMenuBackground();

// The menu background of a given game, turned as at ticksMs.
void drawMenuBackgroundAt(Game& g, uint32_t ticksMs);

// The road and scenery from the view's camera, then its ships.
void drawRaceScene(const RaceView& view);
// The view's map over whatever the frame holds.
void drawRaceMap(const RaceView& view);
// The scene, the ghosts' name tags over it, the map last.
void drawRaceView(const RaceView& view);
