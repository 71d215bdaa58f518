#include "shell/my_tracks.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "assets/atomic_file.h"
#include "assets/picture_file.h"
#include "assets/regular_file.h"
#include "design/track_package.h"
#include "design/track_share.h"
#include "save/ghost_file.h"
#include "save/sha256.h"
#include "track/track_file.h"

namespace {

const char sharedSuffix[] = ".vtrack";

bool isFolder(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegular(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> entriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return names;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool endsWith(const std::string& s, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return s.size() > n && s.compare(s.size() - n, n, suffix) == 0;
}

std::string bytesText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

ImportResult refusal(const std::string& fileName, const std::string& plan, const std::string& why)
{
    ImportResult r;
    r.outcome = ImportOutcome::refused;
    r.plan = plan;
    r.line = shownFileName(fileName) + ": " + why;
    return r;
}

} // namespace

std::string shownFileName(const std::string& name)
{
    std::string shown = name;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return shown;
}

std::vector<MyTrack> listMyTracks(const std::string& saveDir)
{
    std::vector<MyTrack> tracks;
    if (saveDir.empty())
        return tracks;
    const std::string root = saveDir + "/tracks";
    for (const std::string& name : entriesOf(root)) {
        const std::string folder = root + "/" + name;
        if (!isPlanName(name) || !isFolder(folder) || !isRegular(folder + "/plan.txt"))
            continue;
        MyTrack t;
        t.plan = name;
        t.validated = isRegular(folder + "/author.vghost");
        tracks.push_back(t);
    }
    return tracks;
}

std::vector<std::string> listSharedFiles(const std::string& saveDir)
{
    std::vector<std::string> files;
    if (saveDir.empty())
        return files;
    const std::string root = saveDir + "/tracks";
    for (const std::string& name : entriesOf(root))
        if (name[0] != '.' && endsWith(name, sharedSuffix) && isRegular(root + "/" + name))
            files.push_back(name);
    return files;
}

std::string myTrackRecordName(const std::string& saveDir, const std::string& plan)
{
    if (saveDir.empty() || !isPlanName(plan))
        return "";
    const FileRead file = readRegularFile(saveDir + "/tracks/" + plan + "/track.track", maxTrackFileBytes);
    if (file.status != FileStatus::ok)
        return "";
    return playerTrackName(plan, hexDigest(sha256(file.bytes.data(), file.bytes.size())));
}

std::string currentTrackName(const std::string& name)
{
    const std::string plan = playerTrackPlan(name);
    if (plan.empty())
        return name;
    const std::string now = myTrackRecordName(playerTracksRoot, plan);
    return now.empty() ? name : now;
}

std::string sharedFileKey(const std::string& saveDir, const std::string& fileName)
{
    struct stat st;
    if (lstat((saveDir + "/tracks/" + fileName).c_str(), &st) != 0)
        return fileName;
    return fileName + " " + std::to_string(static_cast<long long>(st.st_size)) + " " +
           std::to_string(static_cast<long long>(st.st_mtim.tv_sec)) + "." +
           std::to_string(static_cast<long long>(st.st_mtim.tv_nsec));
}

ImportResult importSharedTrack(const std::string& saveDir, const std::string& fileName)
{
    const std::string path = saveDir + "/tracks/" + fileName;
    const FileRead file = readRegularFile(path, maxSharedTrackBytes);
    if (file.status == FileStatus::tooLarge)
        return refusal(fileName, "", "too large for a shared track");
    if (file.status != FileStatus::ok)
        return refusal(fileName, "", describeFileRead(file));

    // A cheap look first: a track already taken in is not proven again.
    SharedTrack shared;
    std::string reason;
    if (!decodeSharedTrack(file.bytes.data(), file.bytes.size(), shared, reason))
        return refusal(fileName, "", reason);
    TrackPlan plan;
    PlanFault fault;
    if (!readPlan(shared.planText, plan, fault))
        return refusal(fileName, "", "its plan, line " + describeFault(fault));
    const std::string folder = saveDir + "/tracks/" + plan.name;
    struct stat st;
    if (lstat(folder.c_str(), &st) == 0) {
        const FileRead ownPlan = readRegularFile(folder + "/plan.txt", maxPlanBytes);
        const FileRead ownAuthor = readRegularFile(folder + "/author.vghost", maxGhostFileBytes);
        const std::vector<uint8_t> author = encodeGhost(shared.author);
        if (ownPlan.status == FileStatus::ok && ownAuthor.status == FileStatus::ok &&
            bytesText(ownPlan.bytes) == shared.planText && ownAuthor.bytes == author) {
            ImportResult r;
            r.outcome = ImportOutcome::alreadyHere;
            r.plan = plan.name;
            return r;
        }
        return refusal(fileName, plan.name, "another track named " + plan.name + " is already here");
    }

    BuiltTrack built;
    reason = verifySharedTrack(file.bytes.data(), file.bytes.size(), shared, plan, built);
    if (!reason.empty())
        return refusal(fileName, plan.name, reason);
    TrackPackage package;
    if (!packageWithAuthor(plan, built, shared.author, package, fault))
        return refusal(fileName, plan.name, describeFault(fault));
    TrackFileImage png{"area.png", {}};
    if (!encodePng(package.scenery.atlas, png.bytes))
        return refusal(fileName, plan.name, "its scenery's picture cannot be made");
    package.files.push_back(png);
    std::string error;
    if (writeTrackFolder(saveDir, plan.name, package.files, error) != FolderWrite::written)
        return refusal(fileName, plan.name, error);
    ImportResult r;
    r.outcome = ImportOutcome::taken;
    r.plan = plan.name;
    return r;
}

bool shareMyTrack(const std::string& saveDir, const std::string& plan, std::string& where, std::string& error)
{
    where.clear();
    if (saveDir.empty() || !isPlanName(plan)) {
        error = "no folder for your tracks";
        return false;
    }
    const std::string folder = saveDir + "/tracks/" + plan;
    const FileRead planFile = readRegularFile(folder + "/plan.txt", maxPlanBytes);
    if (planFile.status != FileStatus::ok) {
        error = plan + " has no readable plan";
        return false;
    }
    SharedTrack shared;
    shared.planText = bytesText(planFile.bytes);
    std::string reason;
    if (!isRegular(folder + "/author.vghost") || !readGhostFile(folder + "/author.vghost", shared.author, reason)) {
        error = plan + " has no author run yet: drive it to the finish first";
        return false;
    }
    const std::vector<uint8_t> bytes = encodeSharedTrack(shared);
    // Proven here as the friend's game will prove it, so no one is handed a
    // file that is refused.
    SharedTrack proven;
    TrackPlan provenPlan;
    BuiltTrack built;
    reason = verifySharedTrack(bytes.data(), bytes.size(), proven, provenPlan, built);
    if (!reason.empty()) {
        error = plan + " cannot be shared: " + reason;
        return false;
    }
    const std::string path = saveDir + "/shared/" + plan + sharedSuffix;
    AtomicWrite how;
    // The per-user folder and its "shared" folder are the game's own.
    how.createFolders = true;
    std::string why;
    if (!writeFileAtomically(path, bytes, &why, how)) {
        error = "cannot write " + path + ": " + why;
        return false;
    }
    where = path;
    return true;
}

bool deleteMyTrack(const std::string& saveDir, const std::string& plan, std::string& error)
{
    if (saveDir.empty() || !isPlanName(plan)) {
        error = "no such track";
        return false;
    }
    const std::string folder = saveDir + "/tracks/" + plan;
    if (!isFolder(folder)) {
        error = plan + " is not a folder of yours";
        return false;
    }
    for (const std::string& name : entriesOf(folder)) {
        const std::string path = folder + "/" + name;
        struct stat st;
        // Files and links go; a link's target is never touched.
        if (lstat(path.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
            unlink(path.c_str());
    }
    if (rmdir(folder.c_str()) != 0) {
        error = "cannot remove " + folder + ": " + errorWords(errno);
        return false;
    }
    const std::string dropped = saveDir + "/tracks/" + plan + sharedSuffix;
    const FileRead file = readRegularFile(dropped, maxSharedTrackBytes);
    SharedTrack shared;
    TrackPlan droppedPlan;
    PlanFault fault;
    std::string reason;
    if (file.status == FileStatus::ok && decodeSharedTrack(file.bytes.data(), file.bytes.size(), shared, reason) &&
        readPlan(shared.planText, droppedPlan, fault) && droppedPlan.name == plan)
        unlink(dropped.c_str());
    return true;
}

MyTracksView myTracksView(const MyTracksScreen& screen)
{
    MyTracksView view;
    const int n = static_cast<int>(screen.tracks.size());
    view.count = n;
    if (n == 0) {
        view.emptyLine = "no tracks of your own yet: put a shared .vtrack file in the tracks folder";
    } else {
        view.chosen = std::min(std::max(screen.chosen, 0), n - 1);
        view.firstShown = std::max(0, view.chosen - myTracksShownRows + 1);
        for (int i = view.firstShown; i < n && i < view.firstShown + myTracksShownRows; ++i) {
            const MyTrack& t = screen.tracks[size_t(i)];
            view.rows.push_back(t.plan + (t.validated ? "" : "   (not driven to the finish yet)"));
        }
    }
    if (!screen.message.empty())
        view.lines.push_back(screen.message);
    for (const std::string& line : screen.refusals)
        view.lines.push_back(line);
    return view;
}
