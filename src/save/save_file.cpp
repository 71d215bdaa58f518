#include "save/save_file.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "assets/binary_io.h"
#include "assets/regular_file.h"

TrackRecord& recordFor(SaveData& save, const std::string& name) { return save.records[name]; }

// ---- Writing ---------------------------------------------------------------

static void putString(std::vector<uint8_t>& out, const std::string& s)
{
    putI32(out, static_cast<int32_t>(s.size()));
    putBytes(out, s.data(), s.size());
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
        putBytes(out, r.ghostStart.data(), r.ghostStart.size());
        putI32(out, static_cast<int32_t>(r.ghostRun.size()));
        for (const ControlInput& c : r.ghostRun) {
            putF32(out, c.steer);
            putF32(out, c.brake);
            putF32(out, c.throttle);
        }
    }
    return out;
}

bool writeSaveFile(const SaveData& save, const std::string& path, std::string* error)
{
    if (path.empty() || path.back() == '/') {
        if (error)
            *error = "no folder for the save file";
        return false;
    }
    AtomicWrite how;
    how.createFolders = true;
    return writeFileAtomically(path, encodeSaveData(save), error, how);
}

// ---- Reading ---------------------------------------------------------------

namespace {

// A stored string ends at its first zero byte, if it holds one.
bool readString(ByteReader& in, std::string& s)
{
    int32_t len;
    const uint8_t* bytes = nullptr;
    if (!readI32(in, len) || len < 0 || !takeBytes(in, static_cast<size_t>(len), bytes))
        return false;
    size_t n = static_cast<size_t>(len);
    const void* zero = n > 0 ? std::memchr(bytes, 0, n) : nullptr;
    size_t kept = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : n;
    s.assign(reinterpret_cast<const char*>(bytes), kept);
    return true;
}

// Smallest file images of one score entry and one control record.
constexpr size_t scoreEntryBytes = 16;
constexpr size_t controlBytes = 12;

// Reads one record. False at damage that stops the reading; flawed is set
// for damage read past: score entries no run can have (dropped) and a run
// too long to be real (cut to maxStoredRunRecords).
bool readRecord(ByteReader& in, TrackRecord& r, bool& flawed)
{
    int32_t count;
    if (!readString(in, r.name) || !readI32(in, r.medal) || !readI32(in, count) || count < 0)
        return false;
    if (count == 0)
        return true;
    size_t m = static_cast<size_t>(count);
    if (!fitsItems(in, m, scoreEntryBytes))
        return false;
    r.scores.resize(m);
    for (ScoreEntry& s : r.scores) {
        if (!readI32(in, s.ticks) || !readI32(in, s.date) || !readString(in, s.playerName) ||
            !readString(in, s.shipName))
            return false;
    }
    const size_t before = r.scores.size();
    r.scores.erase(std::remove_if(r.scores.begin(), r.scores.end(),
                                  [](const ScoreEntry& s) { return s.ticks < 0 || s.ticks > maxScoreTicks; }),
                   r.scores.end());
    flawed = flawed || r.scores.size() != before;
    if (!readBytes(in, r.ghostStart.data(), r.ghostStart.size()))
        return false;
    // The game always stores a ghost run with scores, but an empty one loses
    // nothing else: keep the scores rather than every record after them.
    if (!readI32(in, count) || count < 0)
        return false;
    size_t k = static_cast<size_t>(count);
    if (!fitsItems(in, k, controlBytes))
        return false;
    const size_t kept = std::min(k, maxStoredRunRecords);
    flawed = flawed || kept != k;
    r.ghostRun.resize(kept);
    for (ControlInput& c : r.ghostRun) {
        readF32(in, c.steer);
        readF32(in, c.brake);
        readF32(in, c.throttle);
    }
    const uint8_t* rest = nullptr;
    takeBytes(in, (k - kept) * controlBytes, rest);
    return true;
}

}  // namespace

// decodeSaveData, also telling whether anything was left unread or read
// past as damage: bytes after the last record, a flawed record, or a name
// stored twice. Records only looked up are stored nameless, so the game
// itself writes the empty name more than once; only that one may repeat.
static bool decode(SaveData& save, const uint8_t* bytes, size_t size, bool& skipped)
{
    skipped = false;
    ByteReader in = byteReader(bytes, size);
    std::string s;
    if (!readString(in, s))
        return false;
    save.playerName = s;
    if (!readString(in, s))
        return false;
    save.shipName = s;
    if (!readString(in, s))
        return false;
    save.trackName = s;

    int32_t count;
    if (!readI32(in, count) || count < 0)
        return false;
    std::set<std::string> seen;
    for (int32_t i = 0; i < count; ++i) {
        TrackRecord fresh;
        bool flawed = false;
        if (!readRecord(in, fresh, flawed))
            return false;
        skipped = skipped || flawed;
        if (!fresh.name.empty() && !seen.insert(fresh.name).second)
            skipped = true;
        // A name stored twice keeps its last occurrence.
        std::string key = fresh.name;
        recordFor(save, key) = std::move(fresh);
    }
    skipped = skipped || in.left != 0;
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
