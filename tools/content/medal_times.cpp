// "times.txt" of every built-in track: the medal targets from the autopilot's race.
#include <cstdio>
#include <thread>
#include <vector>

#include "content/content.h"
#include "design/medal_times.h"
#include "design/track_catalogue.h"
#include "design/track_package.h"

bool writeMedalTimes(const std::string& root)
{
    // The autopilot drives the tracks two at a time; each result has its own slot.
    const std::vector<BuiltTrack>& tracks = builtTracks();
    std::vector<double> seconds(tracks.size(), -1.0);
    std::thread helper([&] {
        for (size_t i = 1; i < tracks.size(); i += 2)
            seconds[i] = autopilotSeconds(tracks[i]);
    });
    for (size_t i = 0; i < tracks.size(); i += 2)
        seconds[i] = autopilotSeconds(tracks[i]);
    helper.join();
    for (size_t i = 0; i < tracks.size(); ++i) {
        const BuiltTrack& track = tracks[i];
        // The autopilot's race is the author's time. Should it ever fail a track,
        // the profile estimate with a tenth added stands in, and the tool says so.
        double reference = seconds[i];
        if (reference <= 0.0) {
            std::fprintf(stderr, "vantor-content: the autopilot does not finish track %s\n", track.design.name.c_str());
            reference = estimateRaceSeconds(track) * 1.1;
        }
        MedalTimes m = medalTimesFrom(reference);
        FILE* f = std::fopen((trackFolder(root, track.design.name) + "/times.txt").c_str(), "w");
        if (!f)
            return false;
        bool ok = std::fputs(medalTimesText(m).c_str(), f) >= 0;
        if (std::fclose(f) != 0 || !ok)
            return false;
    }
    return true;
}
