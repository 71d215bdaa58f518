#include "gui/lock_shape.h"

std::vector<LockRect> lockRects(int size)
{
    if (size < 16)
        return {};
    const int bodyWidth = size * 3 / 8;
    const int bodyHeight = size * 9 / 32;
    const int bodyX = (size - bodyWidth) / 2;
    const int bodyY = size / 2;
    const int bar = size / 16;
    const int shackleTop = size / 4;
    // The shackle stands a bar's width inside the body's edges.
    const int leftX = bodyX + bar;
    const int rightX = bodyX + bodyWidth - 2 * bar;
    return {
        {leftX, shackleTop, bar, bodyY - shackleTop},
        {rightX, shackleTop, bar, bodyY - shackleTop},
        {leftX, shackleTop, rightX + bar - leftX, bar},
        {bodyX, bodyY, bodyWidth, bodyHeight},
    };
}
