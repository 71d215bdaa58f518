#pragma once
// Test-only helpers that write real content files into temporary folders:
// little-endian byte builders, ".tris" meshes, images and track files.

#include <FreeImagePlus.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct Bytes {
    std::vector<char> data;

    Bytes& i32(int32_t v) { return raw(&v, 4); }
    Bytes& u16(uint16_t v) { return raw(&v, 2); }
    Bytes& f32(float v) { return raw(&v, 4); }
    Bytes& text(const std::string& s) { return raw(s.data(), s.size()); }
    Bytes& raw(const void* p, size_t n)
    {
        const char* c = static_cast<const char*>(p);
        data.insert(data.end(), c, c + n);
        return *this;
    }
};

// A whole file's bytes; empty when it cannot be read.
inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::vector<char>& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void writeText(const std::string& path, const std::string& text)
{
    writeFile(path, std::vector<char>(text.begin(), text.end()));
}

// A fresh, empty folder under the system's temporary folder.
inline std::string makeTempDir(const std::string& tag)
{
    std::string pattern = (std::filesystem::temp_directory_path() / ("vantor-" + tag + "-XXXXXX")).string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const char* made = mkdtemp(buf.data());
    return made ? std::string(made) : std::string();
}

// One group, as written to a ".tris" file.
struct TrisGroup {
    std::string name;
    std::vector<uint16_t> vertex, normal, tex; // three per triangle
};

struct TrisFrame {
    std::vector<float> positions, normals; // three per entry
};

inline Bytes trisBytes(const std::vector<TrisGroup>& groups, const std::vector<float>& texCoords,
                       const std::vector<TrisFrame>& frames)
{
    Bytes b;
    b.i32(static_cast<int32_t>(groups.size()));
    for (const TrisGroup& g : groups) {
        b.i32(static_cast<int32_t>(g.name.size())).text(g.name);
        for (const std::vector<uint16_t>* list : {&g.vertex, &g.normal, &g.tex}) {
            b.i32(static_cast<int32_t>(list->size() / 3));
            for (uint16_t i : *list)
                b.u16(i);
        }
    }
    b.i32(static_cast<int32_t>(texCoords.size() / 2));
    for (float f : texCoords)
        b.f32(f);
    b.i32(static_cast<int32_t>(frames.size()));
    for (const TrisFrame& f : frames) {
        for (const std::vector<float>* list : {&f.positions, &f.normals}) {
            b.i32(static_cast<int32_t>(list->size() / 3));
            for (float v : *list)
                b.f32(v);
        }
    }
    return b;
}

// The smallest sensible mesh: one group "body" with the triangle (0, 1, 2)
// in all three lists, three texture coordinates, one frame.
inline Bytes oneTriangleTris()
{
    return trisBytes({{"body", {0, 1, 2}, {0, 1, 2}, {0, 1, 2}}}, {0, 0, 1, 0, 0, 1},
                     {{{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1, 0, 0, 1, 0, 0, 1}}});
}

// A w x h image of one colour (bpp 8 gives a grey palette, 24 BGR, 32 BGRA).
inline bool writeImage(const std::string& path, unsigned w, unsigned h, unsigned bpp, uint8_t r, uint8_t g,
                       uint8_t b, uint8_t a = 255)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    fipImage image(FIT_BITMAP, w, h, bpp);
    if (bpp == 8) {
        RGBQUAD* palette = image.getPalette();
        for (int i = 0; i < 256; ++i) {
            palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = static_cast<BYTE>(i);
            palette[i].rgbReserved = 0;
        }
        // Entry 7 carries the wanted colour.
        palette[7] = RGBQUAD{b, g, r, 0};
        for (unsigned y = 0; y < h; ++y)
            std::memset(image.getScanLine(y), 7, w);
    } else {
        RGBQUAD c{b, g, r, a};
        for (unsigned y = 0; y < h; ++y)
            for (unsigned x = 0; x < w; ++x)
                image.setPixelColor(x, y, &c);
    }
    return image.save(path.c_str()) != 0;
}

// "track.track": the count, then four points (x, y, z each) per control point.
inline Bytes trackBytes(const std::vector<std::vector<float>>& controlPoints)
{
    Bytes b;
    b.i32(static_cast<int32_t>(controlPoints.size()));
    for (const std::vector<float>& cp : controlPoints)
        for (float f : cp)
            b.f32(f);
    return b;
}
