#include "assets/mesh_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "assets/models.h"
#include "gl_recorder.h"
#include "gl_folder.h"

namespace {

// Overlapping triangles in three groups, drawn without depth test so that
// their order shows; every corner has its own normal and texture coordinate
// so that lighting and the gradient texture show both. seed varies the shape.
Bytes scenery(int seed)
{
    std::vector<TrisGroup> groups;
    std::vector<float> tex, positions, normals;
    uint16_t corner = 0;
    for (int g = 0; g < 3; ++g) {
        TrisGroup group{"g" + std::to_string(g), {}, {}, {}};
        for (int t = 0; t < 12; ++t) {
            const double a = (g * 12 + t) * 0.53 + seed;
            for (int k = 0; k < 3; ++k) {
                const double b = a + k * 2.1 + 0.3 * seed;
                const double r = 0.2 + 0.6 * std::fabs(std::sin(a * 1.7 + k));
                positions.push_back(static_cast<float>(r * std::cos(b)));
                positions.push_back(static_cast<float>(r * std::sin(b)));
                positions.push_back(0.0f);
                const double n = std::cos(a + k);
                normals.push_back(static_cast<float>(0.6 * n));
                normals.push_back(static_cast<float>(0.6 * std::sin(a + k)));
                normals.push_back(0.8f);
                tex.push_back(static_cast<float>(0.5 + 0.5 * std::cos(b * 3.0)));
                tex.push_back(static_cast<float>(0.5 + 0.5 * std::sin(a * 2.0 + k)));
                // Counter-clockwise seen from +z for half of them, so that
                // culling (if left on) would show too.
                group.vertex.push_back(corner);
                group.normal.push_back(corner);
                group.tex.push_back(corner);
                ++corner;
            }
        }
        groups.push_back(group);
    }
    return trisBytes(groups, tex, {{positions, normals}});
}

constexpr int size = 32;

class MeshListTest : public GlFolderTest {
protected:
    GLuint gradient = 0;

    MeshListTest() : GlFolderTest("mesh_list", true) {}
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(GlFolderTest::SetUp());

        // A texture that differs at every texel, so any texture coordinate shows.
        gradient = makeTexture(size, [](int x, int y, unsigned char* p) {
            p[0] = static_cast<unsigned char>(x * 8);
            p[1] = static_cast<unsigned char>(y * 8);
            p[2] = static_cast<unsigned char>(255 - x * 4 - y * 3);
        });
        boundTexture = -1;

        // Positions are file units times 100.
        flatView(100.0, 10.0);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_COLOR_MATERIAL);
        const GLfloat position[4] = {0.3f, 0.2f, 1.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
    }
    void TearDown() override
    {
        glDisable(GL_LIGHTING);
        glDeleteTextures(1, &gradient);
        GlFolderTest::TearDown();
    }

    void loadScenery(Area& area, int seed)
    {
        writeFile(dir + "/tracks/t/area.tris", scenery(seed).data);
        loadArea(area, "t");
        area.texture = static_cast<TextureSlot>(gradient);
    }

};

std::vector<GlCall> withoutBinds(const std::vector<GlCall>& calls)
{
    std::vector<GlCall> out;
    for (const GlCall& c : calls)
        if (c.kind != GlCall::Bind)
            out.push_back(c);
    return out;
}

} // namespace

TEST_F(MeshListTest, CompiledSceneryDrawsTheSamePixelsAsImmediateMode)
{
    Area area;
    MeshList meshList;
    loadScenery(area, 0);
    ASSERT_NE(area.mesh.revision, 0u);

    const auto direct = drawnFrame([&] { drawMesh(area.mesh, area.texture); });
    // The scene is not trivial: most of the window is covered.
    const auto empty = drawnFrame([] {});
    EXPECT_GT(differentBytes(direct, empty), direct.size() / 4);

    // The first draw compiles exactly the calls drawMesh sends, in its order.
    const std::vector<GlCall> sent = withoutBinds(recorded([&] { drawMesh(area.mesh, area.texture); }));
    boundTexture = -1;
    startRecording();
    const auto compiled = drawnFrame([&] { drawMeshCached(area.mesh, meshList, area.texture); });
    const std::vector<GlCall> firstDraw = stopRecording();
    ASSERT_NE(meshList.list, 0u);
    EXPECT_EQ(countCalls(firstDraw, GlCall::Bind), 1u);
    EXPECT_TRUE(sameCalls(withoutBinds(firstDraw), sent));
    EXPECT_EQ(countCalls(sent, GlCall::Vertex), 3u * 36u);
    EXPECT_EQ(differentBytes(compiled, direct), 0u);

    // Later draws replay the list: nothing is sent corner by corner, and the
    // texture is still bound through the shared rule.
    glBindTexture(GL_TEXTURE_2D, 0);
    boundTexture = 0;
    startRecording();
    const auto replayed = drawnFrame([&] { drawMeshCached(area.mesh, meshList, area.texture); });
    const std::vector<GlCall> replay = stopRecording();
    ASSERT_EQ(replay.size(), 1u);
    EXPECT_EQ(replay[0].kind, GlCall::Bind);
    EXPECT_EQ(replay[0].v[0], static_cast<double>(gradient));
    EXPECT_EQ(differentBytes(replayed, direct), 0u);
}

TEST_F(MeshListTest, ReloadingTheAreaRecompilesIntoTheSameList)
{
    Area area;
    MeshList meshList;
    loadScenery(area, 0);
    const auto first = drawnFrame([&] { drawMeshCached(area.mesh, meshList, area.texture); });
    const uint32_t list = meshList.list;
    ASSERT_NE(list, 0u);

    // The play menu reloads the area on every refresh: other geometry, same list name.
    loadScenery(area, 1);
    const auto changed = drawnFrame([&] { drawMeshCached(area.mesh, meshList, area.texture); });
    const auto changedDirect = drawnFrame([&] { drawMesh(area.mesh, area.texture); });
    EXPECT_EQ(differentBytes(changed, changedDirect), 0u);
    EXPECT_GT(differentBytes(changed, first), first.size() / 20);
    EXPECT_EQ(meshList.list, list);

    // Many refreshes allocate no further list names.
    for (int i = 0; i < 5; ++i) {
        loadScenery(area, i % 2);
        drawnFrame([&] { drawMeshCached(area.mesh, meshList, area.texture); });
    }
    EXPECT_EQ(meshList.list, list);
    const GLuint next = glGenLists(1);
    EXPECT_EQ(next, list + 1);
    glDeleteLists(next, 1);

    // A reload that fails keeps the mesh, so the list stays as it was.
    loadScenery(area, 0);
    const auto again = drawnFrame([&] { drawMeshCached(area.mesh, meshList, area.texture); });
    writeText(dir + "/tracks/t/area.tris", "not a mesh");
    loadArea(area, "t");
    area.texture = static_cast<TextureSlot>(gradient);
    EXPECT_EQ(differentBytes(drawnFrame([&] { drawMeshCached(area.mesh, meshList, area.texture); }), again), 0u);
    EXPECT_EQ(differentBytes(again, first), 0u);
}

TEST_F(MeshListTest, MeshFilledByHandIsSentDirectlyEveryTime)
{
    Area area;
    MeshList meshList;
    loadScenery(area, 0);
    drawnFrame([&] { drawMeshCached(area.mesh, meshList, area.texture); });

    // Swapped for a mesh that never came from a file (as the benchmark does
    // to leave the scenery out): nothing of the compiled list may show.
    Mesh bare;
    std::swap(bare, area.mesh);
    const auto empty = drawnFrame([] {});
    EXPECT_EQ(differentBytes(drawnFrame([&] { drawMeshCached(area.mesh, meshList, area.texture); }), empty), 0u);
    std::swap(bare, area.mesh);

    Mesh hand = area.mesh;
    hand.revision = 0;
    EXPECT_EQ(countCalls(recorded([&] { drawMeshCached(hand, meshList, area.texture); }), GlCall::Vertex), 3u * 36u);
}
