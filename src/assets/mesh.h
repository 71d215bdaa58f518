#pragma once
// Triangle meshes read from ".tris" files, drawn in immediate mode.

#include <cstdint>
#include <string>
#include <vector>

#include "track/geometry.h"

struct Float3 {
    float x, y, z;
};
struct Float2 {
    float u, v;
};
struct Tri16 {
    uint16_t i[3];
};

struct MeshGroup {
    // A name beginning with "T" marks a group the ship drawing emits last.
    std::string name;
    std::vector<Tri16> vertexTriangles;
    std::vector<Tri16> normalTriangles;
    std::vector<Tri16> texTriangles;
};

struct Mesh {
    std::vector<std::vector<Float3>> vertexFrames;
    std::vector<std::vector<Float3>> normalFrames;
    std::vector<Float2> texCoords;
    std::vector<MeshGroup> groups;
    // Set by every successful loadMesh to a number no other load has had; 0
    // for a mesh filled by hand. Compiled copies of the mesh (mesh_list.h, mesh_chunks.h)
    // stay valid while it is unchanged.
    uint64_t revision = 0;
};

// The GL texture name last bound by any drawing code, -1 before the first bind.
extern int32_t boundTexture;

// Largest ".tris" file read; the biggest scenery is under 3 MB.
const size_t maxMeshFileBytes = 64u * 1024u * 1024u;

// Reads a ".tris" file. False when it is not a regular file of at most
// maxMeshFileBytes, cannot be read or is malformed (a
// count beyond the bytes left, negative counts, triangle lists of unequal
// length in a group, an index beyond its list); the mesh is then left as it was.
bool loadMesh(Mesh& mesh, std::string path);

// Binds the slot's texture to GL_TEXTURE_2D unless boundTexture already names
// it. A -1 slot becomes 0 for good.
void bindSlot(TextureSlot& slot);

// All groups alike, last group first.
void drawMesh(const Mesh& mesh, TextureSlot& texture);
// The glBegin ... glEnd of drawMesh alone, without the texture bind.
void emitMesh(const Mesh& mesh);
// Groups whose name begins with "T" after all others, each pass last group first.
void drawShipMesh(const Mesh& mesh, TextureSlot& texture);
