// The ".tris" loader on arbitrary bytes. A mesh it accepts must be safe to
// draw: every triangle names corners that exist in every frame, and the three
// triangle lists of a group have one length.

#include <cstdint>
#include <cstdlib>

#include "assets/mesh.h"
#include "fuzz_files.h"

static void requireBelow(const std::vector<Tri16>& triangles, size_t size)
{
    for (const Tri16& tri : triangles)
        for (uint16_t index : tri.i)
            if (index >= size)
                std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzzScratch() + "/mesh.tris";
    fuzzWrite(path, data, size);

    Mesh mesh;
    if (!loadMesh(mesh, path)) {
        // A rejected file leaves the mesh as it was.
        if (!mesh.groups.empty() || !mesh.vertexFrames.empty() || !mesh.texCoords.empty())
            std::abort();
        return 0;
    }
    if (mesh.vertexFrames.size() != mesh.normalFrames.size())
        std::abort();
    for (const MeshGroup& group : mesh.groups) {
        const size_t n = group.vertexTriangles.size();
        if (group.normalTriangles.size() != n || group.texTriangles.size() != n)
            std::abort();
        if (n == 0)
            continue;
        requireBelow(group.texTriangles, mesh.texCoords.size());
        for (size_t f = 0; f < mesh.vertexFrames.size(); ++f) {
            requireBelow(group.vertexTriangles, mesh.vertexFrames[f].size());
            requireBelow(group.normalTriangles, mesh.normalFrames[f].size());
        }
    }
    return 0;
}
