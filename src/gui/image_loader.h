#pragma once
// The GUI's image loader: Guichan's OpenGL loader, reading every file (fonts,
// medals, border, track pictures) through the bounded regular-file reader,
// so no GUI image can block on a FIFO or read a device without end.

#include <guichan/opengl/openglsdlimageloader.hpp>

class BoundedImageLoader : public gcn::OpenGLSDLImageLoader {
protected:
    // Null, as for a missing file, when the file is not a regular file of at
    // most maxImageFileBytes or does not decode.
    SDL_Surface* loadSDLSurface(const std::string& filename) override;
};
