#include "design/tris_writer.h"

#include <cstdio>
#include <cstring>

uint32_t addPosition(TrisBuilder& mesh, Vec3 p)
{
    mesh.positions.push_back(p);
    return static_cast<uint32_t>(mesh.positions.size() - 1);
}

uint32_t addNormal(TrisBuilder& mesh, Vec3 n)
{
    double l = length(n);
    mesh.normals.push_back(l > 0.0 ? scale(n, 1.0 / l) : Vec3{0, 0, 1});
    return static_cast<uint32_t>(mesh.normals.size() - 1);
}

uint32_t addTexCoord(TrisBuilder& mesh, double u, double v)
{
    mesh.texCoords.push_back(u);
    mesh.texCoords.push_back(v);
    return static_cast<uint32_t>(mesh.texCoords.size() / 2 - 1);
}

size_t groupIndex(TrisBuilder& mesh, const std::string& name)
{
    for (size_t i = 0; i < mesh.groups.size(); ++i)
        if (mesh.groups[i].name == name)
            return i;
    mesh.groups.push_back(TrisPart{name, {}, {}, {}});
    return mesh.groups.size() - 1;
}

void addTriangle(TrisBuilder& mesh, size_t group, const uint32_t v[3], const uint32_t n[3], const uint32_t t[3])
{
    TrisPart& g = mesh.groups[group];
    for (int k = 0; k < 3; ++k) {
        g.vertex.push_back(v[k]);
        g.normal.push_back(n[k]);
        g.tex.push_back(t[k]);
    }
}

bool fitsIndexes(const TrisBuilder& mesh)
{
    const size_t limit = 65536;
    return !mesh.positions.empty() && mesh.positions.size() <= limit && !mesh.normals.empty() &&
           mesh.normals.size() <= limit && !mesh.texCoords.empty() && mesh.texCoords.size() / 2 <= limit;
}

namespace {

struct Writer {
    std::vector<unsigned char> bytes;
    void raw(const void* p, size_t n)
    {
        const unsigned char* c = static_cast<const unsigned char*>(p);
        bytes.insert(bytes.end(), c, c + n);
    }
    // The format is little-endian, as is every machine the game runs on.
    void i32(int32_t v) { raw(&v, 4); }
    void f32(double v)
    {
        float f = static_cast<float>(v);
        raw(&f, 4);
    }
    void u16(uint32_t v)
    {
        uint16_t s = static_cast<uint16_t>(v);
        raw(&s, 2);
    }
};

void triangleList(Writer& w, const std::vector<uint32_t>& indexes)
{
    w.i32(static_cast<int32_t>(indexes.size() / 3));
    for (uint32_t i : indexes)
        w.u16(i);
}

} // namespace

bool encodeTris(const TrisBuilder& mesh, double positionScale, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (!fitsIndexes(mesh))
        return false;
    Writer w;
    w.i32(static_cast<int32_t>(mesh.groups.size()));
    for (const TrisPart& g : mesh.groups) {
        w.i32(static_cast<int32_t>(g.name.size()));
        w.raw(g.name.data(), g.name.size());
        triangleList(w, g.vertex);
        triangleList(w, g.normal);
        triangleList(w, g.tex);
    }
    w.i32(static_cast<int32_t>(mesh.texCoords.size() / 2));
    for (double c : mesh.texCoords)
        w.f32(c);
    w.i32(1);
    w.i32(static_cast<int32_t>(mesh.positions.size()));
    for (const Vec3& p : mesh.positions) {
        w.f32(p.x * positionScale);
        w.f32(p.y * positionScale);
        w.f32(p.z * positionScale);
    }
    w.i32(static_cast<int32_t>(mesh.normals.size()));
    for (const Vec3& n : mesh.normals) {
        w.f32(n.x);
        w.f32(n.y);
        w.f32(n.z);
    }
    bytes.assign(w.bytes.begin(), w.bytes.end());
    return true;
}

bool writeTris(const TrisBuilder& mesh, const std::string& path, double positionScale)
{
    std::vector<uint8_t> bytes;
    if (!encodeTris(mesh, positionScale, bytes))
        return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return (std::fclose(f) == 0) && ok;
}
