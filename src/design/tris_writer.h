#pragma once
// Building triangle meshes and writing them as ".tris" files (one frame).
// Positions, normals and texture coordinates are indexed separately, so a box
// shares its eight corners while each face keeps its own flat normal.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/vecmath.h"

struct TrisPart {
    std::string name;
    // Per triangle, three indexes each into positions, normals and texCoords.
    std::vector<uint32_t> vertex;
    std::vector<uint32_t> normal;
    std::vector<uint32_t> tex;
};

struct TrisBuilder {
    // In the units the file stores.
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<double> texCoords; // u, v pairs
    std::vector<TrisPart> groups;
};

uint32_t addPosition(TrisBuilder& mesh, Vec3 p);
// Stored normalised.
uint32_t addNormal(TrisBuilder& mesh, Vec3 n);
uint32_t addTexCoord(TrisBuilder& mesh, double u, double v);
// Index of the group of that name, created on first use.
size_t groupIndex(TrisBuilder& mesh, const std::string& name);
// Corners counter-clockwise seen from the front (the side OpenGL keeps when culling).
void addTriangle(TrisBuilder& mesh, size_t group, const uint32_t v[3], const uint32_t n[3], const uint32_t t[3]);

// True when every list fits the 16-bit indexes of the format.
bool fitsIndexes(const TrisBuilder& mesh);
// The file image of the mesh with every position multiplied by positionScale;
// false (bytes empty) when the mesh does not fit the format.
bool encodeTris(const TrisBuilder& mesh, double positionScale, std::vector<uint8_t>& bytes);
// Writes the mesh with every position multiplied by positionScale; false when
// the file cannot be written or the mesh does not fit the format.
bool writeTris(const TrisBuilder& mesh, const std::string& path, double positionScale);
