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

void liftOverlappingTags(std::vector<TagBox>& boxes)
{
    auto overlap = [](const TagBox& a, const TagBox& b) {
        return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
               b.top < a.top + a.height;
    };
    for (size_t i = 1; i < boxes.size(); ++i) {
        // Each lift clears one earlier box for good, so i rounds suffice.
        for (size_t round = 0; round < i; ++round) {
            bool moved = false;
            for (size_t j = 0; j < i; ++j)
                if (overlap(boxes[i], boxes[j])) {
                    boxes[i].top = boxes[j].top - boxes[i].height;
                    moved = true;
                }
            if (!moved)
                break;
        }
    }
}

namespace {

int colourByte(float c) { return int(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f); }

} // namespace

void drawNameTags(const std::vector<NameTag>& tags, const CameraPose& camera, int screenWidth, int screenHeight,
                  gcn::Font* font)
{
    if (!font || tags.empty())
        return;
    struct Shown {
        double distance;
        const NameTag* tag;
        TagPlace place;
    };
    std::vector<Shown> shown;
    for (const NameTag& tag : tags) {
        const TagPlace place = nameTagPlace(camera, screenWidth, screenHeight, tag.anchor, tag.fade);
        if (place.shown && !tag.text.empty())
            shown.push_back(Shown{length(sub(tag.anchor, camera.eye)), &tag, place});
    }
    if (shown.empty())
        return;
    std::stable_sort(shown.begin(), shown.end(), [](const Shown& a, const Shown& b) { return a.distance < b.distance; });
    std::vector<TagBox> boxes;
    for (const Shown& s : shown) {
        const double width = font->getWidth(s.tag->text), height = font->getHeight();
        boxes.push_back(TagBox{s.place.x - width * 0.5, s.place.y - height, width, height});
    }
    liftOverlappingTags(boxes);

    static gcn::OpenGLGraphics graphics;
    graphics.setTargetPlane(screenWidth, screenHeight);
    graphics._beginDraw();
    // The GUI replaces texture colours by the image's; a tag's font image is
    // tinted and faded by the vertex colour instead.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // The farthest first, so a nearer tag is drawn over it.
    for (size_t i = shown.size(); i-- > 0;) {
        const NameTag& tag = *shown[i].tag;
        graphics.setColor(gcn::Color(colourByte(tag.red), colourByte(tag.green), colourByte(tag.blue),
                                     colourByte(shown[i].place.alpha)));
        font->drawString(&graphics, tag.text, int(std::lround(boxes[i].left)), int(std::lround(boxes[i].top)));
    }
    graphics._endDraw();
}
