#include "command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/atomic_file.h"
#include "assets/binary_io.h"
#include "assets/regular_file.h"
#include "save/ghost_file.h"
#include "shell/paths.h"
#include "track/track_file.h"

int fail(const std::string& message)
{
    std::fprintf(stderr, "vantor-sim: %s\n", message.c_str());
    return exitUsage;
}

bool parseOptions(const std::vector<std::string>& args, const std::vector<std::string>& known, Options& options)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        bool isKnown = false;
        for (const std::string& k : known)
            isKnown = isKnown || word == k;
        if (!isKnown) {
            options.error = "unexpected argument '" + word + "'";
            return false;
        }
        if (options.has(word)) {
            options.error = "option " + word + " given twice";
            return false;
        }
        if (i + 1 >= args.size()) {
            options.error = "option " + word + " needs a value";
            return false;
        }
        options.values[word] = args[++i];
    }
    return true;
}

bool parseCount(const std::string& text, int64_t& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return false;
    value = v;
    return true;
}

bool parseHold(const std::string& text, ControlInput& control)
{
    float parts[3];
    const char* p = text.c_str();
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        errno = 0;
        parts[i] = std::strtof(p, &end);
        if (end == p || errno != 0)
            return false;
        char expected = i < 2 ? ',' : '\0';
        if (*end != expected)
            return false;
        p = end + 1;
    }
    control = ControlInput{parts[0], parts[1], parts[2]};
    return true;
}

// Whole 12-byte records of bytes, in order.
static void controlsFromBytes(const std::vector<uint8_t>& bytes, std::vector<ControlInput>& controls)
{
    ByteReader in = byteReader(bytes);
    controls.assign(bytes.size() / 12, ControlInput{});
    for (ControlInput& c : controls) {
        readF32(in, c.steer);
        readF32(in, c.brake);
        readF32(in, c.throttle);
    }
}

bool readControlFile(const std::string& path, std::vector<ControlInput>& controls)
{
    const FileRead file = readRegularFile(path, maxControlFileBytes);
    if (file.status != FileStatus::ok || file.bytes.size() % 12 != 0)
        return false;
    controlsFromBytes(file.bytes, controls);
    return true;
}

bool readRunFile(const std::string& path, std::vector<ControlInput>& records, std::string& error)
{
    const FileRead file = readRegularFile(path, std::max(maxControlFileBytes, maxGhostFileBytes));
    if (file.status != FileStatus::ok) {
        error = "cannot read " + path + ": " + describeFileRead(file);
        return false;
    }
    const std::vector<uint8_t>& bytes = file.bytes;
    if (bytes.size() >= sizeof ghostMagic && std::memcmp(bytes.data(), ghostMagic, sizeof ghostMagic) == 0) {
        GhostFile ghost;
        std::string reason;
        if (!decodeGhost(bytes.data(), bytes.size(), ghost, reason)) {
            error = path + " is a damaged ghost file: " + reason;
            return false;
        }
        records = std::move(ghost.records);
        return true;
    }
    if (bytes.size() > maxControlFileBytes || bytes.size() % 12 != 0) {
        error = path + " is neither a ghost file nor a whole number of 12-byte control records";
        return false;
    }
    controlsFromBytes(bytes, records);
    return true;
}

std::vector<uint8_t> encodeControls(const std::vector<ControlInput>& controls)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(12 * controls.size());
    for (const ControlInput& c : controls) {
        putF32(bytes, c.steer);
        putF32(bytes, c.brake);
        putF32(bytes, c.throttle);
    }
    return bytes;
}

std::string outputProblem(const std::string& out, const std::vector<std::string>& inputs)
{
    for (const std::string& input : inputs)
        if (sameFile(out, input))
            return "refusing to write " + out + ": it is one of the files read";
    const std::string save = savePath();
    if (!save.empty() && sameFile(out, save))
        return "refusing to write " + out + ": it is the game's save file";
    std::string target, refused;
    if (!outputTarget(out, target, refused))
        return "refusing to write " + out + ": it is " + refused;
    return "";
}

bool writeOutput(const std::string& out, const std::vector<uint8_t>& bytes, std::string& error)
{
    std::string reason;
    if (writeFileAtomically(out, bytes, &reason))
        return true;
    error = "cannot write " + out + ": " + reason;
    return false;
}

std::string trackFilePath(const std::string& dir, const std::string& name)
{
    return dir + "/tracks/" + name + "/track.track";
}

bool readRoad(const std::string& dir, const std::string& name, Track& track, std::string& error)
{
    std::string path = trackFilePath(dir, name);
    const FileRead probe = readRegularFile(path, maxTrackFileBytes);
    if (probe.status != FileStatus::ok) {
        error = "cannot read " + path + ": " + describeFileRead(probe);
        return false;
    }
    if (!readTrackRoad(track, dir, name)) {
        error = path + " holds no usable road (needs at least three control points)";
        return false;
    }
    return true;
}
