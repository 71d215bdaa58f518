#pragma once
// The start-up sequence and the shutdown that releases the platform objects.

// Runs the whole program: start-up, the main loop, shutdown. Returns the exit status.
int runGame();

void shutdown();
