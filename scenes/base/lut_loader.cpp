// lut_loader.cpp - see lut_loader.h.
#include "lut_loader.h"

#include "igfx_context.h"
#include "image.h"
#include "texture_handle.h"

#include <cstdint>
#include <cstdio>
#include <vector>

// Empty when the image can be read as a look-up table, else why not.
static std::string lutProblem(const Image& image) {
    if (!image.bitmap) return "cannot be read as an image: " + image.error;
    const int width = image.width(), height = image.height(), bpp = image.bitsPerPixel();
    if (bpp != 24 && bpp != 32)
        return "has " + std::to_string(bpp) + " bits per pixel, 24 or 32 needed";
    if (height <= 0 || width != height * height)
        return "is " + std::to_string(width) + " x " + std::to_string(height) +
               ", but n slices of n x n need a width of n * n for a height of n";
    return std::string();
}

// Texel (x, y, z) at ((z * n + y) * n + x) * 4, as glTexImage3D reads it: three colour bytes
// in the image's own order and 255.
static std::vector<uint8_t> lutTexels(const Image& image, int n) {
    const int bytesPerPixel = image.bitsPerPixel() / 8;
    // The image's rows are padded to four bytes, which matters when n * n * 3 is not.
    const size_t pitch = (static_cast<size_t>(image.width()) * bytesPerPixel + 3) & ~size_t(3);
    const uint8_t* bits = image.bits();
    std::vector<uint8_t> texels(static_cast<size_t>(n) * n * n * 4);
    uint8_t* out = texels.data();
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const uint8_t* in =
                    bits + y * pitch + static_cast<size_t>(z * n + x) * bytesPerPixel;
                *out++ = in[0];
                *out++ = in[1];
                *out++ = in[2];
                *out++ = 255;
            }
    return texels;
}

TextureHandle* loadColorLut(igfxContext* gfx, const std::string& file) {
    Image image = loadImage(file);
    const std::string problem = lutProblem(image);
    TextureHandle* lut = nullptr;
    if (problem.empty()) {
        const int n = image.height();
        const std::vector<uint8_t> texels = lutTexels(image, n);
        lut = gfx->createTexture3D(n, n, n, kFormatBGRA, kFormatRGBA8, texels.data());
    } else {
        std::fprintf(stderr, "## ERROR: colour look-up table \"%s\" %s\n", file.c_str(),
                     problem.c_str());
    }
    image.freeBitmap();
    return lut;
}
