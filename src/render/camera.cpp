#include "render/camera.h"

CameraPose chaseCamera(const ShipState& ship)
{
    const Vec3 forward = row(ship.orientation, 1);
    const Vec3 up = row(ship.orientation, 2);
    CameraPose pose;
    pose.eye = add(add(ship.position, scale(forward, -0.5)), scale(up, 1.15));
    pose.centre = add(add(ship.position, scale(forward, 1.0)), scale(up, 1.15));
    pose.up = up;
    return pose;
}

void orientationMatrix(const Mat3& orientation, double out[16])
{
    for (int column = 0; column < 3; ++column) {
        for (int i = 0; i < 3; ++i)
            out[4 * column + i] = orientation.m[3 * column + i];
        out[4 * column + 3] = 0.0;
    }
    out[12] = out[13] = out[14] = 0.0;
    out[15] = 1.0;
}

float menuTurnDegrees(uint32_t ticksMs) { return static_cast<float>(ticksMs / 100.0); }

double aspectRatio(int32_t width, int32_t height)
{
    if (height <= 0)
        return 1.0;
    return static_cast<double>(width) / static_cast<double>(height);
}
