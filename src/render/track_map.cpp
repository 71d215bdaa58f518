#include "render/track_map.h"

#include <GL/gl.h>
#include <algorithm>

#include "track/geometry.h"
#include "track/track.h"

// Centre-line samples per segment: enough to round the bends on a map a
// few hundred pixels wide.
static const int samplesPerSegment = 4;

MapPlace mapPlace(int screenWidth, int screenHeight)
{
    MapPlace place;
    place.size = std::max(0, std::min(screenWidth, screenHeight) / 4);
    place.x = 10;
    place.y = 10;
    return place;
}

void updateTrackMap(TrackMap& map, const Track& track)
{
    if (map.track == &track && map.revision == track.revision && map.segmentCount == track.segments.size() &&
        map.name == track.name)
        return;
    map = TrackMap();
    map.track = &track;
    map.revision = track.revision;
    map.segmentCount = track.segments.size();
    map.name = track.name;
    for (const TrackSegment& segment : track.segments) {
        for (int k = 0; k < samplesPerSegment; ++k) {
            const double t = double(k) / samplesPerSegment;
            // Rails 1 and 2 lie a third of the width either side of the centre.
            const Vec3 a = railPoint(segment, 1, t), b = railPoint(segment, 2, t);
            map.xy.push_back((a.x + b.x) * 0.5);
            map.xy.push_back((a.y + b.y) * 0.5);
        }
    }
    for (size_t i = 0; i < map.xy.size(); i += 2) {
        const double x = map.xy[i], y = map.xy[i + 1];
        map.minX = i == 0 ? x : std::min(map.minX, x);
        map.maxX = i == 0 ? x : std::max(map.maxX, x);
        map.minY = i == 0 ? y : std::min(map.minY, y);
        map.maxY = i == 0 ? y : std::max(map.maxY, y);
    }
}

void mapPixel(const TrackMap& map, const MapPlace& place, Vec3 p, double& px, double& py)
{
    // One scale for both axes, so the road keeps its shape; centred.
    const double margin = 6.0;
    const double inner = std::max(1.0, place.size - 2.0 * margin);
    const double spanX = map.maxX - map.minX, spanY = map.maxY - map.minY;
    const double span = std::max(std::max(spanX, spanY), 1e-6);
    const double scale = inner / span;
    px = place.x + margin + (p.x - map.minX) * scale + (inner - spanX * scale) * 0.5;
    py = place.y + margin + (p.y - map.minY) * scale + (inner - spanY * scale) * 0.5;
}

static void drawDot(double x, double y, double half)
{
    glVertex2d(x - half, y - half);
    glVertex2d(x + half, y - half);
    glVertex2d(x + half, y + half);
    glVertex2d(x - half, y + half);
}

void drawTrackMap(TrackMap& map, const Track& track, int screenWidth, int screenHeight, Vec3 player,
                  const std::vector<Vec3>& ghosts, const std::vector<DotColour>& colours)
{
    if (track.segments.empty() || screenWidth <= 0 || screenHeight <= 0)
        return;
    updateTrackMap(map, track);
    const MapPlace place = mapPlace(screenWidth, screenHeight);
    if (place.size <= 0)
        return;

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, screenWidth, 0.0, screenHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);

    // A dark pane under the map keeps the line readable over sky and grass.
    glColor4f(0.0f, 0.0f, 0.1f, 0.35f);
    glBegin(GL_QUADS);
    glVertex2i(place.x, place.y);
    glVertex2i(place.x + place.size, place.y);
    glVertex2i(place.x + place.size, place.y + place.size);
    glVertex2i(place.x, place.y + place.size);
    glEnd();

    glLineWidth(2.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.9f);
    glBegin(GL_LINE_LOOP);
    double px = 0.0, py = 0.0;
    for (size_t i = 0; i + 1 < map.xy.size(); i += 2) {
        mapPixel(map, place, Vec3{map.xy[i], map.xy[i + 1], 0.0}, px, py);
        glVertex2d(px, py);
    }
    glEnd();
    glLineWidth(1.0f);

    glBegin(GL_QUADS);
    // The reference last among the ghosts, so it stays on top of the others.
    for (size_t i = ghosts.size(); i-- > 0;) {
        const DotColour colour = i < colours.size() ? colours[i] : DotColour{};
        glColor4f(colour.red, colour.green, colour.blue, 0.8f);
        mapPixel(map, place, ghosts[i], px, py);
        drawDot(px, py, 3.0);
    }
    glColor4f(1.0f, 0.85f, 0.1f, 1.0f);
    mapPixel(map, place, player, px, py);
    drawDot(px, py, 3.5);
    glEnd();

    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
