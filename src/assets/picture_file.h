#pragma once
// Pictures painted in memory (design/picture.h) as PNG or TGA files, through
// FreeImage. Encoding to bytes first lets a writer check every file of a
// track before it puts any of them in place.

#include <cstdint>
#include <string>
#include <vector>

#include "design/picture.h"

// 32-bit images; false (bytes empty) when FreeImage cannot encode the picture.
bool encodePng(const RgbaImage& image, std::vector<uint8_t>& bytes);
bool encodeTga(const RgbaImage& image, std::vector<uint8_t>& bytes);

// False when the picture cannot be encoded or the file cannot be written.
bool savePng(const RgbaImage& image, const std::string& path);
bool saveTga(const RgbaImage& image, const std::string& path);
