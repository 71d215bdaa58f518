#include "render/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include "assets/mesh_chunks.h"
#include "render/camera.h"
#include "render/track_map.h"
#include "shell/game.h"
#include "track/track_list.h"

namespace {

constexpr double nearPlane = raceNearPlane;
constexpr double farPlane = 5000.0;

void setProjection(int screenWidth, int screenHeight, double fieldOfViewDegrees)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfViewDegrees, aspectRatio(screenWidth, screenHeight), nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

} // namespace

void setLights()
{
    // A directional light from straight above (w = 0), slightly warm.
    const GLfloat position[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat diffuse[4] = {0.9f, 0.9f, 0.8f, 0.0f};
    const GLfloat ambient[4] = {0.1f, 0.1f, 0.2f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
}

void drawMenuBackground() { drawMenuBackgroundAt(game, SDL_GetTicks()); }

void drawMenuBackgroundAt(Game& g, uint32_t ticksMs)
{
    glClearColor(0.49019608f, 0.654902f, 0.8509804f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);

    // The track seen from afar, turning once in 36 seconds.
    setProjection(g.screenWidth, g.screenHeight, 90.0);
    gluLookAt(-300.0, 0.0, 200.0, 0.0, 0.0, 50.0, 0.0, 0.0, 1.0);
    glRotatef(menuTurnDegrees(ticksMs), 0.0f, 0.0f, 1.0f);

    glEnable(GL_LIGHTING);
    setLights();
    // The road is seen from both sides; the scenery is closed and culled.
    glDisable(GL_CULL_FACE);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawTrackCached(g.track, g.trackList);
    glEnable(GL_CULL_FACE);
    drawMeshChunks(g.area.mesh, g.area.meshChunks, g.area.texture);
    glDisable(GL_LIGHTING);
}

// Lit road and scenery of the race seen from camera; lighting stays on.
static void drawRaceWorld(const RaceView& view)
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);

    setProjection(view.screenWidth, view.screenHeight, raceFieldOfViewDegrees);
    const CameraPose& camera = view.camera;
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.centre.x, camera.centre.y, camera.centre.z,
              camera.up.x, camera.up.y, camera.up.z);
    setLights();

    glDisable(GL_CULL_FACE);
    glColor3f(1.0f, 1.0f, 1.0f);
    if (view.track && view.trackList)
        drawTrackCached(*view.track, *view.trackList);
    glEnable(GL_CULL_FACE);
    if (view.area)
        drawMeshChunks(view.area->mesh, view.area->meshChunks, view.area->texture);
}

// A ship model at a ship state's position and orientation.
static void drawShipAt(Ship& model, const ShipState& state)
{
    glPushMatrix();
    const Vec3 p = state.position;
    glTranslatef(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
    double frame[16];
    orientationMatrix(state.orientation, frame);
    glMultMatrixd(frame);
    drawShipMesh(model.mesh, model.texture);
    glPopMatrix();
}

void drawRaceScene(const RaceView& view)
{
    drawRaceWorld(view);

    // Ships last, over everything opaque; a ghost is translucent, depth stays on.
    glEnable(GL_BLEND);
    for (const ShipDraw& ship : view.ships) {
        if (!ship.model)
            continue;
        glColor4f(ship.red, ship.green, ship.blue, ship.opacity);
        drawShipAt(*ship.model, ship.pose);
    }
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
}

void drawRaceMap(const RaceView& view)
{
    if (view.map && view.track)
        drawTrackMap(*view.map, *view.track, view.screenWidth, view.screenHeight, view.playerDot, view.ghostDots,
                     view.ghostDotColours);
}

void drawRaceView(const RaceView& view)
{
    drawRaceScene(view);
    drawNameTags(view.tags, view.camera, view.screenWidth, view.screenHeight, view.tagFont);
    drawRaceMap(view);
}
