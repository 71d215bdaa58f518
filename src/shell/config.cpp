#include "shell/config.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "assets/regular_file.h"
#include "save/save_file.h"
#include "shell/game.h"
#include "shell/paths.h"

bool operator==(const Settings& a, const Settings& b)
{
    const JoystickMapping &j = a.joystick, &k = b.joystick;
    return a.screenWidth == b.screenWidth && a.screenHeight == b.screenHeight && a.fullscreen == b.fullscreen &&
           j.throttleButton == k.throttleButton && j.brakeButton == k.brakeButton &&
           j.leftButton == k.leftButton && j.rightButton == k.rightButton && j.throttleAxis == k.throttleAxis &&
           j.brakeAxis == k.brakeAxis && j.steerAxis == k.steerAxis && a.restartButton == b.restartButton &&
           a.soundVolume == b.soundVolume &&
           a.keys == b.keys && a.axes == b.axes && a.camera == b.camera && a.ghostShown == b.ghostShown &&
           a.ghostOpacity == b.ghostOpacity && a.colours == b.colours && a.info == b.info;
}
bool operator!=(const Settings& a, const Settings& b) { return !(a == b); }

std::string nextToken(std::istream& in)
{
    std::string word;
    in >> word;
    while (!in.eof() && !word.empty() && word[0] == '#') {
        // Discard the rest of the comment line, however long it is.
        in.clear();
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        word.clear();
        in >> word;
    }
    return word;
}

namespace {

// The ten numbers in file order; fullscreen is the third.
int32_t* numberTarget(Settings& s, int i)
{
    int32_t* targets[10] = {&s.screenWidth,           &s.screenHeight,           nullptr,
                            &s.joystick.throttleButton, &s.joystick.brakeButton, &s.joystick.leftButton,
                            &s.joystick.rightButton,  &s.joystick.throttleAxis,  &s.joystick.brakeAxis,
                            &s.joystick.steerAxis};
    return targets[i];
}

int32_t numberValue(const Settings& s, int i)
{
    if (i == 2)
        return s.fullscreen ? 1 : 0;
    if (i == 10)
        return s.soundVolume;
    return *numberTarget(const_cast<Settings&>(s), i);
}

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The words of a line before its first comment word, with their places.
std::vector<WordPlace> wordsOf(const std::string& line, size_t lineNumber)
{
    std::vector<WordPlace> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSpace(line[i]))
            ++i;
        if (i >= line.size())
            break;
        size_t start = i;
        while (i < line.size() && !isSpace(line[i]))
            ++i;
        if (line[start] == '#')
            break;
        words.push_back({lineNumber, start, i - start});
    }
    return words;
}

std::string wordText(const std::string& line, const WordPlace& w) { return line.substr(w.start, w.length); }

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

const char* const settingWords[] = {"bind", "button", "deadzone", "invert", "camera", "ghost", "colours", "info"};

bool isSettingWord(const std::string& word)
{
    return std::find(std::begin(settingWords), std::end(settingWords), word) != std::end(settingWords);
}

// A whole word of digits with an optional sign, within [low, high].
bool strictNumber(const std::string& word, int32_t low, int32_t high, int32_t& value)
{
    if (word.empty() || word.size() > 11)
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool onOff(const std::string& word, bool& value)
{
    if (word != "on" && word != "off")
        return false;
    value = word == "on";
    return true;
}

const char* onOffWord(bool v) { return v ? "on" : "off"; }

// The key of a bind line: the rest of the line after the action, up to a
// comment word that is not the key's first word ("bind left #" binds '#').
std::string bindKeyText(const std::string& line, const WordPlace& action)
{
    size_t i = action.start + action.length;
    while (i < line.size() && isSpace(line[i]))
        ++i;
    std::string rest = line.substr(i);
    for (size_t p = 1; p < rest.size(); ++p) {
        if (rest[p] == '#' && isSpace(rest[p - 1])) {
            rest.resize(p);
            break;
        }
    }
    while (!rest.empty() && isSpace(rest.back()))
        rest.pop_back();
    return rest;
}

// Reads one setting line into s; its key, or "" with why in reason.
std::string readSettingLine(Settings& s, const std::string& line, const std::vector<WordPlace>& words,
                            std::vector<int>& bindLinesSeen, std::string& reason)
{
    auto word = [&](size_t i) { return i < words.size() ? wordText(line, words[i]) : std::string(); };
    const std::string first = word(0);
    const size_t count = words.size();
    if (first == "bind") {
        Action action;
        const std::string keyText = count >= 2 ? bindKeyText(line, words[1]) : std::string();
        if (count < 2 || !actionFromName(word(1), action) || keyText.empty()) {
            reason = "bind takes an action (throttle, brake, left, right, restart) and a key";
            return "";
        }
        int& seen = bindLinesSeen[static_cast<size_t>(action)];
        if (keyText == "none") {
            clearAction(s.keys, action);
            seen = keysPerAction;
            return std::string("bind ") + actionName(action);
        }
        const SDLKey key = keyFromName(keyText);
        if (key == SDLK_UNKNOWN) {
            reason = "no key is named \"" + keyText + "\"";
            return "";
        }
        if (seen >= keysPerAction) {
            reason = std::string("an action takes at most two keys");
            return "";
        }
        // The first line of an action replaces its default keys.
        if (seen == 0)
            clearAction(s.keys, action);
        Action lost;
        bindKey(s.keys, action, key, lost);
        ++seen;
        return std::string("bind ") + actionName(action);
    }
    int32_t n = 0;
    bool flag = false;
    // SDL numbers a joystick's buttons with one byte.
    if (first == "button" && count == 3 && word(1) == "restart" &&
        (word(2) == "none" || strictNumber(word(2), 0, 255, n))) {
        s.restartButton = word(2) == "none" ? -1 : n;
        return "button restart";
    }
    if (first == "deadzone" && count == 2 && strictNumber(word(1), 0, maxDeadZone, n)) {
        s.axes.deadZone = n;
        return first;
    }
    if (first == "invert" && count == 3 && onOff(word(2), flag)) {
        const std::string axis = word(1);
        bool* target = axis == "steer"      ? &s.axes.invertSteer
                       : axis == "throttle" ? &s.axes.invertThrottle
                       : axis == "brake"    ? &s.axes.invertBrake
                                            : nullptr;
        if (target) {
            *target = flag;
            return "invert " + axis;
        }
    }
    if (first == "camera" && count == 2 && (word(1) == "chase" || word(1) == "above")) {
        s.camera = word(1) == "chase" ? RaceCamera::chase : RaceCamera::above;
        return first;
    }
    if (first == "ghost" && count == 2 && onOff(word(1), flag)) {
        s.ghostShown = flag;
        return first;
    }
    if (first == "ghost" && count == 3 && word(1) == "opacity" && strictNumber(word(2), 0, 100, n)) {
        s.ghostOpacity = n;
        return "ghost opacity";
    }
    if (first == "colours" && count == 2 && (word(1) == "green-red" || word(1) == "blue-orange")) {
        s.colours = word(1) == "green-red" ? DeltaColours::greenRed : DeltaColours::blueOrange;
        return first;
    }
    if (first == "info" && count == 2 && (word(1) == "full" || word(1) == "clean")) {
        s.info = word(1) == "full" ? RaceInfo::full : RaceInfo::clean;
        return first;
    }
    reason = isSettingWord(first) ? "not a value " + first + " takes" : "not a setting";
    return "";
}

// A line as the settings screen can show it: control characters as '?',
// at most 60 bytes.
std::string shownLine(const std::string& line)
{
    std::string shown = line.substr(0, 60);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 32 || c == 127)
            c = '?';
    return shown + (line.size() > 60 ? "..." : "");
}

} // namespace

ConfigText parseConfig(const std::string& text)
{
    ConfigText file;
    file.text = text;
    Settings& s = file.settings;
    const std::vector<std::string> lines = splitLines(text);
    file.lineKeys.assign(lines.size(), "");
    // A file that exists sets all ten numbers: the ones it lacks read as 0.
    for (int i = 0; i < 10; ++i) {
        if (int32_t* target = numberTarget(s, i))
            *target = 0;
    }
    s.fullscreen = false;
    bool numbersDone = false;
    std::vector<int> bindLinesSeen(actionCount, 0);
    int unusable = 0;
    for (size_t l = 0; l < lines.size(); ++l) {
        const std::vector<WordPlace> words = wordsOf(lines[l], l);
        if (words.empty())
            continue;
        const std::string first = wordText(lines[l], words[0]);
        if (!isSettingWord(first) && !numbersDone) {
            // Words past the eleventh on a line of numbers were never read.
            for (const WordPlace& w : words) {
                if (file.numbers.size() >= 11)
                    break;
                const int i = static_cast<int>(file.numbers.size());
                const int value = std::atoi(wordText(lines[l], w).c_str());
                if (i == 2)
                    s.fullscreen = value != 0;
                else if (i == 10)
                    s.soundVolume = std::clamp(value, 0, 100);
                else
                    *numberTarget(s, i) = value;
                file.numbers.push_back(w);
            }
            numbersDone = file.numbers.size() >= 11;
            continue;
        }
        numbersDone = true;
        std::string reason;
        std::string key = readSettingLine(s, lines[l], words, bindLinesSeen, reason);
        // A bind line that could not be used still gives way when its action
        // is bound anew, so it cannot come back to life as a second key.
        Action action;
        if (key.empty() && first == "bind" && words.size() >= 2 && actionFromName(wordText(lines[l], words[1]), action))
            file.lineKeys[l] = std::string("bind ") + actionName(action);
        else
            file.lineKeys[l] = key;
        if (key.empty() && ++unusable == 1)
            file.problem = "configuration line " + std::to_string(l + 1) + " \"" + shownLine(lines[l]) +
                           "\" not used: " + reason;
    }
    if (unusable > 1)
        file.problem += " (and " + std::to_string(unusable - 1) + " more)";
    return file;
}

std::vector<std::string> settingLines(const Settings& s, const std::string& key)
{
    if (key.rfind("bind ", 0) == 0) {
        Action action;
        if (!actionFromName(key.substr(5), action))
            return {};
        std::vector<std::string> out;
        for (SDLKey k : keysOf(s.keys, action))
            out.push_back(key + " " + keyName(k));
        if (out.empty())
            out.push_back(key + " none");
        return out;
    }
    if (key == "button restart")
        return {key + " " + (s.restartButton < 0 ? std::string("none") : std::to_string(s.restartButton))};
    if (key == "deadzone")
        return {"deadzone " + std::to_string(s.axes.deadZone)};
    if (key == "invert steer")
        return {key + " " + onOffWord(s.axes.invertSteer)};
    if (key == "invert throttle")
        return {key + " " + onOffWord(s.axes.invertThrottle)};
    if (key == "invert brake")
        return {key + " " + onOffWord(s.axes.invertBrake)};
    if (key == "camera")
        return {std::string("camera ") + (s.camera == RaceCamera::chase ? "chase" : "above")};
    if (key == "ghost")
        return {std::string("ghost ") + onOffWord(s.ghostShown)};
    if (key == "ghost opacity")
        return {"ghost opacity " + std::to_string(s.ghostOpacity)};
    if (key == "colours")
        return {std::string("colours ") + (s.colours == DeltaColours::greenRed ? "green-red" : "blue-orange")};
    if (key == "info")
        return {std::string("info ") + (s.info == RaceInfo::full ? "full" : "clean")};
    return {};
}

// Every setting key in the order new lines are added.
static std::vector<std::string> allSettingKeys()
{
    std::vector<std::string> keys;
    for (int i = 0; i < actionCount; ++i)
        keys.push_back(std::string("bind ") + actionName(static_cast<Action>(i)));
    for (const char* k : {"button restart", "deadzone", "invert steer", "invert throttle", "invert brake", "camera", "ghost",
                          "ghost opacity", "colours", "info"})
        keys.push_back(k);
    return keys;
}

// The comment that ends a line, with the space before it; "" for none.
static std::string trailingComment(const std::string& line)
{
    for (size_t p = 0; p < line.size(); ++p) {
        if (line[p] == '#' && (p == 0 || isSpace(line[p - 1]))) {
            size_t start = p;
            while (start > 0 && isSpace(line[start - 1]))
                --start;
            return line.substr(start);
        }
    }
    return "";
}

// The text of file with now's values for the numbers and the setting keys given.
static std::string rewrite(const ConfigText& file, const Settings& now, const std::vector<std::string>& keys)
{
    const Settings& was = file.settings;
    std::vector<std::string> lines = splitLines(file.text);

    // Numbers the file lacks read as 0, a missing volume as 80. They are
    // written after its last one only when they must say otherwise, and then
    // all ten of them.
    const int present = static_cast<int>(file.numbers.size());
    int needed = present;
    for (int i = present; i < 10; ++i)
        if (numberValue(now, i) != 0)
            needed = 10;
    if (present <= 10 && now.soundVolume != Settings().soundVolume)
        needed = 11;
    std::vector<std::string> added;
    for (int i = present; i < needed; ++i)
        added.push_back(std::to_string(numberValue(now, i)));
    // The line the numbers were given one of their own, if they were.
    size_t insertedAt = lines.size() + 1;
    if (!added.empty()) {
        std::string words;
        for (const std::string& a : added)
            words += (words.empty() ? "" : " ") + a;
        if (!file.numbers.empty()) {
            const WordPlace& last = file.numbers.back();
            lines[last.line].insert(last.start + last.length, " " + words);
        } else {
            // Before the first line with words, a setting line: the numbers
            // must come first to be read as numbers.
            size_t at = 0;
            while (at < lines.size() && wordsOf(lines[at], at).empty())
                ++at;
            if (at == lines.size())
                at = lines.size() - (lines.back().empty() ? 1 : 0);
            lines.insert(lines.begin() + static_cast<long>(at), words);
            insertedAt = at;
        }
    }

    // The numbers read, rewritten word by word from the last, after the
    // words added behind them, so the places before stay valid.
    for (int i = static_cast<int>(file.numbers.size()) - 1; i >= 0; --i) {
        if (numberValue(now, i) == numberValue(was, i))
            continue;
        const WordPlace& w = file.numbers[static_cast<size_t>(i)];
        lines[w.line].replace(w.start, w.length, std::to_string(numberValue(now, i)));
    }

    std::vector<std::string> out;
    std::vector<bool> placed(keys.size(), false);
    for (size_t l = 0; l < lines.size(); ++l) {
        const size_t fileLine = l < insertedAt ? l : l - 1;
        const std::string key =
            l != insertedAt && fileLine < file.lineKeys.size() ? file.lineKeys[fileLine] : std::string();
        const auto changed = std::find(keys.begin(), keys.end(), key);
        if (key.empty() || changed == keys.end()) {
            out.push_back(lines[l]);
            continue;
        }
        const size_t k = static_cast<size_t>(changed - keys.begin());
        // Every line of a changed setting gives way to its new lines, at the
        // place of the first.
        if (placed[k])
            continue;
        placed[k] = true;
        std::vector<std::string> fresh = settingLines(now, key);
        fresh.back() += trailingComment(lines[l]);
        out.insert(out.end(), fresh.begin(), fresh.end());
    }
    std::vector<std::string> tail;
    for (size_t k = 0; k < keys.size(); ++k) {
        if (!placed[k]) {
            std::vector<std::string> fresh = settingLines(now, keys[k]);
            tail.insert(tail.end(), fresh.begin(), fresh.end());
        }
    }
    if (!tail.empty()) {
        // The last line is empty when the file ended with a line break.
        if (!out.empty() && out.back().empty())
            out.pop_back();
        out.insert(out.end(), tail.begin(), tail.end());
        out.push_back("");
    }
    std::string text;
    for (size_t l = 0; l < out.size(); ++l)
        text += out[l] + (l + 1 < out.size() ? "\n" : "");
    return text;
}

std::string configWithSettings(const ConfigText& file, const Settings& now)
{
    if (now == file.settings)
        return file.text;
    std::vector<std::string> keys;
    for (const std::string& key : allSettingKeys())
        if (settingLines(now, key) != settingLines(file.settings, key))
            keys.push_back(key);
    // An action without lines of its own may have lost a default key to a
    // line that is now rewritten, and get it back; such an action is written
    // out too, until the text reads as now. Each round adds an action, and an
    // action written out reads exactly as written.
    for (int round = 0;; ++round) {
        const std::string text = rewrite(file, now, keys);
        const Settings back = parseConfig(text).settings;
        bool added = false;
        for (int i = 0; i < actionCount; ++i) {
            const Action action = static_cast<Action>(i);
            const std::string key = std::string("bind ") + actionName(action);
            if (keysOf(back.keys, action) != keysOf(now.keys, action) &&
                std::find(keys.begin(), keys.end(), key) == keys.end()) {
                keys.push_back(key);
                added = true;
            }
        }
        if (!added || round == actionCount)
            return text;
    }
}

void applySettings(Game& g, const Settings& s)
{
    g.settings = s;
    g.screenWidth = s.screenWidth;
    g.screenHeight = s.screenHeight;
    g.fullscreen = s.fullscreen;
    g.joyThrottleButton = s.joystick.throttleButton;
    g.joyBrakeButton = s.joystick.brakeButton;
    g.joyLeftButton = s.joystick.leftButton;
    g.joyRightButton = s.joystick.rightButton;
    g.joyThrottleAxis = s.joystick.throttleAxis;
    g.joyBrakeAxis = s.joystick.brakeAxis;
    g.joySteerAxis = s.joystick.steerAxis;
    g.soundVolume = s.soundVolume;
    g.ghostEnabled = s.ghostShown;
}

void readConfigFrom(Game& g, std::istream& in)
{
    std::ostringstream text;
    text << in.rdbuf();
    applySettings(g, parseConfig(text.str()).settings);
}

namespace {

// The file readConfig found, and whether it may be replaced.
struct ConfigState {
    ConfigText file;
    bool writable = true;
};

ConfigState& state()
{
    static ConfigState s;
    return s;
}

} // namespace

void readConfig()
{
    ConfigState& st = state();
    st = ConfigState();
    // Without a file the defaults stand, and so does an empty text's record.
    st.file.settings = Settings();
    std::string path = configPath();
    if (path.empty())
        return;
    const FileRead file = readRegularFile(path, maxConfigFileBytes);
    if (file.status != FileStatus::ok) {
        // Something there that was not read is never written over.
        st.writable = file.status == FileStatus::missing;
        return;
    }
    st.file = parseConfig(asText(file));
    applySettings(game, st.file.settings);
}

bool saveConfig(std::string* error)
{
    ConfigState& st = state();
    if (game.settings == st.file.settings)
        return true;
    const std::string text = configWithSettings(st.file, game.settings);
    const std::string path = configPath();
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    if (path.empty())
        return fail("no folder for the configuration");
    struct stat info;
    const bool exists = lstat(path.c_str(), &info) == 0;
    if (!st.writable || (exists && (!S_ISREG(info.st_mode) || info.st_uid != geteuid())))
        return fail("config.txt is not a regular file of yours: settings not saved");
    std::string why;
    // The game's own per-user folder is made when it is missing.
    AtomicWrite how;
    how.createFolders = true;
    if (!writeFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()), &why, how))
        return fail("could not save the settings: " + why);
    st.file = parseConfig(text);
    return true;
}

const std::string& configProblem() { return state().file.problem; }
