#pragma once
// The road surface drawn afresh every frame from the rail curves: two
// textured triangle strips per slice, with a lip bent away along each edge.

#include "track/track.h"

// Needs the GL context current. Changes no matrix, light, colour or enable
// state; the only change to the track is that -1 texture slots become 0.
void drawTrack(Track& track);
