#include "track/track_list.h"

#include <GL/gl.h>

#include "assets/mesh.h"
#include "track/track_draw.h"

void drawTrackCached(Track& track, TrackList& cache)
{
    // Only a loaded track has a revision that tells its edits apart.
    if (track.revision == 0) {
        drawTrack(track);
        return;
    }
    if (cache.list == 0 || cache.revision != track.revision) {
        if (cache.list == 0)
            cache.list = glGenLists(1);
        // No list name left: draw directly rather than nothing.
        if (cache.list == 0) {
            drawTrack(track);
            return;
        }
        // A compile executes nothing, so the list must hold its first bind
        // whatever is bound now; the binds after it follow the shared rule.
        boundTexture = -1;
        glNewList(cache.list, GL_COMPILE);
        drawTrack(track);
        glEndList();
        cache.revision = track.revision;
        cache.lastBound = boundTexture;
    }
    glCallList(cache.list);
    boundTexture = cache.lastBound;
}

void forgetTrackList(TrackList& cache)
{
    if (cache.list != 0)
        glDeleteLists(cache.list, 1);
    cache = TrackList();
}
