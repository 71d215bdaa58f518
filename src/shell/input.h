#pragma once
// Drains the SDL event queue and turns keyboard and joystick into one
// ControlInput appended to the current run on every call.

void pollInput();
