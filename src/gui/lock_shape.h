#pragma once
// The lock drawn in a locked track's frame: a padlock of filled rectangles,
// so it needs no image and scales with the frame.

#include <vector>

struct LockRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The padlock's pieces inside a square frame of size pixels, centred: the
// shackle's two sides and top, then the body.
std::vector<LockRect> lockRects(int size);
