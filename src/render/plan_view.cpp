#include "render/plan_view.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "design/track_plan.h"

PlanFrame planFrame(const TrackPlan& plan, int screenWidth, int screenHeight)
{
    PlanFrame f;
    f.left = (screenWidth - 800) / 2 + 30;
    f.top = (screenHeight - 600) / 2 + 120;
    f.width = 740;
    f.height = 330;
    double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
    for (size_t i = 0; i < plan.corners.size(); ++i) {
        const Corner& c = plan.corners[i];
        minX = i ? std::min(minX, c.x) : c.x;
        maxX = i ? std::max(maxX, c.x) : c.x;
        minY = i ? std::min(minY, c.y) : c.y;
        maxY = i ? std::max(maxY, c.y) : c.y;
    }
    // A margin for the road's width, and never closer than a few hundred metres.
    const double spanX = std::max(maxX - minX + 80.0, 400.0), spanY = std::max(maxY - minY + 80.0, 400.0);
    f.scale = std::min(f.width / spanX, f.height / spanY);
    f.midX = 0.5 * (minX + maxX);
    f.midY = 0.5 * (minY + maxY);
    f.centreX = f.left + 0.5 * f.width;
    f.centreY = f.top + 0.5 * f.height;
    return f;
}

void planPixelOf(const PlanFrame& f, double x, double y, double& px, double& py)
{
    px = f.centreX + (x - f.midX) * f.scale;
    py = f.centreY - (y - f.midY) * f.scale;
}

void planPointAt(const PlanFrame& f, double px, double py, double& x, double& y)
{
    x = f.midX + (px - f.centreX) / f.scale;
    y = f.midY - (py - f.centreY) / f.scale;
}

PlanRoad planRoadEdges(const BuiltTrack& built)
{
    PlanRoad road;
    const TrackPath& path = built.path;
    if (path.length <= 0.0)
        return road;
    const size_t count = std::min<size_t>(4000, static_cast<size_t>(std::ceil(path.length / 4.0)) + 1);
    for (size_t k = 0; k < count; ++k) {
        PathSample s = samplePath(built.design, path, path.length * static_cast<double>(k) / static_cast<double>(count));
        const double half = 0.5 * s.width;
        // Left of travel is (-dy, dx); both edges back into the plan's placement.
        const double edges[2][2] = {{s.centre.x - s.dy * half, s.centre.y + s.dx * half},
                                    {s.centre.x + s.dy * half, s.centre.y - s.dx * half}};
        for (int side = 0; side < 2; ++side) {
            const double wx = edges[side][0], wy = edges[side][1];
            std::vector<double>& out = side == 0 ? road.left : road.right;
            out.push_back(path.cosA * wx + path.sinA * wy + path.originX);
            out.push_back(-path.sinA * wx + path.cosA * wy + path.originY);
        }
    }
    return road;
}

namespace {

void square(double x, double y, double r)
{
    glVertex2d(x - r, y - r);
    glVertex2d(x + r, y - r);
    glVertex2d(x + r, y + r);
    glVertex2d(x - r, y + r);
}

void edge(const PlanFrame& f, const std::vector<double>& xy)
{
    glBegin(GL_LINE_LOOP);
    double px = 0.0, py = 0.0;
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
        planPixelOf(f, xy[i], xy[i + 1], px, py);
        glVertex2d(px, py);
    }
    glEnd();
}

} // namespace

void drawPlanView(const PlanDraw& d)
{
    if (!d.plan || d.plan->corners.empty() || d.screenWidth <= 0 || d.screenHeight <= 0)
        return;
    const TrackPlan& plan = *d.plan;
    const PlanFrame f = planFrame(plan, d.screenWidth, d.screenHeight);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, d.screenWidth, d.screenHeight, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);

    glColor4f(0.0f, 0.0f, 0.1f, 0.75f);
    glBegin(GL_QUADS);
    glVertex2i(f.left, f.top);
    glVertex2i(f.left + f.width, f.top);
    glVertex2i(f.left + f.width, f.top + f.height);
    glVertex2i(f.left, f.top + f.height);
    glEnd();

    double px = 0.0, py = 0.0;
    glLineWidth(2.0f);
    if (d.road) {
        glColor4f(0.9f, 0.9f, 0.9f, 1.0f);
        edge(f, d.road->left);
        edge(f, d.road->right);
        // The start: the middle of the straight from the first corner to the second.
        const Corner &a = plan.corners[0], &b = plan.corners[1 % plan.corners.size()];
        glColor4f(0.3f, 1.0f, 0.3f, 1.0f);
        glBegin(GL_QUADS);
        planPixelOf(f, 0.5 * (a.x + b.x), 0.5 * (a.y + b.y), px, py);
        square(px, py, 3.0);
        glEnd();
    } else {
        glColor4f(1.0f, 0.5f, 0.4f, 1.0f);
        glBegin(GL_LINE_LOOP);
        for (const Corner& c : plan.corners) {
            planPixelOf(f, c.x, c.y, px, py);
            glVertex2d(px, py);
        }
        glEnd();
    }
    glLineWidth(1.0f);

    glBegin(GL_QUADS);
    for (size_t i = 0; i < plan.corners.size(); ++i) {
        const bool faulty = std::find(d.faultyCorners.begin(), d.faultyCorners.end(), static_cast<int>(i)) !=
                            d.faultyCorners.end();
        const bool chosen = static_cast<int>(i) == d.chosen;
        planPixelOf(f, plan.corners[i].x, plan.corners[i].y, px, py);
        if (faulty) {
            glColor4f(1.0f, 0.15f, 0.1f, 1.0f);
            square(px, py, 7.0);
        }
        if (chosen) {
            glColor4f(1.0f, 0.85f, 0.1f, 1.0f);
            square(px, py, 5.0);
        } else {
            glColor4f(0.5f, 0.8f, 1.0f, 1.0f);
            square(px, py, 3.5);
        }
    }
    glEnd();

    glPopAttrib();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
