#pragma once
// The race HUD: time, speed, lap and segment, frame rate, countdown.

#include <string>

struct Hud;

// "%01d:%02d.%02d" of minutes, seconds and hundredths, all truncated.
std::string formatTime(double seconds);

void updateHud(Hud& hud);
