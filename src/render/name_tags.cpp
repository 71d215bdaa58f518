#include "render/name_tags.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <guichan/font.hpp>
#include <guichan/opengl/openglgraphics.hpp>

#include "sim/vecmath.h"

Vec3 tagAnchor(const ShipState& pose)
{
    return add(pose.position, scale(row(pose.orientation, 2), tagHeight));
}

TagPlace nameTagPlace(const CameraPose& camera, int screenWidth, int screenHeight, Vec3 anchor, float fade)
{
    TagPlace place;
    if (screenWidth <= 0 || screenHeight <= 0 || !(fade > 0.0f))
        return place;
    // The eye space gluLookAt builds: forward, side and the true up.
    const Vec3 forward = sub(camera.centre, camera.eye);
    const Vec3 side = cross(forward, camera.up);
    if (!(length(forward) > 0.0) || !(length(side) > 0.0))
        return place;
    const Vec3 f = scale(forward, 1.0 / length(forward));
    const Vec3 s = scale(side, 1.0 / length(side));
    const Vec3 u = cross(s, f);
    const Vec3 d = sub(anchor, camera.eye);
    const double depth = dot(d, f);
    // Behind the camera or nearer than the near plane: nothing to stand on.
    if (!(depth > raceNearPlane))
        return place;
    const double focal = 1.0 / std::tan(raceFieldOfViewDegrees * 0.5 * 3.14159265358979323846 / 180.0);
    const double aspect = double(screenWidth) / double(screenHeight);
    const double nx = focal / aspect * dot(d, s) / depth;
    const double ny = focal * dot(d, u) / depth;
    if (!(std::fabs(nx) <= 1.0 && std::fabs(ny) <= 1.0))
        return place;
    const double distance = length(d);
    double far = 1.0;
    if (distance >= tagGoneDistance)
        far = 0.0;
    else if (distance > tagClearDistance)
        far = (tagGoneDistance - distance) / (tagGoneDistance - tagClearDistance);
    place.alpha = float(far) * std::min(fade, 1.0f);
    if (!(place.alpha > 0.0f))
        return TagPlace{};
    place.shown = true;
    place.x = (nx + 1.0) * 0.5 * screenWidth;
    place.y = (1.0 - ny) * 0.5 * screenHeight;
    return place;
}

namespace {

int colourByte(float c) { return int(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f); }

} // namespace

void drawNameTags(const std::vector<NameTag>& tags, const CameraPose& camera, int screenWidth, int screenHeight,
                  gcn::Font* font)
{
    if (!font || tags.empty())
        return;
    static gcn::OpenGLGraphics graphics;
    graphics.setTargetPlane(screenWidth, screenHeight);
    bool begun = false;
    // The farthest first, so a nearer tag is drawn over it.
    std::vector<std::pair<double, size_t>> order;
    for (size_t i = 0; i < tags.size(); ++i)
        order.emplace_back(length(sub(tags[i].anchor, camera.eye)), i);
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& entry : order) {
        const NameTag& tag = tags[entry.second];
        const TagPlace place = nameTagPlace(camera, screenWidth, screenHeight, tag.anchor, tag.fade);
        if (!place.shown || tag.text.empty())
            continue;
        if (!begun) {
            graphics._beginDraw();
            // The GUI replaces texture colours by the image's; a tag's font
            // image is tinted and faded by the vertex colour instead.
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
            begun = true;
        }
        graphics.setColor(gcn::Color(colourByte(tag.red), colourByte(tag.green), colourByte(tag.blue),
                                     colourByte(place.alpha)));
        const int x = int(std::lround(place.x)) - font->getWidth(tag.text) / 2;
        const int y = int(std::lround(place.y)) - font->getHeight();
        font->drawString(&graphics, tag.text, x, y);
    }
    if (begun)
        graphics._endDraw();
}
