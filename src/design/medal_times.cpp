#include "design/medal_times.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/autopilot.h"
#include "sim/race_constants.h"
#include "track/track_file.h"

double estimateRaceSeconds(const BuiltTrack& track)
{
    const double g = defaultGravity, mass = 1.1, downforce = 0.0001575;
    const double ds = 2.0;
    const double L = track.path.length;
    const double finish = track.controlS.size() > 1 ? track.controlS[1] : 0.0;
    const double distance = finish + 2.0 * L;
    const int n = static_cast<int>(std::ceil(distance / ds)) + 1;
    std::vector<double> limit(n), grade(n);
    for (int i = 0; i < n; ++i) {
        double s = i * ds;
        PathSample p = samplePath(track.design, track.path, s);
        PathSample q = samplePath(track.design, track.path, s + ds);
        grade[i] = (q.centre.z - p.centre.z) / ds;
        double k = 0.0;
        for (double o = -6.0; o <= 6.0; o += 3.0)
            k = std::max(k, std::fabs(samplePath(track.design, track.path, s + o).curvature));
        double b = std::fabs(p.bank);
        // Lateral grip: the normal load (weight share plus downforce) and the banked weight.
        double room = k - downforce / mass;
        double v2 = room > 1e-9 ? 0.9 * g * (std::cos(b) + std::sin(b)) / room : 1e9;
        limit[i] = std::min(90.0, std::sqrt(v2));
    }
    auto drag = [](double v) { return 0.0225 * v + 0.0003375 * v * v; };
    // Braking pass from the end backward, then the acceleration pass from rest.
    std::vector<double> v(limit);
    for (int i = n - 2; i >= 0; --i) {
        double decel = g + drag(v[i + 1]) + g * grade[i];
        v[i] = std::min(v[i], std::sqrt(v[i + 1] * v[i + 1] + 2.0 * std::max(decel, 1.0) * ds));
    }
    v[0] = 0.0;
    double seconds = 0.0;
    for (int i = 1; i < n; ++i) {
        double u = v[i - 1];
        double thrust = std::min(0.65 * mass * g, 500.0 / std::max(u, 1.0)) / mass;
        double a = thrust - drag(u) - g * grade[i - 1];
        double reach = std::sqrt(std::max(0.0, u * u + 2.0 * a * ds));
        v[i] = std::min(v[i], std::max(reach, 0.5));
        seconds += 2.0 * ds / (u + v[i]);
    }
    return seconds;
}

MedalTimes medalTimesFrom(double reference)
{
    MedalTimes m;
    m.gold = std::ceil(reference * 1.06);
    m.silver = std::ceil(reference * 1.2);
    m.bronze = std::ceil(reference * 1.5);
    return m;
}

double autopilotSeconds(const BuiltTrack& track)
{
    Track road;
    road.name = track.design.name;
    road.segments = track.segments;
    // Ten minutes of race ticks is far beyond any track's time.
    AutopilotRun run = driveWithAutopilot(road, AutopilotSettings{}, 60000);
    if (run.result.outcome != RaceOutcome::finish)
        return -1.0;
    return static_cast<double>(run.result.raceTicks) * tickSeconds;
}
