// A change of video mode as plain rules: the modes tried in turn and what
// the settings screen says of the outcome.
#include <gtest/gtest.h>

#include "shell/video_mode.h"

namespace {

TEST(VideoModeChange, TheWantedModeHeldToTheDesktopThenTheOneOpenThenTheDisplays)
{
    struct Case {
        VideoMode wanted;
        VideoMode current;
        int desktopW, desktopH;
        std::vector<VideoMode> tried;
        const char* what;
    };
    const Case cases[] = {
        {{1024, 768, false}, {800, 600, false}, 1280, 1024, {{1024, 768, false}, {800, 600, false}, {0, 0, false}},
         "a window that fits"},
        {{1920, 1080, false}, {800, 600, false}, 1280, 1024, {{1280, 1024, false}, {800, 600, false}, {0, 0, false}},
         "a window held to the desktop, as at start-up"},
        {{1920, 1080, true}, {800, 600, false}, 1280, 1024, {{1920, 1080, true}, {800, 600, false}, {0, 0, false}},
         "full screen takes the display's modes, not the desktop's size"},
        {{1920, 1080, false}, {800, 600, false}, 0, 0, {{1920, 1080, false}, {800, 600, false}, {0, 0, false}},
         "an unknown desktop holds nothing back"},
        {{800, 600, false}, {800, 600, false}, 1280, 1024, {{800, 600, false}, {0, 0, false}},
         "the mode open now is tried once"},
        {{0, 0, false}, {1024, 768, true}, 1280, 1024, {{0, 0, false}, {1024, 768, true}}, "the display's size wanted"},
    };
    for (const Case& c : cases) {
        const std::vector<VideoMode> tried = modeAttempts(c.wanted, c.current, c.desktopW, c.desktopH);
        ASSERT_EQ(tried.size(), c.tried.size()) << c.what;
        for (size_t i = 0; i < tried.size(); ++i)
            EXPECT_TRUE(tried[i] == c.tried[i]) << c.what << ", attempt " << i << ": " << tried[i].width << " x "
                                                << tried[i].height;
    }
}

TEST(VideoModeChange, TheScreenSaysWhatOpenedWhenItIsNotWhatWasAsked)
{
    struct Case {
        VideoMode wanted;
        VideoMode opened;
        bool wantedOpened;
        const char* note;
    };
    const Case cases[] = {
        {{1024, 768, false}, {1024, 768, false}, true, ""},
        {{1920, 1080, false}, {1280, 1024, false}, true, "1920 x 1080 opened as 1280 x 1024"},
        {{640, 480, true}, {640, 480, false}, true, "640 x 480 full screen opened as 640 x 480"},
        {{1920, 1080, true}, {800, 600, false}, false, "cannot open 1920 x 1080 full screen: back to 800 x 600"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(modeChangeNote(c.wanted, c.opened, c.wantedOpened), c.note);
}

} // namespace
