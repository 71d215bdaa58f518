#pragma once
// Small helpers every menu shares: the glyph order of the image fonts, image
// loading that tolerates missing files, the GUI's logic step and the
// placement of the 800 x 600 menu area.

#include <string>

namespace gcn {
class Image;
}

// The 84 glyphs of every font image, in the order they appear in the image.
extern const char* const kFontGlyphs;

// An image through the GUI's image loader, or null when the file is missing or
// cannot be decoded. Menus draw nothing where an image is null.
gcn::Image* loadGuiImage(const std::string& fileName);

// One logic step of the GUI, when there is one.
void guiLogicStep();

// Puts the top container where the 800 x 600 menu area is centred in the window.
void centreTop();
