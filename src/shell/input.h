#pragma once
// Drains the SDL event queue and turns keyboard and joystick into one
// ControlInput appended to the current run on every call.

void pollInput();

// Whether an Escape key press waits in the event queue; looks without taking
// any event, so keys pressed in the countdown still reach its first race tick.
bool escapeWaiting();
