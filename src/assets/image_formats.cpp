#include "assets/image_formats.h"

#include <FreeImage.h>

#include "assets/regular_file.h"

void restrictImageFormats()
{
    const int count = FreeImage_GetFIFCount();
    for (int i = 0; i < count; ++i) {
        const FREE_IMAGE_FORMAT format = static_cast<FREE_IMAGE_FORMAT>(i);
        FreeImage_SetPluginEnabled(format, format == FIF_PNG || format == FIF_TARGA);
    }
}

ImageFile readImageFile(const std::string& path)
{
    ImageFile image;
    FileRead file = readRegularFile(path, maxImageFileBytes);
    if (file.status != FileStatus::ok || file.bytes.empty())
        return image;
    image.bytes = std::move(file.bytes);
    restrictImageFormats();
    FIMEMORY* memory = FreeImage_OpenMemory(image.bytes.data(), static_cast<DWORD>(image.bytes.size()));
    if (!memory)
        return image;
    // TGA has no signature; like the image loader, fall back to the extension.
    FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory, 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(path.c_str());
    if (format == FIF_PNG || format == FIF_TARGA) {
        FIBITMAP* header = FreeImage_LoadFromMemory(format, memory, FIF_LOAD_NOPIXELS);
        if (header) {
            const unsigned width = FreeImage_GetWidth(header);
            const unsigned height = FreeImage_GetHeight(header);
            FreeImage_Unload(header);
            image.acceptable = width >= 1 && height >= 1 && width <= maxImageSide && height <= maxImageSide;
            image.format = format;
        }
    }
    FreeImage_CloseMemory(memory);
    return image;
}

bool imageHeaderAcceptable(const std::string& path) { return readImageFile(path).acceptable; }
