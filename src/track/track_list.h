#pragma once
// The road compiled once into a GL display list and replayed every frame:
// its geometry only changes when the track is loaded, and working out the
// rail curves of every slice afresh costs more than drawing them.

#include <cstdint>

#include "track/track.h"

struct TrackList {
    // GL display list name, 0 before the first compile. One name for the
    // list's whole life: a recompile replaces its contents.
    uint32_t list = 0;
    // Track::revision the list was compiled from.
    uint64_t revision = 0;
    // The texture the list leaves bound, for boundTexture after a replay.
    int32_t lastBound = -1;
};

// Draws what drawTrack draws, texture binds included. The list is compiled
// on the first draw after each load or clear of the track (a new
// Track::revision) and replayed until the next; a track built by code
// (revision 0) is drawn directly every time.
void drawTrackCached(Track& track, TrackList& cache);

// Gives the list's name back and makes the next draw compile afresh: for a
// new GL context, which knows no list (deleting a name it never had is
// harmless).
void forgetTrackList(TrackList& cache);
