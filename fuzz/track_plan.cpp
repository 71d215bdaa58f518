// The plan reader and checker on arbitrary text. A fault is one short
// printable line on a line of the text; a plan it accepts writes back to a
// text that reads to the same words.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "design/track_plan.h"

static void checkFault(const PlanFault& fault, int lines)
{
    std::string line = describeFault(fault);
    if (fault.line < 1 || fault.line > lines || line.size() > 400)
        std::abort();
    for (char c : line)
        if (c < 0x20 || c > 0x7e)
            std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    int lines = 1;
    for (char c : text)
        lines += c == '\n';
    TrackPlan plan;
    PlanFault fault;
    if (!readPlan(text, plan, fault)) {
        checkFault(fault, lines);
        return 0;
    }
    std::string written = formatPlan(plan);
    TrackPlan back;
    if (!readPlan(written, back, fault) || formatPlan(back) != written)
        std::abort();
    fault = checkPlan(plan);
    if (planFaulty(fault))
        checkFault(fault, lines);
    return 0;
}
