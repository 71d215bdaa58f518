#pragma once
// Creates the window, the GL state, the GUI back-ends, the fonts and the
// widget tree, printing its progress lines.

// False when no window with an OpenGL context could be opened; the game
// cannot run then.
bool createGame();
