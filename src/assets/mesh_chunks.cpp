#include "assets/mesh_chunks.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {

// A triangle waiting to be placed: where it sits and where it came in the
// drawing order.
struct Placed {
    TriangleRef ref;
    float centre[3];
    uint32_t order;
};

// A corner that is not a number would break the ordering the split sorts by.
float sortable(float v) { return std::isfinite(v) ? v : 0.0f; }

void grow(Bounds3& b, const Float3& p, bool first)
{
    if (first) {
        b.lo = p;
        b.hi = p;
        return;
    }
    b.lo = Float3{std::min(b.lo.x, p.x), std::min(b.lo.y, p.y), std::min(b.lo.z, p.z)};
    b.hi = Float3{std::max(b.hi.x, p.x), std::max(b.hi.y, p.y), std::max(b.hi.z, p.z)};
}

void makePiece(const Mesh& mesh, std::vector<Placed>::iterator begin, std::vector<Placed>::iterator end,
               std::vector<MeshPiece>& out)
{
    if (begin == end)
        return;
    std::sort(begin, end, [](const Placed& a, const Placed& b) { return a.order < b.order; });
    MeshPiece piece;
    piece.group = begin->ref.group;
    piece.triangles.reserve(static_cast<size_t>(end - begin));
    const std::vector<Float3>& positions = mesh.vertexFrames[0];
    bool first = true;
    for (auto it = begin; it != end; ++it) {
        piece.triangles.push_back(it->ref);
        const Tri16& v = mesh.groups[it->ref.group].vertexTriangles[it->ref.index];
        for (int k = 0; k < 3; ++k) {
            grow(piece.bounds, positions[v.i[k]], first);
            first = false;
        }
    }
    out.push_back(std::move(piece));
}

void split(const Mesh& mesh, std::vector<Placed>::iterator begin, std::vector<Placed>::iterator end, int splitsLeft,
           std::vector<MeshPiece>& out)
{
    if (splitsLeft == 0 || end - begin < 2) {
        makePiece(mesh, begin, end, out);
        return;
    }
    float lo[3] = {begin->centre[0], begin->centre[1], begin->centre[2]};
    float hi[3] = {lo[0], lo[1], lo[2]};
    for (auto it = begin; it != end; ++it)
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], it->centre[a]);
            hi[a] = std::max(hi[a], it->centre[a]);
        }
    int axis = 0;
    for (int a = 1; a < 3; ++a)
        if (hi[a] - lo[a] > hi[axis] - lo[axis])
            axis = a;
    const auto middle = begin + (end - begin) / 2;
    std::nth_element(begin, middle, end, [axis](const Placed& a, const Placed& b) {
        return a.centre[axis] != b.centre[axis] ? a.centre[axis] < b.centre[axis] : a.order < b.order;
    });
    split(mesh, begin, middle, splitsLeft - 1, out);
    split(mesh, middle, end, splitsLeft - 1, out);
}

bool drawable(const Mesh& mesh) { return !mesh.vertexFrames.empty() && !mesh.normalFrames.empty(); }

// The corners of the triangles, as drawMesh sends them.
void emitPiece(const Mesh& mesh, const MeshPiece& piece)
{
    const std::vector<Float3>& positions = mesh.vertexFrames[0];
    const std::vector<Float3>& normals = mesh.normalFrames[0];
    glBegin(GL_TRIANGLES);
    for (const TriangleRef& ref : piece.triangles) {
        const MeshGroup& group = mesh.groups[ref.group];
        const Tri16& v = group.vertexTriangles[ref.index];
        const Tri16& nt = group.normalTriangles[ref.index];
        const Tri16& tt = group.texTriangles[ref.index];
        for (int k = 0; k < 3; ++k) {
            glTexCoord2fv(&mesh.texCoords[tt.i[k]].u);
            glNormal3fv(&normals[nt.i[k]].x);
            glVertex3fv(&positions[v.i[k]].x);
        }
    }
    glEnd();
}

} // namespace

std::vector<MeshPiece> splitMeshByPlace(const Mesh& mesh)
{
    std::vector<MeshPiece> out;
    if (!drawable(mesh))
        return out;
    const std::vector<Float3>& positions = mesh.vertexFrames[0];
    const std::vector<Float3>& normals = mesh.normalFrames[0];
    std::vector<std::vector<Placed>> byGroup;
    size_t total = 0;
    for (size_t g = mesh.groups.size(); g-- > 0;) {
        const MeshGroup& group = mesh.groups[g];
        const size_t n =
            std::min(group.vertexTriangles.size(), std::min(group.normalTriangles.size(), group.texTriangles.size()));
        std::vector<Placed> placed;
        for (size_t t = 0; t < n; ++t) {
            const Tri16& v = group.vertexTriangles[t];
            const Tri16& nt = group.normalTriangles[t];
            const Tri16& tt = group.texTriangles[t];
            bool inRange = true;
            for (int k = 0; k < 3; ++k)
                inRange = inRange && v.i[k] < positions.size() && nt.i[k] < normals.size() &&
                          tt.i[k] < mesh.texCoords.size();
            if (!inRange)
                continue;
            Placed p;
            p.ref = TriangleRef{static_cast<uint32_t>(g), static_cast<uint32_t>(t)};
            const Float3 &a = positions[v.i[0]], &b = positions[v.i[1]], &c = positions[v.i[2]];
            p.centre[0] = sortable((a.x + b.x + c.x) / 3.0f);
            p.centre[1] = sortable((a.y + b.y + c.y) / 3.0f);
            p.centre[2] = sortable((a.z + b.z + c.z) / 3.0f);
            p.order = static_cast<uint32_t>(placed.size());
            placed.push_back(p);
        }
        total += placed.size();
        byGroup.push_back(std::move(placed));
    }
    // Each group gets its share of the pieces, rounded down to a power of two,
    // so that all of them together never need more than maxPieces.
    for (std::vector<Placed>& placed : byGroup) {
        int splits = 0;
        while (splits < pieceSplits && (size_t(1) << (splits + 1)) * total <= size_t(maxPieces) * placed.size())
            ++splits;
        split(mesh, placed.begin(), placed.end(), splits, out);
    }
    return out;
}

ViewPlanes viewPlanes(const double projection[16], const double modelview[16])
{
    // Rows of projection * modelview; column-major element (r, c) is [c * 4 + r].
    double clip[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + r] * modelview[c * 4 + k];
            clip[r][c] = sum;
        }
    ViewPlanes planes;
    for (int i = 0; i < 6; ++i) {
        const int axis = i / 2;
        const double sign = i % 2 == 0 ? 1.0 : -1.0;
        double* p = planes.p[i];
        for (int c = 0; c < 4; ++c)
            p[c] = clip[3][c] + sign * clip[axis][c];
        // Unit normals make the near plane's value a distance, for the order.
        const double n = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        if (n > 0.0)
            for (int c = 0; c < 4; ++c)
                p[c] /= n;
    }
    return planes;
}

bool outsideView(const ViewPlanes& planes, const Bounds3& box)
{
    for (const double* p : planes.p) {
        // The corner furthest along the plane's normal.
        const double x = p[0] >= 0.0 ? box.hi.x : box.lo.x;
        const double y = p[1] >= 0.0 ? box.hi.y : box.lo.y;
        const double z = p[2] >= 0.0 ? box.hi.z : box.lo.z;
        if (p[0] * x + p[1] * y + p[2] * z + p[3] < 0.0)
            return true;
    }
    return false;
}

double viewDepth(const ViewPlanes& planes, const Bounds3& box)
{
    const double* p = planes.p[4];
    const double x = 0.5 * (double(box.lo.x) + box.hi.x);
    const double y = 0.5 * (double(box.lo.y) + box.hi.y);
    const double z = 0.5 * (double(box.lo.z) + box.hi.z);
    return p[0] * x + p[1] * y + p[2] * z + p[3];
}

void drawMeshChunks(const Mesh& mesh, MeshChunks& chunks, TextureSlot& texture)
{
    if (mesh.revision == 0) {
        drawMesh(mesh, texture);
        return;
    }
    bindSlot(texture);
    if (chunks.firstList == 0)
        chunks.firstList = glGenLists(maxPieces);
    if (chunks.firstList == 0) {
        emitMesh(mesh);
        return;
    }
    if (chunks.revision != mesh.revision) {
        chunks.pieces = splitMeshByPlace(mesh);
        // Compiling into a name frees what it held; the names a smaller mesh
        // leaves unused are emptied too.
        for (uint32_t i = 0; i < maxPieces; ++i) {
            glNewList(chunks.firstList + i, GL_COMPILE);
            if (i < chunks.pieces.size())
                emitPiece(mesh, chunks.pieces[i]);
            glEndList();
        }
        chunks.revision = mesh.revision;
    }
    double projection[16], modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    const ViewPlanes planes = viewPlanes(projection, modelview);
    // Group by group as drawMesh draws them, so that where two groups meet at
    // the same depth (water at a shore) the same one shows; within a group
    // nearest first.
    struct Seen {
        uint32_t group;
        double depth;
        uint32_t piece;
    };
    Seen seen[maxPieces];
    size_t count = 0;
    for (uint32_t i = 0; i < chunks.pieces.size(); ++i)
        if (!outsideView(planes, chunks.pieces[i].bounds)) {
            const double depth = viewDepth(planes, chunks.pieces[i].bounds);
            seen[count++] = Seen{chunks.pieces[i].group, std::isfinite(depth) ? depth : 0.0, i};
        }
    std::sort(seen, seen + count, [](const Seen& a, const Seen& b) {
        return a.group != b.group ? a.group > b.group : a.depth < b.depth;
    });
    for (size_t k = 0; k < count; ++k)
        glCallList(chunks.firstList + seen[k].piece);
}

void forgetMeshChunks(MeshChunks& chunks)
{
    if (chunks.firstList != 0)
        glDeleteLists(chunks.firstList, static_cast<GLsizei>(maxPieces));
    chunks = MeshChunks();
}
