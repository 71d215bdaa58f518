#pragma once
// Which image files the game decodes. Its content holds only PNG and TGA
// images, so every other FreeImage decoder is switched off: a swapped or
// shared file in another format (with the long vulnerability history of those
// decoders) is never parsed. Sizes are checked from the header before any
// pixels are decoded, so a small file cannot ask for gigabytes of memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Largest width or height of a texture image, pixels; 4096 × 4096 × 4 bytes
// is already more than a quarter of the texture cache's budget.
const unsigned maxImageSide = 4096;
// Largest image file handed to a decoder: an uncompressed 32-bit TGA of
// maxImageSide squared, with room for its header and footer.
const size_t maxImageFileBytes = 65u * 1024u * 1024u;

// Leaves exactly the PNG and TGA plug-ins enabled. Cheap; safe to call often.
void restrictImageFormats();

// An image file read whole through the bounded reader, for decoding from
// memory: no decoder ever opens a path itself.
struct ImageFile {
    // A regular file of at most maxImageFileBytes, a PNG or TGA whose header
    // gives a width and a height from 1 to maxImageSide.
    bool acceptable = false;
    // FreeImage's format number of the bytes when acceptable.
    int format = -1;
    std::vector<uint8_t> bytes;
};

// Reads path and checks its header; the pixels are not decoded.
ImageFile readImageFile(const std::string& path);

// readImageFile(path).acceptable.
bool imageHeaderAcceptable(const std::string& path);
