#include "sim/autopilot.h"

#include <algorithm>
#include <cmath>

#include "sim/locator.h"
#include "sim/ship.h"
#include "track/track_file.h"

AutopilotPath buildAutopilotPath(const Track& track)
{
    AutopilotPath path;
    const int32_t per = path.samplesPerSegment;
    const size_t count = track.segments.size() * size_t(per);
    if (count == 0)
        return path;
    std::vector<Vec3> lateral(count);
    path.point.resize(count);
    for (size_t i = 0; i < track.segments.size(); ++i) {
        for (int32_t k = 0; k < per; ++k) {
            double t = double(k) / per;
            const TrackSegment& s = track.segments[i];
            size_t j = i * size_t(per) + size_t(k);
            path.point[j] = surfacePoint(s, 0.5, t);
            lateral[j] = normalize(sub(surfacePoint(s, 1.0, t), surfacePoint(s, 0.0, t)));
        }
    }
    path.distance.resize(count + 1, 0.0);
    for (size_t j = 0; j < count; ++j)
        path.distance[j + 1] = path.distance[j] + length(sub(path.point[(j + 1) % count], path.point[j]));

    // Turning of the tangent across the road per metre, over a span of samples
    // wide enough to smooth the sampling.
    path.curvature.assign(count, 0.0);
    const size_t span = 2;
    auto tangent = [&](size_t j) {
        return normalize(sub(path.point[(j + 1) % count], path.point[(j + count - 1) % count]));
    };
    for (size_t j = 0; j < count; ++j) {
        size_t before = (j + count - span) % count;
        size_t after = (j + span) % count;
        double run = 0.0;
        for (size_t k = 0; k < 2 * span; ++k)
            run += length(sub(path.point[(before + k + 1) % count], path.point[(before + k) % count]));
        if (run <= 0.0)
            continue;
        double turn = dot(sub(tangent(after), tangent(before)), lateral[j]);
        path.curvature[j] = std::fabs(turn) / run;
    }
    return path;
}

namespace {

// Metres along the path of the ship's located place.
double pathDistance(const AutopilotPath& path, const ShipState& s)
{
    const size_t count = path.point.size();
    double t = std::min(std::max(s.trackT, 0.0), 1.0);
    double index = s.segment * double(path.samplesPerSegment) + t * path.samplesPerSegment;
    size_t j = size_t(index) % count;
    double frac = index - std::floor(index);
    return path.distance[j] + frac * (path.distance[j + 1] - path.distance[j]);
}

// The path point at metres along the lap, wrapping past its end.
Vec3 pointAt(const AutopilotPath& path, double at)
{
    const size_t count = path.point.size();
    const double lap = path.distance[count];
    at = std::fmod(at, lap);
    if (at < 0.0)
        at += lap;
    size_t j = size_t(std::upper_bound(path.distance.begin(), path.distance.end(), at) - path.distance.begin());
    j = j == 0 ? 0 : j - 1;
    j = std::min(j, count - 1);
    double gap = path.distance[j + 1] - path.distance[j];
    double frac = gap > 0.0 ? (at - path.distance[j]) / gap : 0.0;
    return add(path.point[j], scale(sub(path.point[(j + 1) % count], path.point[j]), frac));
}

// The fastest speed now from which every curve ahead can still be taken
// after braking.
double plannedSpeed(const AutopilotPath& path, double here, double speed, const AutopilotSettings& set)
{
    const size_t count = path.point.size();
    const double lap = path.distance[count];
    const double corner = set.cornerGrip * set.gravity;
    const double brake = set.brakeGrip * set.gravity;
    const double horizon = std::min(lap, speed * speed / (2.0 * brake) + 30.0);
    double best = set.topSpeed;
    size_t j = size_t(std::upper_bound(path.distance.begin(), path.distance.end(), std::fmod(here, lap)) -
                      path.distance.begin());
    j = j == 0 ? 0 : j - 1;
    for (size_t n = 0; n < count; ++n) {
        size_t k = (j + n) % count;
        double ahead = path.distance[k] - here;
        while (ahead < 0.0)
            ahead += lap;
        if (n > 0 && ahead > horizon)
            break;
        double kappa = path.curvature[k];
        double limit = kappa > 1e-9 ? std::sqrt(corner / kappa) : set.topSpeed;
        double fromHere = std::sqrt(limit * limit + 2.0 * brake * ahead);
        best = std::min(best, fromHere);
    }
    return best;
}

} // namespace

ControlInput autopilotControl(const AutopilotPath& path, const ShipState& s, const AutopilotSettings& set)
{
    ControlInput c;
    if (path.point.empty() || s.segment < 0)
        return c;
    const double speed = length(s.velocity);
    const double here = pathDistance(path, s);

    double look = std::min(std::max(speed * set.lookAheadSeconds, set.lookAheadMin), set.lookAheadMax);
    Vec3 target = pointAt(path, here + look);
    Vec3 up = row(s.orientation, 2);
    Vec3 forward = row(s.orientation, 1);
    Vec3 left = neg(row(s.orientation, 0));
    Vec3 d = sub(target, s.position);
    d = sub(d, scale(up, dot(d, up)));
    double reach = length(d);
    double want = plannedSpeed(path, here, speed, set);
    if (reach > 1e-6) {
        double alpha = std::atan2(dot(d, left), dot(d, forward));
        if (std::fabs(alpha) > set.turnAroundAngle) {
            // Facing away from the road ahead (a start facing backwards):
            // turn on the spot at walking pace. Below 15 m/s the turning
            // radius is 15 / steer metres whatever the speed.
            c.steer = float(alpha > 0.0 ? 15.0 / set.turnAroundRadius : -15.0 / set.turnAroundRadius);
            want = std::min(want, set.turnAroundSpeed);
        } else {
            // Pure pursuit in the road plane: the arc through the target point.
            double curvature = 2.0 * std::sin(alpha) / reach;
            // steer is a yaw rate at speed, scaled down in proportion below 15 m/s.
            c.steer = float(curvature * std::max(speed, 15.0));
        }
    }

    if (speed < want - 0.5) {
        c.throttle = 1.0f;
    } else if (speed > want + 0.5) {
        c.brake = float(std::min(1.0, (speed - want) / 3.0));
    } else {
        c.throttle = 0.3f;
    }
    return c;
}

AutopilotRun driveWithAutopilot(Track& track, const AutopilotSettings& settings, int64_t maxTicks)
{
    AutopilotRun run;
    AutopilotPath path = buildAutopilotPath(track);
    ReplaySetup setup;
    setup.gravity = settings.gravity;
    setup.maxTicks = maxTicks;
    setup.driver = [&](const ShipState& s, int64_t) {
        ControlInput c = autopilotControl(path, s, settings);
        run.controls.push_back(c);
        return c;
    };
    bool first = true;
    run.result = replayRace(track, setup, [&](int64_t, bool countdown, const ShipState& s) {
        if (countdown)
            return;
        if (first) {
            run.minU = run.maxU = s.trackU;
            first = false;
        }
        run.minU = std::min(run.minU, s.trackU);
        run.maxU = std::max(run.maxU, s.trackU);
    });
    return run;
}
