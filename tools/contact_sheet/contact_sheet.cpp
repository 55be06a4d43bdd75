// contact_sheet.cpp - tiles frames into one small PNG, for scripts/contact-sheet.
//
//   contact_sheet OUT.png COLUMNS TILE_WIDTH TILE_HEIGHT FRAME.png...
//
// Frames go left to right, top to bottom, each scaled to the tile size; a frame that cannot
// be read leaves its tile grey, so a gap in the sheet shows where a render failed.
#include <FreeImage.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool parseCount(const char* text, int lo, int hi, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (*end || v < lo || v > hi) return false;
    value = int(v);
    return true;
}

// Copies `frame` scaled to w x h into the sheet's tile whose top-left corner is (x, y) counted
// from the top; FreeImage keeps rows bottom first.
bool drawTile(FIBITMAP* sheet, const char* path, int x, int y, int w, int h) {
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path, 0);
    if (format == FIF_UNKNOWN) return false;
    FIBITMAP* frame = FreeImage_Load(format, path, 0);
    if (!frame) return false;
    FIBITMAP* scaled = FreeImage_Rescale(frame, w, h, FILTER_BOX);
    FIBITMAP* rgb = scaled ? FreeImage_ConvertTo24Bits(scaled) : nullptr;
    if (rgb) FreeImage_Paste(sheet, rgb, x, y, 256);
    FreeImage_Unload(frame);
    if (scaled) FreeImage_Unload(scaled);
    if (rgb) FreeImage_Unload(rgb);
    return rgb != nullptr;
}

} // namespace

int main(int argc, char** argv) {
    int columns = 0, w = 0, h = 0;
    if (argc < 6 || !parseCount(argv[2], 1, 64, columns) || !parseCount(argv[3], 8, 1280, w) ||
        !parseCount(argv[4], 8, 720, h)) {
        std::fprintf(stderr,
                     "usage: contact_sheet OUT.png COLUMNS TILE_WIDTH TILE_HEIGHT FRAME.png...\n");
        return 2;
    }
    const int frames = argc - 5;
    const int rows = (frames + columns - 1) / columns;
    FIBITMAP* sheet = FreeImage_Allocate(columns * w, rows * h, 24);
    if (!sheet) return 1;
    std::vector<uint8_t> grey(size_t(FreeImage_GetPitch(sheet)), 64);
    for (int row = 0; row < rows * h; ++row)
        std::memcpy(FreeImage_GetScanLine(sheet, row), grey.data(), grey.size());
    int missing = 0;
    for (int i = 0; i < frames; ++i)
        if (!drawTile(sheet, argv[5 + i], (i % columns) * w, (i / columns) * h, w, h)) {
            std::fprintf(stderr, "contact_sheet: cannot read %s\n", argv[5 + i]);
            ++missing;
        }
    const bool saved = FreeImage_Save(FIF_PNG, sheet, argv[1], PNG_Z_BEST_COMPRESSION);
    FreeImage_Unload(sheet);
    if (!saved) {
        std::fprintf(stderr, "contact_sheet: cannot write %s\n", argv[1]);
        return 1;
    }
    return missing ? 1 : 0;
}
