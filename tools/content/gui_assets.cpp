// The menu content: three image fonts rendered from DejaVu through FreeType,
// the three medal badges and the 800 x 600 screen border. Everything is drawn
// with integer and double arithmetic in a fixed order, so the same FreeType
// and font files give the same bytes every time.
#include <FreeImage.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "content/content.h"
#include "shell/paths.h"

namespace {

struct Rgba {
    uint8_t r, g, b, a;
};

// Straight (not premultiplied) RGBA, rows top to bottom.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels;

    Picture(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), Rgba{0, 0, 0, 0}) {}
    Rgba& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

const char* const kFontDir = "/usr/share/fonts/truetype/dejavu/";

// The order in which the game hands the glyphs to the image font.
const std::string kGlyphs =
    " abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,!?-+/():;%&`'*#=[]\"";

// The image font reads the colour of pixel (0, 0) as the separator between
// glyphs. Opaque pure green never occurs inside a glyph cell (the cells hold
// only blends of the fill and outline colours below, or full transparency),
// and it is not the loader's "magic pink" that would turn transparent on load.
const Rgba kSeparator{0, 255, 0, 255};

bool savePicture(const Picture& pic, const std::string& path, FREE_IMAGE_FORMAT format)
{
    FIBITMAP* bitmap = FreeImage_Allocate(pic.width, pic.height, 32, FI_RGBA_RED_MASK,
                                          FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    if (!bitmap)
        return false;
    for (int y = 0; y < pic.height; ++y) {
        // FreeImage stores the bottom row first.
        BYTE* row = FreeImage_GetScanLine(bitmap, pic.height - 1 - y);
        for (int x = 0; x < pic.width; ++x) {
            Rgba c = pic.pixels[size_t(y) * size_t(pic.width) + size_t(x)];
            row[x * 4 + FI_RGBA_RED] = c.r;
            row[x * 4 + FI_RGBA_GREEN] = c.g;
            row[x * 4 + FI_RGBA_BLUE] = c.b;
            row[x * 4 + FI_RGBA_ALPHA] = c.a;
        }
    }
    int flags = format == FIF_PNG ? PNG_Z_BEST_COMPRESSION : TARGA_DEFAULT;
    bool ok = FreeImage_Save(format, bitmap, path.c_str(), flags) != 0;
    FreeImage_Unload(bitmap);
    return ok;
}

uint8_t toByte(double v)
{
    if (v <= 0.0)
        return 0;
    if (v >= 1.0)
        return 255;
    return static_cast<uint8_t>(std::lround(v * 255.0));
}

// Colour channels as 0..1 doubles.
struct Colour {
    double r, g, b;
};

Colour mix(Colour a, Colour b, double t)
{
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Paints colour c with coverage alpha over the pixel (source-over).
void blend(Rgba& dst, Colour c, double alpha)
{
    if (alpha <= 0.0)
        return;
    double da = dst.a / 255.0;
    double outA = alpha + da * (1.0 - alpha);
    double r = (c.r * alpha + dst.r / 255.0 * da * (1.0 - alpha)) / outA;
    double g = (c.g * alpha + dst.g / 255.0 * da * (1.0 - alpha)) / outA;
    double b = (c.b * alpha + dst.b / 255.0 * da * (1.0 - alpha)) / outA;
    dst = Rgba{toByte(r), toByte(g), toByte(b), toByte(outA)};
}

// ---------------------------------------------------------------- fonts

struct FontStyle {
    const char* file;
    int pixelSize;
    // Pixels of dark outline around every glyph.
    int outline;
    // Fill colour at the top and at the bottom of the line.
    Colour fillTop, fillBottom;
    Colour outlineColour;
};

// One glyph's coverage (0..255), cell-sized, before styling.
struct GlyphCell {
    int width = 0;
    std::vector<uint8_t> coverage;
};

bool renderFont(const std::string& path, const FontStyle& style)
{
    FT_Library library;
    if (FT_Init_FreeType(&library))
        return false;
    FT_Face face;
    if (FT_New_Face(library, (std::string(kFontDir) + style.file).c_str(), 0, &face)) {
        FT_Done_FreeType(library);
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, style.pixelSize);
    int ascender = int((face->size->metrics.ascender + 63) >> 6);
    int descender = int((-face->size->metrics.descender + 63) >> 6);
    int pad = style.outline;
    int height = ascender + descender + 2 * pad;

    std::vector<GlyphCell> cells;
    for (char ch : kGlyphs) {
        GlyphCell cell;
        if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_RENDER)) {
            FT_Done_Face(face);
            FT_Done_FreeType(library);
            return false;
        }
        FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        int advance = int((slot->advance.x + 32) >> 6);
        int left = std::min(0, slot->bitmap_left);
        int right = std::max(advance, slot->bitmap_left + int(bm.width));
        // The outline may spill half a pad into the neighbours' cells' side
        // bearings; a full pad each side would space the letters too widely.
        cell.width = std::max(1, right - left + pad);
        cell.coverage.assign(size_t(cell.width) * size_t(height), 0);
        int ox = (pad + 1) / 2 + slot->bitmap_left - left;
        int oy = pad + ascender - slot->bitmap_top;
        for (int y = 0; y < int(bm.rows); ++y) {
            for (int x = 0; x < int(bm.width); ++x) {
                int cx = ox + x, cy = oy + y;
                if (cx < 0 || cy < 0 || cx >= cell.width || cy >= height)
                    continue;
                cell.coverage[size_t(cy) * size_t(cell.width) + size_t(cx)] =
                    bm.buffer[y * bm.pitch + x];
            }
        }
        cells.push_back(std::move(cell));
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    // One row of cells, each followed by a separator column, with a
    // separator column first and a separator row underneath.
    int width = 1;
    for (const GlyphCell& cell : cells)
        width += cell.width + 1;
    Picture pic(width, height + 1);
    for (int x = 0; x < width; ++x)
        pic.at(x, height) = kSeparator;
    int x0 = 0;
    for (int y = 0; y < height; ++y)
        pic.at(x0, y) = kSeparator;
    for (const GlyphCell& cell : cells) {
        x0 += 1;
        for (int y = 0; y < height; ++y) {
            Colour fill = mix(style.fillTop, style.fillBottom, double(y) / double(height - 1));
            for (int x = 0; x < cell.width; ++x) {
                // Outline: the strongest coverage within the outline radius.
                int strongest = 0;
                for (int dy = -pad; dy <= pad; ++dy) {
                    for (int dx = -pad; dx <= pad; ++dx) {
                        int sx = x + dx, sy = y + dy;
                        if (sx < 0 || sy < 0 || sx >= cell.width || sy >= height)
                            continue;
                        if (dx * dx + dy * dy > pad * pad + pad)
                            continue;
                        strongest = std::max<int>(
                            strongest, cell.coverage[size_t(sy) * size_t(cell.width) + size_t(sx)]);
                    }
                }
                Rgba px{0, 0, 0, 0};
                blend(px, style.outlineColour, strongest / 255.0);
                blend(px, fill, cell.coverage[size_t(y) * size_t(cell.width) + size_t(x)] / 255.0);
                if (px.a == 0)
                    px = Rgba{0, 0, 0, 0};
                pic.at(x0 + x, y) = px;
            }
        }
        x0 += cell.width;
        for (int y = 0; y < height; ++y)
            pic.at(x0, y) = kSeparator;
    }
    return savePicture(pic, path, FIF_PNG);
}

// ---------------------------------------------------------------- medals

// Supersampled coverage of a shape given as an inside test, 4 x 4 per pixel.
template <typename Inside>
double coverage(int px, int py, Inside inside)
{
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
            if (inside(px + (sx + 0.5) / 4.0, py + (sy + 0.5) / 4.0))
                ++hits;
    return hits / 16.0;
}

// True when (x, y) is inside the polygon (even-odd rule).
bool insidePolygon(const std::vector<double>& xy, double x, double y)
{
    bool inside = false;
    size_t n = xy.size() / 2;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

// A round medal hanging from a two-coloured ribbon, sized to sit in the lower
// right of a 64 x 64 track picture without hiding all of it.
bool writeMedal(const std::string& path, Colour metal, Colour ribbonA, Colour ribbonB)
{
    const double cx = 40.0, cy = 41.0, radius = 19.0;
    Picture pic(64, 64);
    const double kPi = 3.14159265358979323846;
    std::vector<double> star;
    for (int i = 0; i < 10; ++i) {
        double angle = -kPi / 2.0 + i * kPi / 5.0;
        double r = (i % 2 == 0) ? 11.0 : 4.6;
        star.push_back(cx + r * std::cos(angle));
        star.push_back(cy + r * std::sin(angle));
    }
    std::vector<double> ribbonLeft = {22.0, 2.0, 32.0, 2.0, 42.0, 26.0, 34.0, 28.0};
    std::vector<double> ribbonRight = {48.0, 2.0, 58.0, 2.0, 46.0, 28.0, 38.0, 26.0};
    Colour dark = mix(metal, Colour{0.0, 0.0, 0.0}, 0.55);
    Colour light = mix(metal, Colour{1.0, 1.0, 1.0}, 0.45);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            Rgba& px = pic.at(x, y);
            blend(px, ribbonA, coverage(x, y, [&](double u, double v) {
                      return insidePolygon(ribbonLeft, u, v);
                  }));
            blend(px, ribbonB, coverage(x, y, [&](double u, double v) {
                      return insidePolygon(ribbonRight, u, v);
                  }));
            double rim = coverage(x, y, [&](double u, double v) {
                return (u - cx) * (u - cx) + (v - cy) * (v - cy) <= radius * radius;
            });
            blend(px, dark, rim);
            double face = coverage(x, y, [&](double u, double v) {
                return (u - cx) * (u - cx) + (v - cy) * (v - cy) <= (radius - 2.5) * (radius - 2.5);
            });
            // Light from the upper left across the face.
            double shade = std::clamp(0.5 + ((cx - x) + (cy - y)) / (4.0 * radius), 0.0, 1.0);
            blend(px, mix(metal, light, shade), face);
            blend(px, light, coverage(x, y, [&](double u, double v) {
                      return insidePolygon(star, u, v);
                  }));
        }
    }
    return savePicture(pic, path, FIF_TARGA);
}

// ---------------------------------------------------------------- border

// The frame around the 800 x 600 menu area: a bevelled steel-blue band with a
// thin bright inner edge and darker corner plates; the inside stays clear so
// the turning scene shows through.
bool writeBorder(const std::string& path)
{
    const int w = 800, h = 600, band = 14, plate = 60;
    Picture pic(w, h);
    Colour outer{0.05, 0.08, 0.16};
    Colour steel{0.24, 0.36, 0.58};
    Colour bright{0.70, 0.82, 1.00};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int dx = std::min(x, w - 1 - x);
            int dy = std::min(y, h - 1 - y);
            int edge = std::min(dx, dy);
            Rgba& px = pic.at(x, y);
            if (edge < band) {
                double t = double(edge) / double(band - 1);
                Colour c = edge < 2 ? outer : mix(steel, outer, std::fabs(t - 0.45));
                if (edge == band - 2)
                    c = bright;
                blend(px, c, edge == band - 1 ? 0.55 : 1.0);
            } else if (dx + dy < plate) {
                // Corner plate, cut diagonally, with a bright rim on the cut.
                blend(px, dx + dy >= plate - 2 ? bright : mix(steel, outer, 0.35), 0.85);
            }
        }
    }
    return savePicture(pic, path, FIF_TARGA);
}


// ---------------------------------------------------------------- icon

// The desktop icon, 128 x 128: an ice-blue arrowhead craft on a road running
// into the distance, on a rounded navy tile. Drawn like the medals, by
// supersampled coverage of plain shapes.
bool writeIcon(const std::string& path)
{
    const int size = 128;
    const double corner = 24.0, lo = 4.0, hi = size - 4.0;
    Picture pic(size, size);
    auto insideTile = [&](double u, double v) {
        double cx = std::clamp(u, lo + corner, hi - corner);
        double cy = std::clamp(v, lo + corner, hi - corner);
        return u >= lo && u <= hi && v >= lo && v <= hi &&
               (u - cx) * (u - cx) + (v - cy) * (v - cy) <= corner * corner;
    };
    auto insideTileFace = [&](double u, double v) {
        double cx = std::clamp(u, lo + corner, hi - corner);
        double cy = std::clamp(v, lo + corner, hi - corner);
        double r = corner - 3.0;
        return u >= lo + 3.0 && u <= hi - 3.0 && v >= lo + 3.0 && v <= hi - 3.0 &&
               (u - cx) * (u - cx) + (v - cy) * (v - cy) <= r * r;
    };
    std::vector<double> road = {58.0, 40.0, 70.0, 40.0, 118.0, 124.0, 10.0, 124.0};
    std::vector<double> stripe = {63.0, 40.0, 65.0, 40.0, 67.0, 124.0, 61.0, 124.0};
    std::vector<double> hull = {64.0, 30.0, 104.0, 104.0, 64.0, 88.0, 24.0, 104.0};
    std::vector<double> hullRim = {64.0, 22.0, 112.0, 110.0, 64.0, 94.0, 16.0, 110.0};
    std::vector<double> canopy = {64.0, 48.0, 72.0, 72.0, 64.0, 68.0, 56.0, 72.0};
    Colour rim{0.55, 0.72, 0.92};
    Colour skyTop{0.10, 0.18, 0.40};
    Colour skyBottom{0.02, 0.04, 0.12};
    Colour asphalt{0.24, 0.27, 0.34};
    Colour amber{1.0, 0.62, 0.10};
    Colour ice{0.92, 0.97, 1.0};
    Colour steel{0.55, 0.72, 0.92};
    Colour navy{0.02, 0.05, 0.15};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgba& px = pic.at(x, y);
            blend(px, rim, coverage(x, y, insideTile));
            double face = coverage(x, y, insideTileFace);
            blend(px, mix(skyTop, skyBottom, y / double(size)), face);
            auto onFace = [&](const std::vector<double>& shape) {
                return coverage(x, y, [&](double u, double v) {
                    return insideTileFace(u, v) && insidePolygon(shape, u, v);
                });
            };
            // The road darkens toward the horizon.
            blend(px, mix(navy, asphalt, std::clamp((y - 40.0) / 60.0, 0.0, 1.0)), onFace(road));
            // Dashes growing with the distance they cover.
            if (std::fmod(std::sqrt(std::max(0.0, y - 40.0)) * 1.6, 2.0) < 1.0)
                blend(px, amber, onFace(stripe));
            blend(px, navy, onFace(hullRim));
            // Light from above: bright at the nose, steel toward the tail.
            blend(px, mix(ice, steel, std::clamp((y - 30.0) / 74.0, 0.0, 1.0)), onFace(hull));
            blend(px, amber, onFace(canopy));
        }
    }
    return savePicture(pic, path, FIF_PNG);
}

}  // namespace

bool writeGuiAssets(const std::string& root)
{
    std::string dir = root + "/gui";
    if (!makeDirectories(dir))
        return false;
    // Default font: small and plain, light grey on a thin dark outline.
    FontStyle small{"DejaVuSans-Bold.ttf", 13, 1, Colour{1.0, 1.0, 1.0}, Colour{0.80, 0.84, 0.90},
                    Colour{0.0, 0.0, 0.05}};
    // Big font: condensed bold, ice blue fading to steel, navy outline.
    FontStyle big{"DejaVuSansCondensed-Bold.ttf", 26, 2, Colour{0.92, 0.97, 1.0},
                  Colour{0.55, 0.72, 0.92}, Colour{0.02, 0.05, 0.15}};
    // Highlight: the same glyph metrics, in hot amber with a red-brown outline,
    // so the focused button stands out at a glance.
    FontStyle highlight = big;
    highlight.fillTop = Colour{1.0, 0.95, 0.45};
    highlight.fillBottom = Colour{1.0, 0.55, 0.05};
    highlight.outlineColour = Colour{0.35, 0.06, 0.0};
    // The race's time differences: green when ahead of the rival, red when
    // behind, told apart at a glance.
    FontStyle ahead = big;
    ahead.fillTop = Colour{0.55, 1.0, 0.55};
    ahead.fillBottom = Colour{0.10, 0.75, 0.20};
    ahead.outlineColour = Colour{0.0, 0.20, 0.02};
    FontStyle behind = big;
    behind.fillTop = Colour{1.0, 0.55, 0.50};
    behind.fillBottom = Colour{0.90, 0.12, 0.10};
    behind.outlineColour = Colour{0.25, 0.0, 0.0};
    // The same told apart without green and red, for players who cannot.
    FontStyle aheadBlue = big;
    aheadBlue.fillTop = Colour{0.55, 0.80, 1.0};
    aheadBlue.fillBottom = Colour{0.10, 0.35, 0.95};
    aheadBlue.outlineColour = Colour{0.0, 0.05, 0.25};
    FontStyle behindOrange = big;
    behindOrange.fillTop = Colour{1.0, 0.85, 0.45};
    behindOrange.fillBottom = Colour{1.0, 0.50, 0.0};
    behindOrange.outlineColour = Colour{0.30, 0.12, 0.0};
    return renderFont(dir + "/rpgfont.png", small) && renderFont(dir + "/techyfontbig.png", big) &&
           renderFont(dir + "/techyfontbigh.png", highlight) && renderFont(dir + "/techyfontahead.png", ahead) &&
           renderFont(dir + "/techyfontbehind.png", behind) &&
           renderFont(dir + "/techyfontaheadblue.png", aheadBlue) &&
           renderFont(dir + "/techyfontbehindorange.png", behindOrange) &&
           writeMedal(dir + "/medalBronze.tga", Colour{0.80, 0.50, 0.22}, Colour{0.65, 0.10, 0.10},
                      Colour{0.85, 0.20, 0.15}) &&
           writeMedal(dir + "/medalSilver.tga", Colour{0.78, 0.80, 0.85}, Colour{0.10, 0.20, 0.60},
                      Colour{0.20, 0.35, 0.80}) &&
           writeMedal(dir + "/medalGold.tga", Colour{1.00, 0.78, 0.20}, Colour{0.10, 0.45, 0.15},
                      Colour{0.20, 0.65, 0.25}) &&
           writeBorder(dir + "/border.tga") && writeIcon(dir + "/icon.png");
}
