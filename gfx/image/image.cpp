// image.cpp - see image.h. The only file that talks to FreeImage.
#include "image.h"

#include "file_utils.h"

#include <FreeImage.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// What FreeImage reported while loadImage runs; null between loads.
std::string* g_loadMessages = nullptr;

// FreeImage reports its own trouble (corrupt files, unsupported variants) only through this
// callback; without it a failed load would be silent.
void DLL_CALLCONV printFreeImageMessage(FREE_IMAGE_FORMAT fif, const char* message) {
    std::fputs("\n*** ", stderr);
    if (fif != FIF_UNKNOWN) {
        const char* format = FreeImage_GetFormatFromFIF(fif);
        std::fprintf(stderr, "%s Format\n", format ? format : "");
    }
    std::fprintf(stderr, "%s ***\n", message ? message : "");

    if (!g_loadMessages || !message) return;
    if (!g_loadMessages->empty()) *g_loadMessages += "; ";
    *g_loadMessages += message;
    // Kept to one line: it ends up inside a report line.
    std::replace(g_loadMessages->begin(), g_loadMessages->end(), '\n', ' ');
}

// Why `path` cannot hold an image at all, or empty. Anything but a regular file is refused
// here: FreeImage would block on a pipe, and reads a directory as an unknown format.
std::string fileProblem(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    if (st.st_size == 0) return "file is empty";
    return std::string();
}

// For a file whose type FreeImage did not recognise: how it starts, or why it cannot be read.
std::string unknownFormat(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::strerror(errno);
    unsigned char head[4] = {0, 0, 0, 0};
    const size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    std::string text = "not an image format FreeImage knows: it starts with";
    char byte[8];
    for (size_t i = 0; i < got; ++i) {
        std::snprintf(byte, sizeof byte, " 0x%02x", head[i]);
        text += byte;
    }
    return text;
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
    // Set on every load, not once: the host and each plug-in carry their own copy of this
    // wrapper, FreeImage keeps one handler for all, and the copy that loads must hear about
    // its own file.
    FreeImage_SetOutputMessage(printFreeImageMessage);

    Image image;
    // Data paths are written with either separator; FreeImage opens them verbatim.
    const std::string fsPath = to_fs_path(path);

    image.error = fileProblem(fsPath);
    if (!image.error.empty()) return image;
    FREE_IMAGE_FORMAT type = FreeImage_GetFileType(fsPath.c_str(), 0);
    if (type == FIF_UNKNOWN) {
        image.error = unknownFormat(fsPath);
        return image;
    }

    std::string messages;
    g_loadMessages = &messages;
    image.bitmap = FreeImage_Load(type, fsPath.c_str(), 0);
    g_loadMessages = nullptr;

    // A decoder that complained has given up on part of the file, even when it returns a
    // bitmap (a JPEG cut short comes back whole-sized, its missing rows grey): refuse it
    // rather than show it.
    if (!messages.empty()) {
        image.freeBitmap();
        image.error = messages;
    } else if (!image.bitmap) {
        const char* format = FreeImage_GetFormatFromFIF(type);
        image.error =
            std::string("FreeImage cannot decode it as ") + (format ? format : "its type");
    }
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
        saved = FreeImage_Save(FIF_PNG, bitmap, to_fs_path(path).c_str(), PNG_DEFAULT) != 0;
        FreeImage_Unload(bitmap);
    }
    if (!saved) std::fprintf(stderr, "## ERROR: cannot write image \"%s\"\n", path.c_str());
    return saved;
}
