// image.cpp - see image.h. The only file that talks to FreeImage.
#include "image.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdio>

namespace {

// FreeImage reports its own trouble (corrupt files, unsupported variants) only through this
// callback; without it a failed load would be silent.
void DLL_CALLCONV printFreeImageMessage(FREE_IMAGE_FORMAT fif, const char* message) {
    std::fputs("\n*** ", stderr);
    if (fif != FIF_UNKNOWN) {
        const char* format = FreeImage_GetFormatFromFIF(fif);
        std::fprintf(stderr, "%s Format\n", format ? format : "");
    }
    std::fprintf(stderr, "%s ***\n", message ? message : "");
}

} // namespace

int Image::width() const {
    return bitmap ? static_cast<int>(FreeImage_GetWidth(bitmap)) : 0;
}

int Image::height() const {
    return bitmap ? static_cast<int>(FreeImage_GetHeight(bitmap)) : 0;
}

int Image::bitsPerPixel() const {
    return bitmap ? static_cast<int>(FreeImage_GetBPP(bitmap)) : 0;
}

uint8_t* Image::bits() const {
    return bitmap ? FreeImage_GetBits(bitmap) : nullptr;
}

void Image::freeBitmap() {
    if (bitmap) FreeImage_Unload(bitmap);
    bitmap = nullptr;
}

Image loadImage(const std::string& path) {
    static bool handlerInstalled = false;
    if (!handlerInstalled) {
        FreeImage_SetOutputMessage(printFreeImageMessage);
        handlerInstalled = true;
    }

    Image image;
    // Data paths are written with either separator; FreeImage opens them verbatim.
    std::string fsPath = path;
    std::replace(fsPath.begin(), fsPath.end(), '\\', '/');

    FREE_IMAGE_FORMAT type = FreeImage_GetFileType(fsPath.c_str(), 0);
    if (type == FIF_UNKNOWN) return image;
    image.bitmap = FreeImage_Load(type, fsPath.c_str(), 0);
    return image;
}

bool saveImagePng(const std::string& path, int width, int height, const uint8_t* rgba) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 32);
    bool saved = false;
    if (bitmap) {
        // FreeImage keeps rows bottom first too, with its colours in blue-green-red-alpha order.
        for (int y = 0; y < height; ++y) {
            BYTE* row = FreeImage_GetScanLine(bitmap, y);
            const uint8_t* src = rgba + static_cast<size_t>(y) * width * 4;
            for (int x = 0; x < width; ++x, row += 4, src += 4) {
                row[FI_RGBA_RED] = src[0];
                row[FI_RGBA_GREEN] = src[1];
                row[FI_RGBA_BLUE] = src[2];
                row[FI_RGBA_ALPHA] = src[3];
            }
        }
        std::string p = path;
        std::replace(p.begin(), p.end(), '\\', '/');
        saved = FreeImage_Save(FIF_PNG, bitmap, p.c_str(), PNG_DEFAULT) != 0;
        FreeImage_Unload(bitmap);
    }
    if (!saved) std::fprintf(stderr, "## ERROR: cannot write image \"%s\"\n", path.c_str());
    return saved;
}
