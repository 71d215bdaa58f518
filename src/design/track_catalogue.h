#pragma once
// The fifteen built-in tracks: their designs, in the order the menu unlocks
// them, and each built once for the process.

#include <string>
#include <vector>

#include "design/track_design.h"

// Track names in the order the menu unlocks them, easiest first.
const std::vector<std::string>& trackOrder();
const std::vector<TrackDesign>& trackDesigns();
// Every design built once and kept for the process.
const std::vector<BuiltTrack>& builtTracks();
const BuiltTrack* findBuilt(const std::string& name);
