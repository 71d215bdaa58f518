#include "content/medal_ghosts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>

#include "assets/models.h"
#include "assets/regular_file.h"
#include "content/content.h"
#include "design/track_catalogue.h"
#include "design/track_design.h"
#include "save/runs.h"
#include "sim/ship.h"
#include "track/track_file.h"

const char* const medalNames[3] = {"gold", "silver", "bronze"};

MedalWindow medalWindow(double seconds)
{
    MedalWindow w;
    w.last = medalLimitTicks(seconds, tickSeconds);
    w.first = w.last - 30;
    return w;
}

CappedDrive driveCapped(Track& track, const AutopilotPath& path, double topSpeed, int64_t maxTicks)
{
    CappedDrive drive;
    drive.topSpeed = topSpeed;
    AutopilotSettings settings;
    settings.topSpeed = topSpeed;
    ReplaySetup setup;
    setup.gravity = settings.gravity;
    setup.maxTicks = maxTicks;
    setup.driver = [&](const ShipState& s, int64_t) {
        drive.fastest = std::max(drive.fastest, length(s.velocity));
        ControlInput c = autopilotControl(path, s, settings);
        drive.controls.push_back(c);
        return c;
    };
    drive.result = replayRace(track, setup);
    return drive;
}

MedalSearch searchMedalDrive(Track& track, const AutopilotPath& path, const MedalWindow& window,
                             std::vector<CapSample>& known, int32_t maxRaces)
{
    MedalSearch search;
    // A race that has not finished a quarter past the window is slow enough to
    // bound the search; running it on would only cost time.
    const int64_t maxTicks = window.last + window.last / 4;
    const double target = 0.5 * double(window.first + window.last);
    auto race = [&](double cap) {
        search.drive = driveCapped(track, path, cap, maxTicks);
        ++search.races;
        const ReplayResult& r = search.drive.result;
        CapSample sample;
        sample.cap = cap;
        sample.ticks = double(r.raceTicks);
        sample.outcome = r.outcome;
        known.push_back(sample);
        search.found =
            r.outcome == RaceOutcome::finish && r.raceTicks >= window.first && r.raceTicks <= window.last;
    };
    if (known.empty()) {
        race(AutopilotSettings{}.topSpeed);
        // The uncapped autopilot stands for a cap at the fastest it went.
        known.back().cap = search.drive.fastest;
        if (search.found || search.drive.result.outcome != RaceOutcome::finish ||
            search.drive.result.raceTicks > window.last)
            return search;
    }
    // Race ticks over the target as a function of the cap: below zero too
    // fast, above too slow. Each side starts from the nearest of the known
    // races that ended in a finish, or for the slow side ran out of ticks.
    const CapSample* fast = nullptr;
    const CapSample* fastBefore = nullptr;
    const CapSample* slow = nullptr;
    for (const CapSample& k : known) {
        const bool isFast = k.outcome == RaceOutcome::finish && k.ticks < window.first;
        const bool isSlow = k.outcome == RaceOutcome::finish ? k.ticks > window.last
                                                            : k.outcome == RaceOutcome::unfinished &&
                                                                  k.ticks > double(window.last);
        if (isFast && (!fast || k.cap < fast->cap)) {
            fastBefore = fast;
            fast = &k;
        } else if (isFast && (!fastBefore || k.cap < fastBefore->cap)) {
            fastBefore = &k;
        }
        if (isSlow && (!slow || k.cap > slow->cap))
            slow = &k;
    }
    if (!fast)
        return search;
    double fastCap = fast->cap, fastOver = fast->ticks - target;
    bool havePrevious = fastBefore != nullptr;
    double previousCap = havePrevious ? fastBefore->cap : 0.0;
    double previousOver = havePrevious ? fastBefore->ticks - target : 0.0;
    bool haveSlow = slow != nullptr;
    double slowCap = haveSlow ? slow->cap : 0.0;
    while (search.races < maxRaces) {
        double cap;
        if (!haveSlow) {
            // Time as if every metre were driven at the cap: the cap slows
            // only the fast parts, so this guess falls short of the target.
            // The secant through the two nearest fast races overshoots it,
            // since time steepens as the cap comes down; halfway between
            // closes the bracket without running far past it.
            const double allAtCap = fastCap * (fastOver + target) / target;
            double secant = 0.5 * fastCap;
            if (havePrevious) {
                const double slope = (previousOver - fastOver) / (previousCap - fastCap);
                if (slope < 0.0)
                    secant = std::max(fastCap - fastOver / slope, 0.5 * fastCap);
            }
            cap = havePrevious ? 0.5 * (allAtCap + secant) : allAtCap;
        } else {
            // The secant through the two finished races nearest the target,
            // when it falls well inside the bracket; else its middle.
            const CapSample* a = nullptr;
            const CapSample* b = nullptr;
            for (const CapSample& k : known) {
                if (k.outcome != RaceOutcome::finish)
                    continue;
                const double miss = std::fabs(k.ticks - target);
                if (!a || miss < std::fabs(a->ticks - target)) {
                    b = a;
                    a = &k;
                } else if (!b || miss < std::fabs(b->ticks - target)) {
                    b = &k;
                }
            }
            const double margin = 0.02 * (fastCap - slowCap);
            cap = 0.5 * (fastCap + slowCap);
            if (a && b && a->ticks != b->ticks) {
                const double secant = a->cap + (target - a->ticks) * (b->cap - a->cap) / (b->ticks - a->ticks);
                if (secant > slowCap + margin && secant < fastCap - margin)
                    cap = secant;
            }
        }
        race(cap);
        if (search.found)
            return search;
        const ReplayResult& r = search.drive.result;
        const double over = known.back().ticks - target;
        const bool tooSlow = r.outcome == RaceOutcome::finish ? r.raceTicks > window.last
                                                             : r.outcome == RaceOutcome::unfinished;
        if (tooSlow) {
            slowCap = cap;
            haveSlow = true;
        } else {
            previousCap = fastCap;
            previousOver = fastOver;
            havePrevious = true;
            fastCap = cap;
            // Leaving the road says nothing of the time: the bracket narrows
            // and the old time stands for the new cap.
            if (r.outcome == RaceOutcome::finish)
                fastOver = over;
        }
    }
    return search;
}

GhostFile medalGhost(const std::string& medal, const std::string& trackName, const Sha256Digest& trackHash,
                     const CappedDrive& drive)
{
    GhostFile ghost;
    ghost.trackName = trackName;
    ghost.trackHash = trackHash;
    ghost.playerName = medal;
    ghost.date = 0;
    ghost.ticks = static_cast<uint32_t>(drive.result.raceTicks);
    std::memcpy(ghost.startState.data(), &drive.result.startState, sizeof(ShipState));
    ghost.records = drive.controls;
    return ghost;
}

bool writeContentFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    // Not through a link, and without waiting for a reader of a FIFO.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) == 0;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? size_t(n) : 0;
    }
    return ::close(fd) == 0 && ok;
}

MedalGhosts driveMedalGhosts(Track& track, const Sha256Digest& trackHash, const double seconds[3])
{
    MedalGhosts out;
    const AutopilotPath path = buildAutopilotPath(track);
    std::vector<CapSample> known;
    for (int m = 0; m < 3; ++m) {
        const MedalWindow window = medalWindow(seconds[m]);
        MedalSearch search = searchMedalDrive(track, path, window, known);
        out.races += search.races;
        if (!search.found) {
            out.error = std::string(medalNames[m]) + ": no drive finishes between ticks " +
                        std::to_string(window.first) + " and " + std::to_string(window.last);
            return out;
        }
        out.ghosts[m] = medalGhost(medalNames[m], track.name, trackHash, search.drive);
    }
    return out;
}

namespace {

// One track's medal ghosts: the times to meet and what became of them.
struct MedalJob {
    std::string track;
    double seconds[3] = {0.0, 0.0, 0.0};
    std::string error;
};

// Drives, writes and checks the three medal ghosts of one track below root.
void makeMedalGhosts(const std::string& root, MedalJob& job)
{
    Track track;
    Sha256Digest hash;
    if (!hashTrackFile(root, job.track, hash) || !readTrackRoad(track, root, job.track)) {
        job.error = "no road";
        return;
    }
    MedalGhosts drives = driveMedalGhosts(track, hash, job.seconds);
    if (!drives.error.empty()) {
        job.error = drives.error;
        return;
    }
    for (int m = 0; m < 3; ++m) {
        const std::string file = trackFolder(root, job.track) + "/" + medalNames[m] + ".vghost";
        if (!writeContentFile(file, encodeGhost(drives.ghosts[m]))) {
            job.error = "cannot write " + file;
            return;
        }
        // The file as the game and vantor-sim ghost verify will read it.
        GhostFile written;
        const std::string reason = verifyGhostFile(root, file, written);
        const MedalWindow window = medalWindow(job.seconds[m]);
        if (!reason.empty())
            job.error = file + " rejected: " + reason;
        else if (int64_t(written.ticks) < window.first || int64_t(written.ticks) > window.last)
            job.error = file + " finishes outside its window";
        if (!job.error.empty())
            return;
    }
}

} // namespace

bool writeMedalGhosts(const std::string& root)
{
    std::vector<MedalJob> jobs;
    for (const BuiltTrack& built : builtTracks()) {
        MedalJob job;
        job.track = built.design.name;
        const FileRead file = readRegularFile(trackFolder(root, job.track) + "/times.txt", maxTimesFileBytes);
        Area area;
        if (file.status == FileStatus::ok) {
            std::istringstream times(asText(file));
            readMedalTimes(times, area);
        }
        job.seconds[0] = area.goldSeconds;
        job.seconds[1] = area.silverSeconds;
        job.seconds[2] = area.bronzeSeconds;
        jobs.push_back(job);
    }
    // Two threads, each track with its own road and slot.
    std::thread helper([&] {
        for (size_t i = 1; i < jobs.size(); i += 2)
            makeMedalGhosts(root, jobs[i]);
    });
    for (size_t i = 0; i < jobs.size(); i += 2)
        makeMedalGhosts(root, jobs[i]);
    helper.join();
    bool ok = true;
    for (const MedalJob& job : jobs) {
        if (!job.error.empty()) {
            std::fprintf(stderr, "vantor-content: medal ghosts of track %s: %s\n", job.track.c_str(),
                         job.error.c_str());
            ok = false;
        }
    }
    return ok;
}
