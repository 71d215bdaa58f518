#include "gui/image_loader.h"

#include <GL/gl.h>
#include <SDL_image.h>
#include <algorithm>
#include <guichan/exception.hpp>
#include <memory>
#include <vector>

#include "assets/image_formats.h"
#include "assets/regular_file.h"

namespace {

// The images alive now, for a reload; each adds and removes itself.
std::vector<ReloadableImage*>& liveImages()
{
    static std::vector<ReloadableImage*> images;
    return images;
}

} // namespace

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

gcn::Image* BoundedImageLoader::load(const std::string& filename, bool convertToDisplayFormat)
{
    SDL_Surface* loaded = loadSDLSurface(filename);
    if (!loaded)
        throw GCN_EXCEPTION(std::string("Unable to load image file: ") + filename);
    SDL_Surface* surface = convertToStandardFormat(loaded);
    SDL_FreeSurface(loaded);
    if (!surface)
        throw GCN_EXCEPTION(std::string("Not enough memory to load: ") + filename);
    gcn::Image* image = new ReloadableImage(static_cast<const unsigned int*>(surface->pixels), surface->w,
                                            surface->h, convertToDisplayFormat, filename);
    SDL_FreeSurface(surface);
    return image;
}

ReloadableImage::ReloadableImage(const unsigned int* pixels, int width, int height, bool convertToDisplayFormat,
                                 const std::string& file)
    : gcn::OpenGLImage(pixels, width, height, convertToDisplayFormat), fileName(file)
{
    liveImages().push_back(this);
}

ReloadableImage::~ReloadableImage()
{
    std::vector<ReloadableImage*>& images = liveImages();
    images.erase(std::remove(images.begin(), images.end(), this), images.end());
}

void ReloadableImage::reload(BoundedImageLoader& loader)
{
    // Pixels still held were never uploaded: there is nothing to restore.
    if (mPixels)
        return;
    std::unique_ptr<gcn::Image> fresh;
    try {
        fresh.reset(loader.load(fileName, false));
    } catch (const gcn::Exception&) {
        // Gone since start-up: the name stays, without an image.
    }
    const ReloadableImage* same = dynamic_cast<const ReloadableImage*>(fresh.get());
    // As Guichan uploads an image: nearest filtering, RGBA at the padded size.
    glBindTexture(GL_TEXTURE_2D, mTextureHandle);
    if (same && same->mPixels && same->mTextureWidth == mTextureWidth && same->mTextureHeight == mTextureHeight)
        glTexImage2D(GL_TEXTURE_2D, 0, 4, mTextureWidth, mTextureHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, same->mPixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

void reloadGuiImages(BoundedImageLoader& loader)
{
    // A reload makes and drops an image of its own: the list changes meanwhile.
    const std::vector<ReloadableImage*> images = liveImages();
    for (ReloadableImage* image : images)
        image->reload(loader);
}
