#include "assets/mesh_chunks.h"

#include <gtest/gtest.h>

#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <limits>

#include "gl_recorder.h"
#include "gl_window.h"

namespace {

// A rolling heightfield of n x n cells (two triangles each, corners shared)
// in two groups split down the middle, plus one triangle naming a corner
// that does not exist, which no drawing may send.
Mesh heightfield(int n, double size = 200.0)
{
    Mesh mesh;
    mesh.vertexFrames.resize(1);
    mesh.normalFrames.resize(1);
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const double x = size * (double(i) / n - 0.5), y = size * (double(j) / n - 0.5);
            const double z = 6.0 * std::sin(x * 0.05) * std::cos(y * 0.07);
            mesh.vertexFrames[0].push_back(Float3{float(x), float(y), float(z)});
            const double nx = -0.3 * std::cos(x * 0.05), ny = 0.42 * std::sin(y * 0.07);
            const double len = std::sqrt(nx * nx + ny * ny + 1.0);
            mesh.normalFrames[0].push_back(Float3{float(nx / len), float(ny / len), float(1.0 / len)});
            mesh.texCoords.push_back(Float2{float(i) / n, float(j) / n});
        }
    mesh.groups.resize(2);
    mesh.groups[0].name = "west";
    mesh.groups[1].name = "east";
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const auto k = [&](int di, int dj) { return uint16_t((j + dj) * (n + 1) + i + di); };
            MeshGroup& g = mesh.groups[i < n / 2 ? 0 : 1];
            for (const Tri16& t : {Tri16{{k(0, 0), k(1, 0), k(1, 1)}}, Tri16{{k(0, 0), k(1, 1), k(0, 1)}}}) {
                g.vertexTriangles.push_back(t);
                g.normalTriangles.push_back(t);
                g.texTriangles.push_back(t);
            }
        }
    const uint16_t missing = uint16_t(mesh.vertexFrames[0].size());
    mesh.groups[1].vertexTriangles.push_back(Tri16{{0, 1, missing}});
    mesh.groups[1].normalTriangles.push_back(Tri16{{0, 1, 2}});
    mesh.groups[1].texTriangles.push_back(Tri16{{0, 1, 2}});
    return mesh;
}

// Where a triangle comes in drawMesh's order: groups last first.
uint64_t drawOrder(const Mesh& mesh, TriangleRef ref)
{
    return (uint64_t(mesh.groups.size() - 1 - ref.group) << 32) | ref.index;
}

bool inside(const Bounds3& b, const Float3& p)
{
    return p.x >= b.lo.x && p.x <= b.hi.x && p.y >= b.lo.y && p.y <= b.hi.y && p.z >= b.lo.z && p.z <= b.hi.z;
}

} // namespace

TEST(MeshChunks, SplitDrawsEveryTriangleOnceInItsOwnOrder)
{
    struct Case {
        int cells;
        size_t pieces;
    } cases[] = {{1, 2}, {4, 32}, {40, maxPieces}, {100, maxPieces}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cells);
        const Mesh mesh = heightfield(c.cells);
        const std::vector<MeshPiece> pieces = splitMeshByPlace(mesh);
        EXPECT_EQ(pieces.size(), c.pieces);
        const size_t drawable = size_t(2 * c.cells * c.cells);
        std::vector<uint64_t> seen;
        size_t smallest[2] = {drawable, drawable}, largest[2] = {0, 0};
        for (size_t p = 0; p < pieces.size(); ++p) {
            const MeshPiece& piece = pieces[p];
            ASSERT_FALSE(piece.triangles.empty());
            ASSERT_LT(piece.group, 2u);
            // Groups in drawMesh's order: the last one first.
            if (p > 0) {
                EXPECT_LE(piece.group, pieces[p - 1].group);
            }
            smallest[piece.group] = std::min(smallest[piece.group], piece.triangles.size());
            largest[piece.group] = std::max(largest[piece.group], piece.triangles.size());
            bool touchesLow = false, touchesHigh = false;
            for (size_t t = 0; t < piece.triangles.size(); ++t) {
                const TriangleRef ref = piece.triangles[t];
                ASSERT_EQ(ref.group, piece.group);
                ASSERT_LT(ref.index, mesh.groups[ref.group].vertexTriangles.size());
                if (t > 0) {
                    EXPECT_LT(drawOrder(mesh, piece.triangles[t - 1]), drawOrder(mesh, ref));
                }
                seen.push_back(drawOrder(mesh, ref));
                for (uint16_t v : mesh.groups[ref.group].vertexTriangles[ref.index].i) {
                    ASSERT_LT(v, mesh.vertexFrames[0].size());
                    const Float3 p = mesh.vertexFrames[0][v];
                    EXPECT_TRUE(inside(piece.bounds, p));
                    touchesLow = touchesLow || p.x == piece.bounds.lo.x;
                    touchesHigh = touchesHigh || p.z == piece.bounds.hi.z;
                }
            }
            // The bounds are those of the corners, not wider.
            EXPECT_TRUE(touchesLow && touchesHigh);
        }
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(seen.size(), drawable);
        EXPECT_TRUE(std::adjacent_find(seen.begin(), seen.end()) == seen.end());
        // Halved at the middle triangle every time: even pieces in a group.
        for (int g = 0; g < 2; ++g)
            if (largest[g] > 0) {
                EXPECT_LE(largest[g] - smallest[g], 1u);
            }
    }
}

TEST(MeshChunks, GroupsShareThePiecesByTheirSize)
{
    // Three quarters of the triangles in one group, a quarter in another and
    // a single triangle in a third: shares of 48, just under 16 and under 1
    // pieces, rounded down to 32, 8 and (at least) 1.
    Mesh mesh = heightfield(32);
    MeshGroup& west = mesh.groups[0];
    MeshGroup& east = mesh.groups[1];
    const size_t moved = east.vertexTriangles.size() / 2;
    for (std::vector<Tri16> MeshGroup::*list :
         {&MeshGroup::vertexTriangles, &MeshGroup::normalTriangles, &MeshGroup::texTriangles}) {
        (west.*list).insert((west.*list).end(), (east.*list).begin(), (east.*list).begin() + long(moved));
        (east.*list).erase((east.*list).begin(), (east.*list).begin() + long(moved));
    }
    MeshGroup post;
    post.name = "post";
    post.vertexTriangles = post.normalTriangles = post.texTriangles = {Tri16{{0, 1, 2}}};
    mesh.groups.push_back(post);
    size_t perGroup[3] = {0, 0, 0};
    for (const MeshPiece& piece : splitMeshByPlace(mesh))
        ++perGroup[piece.group];
    EXPECT_EQ(perGroup[0], 32u);
    EXPECT_EQ(perGroup[1], 8u);
    EXPECT_EQ(perGroup[2], 1u);
}

TEST(MeshChunks, MeshWithoutCornersOrWithBadNumbersStillSplits)
{
    Mesh empty;
    EXPECT_TRUE(splitMeshByPlace(empty).empty());
    Mesh noNormals = heightfield(3);
    noNormals.normalFrames.clear();
    EXPECT_TRUE(splitMeshByPlace(noNormals).empty());

    // Corners that are not numbers must not upset the ordering of the split.
    Mesh odd = heightfield(30);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (size_t v = 0; v < odd.vertexFrames[0].size(); v += 7)
        odd.vertexFrames[0][v] = Float3{nan, v % 2 ? nan : 1.0f, std::numeric_limits<float>::infinity()};
    size_t total = 0;
    for (const MeshPiece& piece : splitMeshByPlace(odd))
        total += piece.triangles.size();
    EXPECT_EQ(total, 2u * 30u * 30u);
}

TEST(MeshChunks, BoxesOutsideTheViewAreFoundConservatively)
{
    // A 90-degree square view from the origin down -z, near 1, far 100;
    // then the same camera turned to look down +x.
    const double projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -101.0 / 99.0, -1, 0, 0, -200.0 / 99.0, 0};
    const double ahead[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // Column-major rotation taking +x to -z (a quarter turn about y).
    const double turned[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    struct Case {
        const char* name;
        Bounds3 box;
        bool outsideAhead, outsideTurned;
    } cases[] = {
        {"straight ahead", {{-1, -1, -11}, {1, 1, -9}}, false, true},
        {"behind", {{-1, -1, 5}, {1, 1, 9}}, true, true},
        {"beyond the far plane", {{-1, -1, -130}, {1, 1, -110}}, true, true},
        {"left of the view", {{-40, -1, -11}, {-20, 1, -9}}, true, true},
        {"across the left edge", {{-40, -1, -21}, {-15, 1, -19}}, false, true},
        {"above the view", {{-1, 30, -11}, {1, 40, -9}}, true, true},
        {"around the camera", {{-5, -5, -5}, {5, 5, 5}}, false, false},
        {"along +x", {{9, -1, -1}, {11, 1, 1}}, true, false},
    };
    const ViewPlanes a = viewPlanes(projection, ahead);
    const ViewPlanes t = viewPlanes(projection, turned);
    for (const Case& c : cases) {
        EXPECT_EQ(outsideView(a, c.box), c.outsideAhead) << c.name;
        EXPECT_EQ(outsideView(t, c.box), c.outsideTurned) << c.name;
    }
    // Front to back: the nearer box has the smaller depth, in metres.
    EXPECT_NEAR(viewDepth(a, cases[0].box), 9.0, 1e-9);
    EXPECT_LT(viewDepth(a, cases[0].box), viewDepth(a, cases[4].box));
    EXPECT_NEAR(viewDepth(t, cases[7].box), 9.0, 1e-9);
}

class MeshChunksDraw : public ::testing::Test {
protected:
    GLuint texture = 0;

    void SetUp() override
    {
        ASSERT_TRUE(openGlWindow()) << "no display: run under xvfb-run";
        texture = makeTexture(16, [](int x, int y, unsigned char* p) {
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<unsigned char>(((y * 16 + x) * 3 + c) * 37);
        });
        boundTexture = -1;
        glViewport(0, 0, glWindowWidth(), glWindowHeight());
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_COLOR_MATERIAL);
        glColor3f(1.0f, 1.0f, 1.0f);
    }
    void TearDown() override
    {
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDeleteTextures(1, &texture);
        boundTexture = -1;
    }

    // The heightfield seen from low over its edge, turned by degrees.
    template <typename Draw>
    std::vector<unsigned char> frame(double degrees, Draw draw)
    {
        return drawnFrame([&] {
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            gluPerspective(70.0, 4.0 / 3.0, 0.1, 5000.0);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            gluLookAt(-120.0, 0.0, 25.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
            glRotated(degrees, 0.0, 0.0, 1.0);
            TextureSlot slot = static_cast<TextureSlot>(texture);
            draw(slot);
        });
    }
};

TEST_F(MeshChunksDraw, PiecesInViewDrawTheWholeMeshsPixels)
{
    Mesh mesh = heightfield(60);
    mesh.revision = std::numeric_limits<uint64_t>::max() - 1;
    MeshChunks chunks;
    for (double degrees : {0.0, 50.0, 135.0, 260.0}) {
        SCOPED_TRACE(degrees);
        const auto whole = frame(degrees, [&](TextureSlot& s) { drawMesh(mesh, s); });
        const auto pieces = frame(degrees, [&](TextureSlot& s) { drawMeshChunks(mesh, chunks, s); });
        EXPECT_TRUE(whole == pieces);
    }
    ASSERT_NE(chunks.firstList, 0u);
    EXPECT_EQ(chunks.pieces.size(), maxPieces);

    // Compiled once: later draws send no corner, and a new load compiles
    // again into the same names.
    const uint32_t first = chunks.firstList;
    const auto replay = recorded([&] { frame(10.0, [&](TextureSlot& s) { drawMeshChunks(mesh, chunks, s); }); });
    EXPECT_EQ(countCalls(replay, GlCall::Vertex), 0u);
    Mesh other = heightfield(20, 120.0);
    other.revision = mesh.revision + 1;
    startRecording();
    const auto otherPieces = frame(10.0, [&](TextureSlot& s) { drawMeshChunks(other, chunks, s); });
    EXPECT_EQ(countCalls(stopRecording(), GlCall::Vertex), 3u * 2u * 20u * 20u);
    EXPECT_EQ(chunks.firstList, first);
    EXPECT_TRUE(otherPieces == frame(10.0, [&](TextureSlot& s) { drawMesh(other, s); }));

    // A mesh filled by hand is sent corner by corner every time.
    Mesh hand = heightfield(5);
    const auto sent = recorded([&] { frame(0.0, [&](TextureSlot& s) { drawMeshChunks(hand, chunks, s); }); });
    EXPECT_EQ(countCalls(sent, GlCall::Vertex), 3u * 2u * 5u * 5u);
}
