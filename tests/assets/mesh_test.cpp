#include "assets/mesh.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "gl_recorder.h"
#include "gl_folder.h"

namespace {

class MeshTest : public GlFolderTest {
protected:
    MeshTest() : GlFolderTest("mesh") {}

    std::string put(const std::string& name, const Bytes& b)
    {
        writeFile(dir + "/" + name, b.data);
        return dir + "/" + name;
    }
};

// A triangle per group whose first vertex index tells the groups apart.
Mesh groupsMesh(const std::vector<std::string>& names)
{
    Mesh mesh;
    mesh.texCoords.resize(names.size() + 2);
    mesh.vertexFrames.resize(1);
    mesh.normalFrames.resize(1);
    for (size_t g = 0; g < names.size() + 2; ++g) {
        mesh.vertexFrames[0].push_back(Float3{static_cast<float>(g), 0, 0});
        mesh.normalFrames[0].push_back(Float3{0, 0, 1});
    }
    for (size_t g = 0; g < names.size(); ++g) {
        const uint16_t i = static_cast<uint16_t>(g);
        Tri16 tri{{i, static_cast<uint16_t>(i + 1), static_cast<uint16_t>(i + 2)}};
        mesh.groups.push_back(MeshGroup{names[g], {tri}, {tri}, {tri}});
    }
    return mesh;
}

// The group of every emitted triangle, by the x of its first vertex.
std::vector<std::string> emittedGroups(const std::vector<GlCall>& calls, const std::vector<std::string>& names)
{
    std::vector<std::string> order;
    size_t vertex = 0;
    for (const GlCall& c : calls) {
        if (c.kind != GlCall::Vertex)
            continue;
        if (vertex++ % 3 == 0)
            order.push_back(names.at(static_cast<size_t>(c.v[0])));
    }
    return order;
}

} // namespace

TEST_F(MeshTest, OneTriangleFileLoadsAndDrawsOneTexturedLitTriangle)
{
    Mesh mesh;
    ASSERT_TRUE(loadMesh(mesh, put("one.tris", oneTriangleTris())));
    ASSERT_EQ(mesh.groups.size(), 1u);
    EXPECT_EQ(mesh.groups[0].name, "body");
    ASSERT_EQ(mesh.texCoords.size(), 3u);
    ASSERT_EQ(mesh.vertexFrames.size(), 1u);
    ASSERT_EQ(mesh.vertexFrames[0].size(), 3u);
    EXPECT_EQ(mesh.vertexFrames[0][1].x, 1.0f);

    TextureSlot texture = -1;
    const std::vector<GlCall> calls = recorded([&] { drawMesh(mesh, texture); });

    // Bind 0, begin, three (texcoord, normal, vertex) triples, end.
    ASSERT_EQ(calls.size(), 1u + 1u + 9u + 1u);
    EXPECT_EQ(calls[0].kind, GlCall::Bind);
    EXPECT_EQ(calls[0].v[0], 0.0);
    EXPECT_EQ(texture, 0);
    EXPECT_EQ(calls[1].kind, GlCall::Begin);
    EXPECT_EQ(calls[1].v[0], GL_TRIANGLES);
    const double tex[3][2] = {{0, 0}, {1, 0}, {0, 1}};
    const double pos[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    for (int k = 0; k < 3; ++k) {
        const GlCall& t = calls[2 + 3 * k];
        const GlCall& n = calls[3 + 3 * k];
        const GlCall& v = calls[4 + 3 * k];
        ASSERT_EQ(t.kind, GlCall::TexCoord);
        ASSERT_EQ(n.kind, GlCall::Normal);
        ASSERT_EQ(v.kind, GlCall::Vertex);
        EXPECT_EQ(t.v[0], tex[k][0]);
        EXPECT_EQ(t.v[1], tex[k][1]);
        EXPECT_EQ(n.v[2], 1.0);
        for (int a = 0; a < 3; ++a)
            EXPECT_EQ(v.v[a], pos[k][a]);
    }
    EXPECT_EQ(calls.back().kind, GlCall::End);
}

TEST_F(MeshTest, GroupOrderOfBothDrawRoutines)
{
    TextureSlot texture = 0;
    const std::vector<std::string> abc = {"a", "b", "c"};
    Mesh plain = groupsMesh(abc);
    EXPECT_EQ(emittedGroups(recorded([&] { drawMesh(plain, texture); }), abc),
              (std::vector<std::string>{"c", "b", "a"}));

    // "T" groups after the others, each pass last group first; an empty name is not a "T".
    const std::vector<std::string> ship = {"T1", "body", "", "Tglass", "fin"};
    Mesh shipMesh = groupsMesh(ship);
    const std::vector<GlCall> calls = recorded([&] { drawShipMesh(shipMesh, texture); });
    EXPECT_EQ(emittedGroups(calls, ship), (std::vector<std::string>{"fin", "", "body", "Tglass", "T1"}));
    EXPECT_EQ(countCalls(calls, GlCall::Begin), 1u);
    EXPECT_EQ(countCalls(calls, GlCall::End), 1u);
}

TEST_F(MeshTest, BindsOnlyWhenTheTextureChanges)
{
    Mesh mesh = groupsMesh({"a"});
    GLuint names[2];
    glGenTextures(2, names);
    TextureSlot first = static_cast<TextureSlot>(names[0]);
    TextureSlot shared = first;
    TextureSlot other = static_cast<TextureSlot>(names[1]);

    startRecording();
    drawMesh(mesh, first);
    drawShipMesh(mesh, shared);
    drawMesh(mesh, other);
    drawMesh(mesh, first);
    std::vector<GlCall> calls = stopRecording();
    std::vector<double> binds;
    for (const GlCall& c : calls)
        if (c.kind == GlCall::Bind)
            binds.push_back(c.v[0]);
    EXPECT_EQ(binds, (std::vector<double>{double(names[0]), double(names[1]), double(names[0])}));
    EXPECT_EQ(boundTexture, first);
    glDeleteTextures(2, names);
}

TEST_F(MeshTest, MissingFileLeavesTheMeshAsItWas)
{
    Mesh mesh;
    EXPECT_FALSE(loadMesh(mesh, dir + "/none.tris"));
    EXPECT_TRUE(mesh.groups.empty());
    EXPECT_TRUE(mesh.vertexFrames.empty());

    // An empty mesh draws an empty pair.
    TextureSlot texture = -1;
    const std::vector<GlCall> calls = recorded([&] {
        drawMesh(mesh, texture);
        drawShipMesh(mesh, texture);
    });
    EXPECT_EQ(countCalls(calls, GlCall::Begin), 2u);
    EXPECT_EQ(countCalls(calls, GlCall::Vertex), 0u);

    ASSERT_TRUE(loadMesh(mesh, put("one.tris", oneTriangleTris())));
    EXPECT_FALSE(loadMesh(mesh, dir + "/none.tris"));
    EXPECT_EQ(mesh.groups.size(), 1u);
    EXPECT_EQ(mesh.vertexFrames[0].size(), 3u);
}

TEST_F(MeshTest, AFifoADeviceOrAFolderIsRefusedWithoutBlocking)
{
    Mesh mesh;
    ASSERT_TRUE(loadMesh(mesh, put("one.tris", oneTriangleTris())));
    ASSERT_EQ(mkfifo((dir + "/fifo.tris").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", (dir + "/zero.tris").c_str()), 0);
    ASSERT_EQ(mkdir((dir + "/folder.tris").c_str(), 0700), 0);
    for (const char* name : {"fifo.tris", "zero.tris", "folder.tris"}) {
        EXPECT_FALSE(loadMesh(mesh, dir + "/" + name)) << name;
        EXPECT_EQ(mesh.groups.size(), 1u) << name;
    }
}

TEST_F(MeshTest, ReloadTakesEverySizeFromTheNewFile)
{
    Mesh mesh;
    Bytes big = trisBytes({{"a", {0, 1, 2, 2, 1, 0}, {0, 1, 2, 2, 1, 0}, {0, 1, 2, 2, 1, 0}}, {"b", {}, {}, {}}},
                          {0, 0, 1, 0, 0, 1, 1, 1},
                          {{{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1}, {0, 0, 1, 0, 0, 1, 0, 0, 1}},
                           {{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1, 0, 0, 1, 0, 0, 1}}});
    ASSERT_TRUE(loadMesh(mesh, put("big.tris", big)));
    EXPECT_EQ(mesh.groups.size(), 2u);
    EXPECT_EQ(mesh.vertexFrames.size(), 2u);
    EXPECT_EQ(mesh.groups[0].vertexTriangles.size(), 2u);
    ASSERT_TRUE(loadMesh(mesh, put("one.tris", oneTriangleTris())));
    EXPECT_EQ(mesh.groups.size(), 1u);
    EXPECT_EQ(mesh.groups[0].vertexTriangles.size(), 1u);
    EXPECT_EQ(mesh.texCoords.size(), 3u);
    EXPECT_EQ(mesh.vertexFrames.size(), 1u);
    EXPECT_EQ(mesh.normalFrames.size(), 1u);
    EXPECT_EQ(mesh.vertexFrames[0].size(), 3u);

    // Bytes after the last frame are ignored.
    Bytes tail = oneTriangleTris();
    tail.i32(12345).text("junk");
    EXPECT_TRUE(loadMesh(mesh, put("tail.tris", tail)));
}

TEST_F(MeshTest, MalformedFilesAreRejectedAndLeaveTheMeshAsItWas)
{
    const Bytes good = oneTriangleTris();
    // Byte offsets of every count in the one-triangle file.
    const size_t groupCount = 0, nameLength = 4, vertexCount = 12, normalCount = 22, texCount = 32,
                 texCoordCount = 42, frameCount = 70, positionCount = 74, normalsCount = 114;
    std::vector<Bytes> bad;
    for (size_t cut = 0; cut < good.data.size(); ++cut) {
        Bytes b;
        b.data.assign(good.data.begin(), good.data.begin() + static_cast<long>(cut));
        bad.push_back(b);
    }
    for (size_t at : {groupCount, nameLength, vertexCount, normalCount, texCount, texCoordCount, frameCount,
                      positionCount, normalsCount}) {
        for (int32_t value : {-1, INT32_MIN, INT32_MAX, 0x10000000, 2}) {
            Bytes b = good;
            std::memcpy(&b.data[at], &value, 4);
            bad.push_back(b);
        }
    }
    // Triangle lists of different lengths, indexes beyond their lists,
    // triangles without texture coordinates or without any frame.
    const std::vector<float> tex = {0, 0, 1, 0, 0, 1};
    const TrisFrame frame = {{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1, 0, 0, 1, 0, 0, 1}};
    bad.push_back(trisBytes({{"a", {0, 1, 2}, {0, 1, 2, 0, 1, 2}, {0, 1, 2}}}, tex, {frame}));
    bad.push_back(trisBytes({{"a", {0, 1, 3}, {0, 1, 2}, {0, 1, 2}}}, tex, {frame}));
    bad.push_back(trisBytes({{"a", {0, 1, 2}, {0, 1, 65535}, {0, 1, 2}}}, tex, {frame}));
    bad.push_back(trisBytes({{"a", {0, 1, 2}, {0, 1, 2}, {0, 1, 2}}}, {}, {frame}));
    bad.push_back(trisBytes({{"a", {0, 1, 2}, {0, 1, 2}, {0, 1, 2}}}, tex, {}));
    // A second frame too short for the triangles.
    const TrisFrame shortFrame = {{0, 0, 0, 1, 0, 0}, frame.normals};
    bad.push_back(trisBytes({{"a", {0, 1, 2}, {0, 1, 2}, {0, 1, 2}}}, tex, {frame, shortFrame}));

    Mesh mesh;
    Mesh previous = groupsMesh({"keep", "me"});
    for (size_t i = 0; i < bad.size(); ++i) {
        mesh = previous;
        EXPECT_FALSE(loadMesh(mesh, put("bad" + std::to_string(i) + ".tris", bad[i]))) << "case " << i;
        ASSERT_EQ(mesh.groups.size(), 2u) << "case " << i;
        EXPECT_EQ(mesh.groups[0].name, "keep") << "case " << i;
        EXPECT_EQ(mesh.vertexFrames[0].size(), previous.vertexFrames[0].size()) << "case " << i;
    }
}

TEST_F(MeshTest, EmptyButWellFormedPartsAreAccepted)
{
    Mesh mesh = groupsMesh({"old"});
    // A group without triangles, no texture coordinates, one empty frame.
    ASSERT_TRUE(loadMesh(mesh, put("empty.tris", trisBytes({{"", {}, {}, {}}}, {}, {{{}, {}}}))));
    ASSERT_EQ(mesh.groups.size(), 1u);
    EXPECT_TRUE(mesh.groups[0].name.empty());
    TextureSlot texture = 0;
    EXPECT_EQ(countCalls(recorded([&] { drawMesh(mesh, texture); }), GlCall::Vertex), 0u);

    ASSERT_TRUE(loadMesh(mesh, put("nothing.tris", trisBytes({}, {}, {}))));
    EXPECT_TRUE(mesh.groups.empty());
    EXPECT_TRUE(mesh.vertexFrames.empty());
}

TEST_F(MeshTest, HandBuiltMeshWithBadIndexesDrawsOnlyItsSoundTriangles)
{
    Mesh mesh = groupsMesh({"a", "b"});
    mesh.groups[0].vertexTriangles[0].i[2] = 999;
    mesh.groups[1].texTriangles.clear();
    mesh.groups.push_back(MeshGroup{"c", {Tri16{{0, 1, 2}}}, {Tri16{{0, 1, 2}}}, {Tri16{{0, 1, 2}}}});
    TextureSlot texture = 0;
    const std::vector<GlCall> calls = recorded([&] {
        drawMesh(mesh, texture);
        drawShipMesh(mesh, texture);
    });
    // Only group c survives, once per routine.
    EXPECT_EQ(countCalls(calls, GlCall::Vertex), 6u);
}
