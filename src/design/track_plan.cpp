#include "design/track_plan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>

#include "design/scenery.h"

namespace {

// A word of the plan as it may appear in a message: short, printable, one line.
std::string shown(const std::string& word)
{
    std::string out;
    for (unsigned char c : word.substr(0, 24))
        out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    if (word.size() > 24)
        out += "...";
    return out;
}

std::string number(double v)
{
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text, v);
    if (error != std::errc())
        return "?";
    return std::string(text, end);
}

std::string rangeText(PlanRange r)
{
    return "from " + number(r.lo) + " to " + number(r.hi);
}

PlanFault faultAt(int line, const std::string& message, int corner = -1)
{
    PlanFault f;
    f.line = std::max(line, 1);
    f.corner = corner;
    f.message = message;
    return f;
}

// Reads one finite number; false with the fault's words otherwise.
bool parseNumber(const std::string& word, double& value, std::string& why)
{
    const char* end = word.data() + word.size();
    auto [stop, error] = std::from_chars(word.data(), end, value);
    if (error != std::errc() || stop != end) {
        why = "'" + shown(word) + "' is not a number";
        return false;
    }
    if (!std::isfinite(value)) {
        why = "'" + shown(word) + "' is not a finite number";
        return false;
    }
    return true;
}

// The fault of value as the plan's WHAT, or "" when it lies within range.
std::string outOfRange(const char* what, double value, PlanRange range)
{
    if (value >= range.lo && value <= range.hi)
        return "";
    return std::string(what) + " " + number(value) + " is out of range (" + rangeText(range) + ")";
}

bool known(const std::vector<std::string>& names, const std::string& word)
{
    return std::find(names.begin(), names.end(), word) != names.end();
}

std::string listed(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "" : ", ") + n;
    return out;
}

int cornerLine(const TrackPlan& plan, size_t i)
{
    return i < plan.cornerLines.size() && plan.cornerLines[i] > 0 ? plan.cornerLines[i] : plan.lastLine;
}

double cornerWidth(const TrackPlan& plan, const Corner& c)
{
    return c.width > 0.0 ? c.width : plan.width;
}

// The faults a plan's values can have on their own, in the order of its text.
PlanFault valueFault(const TrackPlan& plan)
{
    if (!isPlanName(plan.name))
        return faultAt(plan.nameLine ? plan.nameLine : plan.lastLine,
                       plan.name.empty() ? "the plan has no name"
                                         : "name '" + shown(plan.name) +
                                               "' must be 1 to 32 of A-Z a-z 0-9 _ -");
    if (!known(sceneryThemes(), plan.theme))
        return faultAt(plan.themeLine ? plan.themeLine : plan.lastLine,
                       "unknown theme '" + shown(plan.theme) + "' (one of " + listed(sceneryThemes()) + ")");
    if (!known(roadSurfaces(), plan.road))
        return faultAt(plan.roadLine ? plan.roadLine : plan.lastLine,
                       "unknown road '" + shown(plan.road) + "' (one of " + listed(roadSurfaces()) + ")");
    std::string why = !std::isfinite(plan.width) ? "width is not a finite number"
                                                 : outOfRange("width", plan.width, planWidthRange);
    if (!why.empty())
        return faultAt(plan.widthLine ? plan.widthLine : plan.lastLine, why);
    if (plan.corners.size() < minPlanCorners)
        return faultAt(plan.lastLine, "only " + std::to_string(plan.corners.size()) +
                                          " corners; a road needs at least 3");
    if (plan.corners.size() > maxPlanCorners)
        return faultAt(cornerLine(plan, maxPlanCorners), "more than 200 corners", static_cast<int>(maxPlanCorners));
    for (size_t i = 0; i < plan.corners.size(); ++i) {
        std::string fault = cornerValueFault(plan, plan.corners[i]);
        if (!fault.empty())
            return faultAt(cornerLine(plan, i), fault, static_cast<int>(i));
    }
    return PlanFault{};
}

// The corner nearest to a point of the road in the plan's own coordinates.
size_t nearestCorner(const TrackPlan& plan, double x, double y)
{
    size_t best = 0;
    for (size_t i = 1; i < plan.corners.size(); ++i)
        if (std::hypot(plan.corners[i].x - x, plan.corners[i].y - y) <
            std::hypot(plan.corners[best].x - x, plan.corners[best].y - y))
            best = i;
    return best;
}

// Where the road comes within a few metres of a stretch of itself that lies
// further along it than a hairpin can bend back: the index of such a sample
// of the centre line, or -1. Samples are bucketed on a plane grid.
struct CentreSample {
    double x, y, half, s;
};

long crossingSample(const std::vector<CentreSample>& samples, double lap)
{
    const double gap = 5.0, cell = 64.0;
    std::map<std::pair<long, long>, std::vector<size_t>> grid;
    for (size_t i = 0; i < samples.size(); ++i)
        grid[{std::lround(std::floor(samples[i].x / cell)), std::lround(std::floor(samples[i].y / cell))}].push_back(i);
    for (size_t i = 0; i < samples.size(); ++i) {
        const CentreSample& a = samples[i];
        long cx = std::lround(std::floor(a.x / cell)), cy = std::lround(std::floor(a.y / cell));
        for (long gx = cx - 1; gx <= cx + 1; ++gx)
            for (long gy = cy - 1; gy <= cy + 1; ++gy) {
                auto found = grid.find({gx, gy});
                if (found == grid.end())
                    continue;
                for (size_t j : found->second) {
                    if (j <= i)
                        continue;
                    const CentreSample& b = samples[j];
                    double reach = a.half + b.half + gap;
                    double along = std::fabs(b.s - a.s);
                    along = std::min(along, lap - along);
                    // Within this distance along the road even the tightest arc a
                    // plan may have keeps its two sides apart.
                    if (along < 2.0 * reach + 20.0)
                        continue;
                    if (std::hypot(a.x - b.x, a.y - b.y) < reach)
                        return static_cast<long>(i);
                }
            }
    }
    return -1;
}

} // namespace

std::string cornerValueFault(const TrackPlan& plan, const Corner& c)
{
    const std::pair<const char*, std::pair<double, PlanRange>> values[] = {
        {"X", {c.x, planPositionRange}},       {"Y", {c.y, planPositionRange}},
        {"RADIUS", {c.radius, planRadiusRange}}, {"HEIGHT", {c.z, planHeightRange}},
        {"BANK", {c.bank, planBankRange}},
    };
    for (const auto& [what, v] : values) {
        if (!std::isfinite(v.first))
            return std::string(what) + " is not a finite number";
        std::string why = outOfRange(what, v.first, v.second);
        if (!why.empty())
            return why;
    }
    if (!std::isfinite(c.width))
        return "WIDTH is not a finite number";
    if (c.width != 0.0) {
        std::string why = outOfRange("WIDTH", c.width, planWidthRange);
        if (!why.empty())
            return why;
    }
    // A tighter arc would fold the road's inside edge over itself.
    double width = cornerWidth(plan, c);
    if (c.radius < width)
        return "RADIUS " + number(c.radius) + " is smaller than the road is wide here (" + number(width) + " m)";
    return "";
}

bool isPlanName(const std::string& name)
{
    if (name.empty() || name.size() > maxPlanNameBytes)
        return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
            return false;
    return true;
}

const std::vector<std::string>& roadSurfaces()
{
    static const std::vector<std::string> names = {"asphalt", "dusty", "concrete", "basalt"};
    return names;
}

bool readPlan(const std::string& text, TrackPlan& plan, PlanFault& fault)
{
    plan = TrackPlan{};
    plan.theme.clear();
    plan.road.clear();
    fault = PlanFault{};
    if (text.size() > maxPlanBytes) {
        fault = faultAt(1, "the plan is larger than 64 KiB");
        return false;
    }
    bool sawVersion = false;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        plan.lastLine = number;
        std::istringstream words(line);
        std::vector<std::string> w;
        std::string word;
        while (words >> word)
            w.push_back(word);
        if (w.empty() || w[0][0] == '#')
            continue;
        if (!sawVersion && w[0] != "plan") {
            fault = faultAt(number, "a plan begins with 'plan 1'");
            return false;
        }
        auto once = [&](int& at, const char* what) {
            if (at != 0) {
                fault = faultAt(number, std::string("a second '") + what + "' line (the first is line " +
                                            std::to_string(at) + ")");
                return false;
            }
            if (w.size() != 2) {
                fault = faultAt(number, std::string("'") + what + "' takes one word");
                return false;
            }
            at = number;
            return true;
        };
        if (w[0] == "plan") {
            if (sawVersion) {
                fault = faultAt(number, "a second 'plan' line");
                return false;
            }
            if (w.size() != 2 || w[1] != std::to_string(planVersion)) {
                fault = faultAt(number, "unknown plan version (this game reads 'plan 1')");
                return false;
            }
            sawVersion = true;
        } else if (w[0] == "name") {
            if (!once(plan.nameLine, "name"))
                return false;
            plan.name = w[1];
            if (!isPlanName(plan.name)) {
                fault = faultAt(number, "name '" + shown(plan.name) + "' must be 1 to 32 of A-Z a-z 0-9 _ -");
                return false;
            }
        } else if (w[0] == "theme") {
            if (!once(plan.themeLine, "theme"))
                return false;
            plan.theme = w[1];
        } else if (w[0] == "road") {
            if (!once(plan.roadLine, "road"))
                return false;
            plan.road = w[1];
        } else if (w[0] == "width") {
            if (!once(plan.widthLine, "width"))
                return false;
            std::string why;
            if (!parseNumber(w[1], plan.width, why) ||
                !(why = outOfRange("width", plan.width, planWidthRange)).empty()) {
                fault = faultAt(number, why);
                return false;
            }
        } else if (w[0] == "corner") {
            if (w.size() != 6 && w.size() != 7) {
                fault = faultAt(number, "a corner is X Y RADIUS HEIGHT BANK [WIDTH]");
                return false;
            }
            if (plan.corners.size() == maxPlanCorners) {
                fault = faultAt(number, "more than 200 corners", static_cast<int>(maxPlanCorners));
                return false;
            }
            double v[6] = {0, 0, 0, 0, 0, 0};
            for (size_t k = 1; k < w.size(); ++k) {
                std::string why;
                if (!parseNumber(w[k], v[k - 1], why)) {
                    fault = faultAt(number, why, static_cast<int>(plan.corners.size()));
                    return false;
                }
            }
            Corner c;
            c.x = v[0];
            c.y = v[1];
            c.radius = v[2];
            c.z = v[3];
            c.bank = v[4];
            c.width = v[5];
            if (w.size() == 7 && c.width == 0.0) {
                fault = faultAt(number, "WIDTH 0 is out of range (" + rangeText(planWidthRange) + ")",
                                static_cast<int>(plan.corners.size()));
                return false;
            }
            plan.corners.push_back(c);
            plan.cornerLines.push_back(number);
        } else {
            fault = faultAt(number, "unknown word '" + shown(w[0]) + "'");
            return false;
        }
    }
    plan.lastLine = std::max(number, 1);
    if (!sawVersion) {
        fault = faultAt(plan.lastLine, "a plan begins with 'plan 1'");
        return false;
    }
    if (plan.nameLine == 0) {
        fault = faultAt(plan.lastLine, "the plan has no 'name' line");
        return false;
    }
    if (plan.themeLine == 0) {
        fault = faultAt(plan.lastLine, "the plan has no 'theme' line");
        return false;
    }
    if (plan.roadLine == 0) {
        fault = faultAt(plan.lastLine, "the plan has no 'road' line");
        return false;
    }
    fault = valueFault(plan);
    return !planFaulty(fault);
}

std::string formatPlan(const TrackPlan& plan)
{
    std::string out = "plan " + std::to_string(planVersion) + "\n";
    out += "name " + plan.name + "\n";
    out += "theme " + plan.theme + "\n";
    out += "road " + plan.road + "\n";
    out += "width " + number(plan.width) + "\n";
    out += "# corner X Y RADIUS HEIGHT BANK [WIDTH]\n";
    for (const Corner& c : plan.corners) {
        out += "corner " + number(c.x) + " " + number(c.y) + " " + number(c.radius) + " " + number(c.z) + " " +
               number(c.bank);
        if (c.width != 0.0)
            out += " " + number(c.width);
        out += "\n";
    }
    return out;
}

TrackDesign designOf(const TrackPlan& plan)
{
    TrackDesign d;
    d.name = plan.name;
    d.theme = plan.theme;
    d.road = plan.road;
    d.width = plan.width;
    d.corners = plan.corners;
    d.scale = 1.0;
    return d;
}

PlanFault checkPlan(const TrackPlan& plan, BuiltTrack* built)
{
    PlanFault fault = valueFault(plan);
    if (planFaulty(fault))
        return fault;
    const size_t n = plan.corners.size();
    for (size_t i = 0; i < n; ++i) {
        const Corner& a = plan.corners[(i + n - 1) % n];
        const Corner& b = plan.corners[i];
        if (std::hypot(b.x - a.x, b.y - a.y) < 1.0)
            return faultAt(cornerLine(plan, i), "the corner lies on the corner before it", static_cast<int>(i));
    }
    TrackDesign design = designOf(plan);
    TrackPath path = buildPath(design);
    if (!path.error.empty()) {
        if (path.errorCorner >= 0)
            return faultAt(cornerLine(plan, static_cast<size_t>(path.errorCorner)),
                           "RADIUS does not fit between the neighbouring corners (" + path.error + ")",
                           path.errorCorner);
        // A closed road that turns round more or less than once crosses itself.
        return faultAt(cornerLine(plan, 0), "the road crosses itself", 0);
    }
    // Bounds the work of every later step for a plan of wide zigzags.
    if (path.length > maxPlanRoadMetres)
        return faultAt(plan.lastLine, "the road is " + number(std::round(path.length)) + " m long; at most " +
                                          number(maxPlanRoadMetres) + " m");
    std::vector<CentreSample> samples;
    const double step = 4.0;
    const size_t count = static_cast<size_t>(std::ceil(path.length / step));
    for (size_t k = 0; k < count; ++k) {
        double s = path.length * static_cast<double>(k) / static_cast<double>(count);
        PathSample p = samplePath(design, path, s);
        samples.push_back({p.centre.x, p.centre.y, 0.5 * p.width * std::cos(p.bank), s});
    }
    long at = crossingSample(samples, path.length);
    if (at >= 0) {
        // Back from the start's placement into the plan's coordinates.
        const CentreSample& c = samples[static_cast<size_t>(at)];
        double x = path.cosA * c.x + path.sinA * c.y + path.originX;
        double y = -path.sinA * c.x + path.cosA * c.y + path.originY;
        size_t corner = nearestCorner(plan, x, y);
        return faultAt(cornerLine(plan, corner), "the road runs into itself near this corner",
                       static_cast<int>(corner));
    }
    if (built) {
        *built = buildTrack(design);
        if (built->segments.empty())
            return faultAt(plan.lastLine, "the plan makes no road");
    }
    return PlanFault{};
}

std::string describeFault(const PlanFault& fault)
{
    return std::to_string(fault.line) + ": " + fault.message;
}
