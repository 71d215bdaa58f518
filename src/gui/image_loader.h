#pragma once
// The GUI's image loader: Guichan's OpenGL loader, reading every file (fonts,
// medals, border, track pictures) through the bounded regular-file reader,
// so no GUI image can block on a FIFO or read a device without end. Its
// images remember their files, so that a new GL context can have them all
// back in the texture names the widgets and fonts hold.

#include <guichan/opengl/openglimage.hpp>
#include <guichan/opengl/openglsdlimageloader.hpp>

class BoundedImageLoader : public gcn::OpenGLSDLImageLoader {
public:
    // Guichan's load, making a ReloadableImage.
    gcn::Image* load(const std::string& filename, bool convertToDisplayFormat = true) override;

protected:
    // Null, as for a missing file, when the file is not a regular file of at
    // most maxImageFileBytes or does not decode.
    SDL_Surface* loadSDLSurface(const std::string& filename) override;
};

class ReloadableImage : public gcn::OpenGLImage {
public:
    ReloadableImage(const unsigned int* pixels, int width, int height, bool convertToDisplayFormat,
                    const std::string& fileName);
    ~ReloadableImage() override;

    // Decodes the file again into the image's own texture name. A file that
    // is gone or changed size leaves the name without an image.
    void reload(BoundedImageLoader& loader);

private:
    std::string fileName;
};

// Every GUI image made by loader and uploaded, back into its texture name.
void reloadGuiImages(BoundedImageLoader& loader);
