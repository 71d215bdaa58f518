#include "save/ghost_file.h"

#include <cmath>
#include <cstring>

#include "assets/regular_file.h"
#include "sim/replay.h"
#include "track/track_file.h"

const char ghostMagic[8] = {'V', 'N', 'T', 'G', 'H', 'O', 'S', 'T'};

bool isTrackName(const std::string& name)
{
    if (name.empty() || name.size() > maxGhostTrackNameBytes || name[0] == '.')
        return false;
    for (char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                     c == '-' || c == '.';
        if (!plain)
            return false;
    }
    return true;
}

// ---- Writing ---------------------------------------------------------------

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putU64(std::vector<uint8_t>& out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putFloat(std::vector<uint8_t>& out, float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    putU32(out, u);
}

void putString(std::vector<uint8_t>& out, const std::string& s)
{
    putU32(out, static_cast<uint32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

}  // namespace

std::vector<uint8_t> encodeGhost(const GhostFile& ghost)
{
    std::vector<uint8_t> out(ghostMagic, ghostMagic + 8);
    out.reserve(300 + ghost.trackName.size() + ghost.playerName.size() + 12 * ghost.records.size());
    putU32(out, ghostFormatVersion);
    putU32(out, ghost.physics);
    putString(out, ghost.trackName);
    out.insert(out.end(), ghost.trackHash.begin(), ghost.trackHash.end());
    putString(out, ghost.playerName);
    putU64(out, static_cast<uint64_t>(ghost.date));
    putU32(out, ghost.ticks);
    out.insert(out.end(), ghost.startState.begin(), ghost.startState.end());
    putU32(out, static_cast<uint32_t>(ghost.records.size()));
    for (const ControlInput& c : ghost.records) {
        putFloat(out, c.steer);
        putFloat(out, c.brake);
        putFloat(out, c.throttle);
    }
    return out;
}

bool writeGhostFile(const std::string& path, const GhostFile& ghost)
{
    return writeFileAtomically(path, encodeGhost(ghost));
}

// ---- Reading ---------------------------------------------------------------

namespace {

// A cursor over the file image; every read checks the bytes left first.
struct GhostReader {
    const uint8_t* p;
    size_t left;

    bool bytes(void* out, size_t n)
    {
        if (left < n)
            return false;
        if (n > 0)
            std::memcpy(out, p, n);
        p += n;
        left -= n;
        return true;
    }

    bool u32(uint32_t& v)
    {
        uint8_t b[4];
        if (!bytes(b, 4))
            return false;
        v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }

    bool u64(uint64_t& v)
    {
        uint32_t low, high;
        if (!u32(low) || !u32(high))
            return false;
        v = uint64_t(high) << 32 | low;
        return true;
    }

    bool f32(float& f)
    {
        uint32_t u;
        if (!u32(u))
            return false;
        std::memcpy(&f, &u, 4);
        return true;
    }

    // A length-prefixed string of at most limit bytes; reason says which fault.
    bool string(std::string& s, size_t limit, std::string& reason)
    {
        uint32_t len;
        if (!u32(len)) {
            reason = "truncated";
            return false;
        }
        if (len > limit) {
            reason = "name too long";
            return false;
        }
        if (len > left) {
            reason = "truncated";
            return false;
        }
        s.assign(reinterpret_cast<const char*>(p), len);
        p += len;
        left -= len;
        return true;
    }
};

}  // namespace

bool decodeGhost(const uint8_t* bytes, size_t size, GhostFile& ghost, std::string& reason)
{
    GhostReader in{bytes, size};
    char magic[8];
    if (!in.bytes(magic, 8) || std::memcmp(magic, ghostMagic, 8) != 0) {
        reason = "not a ghost file";
        return false;
    }
    uint32_t version;
    if (!in.u32(version)) {
        reason = "truncated";
        return false;
    }
    if (version != ghostFormatVersion) {
        reason = "format version " + std::to_string(version);
        return false;
    }
    if (!in.u32(ghost.physics) || !in.string(ghost.trackName, maxGhostTrackNameBytes, reason)) {
        if (reason.empty())
            reason = "truncated";
        return false;
    }
    if (!isTrackName(ghost.trackName)) {
        reason = "bad track name";
        return false;
    }
    if (!in.bytes(ghost.trackHash.data(), ghost.trackHash.size())) {
        reason = "truncated";
        return false;
    }
    if (!in.string(ghost.playerName, maxGhostPlayerNameBytes, reason))
        return false;
    uint64_t date;
    uint32_t count;
    if (!in.u64(date) || !in.u32(ghost.ticks) || !in.bytes(ghost.startState.data(), ghost.startState.size()) ||
        !in.u32(count)) {
        reason = "truncated";
        return false;
    }
    ghost.date = static_cast<int64_t>(date);
    if (count > maxGhostRecords) {
        reason = "too many records";
        return false;
    }
    if (in.left / 12 < count) {
        reason = "truncated";
        return false;
    }
    if (in.left != size_t(count) * 12) {
        reason = "bytes after the last record";
        return false;
    }
    ghost.records.resize(count);
    for (ControlInput& c : ghost.records) {
        in.f32(c.steer);
        in.f32(c.brake);
        in.f32(c.throttle);
        // No input device yields these, and the physics must never see them.
        if (!std::isfinite(c.steer) || !std::isfinite(c.brake) || !std::isfinite(c.throttle)) {
            reason = "record not a number";
            return false;
        }
    }
    return true;
}

bool readGhostFile(const std::string& path, GhostFile& ghost, std::string& reason)
{
    const FileRead file = readRegularFile(path, maxGhostFileBytes);
    if (file.status != FileStatus::ok) {
        reason = "unreadable";
        return false;
    }
    return decodeGhost(file.bytes.data(), file.bytes.size(), ghost, reason);
}

bool hashTrackFile(const std::string& dataDir, const std::string& name, Sha256Digest& digest)
{
    if (!isTrackName(name))
        return false;
    // Hashed within the same bound the road reader reads.
    const FileRead file = readRegularFile(dataDir + "/tracks/" + name + "/track.track", maxTrackFileBytes);
    if (file.status != FileStatus::ok)
        return false;
    digest = sha256(file.bytes.data(), file.bytes.size());
    return true;
}

std::string checkGhost(const GhostFile& ghost, const Sha256Digest& trackHash, Track& track)
{
    if (ghost.physics != physicsVersion)
        return "physics version " + std::to_string(ghost.physics) + ", this game runs " +
               std::to_string(physicsVersion);
    if (ghost.trackHash != trackHash)
        return "track " + ghost.trackName + " differs from the one the run was driven on";
    if (track.segments.empty())
        return "track " + ghost.trackName + " holds no road";
    ReplaySetup setup;
    setup.controls = ghost.records;
    ReplayResult result = replayRace(track, setup);
    if (result.outcome != RaceOutcome::finish)
        return "replay ends " + outcomeLine(result) + ", not finish " + std::to_string(ghost.ticks);
    if (result.raceTicks != int64_t(ghost.ticks))
        return "replay finishes at " + std::to_string(result.raceTicks) + ", not " + std::to_string(ghost.ticks);
    if (ghost.records.size() != ghost.ticks)
        return "records after the finish";
    return "";
}

std::string verifyGhostFile(const std::string& dataDir, const std::string& path, GhostFile& ghost)
{
    std::string reason;
    if (!readGhostFile(path, ghost, reason))
        return reason;
    Sha256Digest hash;
    if (!hashTrackFile(dataDir, ghost.trackName, hash))
        return "no track " + ghost.trackName;
    Track track;
    if (!readTrackRoad(track, dataDir, ghost.trackName))
        return "track " + ghost.trackName + " holds no road";
    return checkGhost(ghost, hash, track);
}

std::string ghostFileName(const GhostFile& ghost)
{
    std::string player;
    for (char c : ghost.playerName) {
        if (player.size() >= 32)
            break;
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        player += plain ? c : '_';
    }
    if (player.empty())
        player = "_";
    return ghost.trackName + "-" + player + "-" + std::to_string(ghost.ticks) + ".vghost";
}
