#pragma once
// The editor's picture of a plan from above: the road as the game will build
// it (or, for a plan with a fault, the polygon of its corners), the corners
// with the chosen one and the faulty ones marked, and the start. The frame
// that maps plan metres to window pixels is a plain function, so a click
// finds the same corner the picture shows.

#include <vector>

struct TrackPlan;
struct BuiltTrack;

// Plan metres to window pixels, counted from the top-left: x east to the
// right, y north up.
struct PlanFrame {
    double scale = 1.0;
    double midX = 0.0, midY = 0.0;
    double centreX = 400.0, centreY = 300.0;
    // The box the plan is fitted into, window pixels.
    int left = 0, top = 0, width = 0, height = 0;
};

// The box of the editing screen inside a window: the middle of the 800 by
// 600 menu area, between the lines above and below it.
PlanFrame planFrame(const TrackPlan& plan, int screenWidth, int screenHeight);
void planPixelOf(const PlanFrame& frame, double x, double y, double& px, double& py);
void planPointAt(const PlanFrame& frame, double px, double py, double& x, double& y);

// The road's two edges, in plan metres, sampled along its centre line.
struct PlanRoad {
    std::vector<double> left, right;
};
PlanRoad planRoadEdges(const BuiltTrack& built);

struct PlanDraw {
    const TrackPlan* plan = nullptr;
    // Null for a plan with a fault: its corner polygon is drawn instead.
    const PlanRoad* road = nullptr;
    int chosen = -1;
    std::vector<int> faultyCorners;
    int screenWidth = 800;
    int screenHeight = 600;
};

// Draws over whatever the frame holds; leaves the GL state as it found it.
void drawPlanView(const PlanDraw& draw);
