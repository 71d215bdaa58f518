#include "design/plan_edit.h"

#include <algorithm>
#include <cmath>

#include "design/scenery.h"

namespace {

double clampTo(double v, PlanRange r) { return std::min(std::max(v, r.lo), r.hi); }

int wrap(int i, int n) { return ((i % n) + n) % n; }

// Keeps the plan as it was before a change, for undo.
void remember(PlanEditor& e)
{
    e.history.push_back(e.plan);
    e.historyChosen.push_back(e.chosen);
    if (e.history.size() > maxPlanUndo) {
        e.history.erase(e.history.begin());
        e.historyChosen.erase(e.historyChosen.begin());
    }
    e.changed = true;
}

bool hasChosen(const PlanEditor& e)
{
    return e.chosen >= 0 && static_cast<size_t>(e.chosen) < e.plan.corners.size();
}

// Sets one value of the chosen corner after remembering the plan; false when
// it would not change.
bool setValue(PlanEditor& e, double Corner::*field, double value)
{
    if (!hasChosen(e))
        return false;
    Corner& c = e.plan.corners[static_cast<size_t>(e.chosen)];
    if (c.*field == value)
        return false;
    remember(e);
    e.plan.corners[static_cast<size_t>(e.chosen)].*field = value;
    return true;
}

bool stepWord(PlanEditor& e, std::string TrackPlan::*field, const std::vector<std::string>& words, int step)
{
    if (words.empty() || step == 0)
        return false;
    auto at = std::find(words.begin(), words.end(), e.plan.*field);
    int i = at == words.end() ? (step > 0 ? -1 : 0) : static_cast<int>(at - words.begin());
    const std::string& next = words[static_cast<size_t>(wrap(i + step, static_cast<int>(words.size())))];
    if (next == e.plan.*field)
        return false;
    remember(e);
    e.plan.*field = next;
    return true;
}

} // namespace

PlanEditor editPlan(const TrackPlan& plan)
{
    PlanEditor e;
    e.plan = plan;
    // Line numbers belong to the text the plan was read from; edits make them meaningless.
    e.plan.cornerLines.clear();
    e.plan.nameLine = e.plan.themeLine = e.plan.roadLine = e.plan.widthLine = e.plan.lastLine = 0;
    e.chosen = plan.corners.empty() ? -1 : 0;
    return e;
}

TrackPlan defaultPlan(const std::string& name)
{
    TrackPlan p;
    p.name = name;
    p.corners = {{0, 0, 80, 0, 0, 0}, {600, 0, 80, 0, 0, 0}, {600, 400, 80, 0, 0, 0}, {0, 400, 80, 0, 0, 0}};
    return p;
}

std::string freePlanName(const std::string& base, const std::vector<std::string>& taken)
{
    std::string stem = isPlanName(base) ? base : "track";
    auto free = [&](const std::string& n) { return std::find(taken.begin(), taken.end(), n) == taken.end(); };
    for (int i = 1;; ++i) {
        std::string suffix = std::to_string(i);
        std::string n = stem.substr(0, maxPlanNameBytes - suffix.size()) + suffix;
        if (free(n))
            return n;
    }
}

void chooseCorner(PlanEditor& e, int index)
{
    int n = static_cast<int>(e.plan.corners.size());
    e.chosen = n == 0 ? -1 : wrap(index, n);
}

void chooseNextCorner(PlanEditor& e, int step) { chooseCorner(e, e.chosen + step); }

int cornerAt(const TrackPlan& plan, double x, double y, double reach)
{
    int best = -1;
    double bestDistance = reach;
    for (size_t i = 0; i < plan.corners.size(); ++i) {
        double d = std::hypot(plan.corners[i].x - x, plan.corners[i].y - y);
        if (d < bestDistance || (best < 0 && d <= reach)) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

bool moveCorner(PlanEditor& e, double dx, double dy)
{
    if (!hasChosen(e))
        return false;
    const Corner& c = e.plan.corners[static_cast<size_t>(e.chosen)];
    return placeCorner(e, c.x + dx, c.y + dy);
}

bool placeCorner(PlanEditor& e, double x, double y)
{
    if (!hasChosen(e) || !std::isfinite(x) || !std::isfinite(y))
        return false;
    x = clampTo(x, planPositionRange);
    y = clampTo(y, planPositionRange);
    Corner& c = e.plan.corners[static_cast<size_t>(e.chosen)];
    if (c.x == x && c.y == y)
        return false;
    remember(e);
    Corner& moved = e.plan.corners[static_cast<size_t>(e.chosen)];
    moved.x = x;
    moved.y = y;
    return true;
}

bool insertCorner(PlanEditor& e)
{
    if (!hasChosen(e) || e.plan.corners.size() >= maxPlanCorners)
        return false;
    size_t i = static_cast<size_t>(e.chosen);
    const Corner& a = e.plan.corners[i];
    const Corner& b = e.plan.corners[(i + 1) % e.plan.corners.size()];
    Corner c;
    c.x = 0.5 * (a.x + b.x);
    c.y = 0.5 * (a.y + b.y);
    // The smaller radius fits where the larger may not.
    c.radius = std::min(a.radius, b.radius);
    c.z = 0.5 * (a.z + b.z);
    c.bank = 0.0;
    c.width = a.width == b.width ? a.width : 0.5 * (widthAt(e.plan, a) + widthAt(e.plan, b));
    remember(e);
    e.plan.corners.insert(e.plan.corners.begin() + static_cast<long>(i) + 1, c);
    e.chosen = static_cast<int>(i) + 1;
    return true;
}

bool deleteCorner(PlanEditor& e)
{
    if (!hasChosen(e) || e.plan.corners.size() <= minPlanCorners)
        return false;
    remember(e);
    e.plan.corners.erase(e.plan.corners.begin() + e.chosen);
    chooseCorner(e, std::min(e.chosen, static_cast<int>(e.plan.corners.size()) - 1));
    return true;
}

bool stepCornerValue(PlanEditor& e, CornerValue value, int step)
{
    if (!hasChosen(e) || step == 0)
        return false;
    const Corner& c = e.plan.corners[static_cast<size_t>(e.chosen)];
    double s = step > 0 ? 1.0 : -1.0;
    switch (value) {
    case CornerValue::radius:
        return setValue(e, &Corner::radius, clampTo(c.radius + s * planRadiusStep, planRadiusRange));
    case CornerValue::height:
        return setValue(e, &Corner::z, clampTo(c.z + s * planHeightStep, planHeightRange));
    case CornerValue::bank:
        return setValue(e, &Corner::bank, clampTo(c.bank + s * planBankStep, planBankRange));
    case CornerValue::width:
        return setValue(e, &Corner::width, clampTo(widthAt(e.plan, c) + s * planWidthStep, planWidthRange));
    }
    return false;
}

bool stepTheme(PlanEditor& e, int step) { return stepWord(e, &TrackPlan::theme, sceneryThemes(), step); }

bool stepRoad(PlanEditor& e, int step) { return stepWord(e, &TrackPlan::road, roadSurfaces(), step); }

bool undoEdit(PlanEditor& e)
{
    if (e.history.empty())
        return false;
    e.plan = e.history.back();
    e.chosen = e.historyChosen.back();
    e.history.pop_back();
    e.historyChosen.pop_back();
    e.changed = true;
    return true;
}

std::vector<PlanFault> planFaults(const TrackPlan& plan)
{
    std::vector<PlanFault> faults;
    PlanFault first = checkPlan(plan);
    if (!planFaulty(first))
        return faults;
    faults.push_back(first);
    if (plan.corners.size() > maxPlanCorners)
        return faults;
    for (size_t i = 0; i < plan.corners.size(); ++i) {
        if (static_cast<int>(i) == first.corner)
            continue;
        std::string why = cornerValueFault(plan, plan.corners[i]);
        if (!why.empty())
            faults.push_back({0, static_cast<int>(i), why});
    }
    return faults;
}

double widthAt(const TrackPlan& plan, const Corner& c) { return c.width > 0.0 ? c.width : plan.width; }
