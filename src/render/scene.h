#pragma once
// The two scenes: the turning menu background and the race seen from the
// chase camera, with the translucent ghost.

void setLights();
void drawMenuBackground();
void drawRaceScene();
