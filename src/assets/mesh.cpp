#include "assets/mesh.h"

#include <GL/gl.h>
#include <utility>

#include "assets/binary_io.h"
#include "assets/regular_file.h"

int32_t boundTexture = -1;

namespace {

// The revision the last successful load handed out.
uint64_t lastRevision = 0;

// Counts in a ".tris" file are signed; a negative one is damage.
bool readCount(ByteReader& in, int32_t& value) { return readI32(in, value) && value >= 0; }

bool readElement(ByteReader& in, Tri16& tri)
{
    return readU16(in, tri.i[0]) && readU16(in, tri.i[1]) && readU16(in, tri.i[2]);
}

bool readElement(ByteReader& in, Float2& point) { return readF32(in, point.u) && readF32(in, point.v); }

bool readElement(ByteReader& in, Float3& point)
{
    return readF32(in, point.x) && readF32(in, point.y) && readF32(in, point.z);
}

// A count and that many elements; the count is checked against the bytes
// left before the list is sized.
template <typename Element>
bool readList(ByteReader& in, std::vector<Element>& out)
{
    int32_t n = 0;
    if (!readCount(in, n) || !fitsItems(in, static_cast<size_t>(n), sizeof(Element)))
        return false;
    out.resize(static_cast<size_t>(n));
    for (Element& element : out)
        readElement(in, element);
    return true;
}

bool readText(ByteReader& in, std::string& out)
{
    int32_t n = 0;
    const uint8_t* bytes = nullptr;
    if (!readCount(in, n) || !takeBytes(in, static_cast<size_t>(n), bytes))
        return false;
    out.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
    return true;
}

static_assert(sizeof(Tri16) == 6 && sizeof(Float2) == 8 && sizeof(Float3) == 12,
              "mesh elements take as many bytes in memory as in the file");

bool indexesBelow(const std::vector<Tri16>& triangles, size_t size)
{
    for (const Tri16& tri : triangles)
        for (uint16_t index : tri.i)
            if (index >= size)
                return false;
    return true;
}

// Every triangle must name existing corners in every frame, and the three
// lists of a group must describe the same triangles.
bool consistent(const Mesh& mesh)
{
    if (mesh.vertexFrames.size() != mesh.normalFrames.size())
        return false;
    for (const MeshGroup& group : mesh.groups) {
        const size_t n = group.vertexTriangles.size();
        if (group.normalTriangles.size() != n || group.texTriangles.size() != n)
            return false;
        if (n == 0)
            continue;
        if (mesh.vertexFrames.empty() || !indexesBelow(group.texTriangles, mesh.texCoords.size()))
            return false;
        for (size_t f = 0; f < mesh.vertexFrames.size(); ++f) {
            if (!indexesBelow(group.vertexTriangles, mesh.vertexFrames[f].size()) ||
                !indexesBelow(group.normalTriangles, mesh.normalFrames[f].size()))
                return false;
        }
    }
    return true;
}

bool parse(ByteReader& in, Mesh& mesh)
{
    int32_t groupCount = 0;
    // A group takes at least its four counts: 16 bytes.
    if (!readCount(in, groupCount) || !fitsItems(in, static_cast<size_t>(groupCount), 16))
        return false;
    mesh.groups.resize(static_cast<size_t>(groupCount));
    for (MeshGroup& group : mesh.groups) {
        if (!readText(in, group.name) || !readList(in, group.vertexTriangles) ||
            !readList(in, group.normalTriangles) || !readList(in, group.texTriangles))
            return false;
    }
    if (!readList(in, mesh.texCoords))
        return false;
    int32_t frameCount = 0;
    // A frame takes at least its two counts: 8 bytes.
    if (!readCount(in, frameCount) || !fitsItems(in, static_cast<size_t>(frameCount), 8))
        return false;
    mesh.vertexFrames.resize(static_cast<size_t>(frameCount));
    mesh.normalFrames.resize(static_cast<size_t>(frameCount));
    for (int32_t f = 0; f < frameCount; ++f) {
        if (!readList(in, mesh.vertexFrames[f]) || !readList(in, mesh.normalFrames[f]))
            return false;
    }
    return true;
}

// Emits the triangles of one group; a triangle that names a missing corner
// is left out, so a mesh filled by hand cannot make the draw read past a list.
void emitGroup(const Mesh& mesh, const MeshGroup& group)
{
    const std::vector<Float3>& positions = mesh.vertexFrames[0];
    const std::vector<Float3>& normals = mesh.normalFrames[0];
    size_t n = group.vertexTriangles.size();
    if (group.normalTriangles.size() < n)
        n = group.normalTriangles.size();
    if (group.texTriangles.size() < n)
        n = group.texTriangles.size();
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
        for (int k = 0; k < 3; ++k) {
            glTexCoord2fv(&mesh.texCoords[tt.i[k]].u);
            glNormal3fv(&normals[nt.i[k]].x);
            glVertex3fv(&positions[v.i[k]].x);
        }
    }
}

bool drawable(const Mesh& mesh) { return !mesh.vertexFrames.empty() && !mesh.normalFrames.empty(); }

bool startsWithT(const std::string& name) { return !name.empty() && name[0] == 'T'; }

} // namespace

void bindSlot(TextureSlot& slot)
{
    if (slot == -1)
        slot = 0;
    if (slot != boundTexture) {
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(slot));
        boundTexture = slot;
    }
}

bool loadMesh(Mesh& mesh, std::string path)
{
    const FileRead file = readRegularFile(path, maxMeshFileBytes);
    if (file.status != FileStatus::ok)
        return false;

    // Built aside and taken over only when the whole file made sense.
    Mesh loaded;
    ByteReader in = byteReader(file.bytes);
    if (!parse(in, loaded) || !consistent(loaded))
        return false;
    loaded.revision = ++lastRevision;
    mesh = std::move(loaded);
    return true;
}

void drawMesh(const Mesh& mesh, TextureSlot& texture)
{
    bindSlot(texture);
    emitMesh(mesh);
}

void emitMesh(const Mesh& mesh)
{
    glBegin(GL_TRIANGLES);
    if (drawable(mesh)) {
        for (size_t g = mesh.groups.size(); g-- > 0;)
            emitGroup(mesh, mesh.groups[g]);
    }
    glEnd();
}

void drawShipMesh(const Mesh& mesh, TextureSlot& texture)
{
    bindSlot(texture);
    glBegin(GL_TRIANGLES);
    if (drawable(mesh)) {
        // Groups named "T..." (glass, glow) come last so that they blend over the body.
        for (int pass = 0; pass < 2; ++pass) {
            const bool wantT = pass == 1;
            for (size_t g = mesh.groups.size(); g-- > 0;) {
                if (startsWithT(mesh.groups[g].name) == wantT)
                    emitGroup(mesh, mesh.groups[g]);
            }
        }
    }
    glEnd();
}
