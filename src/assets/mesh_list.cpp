#include "assets/mesh_list.h"

#include <GL/gl.h>

void drawMeshCached(const Mesh& mesh, MeshList& cache, TextureSlot& texture)
{
    // Only a loaded mesh has a revision that tells its edits apart.
    if (mesh.revision == 0) {
        drawMesh(mesh, texture);
        return;
    }
    bindSlot(texture);
    if (cache.list == 0 || cache.revision != mesh.revision) {
        if (cache.list == 0)
            cache.list = glGenLists(1);
        // No list name left: send the mesh directly rather than nothing.
        if (cache.list == 0) {
            emitMesh(mesh);
            return;
        }
        // Compiling into the same name frees the list's old contents.
        glNewList(cache.list, GL_COMPILE);
        emitMesh(mesh);
        glEndList();
        cache.revision = mesh.revision;
    }
    glCallList(cache.list);
}
