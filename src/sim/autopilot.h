#pragma once
// A driver for the headless simulator and the content tools: it steers toward
// a point ahead on the centre line (u = 0.5) and keeps to a speed at which
// the curves ahead can still be taken, braking early enough for them. It
// drives through the game's own physics step, so its records replay as a
// ghost and its times can set medal targets.

#include <cstdint>
#include <vector>

#include "sim/control.h"
#include "sim/race_constants.h"
#include "sim/replay.h"
#include "sim/vecmath.h"

struct Track;
struct ShipState;

struct AutopilotSettings {
    // m/s^2, as the race uses it.
    double gravity = defaultGravity;
    // Share of g the driver asks of the sideways grip in a curve.
    double cornerGrip = 0.9;
    // Share of g it plans to brake with.
    double brakeGrip = 0.6;
    // Seconds of travel to the steering target, and its bounds in metres.
    double lookAheadSeconds = 0.45;
    double lookAheadMin = 9.0;
    double lookAheadMax = 45.0;
    // m/s: no plan goes faster.
    double topSpeed = 200.0;
    // Radians off the target beyond which the driver turns around instead,
    // in a circle of this many metres at this many m/s.
    double turnAroundAngle = 1.0471975511965976;
    double turnAroundRadius = 2.0;
    double turnAroundSpeed = 2.0;
};

// The centre line sampled densely, built once per track.
struct AutopilotPath {
    int32_t samplesPerSegment = 16;
    // Metres along the centre line at each sample; one more than the points,
    // the last being the length of the lap.
    std::vector<double> distance;
    std::vector<Vec3> point;
    // 1/m, the curvature across the road at each sample (magnitude).
    std::vector<double> curvature;
};

// Empty for a track without segments.
AutopilotPath buildAutopilotPath(const Track& track);

// The record for the next tick from the ship as the last step left it.
ControlInput autopilotControl(const AutopilotPath& path, const ShipState& state, const AutopilotSettings& settings);

struct AutopilotRun {
    ReplayResult result;
    // One record per race tick, ready to replay or store.
    std::vector<ControlInput> controls;
    // The extremes of trackU over the race ticks.
    double minU = 0.5;
    double maxU = 0.5;
};

// A whole race from the start with the autopilot, at most maxTicks race ticks.
AutopilotRun driveWithAutopilot(Track& track, const AutopilotSettings& settings, int64_t maxTicks);
