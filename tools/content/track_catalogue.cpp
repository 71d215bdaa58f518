// The fifteen track designs, easiest first in the order the menu unlocks them.
// Coordinates and radii in metres; corners {x, y, radius, z, bank, width}.
#include "content/track_design.h"

const std::vector<TrackDesign>& trackDesigns()
{
    static const std::vector<TrackDesign> designs = {
        // A gentle wide loop over meadows: four broad bends, two long straights.
        {"00", "meadow", "asphalt", 22.0,
         {{0, 0, 300, 0}, {1000, 0, 300, 0}, {1000, 640, 300, 8}, {0, 640, 300, 8}}},
    };
    return designs;
}
