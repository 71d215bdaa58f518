#pragma once
// The one cache of scene textures: image file name to GL texture, with
// reference counts and an upload budget. Holders keep only TextureSlots.

#include <cstdint>
#include <string>
#include <vector>

#include "track/geometry.h"

struct CachedTexture {
    int32_t refCount = 0;
    uint32_t texture = 0;
    // The name exactly as passed in; the cache key.
    std::string fileName;
    uint32_t width = 0;
    uint32_t height = 0;
    // Bytes of the decoded image; 0 for a file that could not be decoded.
    int32_t byteSize = 0;
};

struct TextureCache {
    // 56 MiB.
    int32_t budgetBytes = 58720256;
    // Sum of every upload since start; eviction does not lower it.
    int32_t usedBytes = 0;
    std::vector<CachedTexture> entries;
    // Image files decoded since start; the tests and the benchmark read it.
    uint64_t decodes = 0;
};

extern TextureCache textureCache;

// Releases what the slot held, then loads fileName into it. Never fails.
void acquire(TextureSlot& slot, std::string fileName);
// Gives one reference back; an unknown name changes nothing.
void release(uint32_t texture);
// Finds or creates the entry; force skips the budget check.
void load(std::string fileName, TextureSlot& slot, bool force);
// Deletes every texture nobody holds.
void evictUnused();
// Decodes every entry's file again into its own texture name: after a new
// GL context has lost them all. Holders keep their slots.
void reloadTextures();
