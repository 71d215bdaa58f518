#pragma once
// Creates the window, the GL state, the GUI back-ends, the fonts and the
// widget tree, printing its progress lines.

void createGame();
