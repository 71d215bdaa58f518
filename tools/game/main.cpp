#include <SDL.h>

#include "shell/startup.h"

// SDL 1.2 renames main to SDL_main for its start-up stub; arguments are ignored.
int main(int, char**) { return runGame(); }
