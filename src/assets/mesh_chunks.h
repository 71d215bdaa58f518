#pragma once
// A large static mesh (the scenery) split by place into pieces, each compiled
// into a display list of its own, so that a frame sends only the pieces its
// view can see, nearest first. Hidden pieces cost nothing, and the near ones
// fill the depth buffer early so that what lies behind them is not shaded.

#include <cstdint>
#include <vector>

#include "assets/mesh.h"

// A triangle of a mesh: its group and its index in the group.
struct TriangleRef {
    uint32_t group = 0;
    uint32_t index = 0;
};

// Axis-aligned bounds in the mesh's own units.
struct Bounds3 {
    Float3 lo{0.0f, 0.0f, 0.0f};
    Float3 hi{0.0f, 0.0f, 0.0f};
};

// One piece: triangles of one group in drawing order and the bounds of their
// corners.
struct MeshPiece {
    uint32_t group = 0;
    std::vector<TriangleRef> triangles;
    Bounds3 bounds;
};

// Pieces per mesh: halved by place this many times (leaves * pieces at most).
constexpr int pieceSplits = 6;
constexpr uint32_t maxPieces = 1u << pieceSplits;

// The triangles drawMesh would send (those whose corners all exist, groups
// last first), split by place group by group: each group has a share of the
// pieces by its number of triangles, and its triangles are cut across the
// widest spread of their centres at the middle triangle until the share is
// reached, so a group's pieces hold about as many triangles each and no two
// pieces share one. The pieces come in drawMesh's order of the groups and
// keep the order of their triangles. Empty pieces are left out.
std::vector<MeshPiece> splitMeshByPlace(const Mesh& mesh);

// Planes a x + b y + c z + d >= 0 inside the view of a GL projection and
// modelview (column-major, as glGetDoublev gives them), in the modelview's
// object space: left, right, bottom, top, near, far.
struct ViewPlanes {
    double p[6][4];
};
ViewPlanes viewPlanes(const double projection[16], const double modelview[16]);

// True when the box lies wholly outside one of the planes: nothing of it can
// show. Conservative: a box near a corner of the view may count as seen.
bool outsideView(const ViewPlanes& planes, const Bounds3& box);

// How far the middle of the box lies in front of the near plane; smaller is
// nearer, for drawing front to back.
double viewDepth(const ViewPlanes& planes, const Bounds3& box);

// The pieces of a mesh compiled into a block of maxPieces display list names,
// one block for the whole life of the record.
struct MeshChunks {
    std::vector<MeshPiece> pieces;
    uint32_t firstList = 0;
    // Mesh::revision the lists were compiled from.
    uint64_t revision = 0;
};

// Draws the pieces of mesh that the current GL projection and modelview can
// see, group by group as drawMesh orders them and nearest first within a
// group, with the texture bound as drawMesh binds it; the same
// pixels as drawMesh wherever no two triangles of a group meet at the same
// depth. The
// pieces are split and compiled on the first draw after each load of the mesh
// (a new Mesh::revision). A mesh filled by hand (revision 0) is sent whole in
// immediate mode, and so is every mesh when no list names are left.
void drawMeshChunks(const Mesh& mesh, MeshChunks& chunks, TextureSlot& texture);

// Gives the block of list names back and makes the next draw split and
// compile afresh: for a new GL context, which knows no list.
void forgetMeshChunks(MeshChunks& chunks);
