// Locked tracks in the grid: the padlock's shape and the line that says how
// tracks open.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gui/lock_shape.h"
#include "save/progress.h"
#include "shell/game.h"
#include "shell/views.h"

TEST(LockShape, StaysInsideItsFrameCentredWithTheShackleOverTheBody)
{
    for (int size : {16, 32, 63, 64, 96, 200}) {
        const std::vector<LockRect> rects = lockRects(size);
        ASSERT_EQ(rects.size(), 4u) << size;
        for (const LockRect& r : rects) {
            EXPECT_GT(r.width, 0) << size;
            EXPECT_GT(r.height, 0) << size;
            EXPECT_GE(r.x, 0) << size;
            EXPECT_GE(r.y, 0) << size;
            EXPECT_LE(r.x + r.width, size) << size;
            EXPECT_LE(r.y + r.height, size) << size;
        }
        const LockRect& body = rects[3];
        // Centred to the pixel that an odd leftover allows.
        EXPECT_LE(std::abs(body.x - (size - body.x - body.width)), 1) << size;
        for (int i = 0; i < 3; ++i) {
            EXPECT_LE(rects[i].y + rects[i].height, body.y) << size << " piece " << i;
            EXPECT_GE(rects[i].x, body.x) << size;
            EXPECT_LE(rects[i].x + rects[i].width, body.x + body.width) << size;
        }
        // The shackle's sides reach down to the body: the lock is closed.
        EXPECT_EQ(rects[0].y + rects[0].height, body.y) << size;
        EXPECT_EQ(rects[1].y + rects[1].height, body.y) << size;
    }
    EXPECT_TRUE(lockRects(8).empty()) << "too small a frame for a lock to read";
}

TEST(TrackMenuLockHint, SaidWhileAnyTrackIsLocked)
{
    Game g;
    EXPECT_EQ(trackMenuView(g).lockHint, "a bronze medal opens the tracks beside it");
    for (int r = 0; r < trackGridRows; ++r)
        for (int c = 0; c < trackGridColumns; ++c)
            g.save.records[trackNameAt(r, c)].medal = static_cast<int32_t>(TrackState::bronze);
    EXPECT_EQ(trackMenuView(g).lockHint, "") << "every track open: nothing left to say";
    g.save.records.erase(trackNameAt(2, 4));
    g.save.records[trackNameAt(2, 3)].medal = static_cast<int32_t>(TrackState::open);
    g.save.records[trackNameAt(1, 4)].medal = static_cast<int32_t>(TrackState::open);
    EXPECT_EQ(trackState(g.save, 2, 4), TrackState::locked);
    EXPECT_EQ(trackMenuView(g).lockHint, "a bronze medal opens the tracks beside it");
}
