// Preloaded into the game by the idle figure of vantor-bench and by the
// frame-rate test: counts buffer swaps. After every swap the count is written
// as one line at the start of the file named by VANTOR_SWAP_COUNT, so a
// reader sees the latest count at any moment while the game runs on.
// With VANTOR_SKIP_LISTS set, the compiled scenery and road are not replayed:
// frames then cost next to nothing on any machine, as on a fast graphics
// card, and only the game's own pacing holds their rate.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

unsigned long long swaps = 0;
int countFd = -2;

void writeCount()
{
    if (countFd == -2) {
        const char* path = getenv("VANTOR_SWAP_COUNT");
        countFd = path ? open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600) : -1;
    }
    if (countFd < 0)
        return;
    // Fixed width: a shorter count never leaves digits of a longer one behind.
    char line[32];
    int n = snprintf(line, sizeof line, "%20llu\n", swaps);
    if (n > 0 && pwrite(countFd, line, static_cast<size_t>(n), 0) != n)
        countFd = -1;
}

}  // namespace

extern "C" void SDL_GL_SwapBuffers()
{
    using Swap = void (*)();
    static Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    if (real)
        real();
    ++swaps;
    writeCount();
}

extern "C" void glCallList(unsigned int list)
{
    using CallList = void (*)(unsigned int);
    static CallList real = reinterpret_cast<CallList>(dlsym(RTLD_NEXT, "glCallList"));
    static bool skip = getenv("VANTOR_SKIP_LISTS") != nullptr;
    if (real && !skip)
        real(list);
}
