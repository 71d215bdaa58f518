#include "assets/picture_file.h"

#include <FreeImage.h>

#include <cstdio>

namespace {

bool encodeImage(const RgbaImage& image, FREE_IMAGE_FORMAT format, int flags, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        return false;
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, 32, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                          FI_RGBA_BLUE_MASK);
    if (!bitmap)
        return false;
    for (int y = 0; y < image.height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < image.width; ++x) {
            Rgba p = image.pixels[static_cast<size_t>(y) * image.width + x];
            line[4 * x + FI_RGBA_RED] = p.r;
            line[4 * x + FI_RGBA_GREEN] = p.g;
            line[4 * x + FI_RGBA_BLUE] = p.b;
            line[4 * x + FI_RGBA_ALPHA] = p.a;
        }
    }
    FIMEMORY* memory = FreeImage_OpenMemory();
    bool ok = memory && FreeImage_SaveToMemory(format, bitmap, memory, flags) != 0;
    BYTE* data = nullptr;
    DWORD size = 0;
    if (ok && FreeImage_AcquireMemory(memory, &data, &size) && data && size > 0)
        bytes.assign(data, data + size);
    else
        ok = false;
    if (memory)
        FreeImage_CloseMemory(memory);
    FreeImage_Unload(bitmap);
    return ok;
}

bool writeBytes(const std::vector<uint8_t>& bytes, const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

bool encodePng(const RgbaImage& image, std::vector<uint8_t>& bytes)
{
    return encodeImage(image, FIF_PNG, PNG_Z_BEST_SPEED, bytes);
}

bool encodeTga(const RgbaImage& image, std::vector<uint8_t>& bytes)
{
    return encodeImage(image, FIF_TARGA, TARGA_DEFAULT, bytes);
}

bool savePng(const RgbaImage& image, const std::string& path)
{
    std::vector<uint8_t> bytes;
    return encodePng(image, bytes) && writeBytes(bytes, path);
}

bool saveTga(const RgbaImage& image, const std::string& path)
{
    std::vector<uint8_t> bytes;
    return encodeTga(image, bytes) && writeBytes(bytes, path);
}
