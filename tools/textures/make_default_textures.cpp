// make_default_textures - writes the texture manager's fallbacks into a directory:
// default_white.png and default_black.png, 4x4 pixels, 24 bits.
//
// Usage: make_default_textures <directory>
#include <FreeImage.h>

#include <cstdio>
#include <string>

namespace {

const int kSize = 4;

bool writeSolid(const std::string& path, BYTE value) {
    FIBITMAP* bitmap = FreeImage_Allocate(kSize, kSize, 24);
    if (!bitmap) return false;
    for (int y = 0; y < kSize; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int i = 0; i < kSize * 3; ++i) row[i] = value;
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_DEFAULT);
    FreeImage_Unload(bitmap);
    if (!saved) std::fprintf(stderr, "make_default_textures: cannot write %s\n", path.c_str());
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_default_textures <directory>\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok =
        writeSolid(dir + "/default_white.png", 255) && writeSolid(dir + "/default_black.png", 0);
    return ok ? 0 : 1;
}
