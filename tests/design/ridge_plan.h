#pragma once
// The ridge: a four-corner player's track, built once per test program, for
// the tests of shared tracks and of "my tracks".
#include "design/track_package.h"

inline const char* const ridgePlan = "plan 1\nname ridge\ntheme alpine\nroad basalt\nwidth 16\n"
                                     "corner 0 0 120 0 0\ncorner 900 0 90 5 10\ncorner 900 600 80 20 10 14\n"
                                     "corner 0 600 100 10 0\n";

// The ridge's folder files and author run; empty when the plan does not build.
inline const TrackPackage& ridgePackage()
{
    static const TrackPackage package = [] {
        TrackPlan plan;
        PlanFault fault;
        TrackPackage p;
        if (!readPlan(ridgePlan, plan, fault) || !buildTrackPackage(plan, p, fault))
            return TrackPackage{};
        return p;
    }();
    return package;
}
