#include "assets/image_formats.h"

#include <FreeImagePlus.h>
#include <fstream>
#include <gtest/gtest.h>

#include "gl_folder.h"

namespace {

class ImageFormatsTest : public GlFolderTest {
protected:
    ImageFormatsTest() : GlFolderTest("image-formats") {}
    void TearDown() override
    {
        GlFolderTest::TearDown();
        restrictImageFormats();
    }

    // A file in a format the game does not read, written while its plug-in
    // is switched on again.
    std::string foreign(const std::string& name, FREE_IMAGE_FORMAT format)
    {
        FreeImage_SetPluginEnabled(format, TRUE);
        const std::string path = dir + "/" + name;
        fipImage image(FIT_BITMAP, 8, 8, 24);
        RGBQUAD c{50, 100, 200, 255};
        for (unsigned y = 0; y < 8; ++y)
            for (unsigned x = 0; x < 8; ++x)
                image.setPixelColor(x, y, &c);
        EXPECT_TRUE(FreeImage_Save(format, image, path.c_str(), 0));
        return path;
    }

    const CachedTexture& load(const std::string& path)
    {
        TextureSlot slot = -1;
        acquire(slot, path);
        EXPECT_NE(slot, -1);
        return textureCache.entries.back();
    }
};

TEST_F(ImageFormatsTest, OnlyPngAndTgaDecodersStayEnabled)
{
    FreeImage_SetPluginEnabled(FIF_BMP, TRUE);
    FreeImage_SetPluginEnabled(FIF_TIFF, TRUE);
    restrictImageFormats();
    for (int i = 0; i < FreeImage_GetFIFCount(); ++i) {
        const FREE_IMAGE_FORMAT format = static_cast<FREE_IMAGE_FORMAT>(i);
        EXPECT_EQ(FreeImage_IsPluginEnabled(format) == TRUE, format == FIF_PNG || format == FIF_TARGA)
            << FreeImage_GetFormatFromFIF(format);
    }
}

TEST_F(ImageFormatsTest, CacheDoesNotDecodeOtherFormatsEvenWhenReEnabled)
{
    // The plug-ins are switched on again right before each load: the cache
    // itself must switch them off.
    for (auto [name, format] : {std::pair<const char*, FREE_IMAGE_FORMAT>{"bmp.bmp", FIF_BMP},
                                {"tiff.tif", FIF_TIFF}, {"pnm.ppm", FIF_PPMRAW}, {"bmp_named.png", FIF_BMP},
                                {"bmp_named.tga", FIF_BMP}}) {
        const std::string path = foreign(name, format);
        FreeImage_SetPluginEnabled(format, TRUE);
        const CachedTexture& e = load(path);
        EXPECT_EQ(e.byteSize, 0) << name;
        EXPECT_EQ(e.width, 0u) << name;
        EXPECT_FALSE(imageHeaderAcceptable(path)) << name;
    }
    // The same pixels as PNG and TGA are decoded.
    for (const char* name : {"ok.png", "ok.tga"}) {
        const std::string path = dir + "/" + name;
        ASSERT_TRUE(writeImage(path, 8, 8, 24, 200, 100, 50));
        const CachedTexture& e = load(path);
        EXPECT_EQ(e.width, 8u) << name;
        EXPECT_GT(e.byteSize, 0) << name;
    }
}

TEST_F(ImageFormatsTest, OversizedAndBrokenImagesAreNotDecoded)
{
    const std::string wide = dir + "/wide.png";
    ASSERT_TRUE(writeImage(wide, maxImageSide + 1, 1, 24, 1, 2, 3));
    const std::string edge = dir + "/edge.png";
    ASSERT_TRUE(writeImage(edge, maxImageSide, 1, 24, 1, 2, 3));
    EXPECT_FALSE(imageHeaderAcceptable(wide));
    EXPECT_TRUE(imageHeaderAcceptable(edge));
    EXPECT_EQ(load(wide).byteSize, 0);
    EXPECT_EQ(load(edge).width, maxImageSide);

    // A PNG signature followed by junk, and a cut-off PNG.
    const std::string junk = dir + "/junk.png";
    {
        std::ofstream out(junk, std::ios::binary);
        out << "\x89PNG\r\n\x1a\n" << std::string(64, '\x7f');
    }
    EXPECT_EQ(load(junk).byteSize, 0);
    const std::string cut = dir + "/cut.png";
    ASSERT_TRUE(writeImage(cut, 64, 64, 24, 9, 9, 9));
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
    EXPECT_EQ(load(cut).byteSize, 0);
}

} // namespace
