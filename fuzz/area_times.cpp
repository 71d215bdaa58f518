// The medal times of an arbitrary "times.txt", as loadArea reads them. The
// three times either keep their defaults or take values from the text, which
// are real numbers.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "assets/models.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream times(std::string(reinterpret_cast<const char*>(data), size));
    Area area;
    readMedalTimes(times, area);
    for (double seconds : {area.goldSeconds, area.silverSeconds, area.bronzeSeconds})
        if (std::isnan(seconds))
            std::abort();
    return 0;
}
