#pragma once
// The editor's operations on a plan, as plain functions: which corner is
// chosen, the changes a key or a click makes to it, and the history that
// undoes them. Every change keeps the plan's values inside their ranges; the
// road they make is judged by checkPlan, which the editor shows at once.

#include <cstddef>
#include <string>
#include <vector>

#include "design/track_plan.h"

// How far one key press changes a value, metres and degrees.
constexpr double planMoveStep = 10.0;
constexpr double planRadiusStep = 5.0;
constexpr double planHeightStep = 2.0;
constexpr double planBankStep = 1.0;
constexpr double planWidthStep = 1.0;
// At most this many changes are undone; older ones are forgotten.
constexpr size_t maxPlanUndo = 200;

enum class CornerValue { radius, height, bank, width };

struct PlanEditor {
    TrackPlan plan;
    int chosen = 0;
    // The plans before each change, oldest first, with the corner then chosen.
    std::vector<TrackPlan> history;
    std::vector<int> historyChosen;
    // Any change since the plan was opened or saved.
    bool changed = false;
};

// An editor on plan with its first corner chosen and no history.
PlanEditor editPlan(const TrackPlan& plan);
// The default plan of a new track: a rectangle that makes a sound road.
TrackPlan defaultPlan(const std::string& name);
// The first of base1, base2, base3 ... not in taken, held to a plan name
// (an unusable base is "track").
std::string freePlanName(const std::string& base, const std::vector<std::string>& taken);

// Chooses corner index, or the one step corners on from the chosen one, round the loop.
void chooseCorner(PlanEditor& e, int index);
void chooseNextCorner(PlanEditor& e, int step);
// The corner within reach metres of (x, y) in the plan's coordinates, the
// nearest when several are; -1 when none is.
int cornerAt(const TrackPlan& plan, double x, double y, double reach);

// Each returns false, changing nothing, when the change is not possible: a
// corner moved outside the plan's area, a value already at its bound, a
// fourth-to-last corner deleted, nothing left to undo.
bool moveCorner(PlanEditor& e, double dx, double dy);
// Places the chosen corner at (x, y), held inside the plan's area.
bool placeCorner(PlanEditor& e, double x, double y);
// Inserts a corner after the chosen one, halfway to the next along their
// straight, with values between theirs, and chooses it.
bool insertCorner(PlanEditor& e);
bool deleteCorner(PlanEditor& e);
// One step of value up (step 1) or down (step -1), held within its range. A
// width of 0 (the plan's width) steps from the plan's width.
bool stepCornerValue(PlanEditor& e, CornerValue value, int step);
// The next theme or road surface of their lists, round the list.
bool stepTheme(PlanEditor& e, int step);
bool stepRoad(PlanEditor& e, int step);
bool undoEdit(PlanEditor& e);

// The faults shown on the plan: checkPlan's first fault, and beside it every
// other corner whose values alone are at fault. Empty for a sound plan.
std::vector<PlanFault> planFaults(const TrackPlan& plan);
// The road width at a corner, metres.
double widthAt(const TrackPlan& plan, const Corner& c);
