#pragma once
// The race's fixed numbers, defined once: everything that steps, times or
// replays a race takes them from here.

#include <cstdint>

// The simulation's rate; a run's time is its record count over this.
constexpr int32_t ticksPerSecond = 100;
// Seconds per tick: the stepSeconds of every physics step, in the game and
// in every tool alike.
constexpr double tickSeconds = 0.01;
// An hour of race ticks: the longest run any file or tool takes as real.
constexpr int32_t hourTicks = 3600 * ticksPerSecond;
// The countdown the HUD shows, and the ticks it holds the ships: 10 ms per
// tick counted down from 3000 ms while at least 1 ms is left.
constexpr int32_t countdownStartMs = 3000;
constexpr int32_t countdownTicks = 299;
// m/s^2 on a track whose area file does not say otherwise.
constexpr double defaultGravity = 9.81;
// Raised whenever a change to the physics, the locator or the race rules moves
// a stored run: shared runs say which version they were driven with.
constexpr uint32_t physicsVersion = 1;
