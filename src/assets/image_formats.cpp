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

bool imageHeaderAcceptable(const std::string& path)
{
    // The decoders open the file themselves and would wait on a FIFO or read
    // a device for ever.
    if (!regularFileWithin(path, maxImageFileBytes))
        return false;
    restrictImageFormats();
    // TGA has no signature; like the image loader, fall back to the extension.
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(path.c_str());
    if (format != FIF_PNG && format != FIF_TARGA)
        return false;
    FIBITMAP* header = FreeImage_Load(format, path.c_str(), FIF_LOAD_NOPIXELS);
    if (!header)
        return false;
    const unsigned width = FreeImage_GetWidth(header);
    const unsigned height = FreeImage_GetHeight(header);
    FreeImage_Unload(header);
    return width >= 1 && height >= 1 && width <= maxImageSide && height <= maxImageSide;
}
