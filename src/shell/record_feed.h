#pragma once
// Races driven by recorded controls instead of the keyboard, for the game's
// own end-to-end tests and for demonstrations: when VANTOR_FEED_RECORDS
// names a ghost file, its records replace the player's input from the first
// race tick of every race, and the keyboard and joystick drive again past its
// last record. A file that cannot be read feeds nothing.

#include <cstddef>

#include "sim/control.h"

// Replaces record with the fed record of race tick, when there is one; the
// file is read again at tick 0.
void feedRecord(size_t tick, ControlInput& record);
