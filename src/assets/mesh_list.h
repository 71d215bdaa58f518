#pragma once
// A mesh compiled once into a GL display list and replayed every frame, for
// large static meshes (the scenery) whose corner-by-corner immediate-mode
// emission costs more than drawing them.

#include <cstdint>

#include "assets/mesh.h"

struct MeshList {
    // GL display list name, 0 before the first compile. One name per
    // MeshList for its whole life: a recompile replaces the list's contents.
    uint32_t list = 0;
    // Mesh::revision the list was compiled from.
    uint64_t revision = 0;
};

// Draws what drawMesh draws. The texture is bound outside the list, as
// drawMesh binds it. The list is compiled from the mesh on the first draw
// after each load of the mesh (a new Mesh::revision) and replayed until the
// next; a mesh filled by hand (revision 0) is sent in immediate mode.
void drawMeshCached(const Mesh& mesh, MeshList& cache, TextureSlot& texture);
