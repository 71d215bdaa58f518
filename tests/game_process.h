#pragma once
// Test-only: runs the real build/vantor under its own Xvfb server, the way a
// player would: its own display number, its own per-user folder, the working
// directory at a generated content folder. Keys and the pointer go through
// xdotool, screenshots through ImageMagick's import, windows are found with
// xwininfo. Everything is bounded by explicit time-outs.

#include <FreeImagePlus.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "test_files.h"

inline void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Output of a shell command, with its exit status.
inline std::string runCommand(const std::string& command, int* status = nullptr)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int rc = pclose(p);
    if (status)
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

// Waits up to ms for the child to end; its exit status, 128 + signal when a
// signal ended it, -1 while it still runs, -2 when it is no child of ours
// (already reaped: its number may belong to another process by now).
inline int waitChild(pid_t pid, int ms)
{
    for (int waited = 0;; waited += 20) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (r < 0)
            return -2;
        if (waited >= ms)
            return -1;
        sleepMs(20);
    }
}

// Ends a child of ours that would not end by itself, and reaps it.
inline void killChild(pid_t pid) { kill(pid, SIGKILL); waitChild(pid, 2000); }

// One Xvfb server on a display number no other process holds.
struct XServer {
    pid_t pid = -1;
    int number = -1;

    std::string display() const { return ":" + std::to_string(number); }

    // The server process named in a display's lock file, or -1.
    static pid_t lockOwner(const std::string& lock)
    {
        std::ifstream in(lock);
        long owner = -1;
        if (!(in >> owner))
            return -1;
        return static_cast<pid_t>(owner);
    }

    bool start(int width, int height)
    {
        // Spread parallel test processes over different numbers.
        int first = 200 + static_cast<int>(getpid() % 400);
        for (int n = first; n < first + 60; ++n) {
            std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
            std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (std::filesystem::exists(lock) || std::filesystem::exists(socket))
                continue;
            std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
            pid_t child = fork();
            if (child == 0) {
                int devnull = open("/dev/null", O_RDWR);
                dup2(devnull, 0);
                dup2(devnull, 1);
                dup2(devnull, 2);
                std::string arg = ":" + std::to_string(n);
                // -noreset: a server resetting after its last client turns new clients away.
                // -ardelay: no auto-repeat while a test holds a key, since a repeat's
                // release and press can land in different ticks on a loaded machine.
                execlp("Xvfb", "Xvfb", arg.c_str(), "-nolisten", "tcp", "-noreset", "-ardelay", "60000",
                       "-screen", "0",
                       screen.c_str(), static_cast<char*>(nullptr));
                _exit(127);
            }
            if (child < 0)
                return false;
            bool ended = false;
            for (int waited = 0; waited < 10000; waited += 50) {
                if (waitChild(child, 0) != -1) {
                    ended = true; // it gave up, most likely the number was taken
                    break;
                }
                if (std::filesystem::exists(socket) && lockOwner(lock) == child) {
                    // The socket appears before the server takes clients.
                    pid = child;
                    number = n;
                    int status = -1;
                    x("xwininfo -root", &status);
                    if (status == 0)
                        return true;
                    pid = -1;
                    number = -1;
                }
                sleepMs(50);
            }
            if (!ended && waitChild(child, 0) == -1)
                killChild(child);
        }
        return false;
    }

    void stop()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            if (waitChild(pid, 5000) == -1)
                killChild(pid);
        }
        pid = -1;
    }

    ~XServer() { stop(); }

    // Runs an X client command against this display.
    std::string x(const std::string& command, int* status = nullptr) const
    {
        return runCommand("DISPLAY=" + display() + " " + command + " 2>&1", status);
    }

    // Width, height, x and y of the game's window; false when it is not there.
    bool gameWindow(int& w, int& h, int& left, int& top) const
    {
        std::string tree = x("xwininfo -root -tree");
        std::smatch m;
        std::regex line("\\(\"vantor\" \"vantor\"\\)\\s+(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)");
        if (!std::regex_search(tree, m, line))
            return false;
        w = std::stoi(m[1]);
        h = std::stoi(m[2]);
        left = std::stoi(m[3]);
        top = std::stoi(m[4]);
        return true;
    }

    bool waitForGameWindow(int ms) const
    {
        int w, h, l, t;
        for (int waited = 0; waited < ms; waited += 100) {
            if (gameWindow(w, h, l, t))
                return true;
            sleepMs(100);
        }
        return false;
    }

    // Keys reach the window under the pointer (there is no window manager).
    void key(const std::string& keys) const
    {
        x("xdotool mousemove 3 3");
        x("xdotool key --delay 60 " + keys);
    }
    void keyDown(const std::string& keys) const { x("xdotool keydown " + keys); }
    void keyUp(const std::string& keys) const { x("xdotool keyup " + keys); }
    void type(const std::string& text) const { x("xdotool type --delay 80 '" + text + "'"); }

    bool screenshot(const std::string& pngPath) const
    {
        int status = -1;
        x("import -window root '" + pngPath + "'", &status);
        return status == 0 && std::filesystem::exists(pngPath);
    }
};

// The game as a child process: standard output collected through a pipe,
// standard error into a file.
struct GameProcess {
    pid_t pid = -1;
    int outFd = -1;
    std::string output;
    int exitStatus = -1;
    // Why startAndWait gave up.
    std::string failure;
    // A program the game runs under (valgrind and its options), empty for none.
    std::vector<std::string> wrapper;
    // Environment variables set for the game, after the ones set for every run.
    std::vector<std::pair<std::string, std::string>> env;
    // What is started; empty for the game of the build folder.
    std::string binary;

    bool start(const std::string& workDir, const std::string& home, const XServer& server,
               const std::string& errPath)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], 1);
            int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (err >= 0)
                dup2(err, 2);
            close(fds[0]);
            if (chdir(workDir.c_str()) != 0)
                _exit(126);
            setenv("HOME", home.c_str(), 1);
            unsetenv("APPDATA");
            unsetenv("XDG_CONFIG_HOME");
            unsetenv("XDG_DATA_HOME");
            setenv("DISPLAY", server.display().c_str(), 1);
            setenv("SDL_VIDEODRIVER", "x11", 1);
            for (const auto& [name, value] : env)
                setenv(name.c_str(), value.c_str(), 1);
            std::vector<std::string> words = wrapper;
            words.push_back(binary.empty() ? std::string(VANTOR_BUILD_DIR) + "/vantor" : binary);
            std::vector<char*> argv;
            for (std::string& w : words)
                argv.push_back(&w[0]);
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            return false;
        }
        outFd = fds[0];
        fcntl(outFd, F_SETFL, O_NONBLOCK);
        return true;
    }

    // Starts the game and waits for the end of its start-up lines. Xvfb now
    // and then turns a connection away when a client arrives while it is
    // busy, sometimes for a few seconds on a loaded machine; the game then
    // ends at once with status 1, and a new start is tried for up to about
    // twenty seconds.
    bool startAndWait(const std::string& workDir, const std::string& home, const XServer& server,
                      const std::string& errPath, int ms)
    {
        for (int attempt = 0; attempt < 30; ++attempt) {
            if (attempt > 0)
                sleepMs(600);
            output.clear();
            exitStatus = -1;
            if (outFd >= 0) {
                close(outFd);
                outFd = -1;
            }
            if (!start(workDir, home, server, errPath))
                return false;
            if (waitForOutput("Play game\n\n", ms))
                return true;
            bool stillRunning = running();
            std::ifstream err(errPath);
            std::string text((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
            failure = "attempt " + std::to_string(attempt + 1) +
                      (stillRunning ? ": still running" : ": exit status " + std::to_string(exitStatus)) +
                      "; standard error: " + text;
            if (stillRunning || exitStatus != 1 ||
                text.find("Couldn't open X11 display") == std::string::npos)
                return false;
        }
        return false;
    }

    void drain()
    {
        if (outFd < 0)
            return;
        char buf[4096];
        for (;;) {
            ssize_t n = read(outFd, buf, sizeof buf);
            if (n > 0) {
                output.append(buf, static_cast<size_t>(n));
                continue;
            }
            if (n == 0) {
                close(outFd);
                outFd = -1;
            }
            return;
        }
    }

    bool waitForOutput(const std::string& text, int ms)
    {
        for (int waited = 0; waited < ms; waited += 50) {
            drain();
            if (output.find(text) != std::string::npos)
                return true;
            if (!running())
                break;
            sleepMs(50);
        }
        drain();
        return output.find(text) != std::string::npos;
    }

    bool running()
    {
        if (pid <= 0)
            return false;
        int status = waitChild(pid, 0);
        if (status == -1)
            return true;
        exitStatus = status;
        pid = -1;
        return false;
    }

    // Waits for the end; the exit status, or -1 after the time-out.
    int waitExit(int ms)
    {
        for (int waited = 0; waited < ms && running(); waited += 50) {
            drain();
            sleepMs(50);
        }
        drain();
        return running() ? -1 : exitStatus;
    }

    int terminate(int ms)
    {
        if (running())
            kill(pid, SIGTERM);
        return waitExit(ms);
    }

    ~GameProcess()
    {
        if (running())
            killChild(pid);
        if (outFd >= 0)
            close(outFd);
    }
};

// The console lines of a start-up without errors, in order.
inline std::string startupLines()
{
    return "Starting game...\n"
           "Load \"config.txt\"\n"
           "Load game\n"
           "Create game\n"
           "Init SDL\n"
           "Init OpenGL\n"
           "Init Guichan\n"
           "Load fonts\n"
           "Load medals\n"
           "Create widgets\n"
           ".. gui\n"
           ".. top\n"
           ".. border\n"
           ".. track menu\n"
           ".. HUD\n"
           ".. play menu\n"
           ".. score saving menu\n"
           "Load track\n"
           "Load area\n"
           "Load car\n"
           "Load ghost\n"
           "Play game\n"
           "\n";
}

// A fresh content folder made by the project's own content tool.
inline bool generateContent(const std::string& dataDir)
{
    int status = -1;
    runCommand(std::string(VANTOR_BUILD_DIR) + "/vantor-content '" + dataDir + "' 2>&1", &status);
    return status == 0;
}

// RGBA pixels, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;

    bool load(const std::string& path)
    {
        fipImage image;
        if (!image.load(path.c_str()) || !image.convertTo32Bits())
            return false;
        width = static_cast<int>(image.getWidth());
        height = static_cast<int>(image.getHeight());
        rgba.assign(static_cast<size_t>(width) * height * 4, 0);
        for (int y = 0; y < height; ++y) {
            const BYTE* line = image.getScanLine(static_cast<unsigned>(height - 1 - y));
            for (int x = 0; x < width; ++x) {
                unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
                p[0] = line[x * 4 + FI_RGBA_RED];
                p[1] = line[x * 4 + FI_RGBA_GREEN];
                p[2] = line[x * 4 + FI_RGBA_BLUE];
                p[3] = line[x * 4 + FI_RGBA_ALPHA];
            }
        }
        return true;
    }

    const unsigned char* at(int x, int y) const
    {
        return &rgba[(static_cast<size_t>(y) * width + x) * 4];
    }

    // Distinct colours in the picture, counted up to limit.
    size_t distinctColours(size_t limit = 1000) const
    {
        std::vector<uint32_t> seen;
        for (size_t i = 0; i + 3 < rgba.size() && seen.size() < limit; i += 4 * 7) {
            uint32_t c = rgba[i] | (rgba[i + 1] << 8) | (rgba[i + 2] << 16);
            bool found = false;
            for (uint32_t s : seen)
                found = found || s == c;
            if (!found)
                seen.push_back(c);
        }
        return seen.size();
    }
};

inline bool sameColour(const unsigned char* a, const unsigned char* b, int tolerance)
{
    for (int i = 0; i < 3; ++i)
        if (std::abs(int(a[i]) - int(b[i])) > tolerance)
            return false;
    return true;
}

// Share of the opaque pixels of picture (inside the given part of it) that
// the screenshot shows unchanged at (x, y).
inline double opaqueMatch(const Picture& shot, const Picture& pic, int x, int y, int px = 0,
                          int py = 0, int pw = -1, int ph = -1)
{
    if (pw < 0)
        pw = pic.width - px;
    if (ph < 0)
        ph = pic.height - py;
    int opaque = 0, same = 0;
    for (int j = py; j < py + ph; ++j) {
        for (int i = px; i < px + pw; ++i) {
            const unsigned char* p = pic.at(i, j);
            int sx = x + i - px, sy = y + j - py;
            if (p[3] != 255 || sx < 0 || sy < 0 || sx >= shot.width || sy >= shot.height)
                continue;
            ++opaque;
            if (sameColour(p, shot.at(sx, sy), 6))
                ++same;
        }
    }
    return opaque ? double(same) / opaque : 0.0;
}

// A font image read the way the GUI library's image font reads it: the
// colour of pixel (0, 0) separates the glyphs of one row.
struct FontImage {
    Picture pic;
    int height = 0;
    struct Glyph {
        int x = 0, width = 0;
    };
    Glyph glyphs[256];

    bool load(const std::string& path, const std::string& glyphOrder)
    {
        if (!pic.load(path))
            return false;
        const unsigned char* sep = pic.at(0, 0);
        auto isSep = [&](int x, int y) { return sameColour(pic.at(x, y), sep, 0) && pic.at(x, y)[3] == sep[3]; };
        int first = 0;
        while (first < pic.width && isSep(first, 0))
            ++first;
        while (height < pic.height && !isSep(first, height))
            ++height;
        int x = 0;
        for (unsigned char c : glyphOrder) {
            do {
                ++x;
            } while (x < pic.width && isSep(x, 0));
            int w = 0;
            while (x + w < pic.width && !isSep(x + w, 0))
                ++w;
            glyphs[c] = Glyph{x, w};
            x += w;
        }
        return height > 0;
    }

    int textWidth(const std::string& text) const
    {
        int w = 0;
        for (unsigned char c : text)
            w += glyphs[c].width;
        return w;
    }

    // Share of the text's opaque glyph pixels the screenshot shows at (x, y).
    double match(const Picture& shot, const std::string& text, int x, int y) const
    {
        double total = 0;
        int counted = 0;
        for (unsigned char c : text) {
            const Glyph& g = glyphs[c];
            if (c != ' ') {
                total += opaqueMatch(shot, pic, x, y, g.x, 0, g.width, height);
                ++counted;
            }
            x += g.width;
        }
        return counted ? total / counted : 0.0;
    }
};

inline const char* fontGlyphOrder()
{
    return " abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,!?-+/():;%&`'*#=[]\"";
}
