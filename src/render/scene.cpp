#include "render/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include "assets/mesh_chunks.h"
#include "render/camera.h"
#include "shell/game.h"
#include "shell/main_loop.h"
#include "track/track_list.h"

namespace {

constexpr double nearPlane = 0.1;
constexpr double farPlane = 5000.0;

void setProjection(const Game& g, double fieldOfViewDegrees)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfViewDegrees, aspectRatio(g.screenWidth, g.screenHeight), nearPlane, farPlane);
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

void drawRaceScene() { drawRaceSceneOf(game); }

void drawMenuBackgroundAt(Game& g, uint32_t ticksMs)
{
    glClearColor(0.49019608f, 0.654902f, 0.8509804f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);

    // The track seen from afar, turning once in 36 seconds.
    setProjection(g, 90.0);
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
static void drawRaceWorld(Game& g, const CameraPose& camera)
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);

    setProjection(g, 70.0);
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.centre.x, camera.centre.y, camera.centre.z,
              camera.up.x, camera.up.y, camera.up.z);
    setLights();

    glDisable(GL_CULL_FACE);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawTrackCached(g.track, g.trackList);
    glEnable(GL_CULL_FACE);
    drawMeshChunks(g.area.mesh, g.area.meshChunks, g.area.texture);
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

void drawRaceSceneOf(Game& g)
{
    drawRaceWorld(g, chaseCamera(g.player.state));

    // The ghost last, translucent over everything opaque; depth stays on.
    glEnable(GL_BLEND);
    const std::vector<ControlInput>* rival = raceRivalRun(g);
    if (rival && !rival->empty()) {
        glColor4f(1.0f, 1.0f, 1.0f, 0.3f);
        drawShipAt(g.ghost, g.ghost.state);
    }
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
}

CameraPose watchCameraPose(const Watch& watch)
{
    switch (watch.camera) {
    case WatchCamera::behindAbove:
        return behindAboveCamera(watch.ship);
    case WatchCamera::trackside:
        return tracksideCamera(watch.cameraPoints, watch.ship);
    case WatchCamera::chase:
        break;
    }
    return chaseCamera(watch.ship);
}

void drawWatchSceneOf(Game& g, const Watch& watch)
{
    drawRaceWorld(g, watchCameraPose(watch));
    // The watched ship in the player's own model, opaque; from the chase
    // camera its nose shows at the bottom of the view.
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawShipAt(g.player, watch.ship);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
}
