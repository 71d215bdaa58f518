#include "command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/regular_file.h"
#include "save/ghost_file.h"
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

static float floatFromLittleEndian(const unsigned char* b)
{
    uint32_t bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

static void floatToLittleEndian(float value, unsigned char* b)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<unsigned char>(bits >> (8 * i));
}

// Whole 12-byte records of bytes, in order.
static void controlsFromBytes(const std::vector<uint8_t>& bytes, std::vector<ControlInput>& controls)
{
    controls.clear();
    controls.reserve(bytes.size() / 12);
    for (size_t i = 0; i + 12 <= bytes.size(); i += 12)
        controls.push_back(ControlInput{floatFromLittleEndian(&bytes[i]), floatFromLittleEndian(&bytes[i + 4]),
                                        floatFromLittleEndian(&bytes[i + 8])});
}

bool readControlFile(const std::string& path, std::vector<ControlInput>& controls)
{
    const FileRead file = readRegularFile(path, maxControlFileBytes);
    const std::vector<uint8_t>& bytes = file.bytes;
    if (file.status != FileStatus::ok || bytes.size() % 12 != 0)
        return false;
    controlsFromBytes(bytes, controls);
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

bool writeControlFile(const std::string& path, const std::vector<ControlInput>& controls)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = true;
    for (const ControlInput& c : controls) {
        unsigned char record[12];
        floatToLittleEndian(c.steer, record);
        floatToLittleEndian(c.brake, record + 4);
        floatToLittleEndian(c.throttle, record + 8);
        ok = ok && std::fwrite(record, 1, 12, file) == 12;
    }
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

bool readRoad(const std::string& dir, const std::string& name, Track& track, std::string& error)
{
    std::string path = dir + "/tracks/" + name + "/track.track";
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
