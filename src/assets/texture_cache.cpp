#include "assets/texture_cache.h"

#include <FreeImagePlus.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <algorithm>
#include <cstdint>

#include "assets/image_formats.h"
#include "assets/mesh.h"

TextureCache textureCache;

namespace {

// Brings an image to 24-bit BGR or 32-bit BGRA, the two layouts the upload
// knows. Palettised, grey, 16-bit and 48/64-bit images are converted; alpha
// (or palette transparency) keeps an alpha channel. False when no 8-bit
// colour layout can be had.
bool toUploadDepth(fipImage& image)
{
    const unsigned bpp = image.getBitsPerPixel();
    const bool bitmap = image.getImageType() == FIT_BITMAP;
    if (bitmap && (bpp == 24 || bpp == 32))
        return true;
    const FREE_IMAGE_TYPE type = image.getImageType();
    const bool alpha = image.isTransparent() || type == FIT_RGBA16 || type == FIT_RGBAF ||
                       (bitmap && bpp == 32);
    const bool converted = alpha ? image.convertTo32Bits() : image.convertTo24Bits();
    if (!converted || image.getImageType() != FIT_BITMAP)
        return false;
    return image.getBitsPerPixel() == 24 || image.getBitsPerPixel() == 32;
}

// The pixel memory must hold height rows of at least width pixels, rows
// padded to 4 bytes as GL's default unpack alignment expects.
bool uploadable(fipImage& image)
{
    const unsigned width = image.getWidth();
    const unsigned height = image.getHeight();
    const unsigned bytesPerPixel = image.getBitsPerPixel() / 8;
    if (width == 0 || height == 0 || width > maxImageSide || height > maxImageSide ||
        (bytesPerPixel != 3 && bytesPerPixel != 4))
        return false;
    const unsigned long long rowBytes = static_cast<unsigned long long>(width) * bytesPerPixel;
    const unsigned long long paddedRow = (rowBytes + 3) / 4 * 4;
    return image.accessPixels() != nullptr && image.getScanWidth() == paddedRow;
}

// Reads and decodes fileName into image; false when it gives no uploadable
// image. The header check also switches the other decoders off, whoever
// calls first (game, tool, test).
bool decodeTexture(const std::string& fileName, fipImage& image)
{
    ++textureCache.decodes;
    ImageFile file = readImageFile(fileName);
    if (!file.acceptable)
        return false;
    fipMemoryIO memory(file.bytes.data(), static_cast<DWORD>(file.bytes.size()));
    return image.loadFromMemory(static_cast<FREE_IMAGE_FORMAT>(file.format), memory, 0) && image.isValid() &&
           toUploadDepth(image) && uploadable(image);
}

// Puts image (null for none) into the entry's own texture name, with the
// filters and wrapping every scene texture has. Binding a name makes it a
// texture in a fresh GL context as well, so holders keep theirs.
void upload(CachedTexture& entry, fipImage* image)
{
    glBindTexture(GL_TEXTURE_2D, entry.texture);
    // The upload leaves this texture bound behind the drawing code's back;
    // forgetting the record makes the next draw bind what it needs.
    boundTexture = -1;
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLfloat>(GL_CLAMP_TO_EDGE));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLfloat>(GL_CLAMP_TO_EDGE));
    if (!image)
        return;
    // FreeImage keeps rows bottom first in blue-green-red(-alpha) order,
    // which is GL's texture origin and its BGR(A) formats.
    const int bytesPerPixel = static_cast<int>(image->getBitsPerPixel() / 8);
    entry.width = image->getWidth();
    entry.height = image->getHeight();
    gluBuild2DMipmaps(GL_TEXTURE_2D, bytesPerPixel, static_cast<GLint>(entry.width),
                      static_cast<GLint>(entry.height), bytesPerPixel == 4 ? GL_BGRA_EXT : GL_BGR_EXT,
                      GL_UNSIGNED_BYTE, image->accessPixels());
}

} // namespace

void acquire(TextureSlot& slot, std::string fileName)
{
    if (slot != -1) {
        release(static_cast<uint32_t>(slot));
        slot = -1;
    }
    load(fileName, slot, false);
}

void release(uint32_t texture)
{
    for (CachedTexture& entry : textureCache.entries) {
        if (entry.texture == texture) {
            --entry.refCount;
            return;
        }
    }
}

void load(std::string fileName, TextureSlot& slot, bool force)
{
    TextureCache& cache = textureCache;
    for (CachedTexture& entry : cache.entries) {
        if (entry.fileName == fileName) {
            slot = static_cast<TextureSlot>(entry.texture);
            ++entry.refCount;
            return;
        }
    }

    fipImage image(FIT_BITMAP, 0, 0, 0);
    // A missing or undecodable file, one in another format than PNG or TGA,
    // one too large or one whose layout cannot be uploaded still gets an
    // entry: a texture name without an image, size 0.
    const bool decoded = decodeTexture(fileName, image);
    const int32_t size = decoded ? static_cast<int32_t>(image.getImageSize()) : 0;

    // A sum equal to the budget does not fit. Summed in 64 bits and held at
    // the largest 32-bit value, so that years of uploads never wrap the total
    // around to "plenty left".
    const int64_t sum = static_cast<int64_t>(cache.usedBytes) + size;
    if (!(sum < cache.budgetBytes) && !force) {
        evictUnused();
        load(fileName, slot, true);
        return;
    }
    cache.usedBytes = static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));

    GLuint name = 0;
    glGenTextures(1, &name);
    slot = static_cast<TextureSlot>(name);

    CachedTexture entry;
    entry.refCount = 1;
    entry.texture = name;
    entry.fileName = fileName;
    entry.byteSize = size;
    upload(entry, decoded ? &image : nullptr);
    cache.entries.push_back(entry);
}

void reloadTextures()
{
    for (CachedTexture& entry : textureCache.entries) {
        fipImage image(FIT_BITMAP, 0, 0, 0);
        // A file that no longer decodes leaves the name without an image, as
        // a first load would.
        const bool decoded = entry.byteSize > 0 && decodeTexture(entry.fileName, image);
        if (!decoded)
            entry.width = entry.height = 0;
        upload(entry, decoded ? &image : nullptr);
    }
}

void evictUnused()
{
    TextureCache& cache = textureCache;
    for (;;) {
        size_t i = 0;
        while (i < cache.entries.size() && cache.entries[i].refCount != 0)
            ++i;
        if (i == cache.entries.size())
            return;
        GLuint name = cache.entries[i].texture;
        glDeleteTextures(1, &name);
        // GL falls back to texture 0 when the bound one is deleted.
        if (boundTexture == static_cast<int32_t>(name))
            boundTexture = -1;
        // Order is not kept: the last entry takes the freed place.
        cache.entries[i] = cache.entries.back();
        cache.entries.pop_back();
    }
}
