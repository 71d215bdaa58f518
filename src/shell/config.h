#pragma once
// The configuration file. It begins as it always has: ten whitespace-separated
// integers (window size, fullscreen, joystick buttons and axes) and an
// optional eleventh, the sound volume from 0 to 100; words beginning with "#"
// comment out the rest of their line. Setting lines follow, one setting a
// line ("bind throttle w", "button restart 4", "deadzone 20", "camera above"...). The game
// rewrites the file only when a setting changes, in place: comments and lines
// it does not know stay where they were.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "shell/bindings.h"
#include "sim/controls.h"

struct Game;

enum class RaceCamera { chase, above };
enum class DeltaColours { greenRed, blueOrange };
enum class RaceInfo { full, clean };

// Everything the file can say, defaults for what it does not.
struct Settings {
    int32_t screenWidth = 800;
    int32_t screenHeight = 600;
    bool fullscreen = false;
    JoystickMapping joystick;
    // Joystick 0's button that restarts a race; negative for none. No record
    // holds a restart, so it lives beside the mapping.
    int32_t restartButton = -1;
    int32_t soundVolume = 80;
    KeyBindings keys = defaultKeyBindings();
    AxisTuning axes;
    RaceCamera camera = RaceCamera::chase;
    bool ghostShown = true;
    // Percent; the ghost ship is drawn at 0.3 alpha.
    int32_t ghostOpacity = 30;
    DeltaColours colours = DeltaColours::greenRed;
    RaceInfo info = RaceInfo::full;
};
bool operator==(const Settings& a, const Settings& b);
bool operator!=(const Settings& a, const Settings& b);

// Where a word sits in the text: line number from 0, byte offset and length
// within that line.
struct WordPlace {
    size_t line = 0;
    size_t start = 0;
    size_t length = 0;
};

// A configuration file as read: its text, what it says and where it says it.
struct ConfigText {
    std::string text;
    Settings settings;
    // The number words read, up to eleven (the eleventh is the volume).
    std::vector<WordPlace> numbers;
    // For each line, the setting it holds ("camera", "ghost opacity",
    // "bind left"...), "" for numbers, comments, blank and unusable lines.
    std::vector<std::string> lineKeys;
    // The first line that could not be used, as the settings screen shows it;
    // "" when every line could be.
    std::string problem;
};

// Reads text. Numbers read as they always have (std::atoi, missing ones 0
// once a file exists, the volume clamped); they end at the eleventh or at
// the first setting line. A bad setting line keeps every other setting.
ConfigText parseConfig(const std::string& text);
// The text of file with the settings of now: file.text itself when nothing
// changed; otherwise only the words and lines of changed settings are
// rewritten, and settings the file did not hold are added at its end.
std::string configWithSettings(const ConfigText& file, const Settings& now);
// Canonical setting lines of a key, as written.
std::vector<std::string> settingLines(const Settings& s, const std::string& key);

// Next word that is not part of a comment; "" when the stream has no more.
std::string nextToken(std::istream& in);

// The settings into the game: its window, joystick, volume, ghost switch and
// the whole record in game.settings.
void applySettings(Game& g, const Settings& s);
// Reads the values from in into the game, in file order.
void readConfigFrom(Game& g, std::istream& in);

// Ten numbers and their comments; a longer file is not a configuration.
const size_t maxConfigFileBytes = 64u * 1024u;

// Reads configPath() into the global game; a missing file, or one that is not
// a regular file of at most maxConfigFileBytes, keeps the defaults.
void readConfig();
// Writes game.settings to configPath() when they differ from the file read
// by readConfig, through the atomic writer. Never replaces a file it could
// not read, nor anything but a regular file of this user. False with the
// reason in error when it could not write.
bool saveConfig(std::string* error = nullptr);
// The configuration's first unusable line for the settings screen, "" when none.
const std::string& configProblem();
