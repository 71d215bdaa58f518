#include "render/gap_graph.h"

#include <GL/gl.h>
#include <algorithm>

std::vector<GraphStrip> gapGraphStrips(const GapGraphView& view, int32_t windowHeight)
{
    std::vector<GraphStrip> strips;
    if (view.width <= 0 || view.height <= 0)
        return strips;
    const double scale = double(std::max<int64_t>(1, view.scale));
    const double middle = double(windowHeight) - (double(view.y) + view.height / 2.0);
    for (const GapLine& line : view.lines) {
        GraphStrip strip;
        strip.lap = line.lap;
        const size_t n = std::min(line.x.size(), line.gap.size());
        for (size_t i = 0; i < n; ++i) {
            const double share = std::min(1.0, std::max(-1.0, double(line.gap[i]) / scale));
            strip.x.push_back(view.x + std::min(1.0, std::max(0.0, line.x[i])) * view.width);
            strip.y.push_back(middle + share * view.height / 2.0);
        }
        strips.push_back(strip);
    }
    return strips;
}

void drawGapGraph(const GapGraphView& view, int32_t windowWidth, int32_t windowHeight)
{
    if (view.width <= 0 || view.height <= 0 || windowWidth <= 0 || windowHeight <= 0)
        return;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, windowWidth, 0.0, windowHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const double left = view.x;
    const double right = view.x + view.width;
    const double top = windowHeight - view.y;
    const double bottom = top - view.height;
    glColor4f(0.0f, 0.0f, 0.1f, 0.5f);
    glBegin(GL_QUADS);
    glVertex2d(left, bottom);
    glVertex2d(right, bottom);
    glVertex2d(right, top);
    glVertex2d(left, top);
    glEnd();

    glLineWidth(1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.6f);
    glBegin(GL_LINES);
    glVertex2d(left, (top + bottom) / 2.0);
    glVertex2d(right, (top + bottom) / 2.0);
    glEnd();

    // Lap 1 in yellow, lap 2 in light blue, as the map draws the player and the ghost.
    glLineWidth(2.0f);
    for (const GraphStrip& strip : gapGraphStrips(view, windowHeight)) {
        if (strip.lap == 1)
            glColor4f(1.0f, 0.85f, 0.1f, 1.0f);
        else
            glColor4f(0.6f, 0.85f, 1.0f, 1.0f);
        glBegin(GL_LINE_STRIP);
        for (size_t i = 0; i < strip.x.size(); ++i)
            glVertex2d(strip.x[i], strip.y[i]);
        glEnd();
    }
    glPopAttrib();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
