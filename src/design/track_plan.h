#pragma once
// Plan files: a player's track as text (docs/track-plan.md), read and written
// here without any window, and checked for everything that keeps it from
// making a road. Every fault names the plan's line, and the corner when it
// concerns one, so a tool can print it and an editor can mark the corner.

#include <cstddef>
#include <string>
#include <vector>

#include "design/track_design.h"

constexpr int planVersion = 1;
// Bounds a plan is held to before anything is built from it.
constexpr size_t maxPlanBytes = 64 * 1024;
constexpr size_t maxPlanNameBytes = 32;
constexpr size_t minPlanCorners = 3;
constexpr size_t maxPlanCorners = 200;
// Length of one lap, metres.
constexpr double maxPlanRoadMetres = 30000.0;

// The ranges of a plan's values, metres and degrees, bounds included.
struct PlanRange {
    double lo, hi;
};
constexpr PlanRange planPositionRange{-2500.0, 2500.0};
constexpr PlanRange planRadiusRange{15.0, 2000.0};
constexpr PlanRange planHeightRange{-300.0, 300.0};
constexpr PlanRange planBankRange{-30.0, 30.0};
constexpr PlanRange planWidthRange{6.0, 40.0};
constexpr double planDefaultWidth = 16.0;

struct TrackPlan {
    std::string name;
    std::string theme = "meadow";
    std::string road = "asphalt";
    // The road's width wherever a corner gives none, metres.
    double width = planDefaultWidth;
    // A corner's width of 0 stands for the plan's width.
    std::vector<Corner> corners;
    // The text line of each corner, from 1; empty or 0 for a plan made in memory.
    std::vector<int> cornerLines;
    // The lines of "name", "theme", "road" and "width"; 0 when not read from text.
    int nameLine = 0, themeLine = 0, roadLine = 0, widthLine = 0;
    // The last line of the text, where a fault of the whole plan is reported.
    int lastLine = 0;
};

struct PlanFault {
    // 0 when there is no fault.
    int line = 0;
    // The corner it concerns, or -1.
    int corner = -1;
    std::string message;
};

inline bool planFaulty(const PlanFault& fault) { return !fault.message.empty(); }

// Whether name may name a plan: 1 to 32 of A-Z a-z 0-9 _ -.
bool isPlanName(const std::string& name);
// The road surfaces a plan may name.
const std::vector<std::string>& roadSurfaces();

// Reads a plan's text. Every word and value is checked on its own (known
// words, finite values within their ranges, a name, at least three corners);
// the road is not built. True with fault cleared, or false with the first fault.
bool readPlan(const std::string& text, TrackPlan& plan, PlanFault& fault);
// The text of a plan, read back by readPlan to the same plan (line numbers
// apart). Numbers are written in their shortest exact form.
std::string formatPlan(const TrackPlan& plan);

// The design the plan stands for, at scale 1.
TrackDesign designOf(const TrackPlan& plan);
// The faults of the plan's values (as readPlan finds them) and then of its
// road: corners on top of each other, a radius wider than the road at its
// corner or too large to fit between its neighbours, a lap longer than
// maxPlanRoadMetres, and a road that runs into or crosses itself. When built
// is given and there is no fault, it is the road the plan makes.
PlanFault checkPlan(const TrackPlan& plan, BuiltTrack* built = nullptr);

// The fault of one corner's values on their own (ranges, and a radius no
// smaller than the road is wide there), or "" when there is none.
std::string cornerValueFault(const TrackPlan& plan, const Corner& c);

// "LINE: MESSAGE", on one line.
std::string describeFault(const PlanFault& fault);
