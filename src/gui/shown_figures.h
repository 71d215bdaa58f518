#pragma once
// Figures from the simulation as the HUD shows them. A replayed run may hold
// anything, a speed that is not a number included; what is drawn always fits
// its caption.

#include <cmath>

// Largest speed shown: far beyond any ship, and five digits still fit the
// caption's place on screen.
constexpr int maxShownMph = 99999;

// A speed in metres a second as whole miles an hour from 0 to maxShownMph;
// 0 for a speed that is not a number.
inline int shownMph(double metresPerSecond)
{
    const double mph = metresPerSecond * 2.23693629;
    if (!(mph > 0.0))
        return 0;
    if (mph >= maxShownMph)
        return maxShownMph;
    return static_cast<int>(mph);
}
