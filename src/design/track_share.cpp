#include "design/track_share.h"

#include <cstring>

#include "design/track_package.h"
#include "track/track_file.h"

const char sharedTrackMagic[8] = {'V', 'N', 'T', 'R', 'A', 'C', 'K', '\n'};

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool getU32(const uint8_t* bytes, size_t size, size_t& at, uint32_t& v)
{
    if (size - at < 4)
        return false;
    v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    at += 4;
    return true;
}

bool failWith(std::string& reason, const char* words)
{
    reason = words;
    return false;
}

} // namespace

std::vector<uint8_t> encodeSharedTrack(const SharedTrack& shared)
{
    std::vector<uint8_t> out(sharedTrackMagic, sharedTrackMagic + sizeof sharedTrackMagic);
    putU32(out, sharedTrackVersion);
    putU32(out, static_cast<uint32_t>(shared.planText.size()));
    out.insert(out.end(), shared.planText.begin(), shared.planText.end());
    std::vector<uint8_t> ghost = encodeGhost(shared.author);
    putU32(out, static_cast<uint32_t>(ghost.size()));
    out.insert(out.end(), ghost.begin(), ghost.end());
    return out;
}

bool decodeSharedTrack(const uint8_t* bytes, size_t size, SharedTrack& shared, std::string& reason)
{
    shared = SharedTrack{};
    if (size > maxSharedTrackBytes)
        return failWith(reason, "too large for a shared track");
    if (size < sizeof sharedTrackMagic || std::memcmp(bytes, sharedTrackMagic, sizeof sharedTrackMagic) != 0)
        return failWith(reason, "not a shared track");
    size_t at = sizeof sharedTrackMagic;
    uint32_t version = 0, planSize = 0, ghostSize = 0;
    if (!getU32(bytes, size, at, version))
        return failWith(reason, "truncated");
    if (version != sharedTrackVersion)
        return failWith(reason, "a shared track of another version");
    if (!getU32(bytes, size, at, planSize))
        return failWith(reason, "truncated");
    if (planSize > maxPlanBytes)
        return failWith(reason, "its plan is larger than 64 KiB");
    if (size - at < planSize)
        return failWith(reason, "truncated");
    shared.planText.assign(reinterpret_cast<const char*>(bytes + at), planSize);
    at += planSize;
    if (!getU32(bytes, size, at, ghostSize))
        return failWith(reason, "truncated");
    if (ghostSize > maxGhostFileBytes)
        return failWith(reason, "its author run is too large");
    if (size - at < ghostSize)
        return failWith(reason, "truncated");
    if (size - at > ghostSize)
        return failWith(reason, "bytes after the author run");
    std::string why;
    if (!decodeGhost(bytes + at, ghostSize, shared.author, why)) {
        reason = "its author run: " + why;
        return false;
    }
    return true;
}

std::string verifySharedTrack(const uint8_t* bytes, size_t size, SharedTrack& shared, TrackPlan& plan,
                              BuiltTrack& built)
{
    std::string reason;
    if (!decodeSharedTrack(bytes, size, shared, reason))
        return reason;
    PlanFault fault;
    if (!readPlan(shared.planText, plan, fault))
        return "its plan, line " + describeFault(fault);
    fault = checkPlan(plan, &built);
    if (planFaulty(fault))
        return "its plan, line " + describeFault(fault);
    if (shared.author.trackName != plan.name)
        return "its author run is of another track";
    std::vector<uint8_t> points = controlPointBytes(built);
    Sha256Digest hash = sha256(points.data(), points.size());
    Track road;
    road.name = plan.name;
    road.segments = built.segments;
    std::string why = checkGhost(shared.author, hash, road);
    if (!why.empty())
        return "its author run does not hold: " + why;
    return "";
}

std::string sharedTrackFileName(const TrackPlan& plan)
{
    return plan.name + ".vtrack";
}
