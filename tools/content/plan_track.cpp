#include "content/plan_track.h"

#include <sys/stat.h>

#include <cstdio>

#include "assets/picture_file.h"
#include "assets/regular_file.h"
#include "design/track_package.h"
#include "sim/race_constants.h"

namespace {

int refuse(const std::string& words)
{
    std::fprintf(stderr, "vantor-content: %s\n", words.c_str());
    return 2;
}

} // namespace

int buildPlanTrack(const std::string& planPath, const std::string& outDir)
{
    // Checked first: building a track takes seconds, and it would be for nothing.
    struct stat st;
    if (stat(outDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return refuse(outDir + " is not a folder");
    FileRead file = readRegularFile(planPath, maxPlanBytes);
    if (file.status != FileStatus::ok)
        return refuse("cannot read " + planPath + ": " +
                      (file.status == FileStatus::tooLarge ? "larger than 64 KiB" : describeFileRead(file)));
    TrackPlan plan;
    PlanFault fault;
    TrackPackage package;
    if (!readPlan(asText(file), plan, fault) || !buildTrackPackage(plan, package, fault))
        return refuse(planPath + ":" + describeFault(fault));
    TrackFileImage png{"area.png", {}};
    if (!encodePng(package.scenery.atlas, png.bytes))
        return refuse(planPath + ": the scenery's picture cannot be encoded");
    package.files.insert(package.files.begin() + 3, png);
    std::string error;
    FolderWrite written = writeTrackFolder(outDir, plan.name, package.files, error);
    if (written == FolderWrite::refused)
        return refuse(error);
    if (written == FolderWrite::failed) {
        std::fprintf(stderr, "vantor-content: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s/tracks/%s: author time %.2f s, medals %s", outDir.c_str(), plan.name.c_str(),
                package.author.ticks * tickSeconds, medalTimesText(package.medals).c_str());
    return 0;
}
