#include <gtest/gtest.h>

#include <cstring>

#include "gui_env.h"

// The generated font images as the GUI library reads them.
class Fonts : public GuiTest {};

TEST_F(Fonts, AllThreeLoadWithEveryGlyphOfTheString)
{
    ASSERT_EQ(std::strlen(kFontGlyphs), 84u);
    ASSERT_NE(game.fontDefault, nullptr);
    ASSERT_NE(game.fontBig, nullptr);
    ASSERT_NE(game.fontBigHighlight, nullptr);
    EXPECT_EQ(game.fontDefault->getHeight(), 19);
    EXPECT_EQ(game.fontBig->getHeight(), 36);
    EXPECT_EQ(game.fontBigHighlight->getHeight(), 36);
    for (const char* g = kFontGlyphs; *g; ++g) {
        unsigned char c = static_cast<unsigned char>(*g);
        EXPECT_GT(game.fontDefault->getWidth(c), 0) << *g;
        EXPECT_GT(game.fontBig->getWidth(c), 0) << *g;
        // Focus changes the colour, never the layout.
        EXPECT_EQ(game.fontBigHighlight->getWidth(c), game.fontBig->getWidth(c)) << *g;
    }
    // Proportional glyphs: the image holds the real advance of each letter.
    EXPECT_GT(game.fontBig->getWidth('W'), game.fontBig->getWidth('i'));
    EXPECT_EQ(game.fontBig->getWidth("play 00"), game.fontBigHighlight->getWidth("play 00"));
}
