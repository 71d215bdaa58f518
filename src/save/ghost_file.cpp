#include "save/ghost_file.h"

#include <cmath>
#include <cstring>

#include "assets/binary_io.h"
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

static void putString(std::vector<uint8_t>& out, const std::string& s)
{
    putU32(out, static_cast<uint32_t>(s.size()));
    putBytes(out, s.data(), s.size());
}

std::vector<uint8_t> encodeGhost(const GhostFile& ghost)
{
    std::vector<uint8_t> out(ghostMagic, ghostMagic + 8);
    out.reserve(300 + ghost.trackName.size() + ghost.playerName.size() + 12 * ghost.records.size());
    putU32(out, ghostFormatVersion);
    putU32(out, ghost.physics);
    putString(out, ghost.trackName);
    putBytes(out, ghost.trackHash.data(), ghost.trackHash.size());
    putString(out, ghost.playerName);
    putU64(out, static_cast<uint64_t>(ghost.date));
    putU32(out, ghost.ticks);
    putBytes(out, ghost.startState.data(), ghost.startState.size());
    putU32(out, static_cast<uint32_t>(ghost.records.size()));
    for (const ControlInput& c : ghost.records) {
        putF32(out, c.steer);
        putF32(out, c.brake);
        putF32(out, c.throttle);
    }
    return out;
}

bool writeGhostFile(const std::string& path, const GhostFile& ghost)
{
    AtomicWrite how;
    how.createFolders = true;
    return writeFileAtomically(path, encodeGhost(ghost), nullptr, how);
}

// ---- Reading ---------------------------------------------------------------

namespace {

// A length-prefixed string of at most limit bytes; reason says which fault.
bool readString(ByteReader& in, std::string& s, size_t limit, std::string& reason)
{
    uint32_t len;
    const uint8_t* bytes = nullptr;
    if (!readU32(in, len)) {
        reason = "truncated";
        return false;
    }
    if (len > limit) {
        reason = "name too long";
        return false;
    }
    if (!takeBytes(in, len, bytes)) {
        reason = "truncated";
        return false;
    }
    s.assign(reinterpret_cast<const char*>(bytes), len);
    return true;
}

}  // namespace

bool decodeGhost(const uint8_t* bytes, size_t size, GhostFile& ghost, std::string& reason)
{
    ByteReader in = byteReader(bytes, size);
    char magic[8];
    if (!readBytes(in, magic, 8) || std::memcmp(magic, ghostMagic, 8) != 0) {
        reason = "not a ghost file";
        return false;
    }
    uint32_t version;
    if (!readU32(in, version)) {
        reason = "truncated";
        return false;
    }
    if (version != ghostFormatVersion) {
        reason = "format version " + std::to_string(version);
        return false;
    }
    if (!readU32(in, ghost.physics) || !readString(in, ghost.trackName, maxGhostTrackNameBytes, reason)) {
        if (reason.empty())
            reason = "truncated";
        return false;
    }
    if (!isTrackName(ghost.trackName)) {
        reason = "bad track name";
        return false;
    }
    if (!readBytes(in, ghost.trackHash.data(), ghost.trackHash.size())) {
        reason = "truncated";
        return false;
    }
    if (!readString(in, ghost.playerName, maxGhostPlayerNameBytes, reason))
        return false;
    uint64_t date;
    uint32_t count;
    if (!readU64(in, date) || !readU32(in, ghost.ticks) ||
        !readBytes(in, ghost.startState.data(), ghost.startState.size()) || !readU32(in, count)) {
        reason = "truncated";
        return false;
    }
    ghost.date = static_cast<int64_t>(date);
    if (count > maxGhostRecords) {
        reason = "too many records";
        return false;
    }
    if (!fitsItems(in, count, 12)) {
        reason = "truncated";
        return false;
    }
    if (in.left != size_t(count) * 12) {
        reason = "bytes after the last record";
        return false;
    }
    ghost.records.resize(count);
    for (ControlInput& c : ghost.records) {
        readF32(in, c.steer);
        readF32(in, c.brake);
        readF32(in, c.throttle);
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
    const FileRead file = readRegularFile(trackFolderPath(dataDir, name) + "/track.track", maxTrackFileBytes);
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
