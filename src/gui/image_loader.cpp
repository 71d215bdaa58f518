#include "gui/image_loader.h"

#include <SDL_image.h>
#include <vector>

#include "assets/image_formats.h"
#include "assets/regular_file.h"

SDL_Surface* BoundedImageLoader::loadSDLSurface(const std::string& filename)
{
    const FileRead file = readRegularFile(filename, maxImageFileBytes);
    if (file.status != FileStatus::ok || file.bytes.empty())
        return nullptr;
    SDL_RWops* source = SDL_RWFromConstMem(file.bytes.data(), static_cast<int>(file.bytes.size()));
    if (!source)
        return nullptr;
    // TGA has no signature: like SDL_image's own file loader, the extension
    // names the type to try first.
    const size_t dot = filename.rfind('.');
    std::vector<char> type;
    if (dot != std::string::npos && filename.find('/', dot) == std::string::npos)
        type.assign(filename.begin() + static_cast<std::ptrdiff_t>(dot) + 1, filename.end());
    type.push_back('\0');
    return IMG_LoadTyped_RW(source, 1, type.size() > 1 ? type.data() : nullptr);
}
