#include "assets/models.h"

#include <gtest/gtest.h>

#include <array>
#include <sys/stat.h>
#include <unistd.h>

#include "gl_folder.h"

namespace {

// The cached size of a slot's texture, -1 without an entry; 0 means nothing was decoded.
int32_t textureByteSize(TextureSlot slot) { return cachedEntry(slot) ? cachedEntry(slot)->byteSize : -1; }

using Times = std::array<double, 3>;
Times times(const Area& a) { return {a.goldSeconds, a.silverSeconds, a.bronzeSeconds}; }

class ModelsTest : public GlFolderTest {
protected:
    ModelsTest() : GlFolderTest("models", true) {}

    std::string track(const std::string& name) { return dataDir + "/tracks/" + name + "/"; }

    // An area whose one vertex 1 sits at (1.5, -2, 0.25) in file units.
    void writeArea(const std::string& name)
    {
        writeFile(track(name) + "area.tris",
                  trisBytes({{"ground", {0, 1, 2}, {0, 1, 2}, {0, 1, 2}}}, {0, 0, 1, 0, 0, 1},
                            {{{0, 0, 0, 1.5f, -2, 0.25f, 0, 1, 0}, {0, 0, 1, 0, 0.6f, 0.8f, 0, 0, 1}}})
                      .data);
        writeImage(track(name) + "area.png", 4, 4, 24, 10, 200, 10);
    }
};

} // namespace

TEST_F(ModelsTest, AreaPositionsAreScaledByAHundredAndNormalsKept)
{
    writeArea("00");
    Area area;
    loadArea(area, "00");
    EXPECT_EQ(area.name, "00");
    ASSERT_EQ(area.mesh.vertexFrames.size(), 1u);
    const Float3 p = area.mesh.vertexFrames[0][1];
    EXPECT_EQ(p.x, 150.0f);
    EXPECT_EQ(p.y, -200.0f);
    EXPECT_EQ(p.z, 25.0f);
    EXPECT_EQ(area.mesh.normalFrames[0][1].y, 0.6f);
    EXPECT_EQ(area.mesh.normalFrames[0][1].z, 0.8f);
    EXPECT_EQ(area.mesh.texCoords[1].u, 1.0f);
    EXPECT_GT(area.texture, 0);
}

TEST_F(ModelsTest, AreaWithoutMeshKeepsTheEarlierSceneryAtItsSize)
{
    writeArea("00");
    writeText(track("01") + "times.txt", "1 2 3");
    writeFile(track("02") + "area.tris", Bytes().i32(5).data);
    Area area;
    loadArea(area, "00");
    loadArea(area, "01");
    EXPECT_EQ(area.name, "01");
    ASSERT_EQ(area.mesh.vertexFrames.size(), 1u);
    EXPECT_EQ(area.mesh.vertexFrames[0][1].x, 150.0f);
    // A malformed mesh is not taken and does not scale the kept one again.
    loadArea(area, "02");
    EXPECT_EQ(area.mesh.vertexFrames[0][1].x, 150.0f);
}

TEST_F(ModelsTest, MedalTimesComeFromTimesTxtOrStayAsTheyWere)
{
    Area area;
    loadArea(area, "none");
    EXPECT_EQ(times(area), (Times{60.0, 120.0, 300.0}));

    writeText(track("00") + "times.txt", "45.5 70 95 and more");
    loadArea(area, "00");
    EXPECT_EQ(times(area), (Times{45.5, 70.0, 95.0}));

    writeText(track("lines") + "times.txt", "30\n40\n50\n");
    loadArea(area, "lines");
    EXPECT_EQ(times(area), (Times{30.0, 40.0, 50.0}));

    // No times file: the last track's times stay.
    loadArea(area, "01");
    EXPECT_EQ(times(area), (Times{30.0, 40.0, 50.0}));

    // A number that cannot be read stops the reading there.
    writeText(track("bad") + "times.txt", "20 fast 90");
    loadArea(area, "bad");
    EXPECT_EQ(times(area), (Times{20.0, 40.0, 50.0}));

    // Times that cannot be raced against are the defaults, each on its own.
    for (const char* text : {"-88 0 1e308", "-1e308 -0 6000", "-5e-324 -1 1e300"}) {
        writeText(track("silly") + "times.txt", text);
        loadArea(area, "silly");
        EXPECT_EQ(times(area), (Times{60.0, 120.0, 300.0})) << text;
    }
    writeText(track("mixed") + "times.txt", "-1 70 5999.5");
    loadArea(area, "mixed");
    EXPECT_EQ(times(area), (Times{60.0, 70.0, 5999.5}));
}

TEST_F(ModelsTest, AnAreaSaysWhetherItsMedalTimesWereRead)
{
    struct Case {
        const char* name;
        const char* text;  // null: no file; "/": a folder in its place
        bool read;
    };
    const Case cases[] = {
        {"three times", "50 60 70", true},
        {"missing", nullptr, false},
        {"empty", "", false},
        {"two numbers", "50 60", false},
        {"not numbers", "gold silver bronze", false},
        {"a folder", "/", false},
        {"defaults stand in for silly times", "-1 70 80", true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = "t" + std::to_string(n++);
        std::filesystem::create_directories(track(name));
        if (c.text && std::string(c.text) == "/")
            std::filesystem::create_directories(track(name) + "times.txt");
        else if (c.text)
            writeText(track(name) + "times.txt", c.text);
        Area area;
        area.timesRead = !c.read;
        loadArea(area, name);
        EXPECT_EQ(area.timesRead, c.read);
    }
}

TEST_F(ModelsTest, AFifoADeviceOrAFolderInPlaceOfAnAreaFileNeverBlocks)
{
    writeArea("sound");
    Area area;
    loadArea(area, "sound");
    ASSERT_EQ(area.mesh.groups.size(), 1u);
    const double gold = area.goldSeconds;
    const std::string folder = track("hostile");
    std::filesystem::create_directories(folder);
    ASSERT_EQ(mkfifo((folder + "area.tris").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", (folder + "area.png").c_str()), 0);
    ASSERT_EQ(mkdir((folder + "times.txt").c_str(), 0700), 0);
    loadArea(area, "hostile");
    EXPECT_EQ(area.mesh.groups.size(), 1u) << "the earlier scenery stays";
    EXPECT_EQ(area.goldSeconds, gold);
    EXPECT_EQ(textureByteSize(area.texture), 0) << "no image was decoded";

    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ASSERT_EQ(symlink("/dev/zero", (folder + "area.tris").c_str()), 0);
    ASSERT_EQ(mkfifo((folder + "area.png").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((folder + "times.txt").c_str(), 0600), 0);
    loadArea(area, "hostile");
    EXPECT_EQ(area.mesh.groups.size(), 1u);
    EXPECT_EQ(textureByteSize(area.texture), 0);

    Ship ship;
    ASSERT_EQ(mkdir((dataDir + "/ships").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((dataDir + "/ships/odd.tris").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", (dataDir + "/ships/odd.tga").c_str()), 0);
    loadShipModel(ship, "odd");
    EXPECT_TRUE(ship.mesh.groups.empty());
}

TEST_F(ModelsTest, ReloadingAnAreaReacquiresItsTextureWithoutDecoding)
{
    writeArea("00");
    Area area;
    loadArea(area, "00");
    const TextureSlot first = area.texture;
    const uint64_t decodes = textureCache.decodes;
    loadArea(area, "00");
    EXPECT_EQ(area.texture, first);
    EXPECT_EQ(textureCache.decodes, decodes);
    ASSERT_EQ(textureCache.entries.size(), 1u);
    EXPECT_EQ(textureCache.entries[0].refCount, 1);
}

TEST_F(ModelsTest, PlayerAndGhostLoadOwnMeshesAndShareOneTexture)
{
    writeFile(dataDir + "/ships/ship.tris", oneTriangleTris().data);
    writeImage(dataDir + "/ships/ship.tga", 8, 8, 32, 255, 0, 0);
    Ship player, ghost;
    loadShipModel(player, "ship");
    loadShipModel(ghost, "ship");
    EXPECT_EQ(player.modelName, "ship");
    ASSERT_EQ(player.mesh.vertexFrames.size(), 1u);
    // Ship meshes are used as stored.
    EXPECT_EQ(player.mesh.vertexFrames[0][1].x, 1.0f);
    EXPECT_NE(&player.mesh.vertexFrames[0][0], &ghost.mesh.vertexFrames[0][0]);
    EXPECT_EQ(player.texture, ghost.texture);
    ASSERT_EQ(textureCache.entries.size(), 1u);
    EXPECT_EQ(textureCache.entries[0].refCount, 2);
    EXPECT_EQ(textureCache.entries[0].fileName, dataDir + "/ships/ship.tga");
    EXPECT_EQ(textureCache.decodes, 1u);
}
