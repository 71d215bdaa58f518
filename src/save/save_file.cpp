#include "save/save_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "assets/regular_file.h"
#include "shell/paths.h"

TrackRecord& recordFor(SaveData& save, const std::string& name) { return save.records[name]; }

// ---- Writing ---------------------------------------------------------------

static void putI32(std::vector<uint8_t>& out, int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

static void putFloat(std::vector<uint8_t>& out, float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    putI32(out, static_cast<int32_t>(u));
}

static void putString(std::vector<uint8_t>& out, const std::string& s)
{
    putI32(out, static_cast<int32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

// Bytes of the file image, so that encoding allocates once.
static size_t encodedSize(const SaveData& save)
{
    size_t n = 16 + save.playerName.size() + save.shipName.size() + save.trackName.size();
    for (const auto& entry : save.records) {
        const TrackRecord& r = entry.second;
        n += 12 + r.name.size();
        if (r.scores.empty())
            continue;
        for (const ScoreEntry& s : r.scores)
            n += 16 + s.playerName.size() + s.shipName.size();
        n += r.ghostStart.size() + 4 + 12 * r.ghostRun.size();
    }
    return n;
}

std::vector<uint8_t> encodeSaveData(const SaveData& save)
{
    std::vector<uint8_t> out;
    out.reserve(encodedSize(save));
    putString(out, save.playerName);
    putString(out, save.shipName);
    putString(out, save.trackName);
    putI32(out, static_cast<int32_t>(save.records.size()));
    for (const auto& entry : save.records) {
        const TrackRecord& r = entry.second;
        // The record's own name, not the key: records only looked up stay nameless.
        putString(out, r.name);
        putI32(out, r.medal);
        putI32(out, static_cast<int32_t>(r.scores.size()));
        if (r.scores.empty())
            continue;
        // The two integers of an entry come before its strings.
        for (const ScoreEntry& s : r.scores) {
            putI32(out, s.ticks);
            putI32(out, s.date);
            putString(out, s.playerName);
            putString(out, s.shipName);
        }
        out.insert(out.end(), r.ghostStart.begin(), r.ghostStart.end());
        putI32(out, static_cast<int32_t>(r.ghostRun.size()));
        for (const ControlInput& c : r.ghostRun) {
            putFloat(out, c.steer);
            putFloat(out, c.brake);
            putFloat(out, c.throttle);
        }
    }
    return out;
}

static bool writeAll(int fd, const uint8_t* p, size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w == 0)
            errno = ENOSPC;
        if (w <= 0)
            return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// The folder holding path: "." for a bare file name, "/" for a file in the root.
static std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// errno in lower-case words, for a line the player reads.
static std::string errorWords(int error)
{
    FileRead failed;
    failed.status = FileStatus::failed;
    failed.error = error;
    return describeFileRead(failed);
}

static bool failWith(std::string* error, const std::string& words)
{
    if (error)
        *error = words;
    return false;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    if (path.empty() || path.back() == '/')
        return failWith(error, "no folder for the save file");
    std::string folder = folderOf(path);
    if (!makeDirectories(folder))
        return failWith(error, "cannot create " + folder + ": " + errorWords(errno));

    // A unique name beside the target, so the rename stays within one file
    // system and two writers never share a temporary file.
    std::string temp = path + ".tmp-XXXXXX";
    int fd = mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0)
        return failWith(error, errorWords(errno));
    int failure = 0;
    if (!writeAll(fd, bytes.data(), bytes.size()) || fsync(fd) != 0)
        failure = errno ? errno : EIO;
    if (close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && std::rename(temp.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        unlink(temp.c_str());
        return failWith(error, errorWords(failure));
    }
    // Makes the rename itself durable. The new file is already in place, so
    // a failure here cannot be undone and is not reported.
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

bool writeSaveFile(const SaveData& save, const std::string& path, std::string* error)
{
    return writeFileAtomically(path, encodeSaveData(save), error);
}

// ---- Reading ---------------------------------------------------------------

namespace {

// A cursor over the file image; every read checks the bytes left first.
struct Reader {
    const uint8_t* p;
    size_t left;

    bool i32(int32_t& v)
    {
        if (left < 4)
            return false;
        uint32_t u = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                     static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
        v = static_cast<int32_t>(u);
        p += 4;
        left -= 4;
        return true;
    }

    bool f32(float& f)
    {
        int32_t v;
        if (!i32(v))
            return false;
        std::memcpy(&f, &v, 4);
        return true;
    }

    // A stored string ends at its first zero byte, if it holds one.
    bool string(std::string& s)
    {
        int32_t len;
        if (!i32(len) || len < 0 || static_cast<size_t>(len) > left)
            return false;
        size_t n = static_cast<size_t>(len);
        const void* zero = std::memchr(p, 0, n);
        size_t kept = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - p) : n;
        s.assign(reinterpret_cast<const char*>(p), kept);
        p += n;
        left -= n;
        return true;
    }

    bool bytes(uint8_t* out, size_t n)
    {
        if (left < n)
            return false;
        std::memcpy(out, p, n);
        p += n;
        left -= n;
        return true;
    }
};

// Smallest file images of one score entry and one control record.
constexpr size_t scoreEntryBytes = 16;
constexpr size_t controlBytes = 12;

bool readRecord(Reader& in, TrackRecord& r)
{
    int32_t count;
    if (!in.string(r.name) || !in.i32(r.medal) || !in.i32(count) || count < 0)
        return false;
    if (count == 0)
        return true;
    size_t m = static_cast<size_t>(count);
    if (m > in.left / scoreEntryBytes)
        return false;
    r.scores.resize(m);
    for (ScoreEntry& s : r.scores) {
        if (!in.i32(s.ticks) || !in.i32(s.date) || !in.string(s.playerName) || !in.string(s.shipName))
            return false;
    }
    if (!in.bytes(r.ghostStart.data(), r.ghostStart.size()))
        return false;
    // The game always stores a ghost run with scores, but an empty one loses
    // nothing else: keep the scores rather than every record after them.
    if (!in.i32(count) || count < 0)
        return false;
    size_t k = static_cast<size_t>(count);
    if (k > in.left / controlBytes)
        return false;
    r.ghostRun.resize(k);
    for (ControlInput& c : r.ghostRun) {
        in.f32(c.steer);
        in.f32(c.brake);
        in.f32(c.throttle);
    }
    return true;
}

}  // namespace

// decodeSaveData, also telling whether bytes after the last record were left
// unread. A name stored twice is not counted: records only looked up are
// stored nameless, so the game itself writes the empty name more than once.
static bool decode(SaveData& save, const uint8_t* bytes, size_t size, bool& skipped)
{
    skipped = false;
    Reader in{bytes, size};
    std::string s;
    if (!in.string(s))
        return false;
    save.playerName = s;
    if (!in.string(s))
        return false;
    save.shipName = s;
    if (!in.string(s))
        return false;
    save.trackName = s;

    int32_t count;
    if (!in.i32(count) || count < 0)
        return false;
    for (int32_t i = 0; i < count; ++i) {
        TrackRecord fresh;
        if (!readRecord(in, fresh))
            return false;
        // A name stored twice keeps its last occurrence.
        std::string key = fresh.name;
        recordFor(save, key) = std::move(fresh);
    }
    skipped = in.left != 0;
    return true;
}

bool decodeSaveData(SaveData& save, const uint8_t* bytes, size_t size)
{
    bool skipped;
    return decode(save, bytes, size, skipped);
}

SaveFileRead readSaveFile(SaveData& save, const std::string& path)
{
    SaveFileRead result;
    FileRead file = readRegularFile(path, maxSaveFileBytes);
    if (file.status == FileStatus::missing)
        return result;
    if (file.status != FileStatus::ok) {
        result.found = SaveFound::unreadable;
        result.reason = describeFileRead(file);
        return result;
    }
    bool skipped = false;
    bool whole = decode(save, file.bytes.data(), file.bytes.size(), skipped);
    result.found = whole && !skipped ? SaveFound::whole : SaveFound::damaged;
    result.bytes = std::move(file.bytes);
    return result;
}

bool loadSaveFile(SaveData& save, const std::string& path)
{
    return readSaveFile(save, path).found == SaveFound::whole;
}
