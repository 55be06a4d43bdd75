// image.h - the FreeImage wrapper: reads an image file into a bitmap.
//
// Its own small library: the host and the plug-ins that read colour look-up images link it.
// FreeImage's diagnostics are routed to the standard error. They never name the file, so a
// failed load also says why in `error`, for the caller's report that does.
#pragma once

#include <cstdint>
#include <string>

struct FIBITMAP;

struct Image {
    FIBITMAP* bitmap = nullptr; // null when nothing was loaded
    std::string fileName;       // empty unless the caller sets it
    std::string error;          // why there is no bitmap, e.g. "file is empty"; else empty

    int width() const;        // 0 without a bitmap
    int height() const;       // 0 without a bitmap
    int bitsPerPixel() const; // 0 without a bitmap
    // Rows bottom first, each padded to 4 bytes, colours in blue-green-red(-alpha) order.
    uint8_t* bits() const; // null without a bitmap
    void freeBitmap();     // frees the bitmap and sets it null
};

// An unknown or unreadable file gives an Image without a bitmap. So does a file FreeImage
// reported trouble with while reading it: a JPEG cut short decodes in part, the rest grey.
Image loadImage(const std::string& path);

// Writes 8-bit RGBA pixels, rows bottom first (as glReadPixels gives them), as a PNG file.
// False, with a line naming the file, when it cannot be written.
bool saveImagePng(const std::string& path, int width, int height, const uint8_t* rgba);
