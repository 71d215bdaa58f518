#include "design/track_package.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "save/save_file.h"
#include "sim/autopilot.h"
#include "track/track_file.h"

const char autopilotAuthor[] = "autopilot";

namespace {

enum class PathKind { missing, folder, file, other, unknown };

// What is at path, the link itself when it is one.
PathKind kindOf(const std::string& path, int& error)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        error = errno;
        return errno == ENOENT ? PathKind::missing : PathKind::unknown;
    }
    if (S_ISDIR(st.st_mode))
        return PathKind::folder;
    return S_ISREG(st.st_mode) ? PathKind::file : PathKind::other;
}

FolderWrite refuse(std::string& error, const std::string& words)
{
    error = words;
    return FolderWrite::refused;
}

// Makes one folder level unless it is there already.
bool makeFolder(const std::string& path, std::string& error)
{
    if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST)
        return true;
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
}

} // namespace

std::vector<uint8_t> controlPointBytes(const BuiltTrack& track)
{
    std::vector<uint8_t> out;
    auto raw = [&](const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        out.insert(out.end(), b, b + n);
    };
    int32_t count = static_cast<int32_t>(track.filePoints.size());
    raw(&count, 4);
    for (const ControlPoint& cp : track.filePoints)
        raw(cp.p, sizeof cp.p);
    return out;
}

std::string textureWordsText(const BuiltTrack& track)
{
    std::string out;
    for (size_t i = 0; i < track.textureA.size(); ++i)
        out += track.textureA[i] + " " + track.textureB[i] + "\n";
    return out;
}

std::string medalTimesText(const MedalTimes& medals)
{
    char text[96];
    std::snprintf(text, sizeof text, "%.0f %.0f %.0f\n", medals.gold, medals.silver, medals.bronze);
    return text;
}

bool buildTrackPackage(const TrackPlan& plan, TrackPackage& package, PlanFault& fault)
{
    package = TrackPackage{};
    BuiltTrack built;
    fault = checkPlan(plan, &built);
    if (planFaulty(fault))
        return false;
    Track road;
    road.name = plan.name;
    road.segments = built.segments;
    AutopilotRun run = driveWithAutopilot(road, AutopilotSettings{}, maxAuthorTicks);
    if (run.result.outcome != RaceOutcome::finish) {
        fault.line = std::max(plan.lastLine, 1);
        fault.corner = -1;
        fault.message = "the autopilot cannot finish this road (" + outcomeLine(run.result) + ")";
        return false;
    }
    std::vector<uint8_t> points = controlPointBytes(built);
    GhostFile author;
    author.trackName = plan.name;
    author.trackHash = sha256(points.data(), points.size());
    author.playerName = autopilotAuthor;
    author.ticks = static_cast<uint32_t>(run.result.raceTicks);
    std::memcpy(author.startState.data(), &run.result.startState, author.startState.size());
    author.records = run.controls;
    return packageWithAuthor(plan, built, author, package, fault);
}

bool packageWithAuthor(const TrackPlan& plan, const BuiltTrack& built, const GhostFile& author,
                       TrackPackage& package, PlanFault& fault)
{
    package = TrackPackage{};
    package.plan = plan;
    package.built = built;
    package.author = author;
    package.medals = medalTimesFrom(static_cast<double>(author.ticks) * tickSeconds);
    package.scenery = buildScenery(built);
    std::vector<uint8_t> area;
    if (!encodeTris(package.scenery.mesh, 0.01, area)) {
        fault.line = std::max(plan.lastLine, 1);
        fault.corner = -1;
        fault.message = "the scenery of this road is too large for its file";
        return false;
    }
    auto text = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    package.files.push_back({"track.track", controlPointBytes(built)});
    package.files.push_back({"textures.txt", text(textureWordsText(built))});
    package.files.push_back({"area.tris", area});
    package.files.push_back({"times.txt", text(medalTimesText(package.medals))});
    package.files.push_back({"plan.txt", text(formatPlan(plan))});
    package.files.push_back({"author.vghost", encodeGhost(author)});
    return true;
}

FolderWrite writeTrackFolder(const std::string& root, const std::string& name,
                             const std::vector<TrackFileImage>& files, std::string& error)
{
    if (!isTrackName(name))
        return refuse(error, "'" + name + "' cannot name a track folder");
    int code = 0;
    struct stat st;
    if (stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return refuse(error, root + " is not a folder");
    const std::string tracks = root + "/tracks", folder = tracks + "/" + name;
    for (const std::string& dir : {tracks, folder}) {
        PathKind kind = kindOf(dir, code);
        if (kind != PathKind::folder && kind != PathKind::missing)
            return refuse(error, dir + " is there but not a folder");
    }
    for (const TrackFileImage& f : files) {
        if (f.name.empty() || f.name.find('/') != std::string::npos || f.name[0] == '.')
            return refuse(error, "'" + f.name + "' cannot name a track file");
        PathKind kind = kindOf(folder + "/" + f.name, code);
        if (kind != PathKind::file && kind != PathKind::missing)
            return refuse(error, folder + "/" + f.name + " is there but not a regular file");
    }
    if (!makeFolder(tracks, error) || !makeFolder(folder, error))
        return FolderWrite::failed;
    for (const TrackFileImage& f : files) {
        std::string why;
        if (!writeFileAtomically(folder + "/" + f.name, f.bytes, &why)) {
            error = "cannot write " + folder + "/" + f.name + ": " + why;
            return FolderWrite::failed;
        }
    }
    return FolderWrite::written;
}
