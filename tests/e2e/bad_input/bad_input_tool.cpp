// bad_input_tool - the bad-input test's hands: it makes the damaged files a shell cannot easily
// write (images of a given depth or shape, an image header announcing an absurd size, a
// library header pointing far outside its file) and reads pixels of the frames the renderer
// wrote.
//
//   bad_input_tool grey8 OUT              a 16 x 16 8-bit greyscale PNG
//   bad_input_tool lut N OUT              an inverting look-up image: N slices of N x N, 24-bit
//   bad_input_tool huge-png W H OUT       a PNG announcing W x H (RGB), with 1000 bytes of data
//   bad_input_tool elf-absurd LIB OUT     LIB's ELF header, its program headers placed at 2^47
//   bad_input_tool pixel PNG X Y          "R G B" of pixel (X, Y), Y counted from the top
//   bad_input_tool lit PNG                per cent of pixels with a channel above 24
#include <FreeImage.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int fail(const std::string& why) {
    std::fprintf(stderr, "bad_input_tool: %s\n", why.c_str());
    return 1;
}

bool writeBytes(const char* path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

int savePng(FIBITMAP* bitmap, const char* path) {
    const bool saved = bitmap && FreeImage_Save(FIF_PNG, bitmap, path, PNG_DEFAULT);
    if (bitmap) FreeImage_Unload(bitmap);
    return saved ? 0 : fail(std::string("cannot write ") + path);
}

int grey8(const char* out) {
    FIBITMAP* bitmap = FreeImage_Allocate(16, 16, 8);
    if (!bitmap) return fail("no memory");
    RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    for (int i = 0; i < 256; ++i)
        palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = BYTE(i);
    for (int y = 0; y < 16; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < 16; ++x) row[x] = BYTE(16 * x);
    }
    return savePng(bitmap, out);
}

// Texel (x, y, z) is pixel (z * n + x, y), y counted as FreeImage stores rows (bottom first),
// and holds the inverse of the colour that indexes it.
int lut(int n, const char* out) {
    if (n < 2 || n > 64) return fail("lut: N from 2 to 64");
    FIBITMAP* bitmap = FreeImage_Allocate(n * n, n, 24);
    if (!bitmap) return fail("no memory");
    const auto level = [n](int i) { return BYTE(255 - i * 255 / (n - 1)); };
    for (int y = 0; y < n; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int z = 0; z < n; ++z)
            for (int x = 0; x < n; ++x) {
                BYTE* p = row + 3 * (z * n + x);
                p[FI_RGBA_RED] = level(x);
                p[FI_RGBA_GREEN] = level(y);
                p[FI_RGBA_BLUE] = level(z);
            }
    }
    return savePng(bitmap, out);
}

uint32_t crc32(const uint8_t* p, size_t n) {
    uint32_t c = 0xffffffffu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1)));
    }
    return ~c;
}

void putBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBe32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBe32(out, crc32(out.data() + start, out.size() - start));
}

// The header is valid in every field, so a reader believes the size; the data (a stored zlib
// block of zeros) ends long before the first row does.
int hugePng(uint32_t width, uint32_t height, const char* out) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> ihdr;
    putBe32(ihdr, width);
    putBe32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter, no interlace
    chunk(png, "IHDR", ihdr);
    const uint16_t n = 1000;
    std::vector<uint8_t> idat = {
        0x78, 0x01, 0x01, uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(uint16_t(~n) >> 8)};
    idat.resize(idat.size() + n, 0);
    putBe32(idat, (uint32_t(n) << 16) | 1); // adler32 of n zeros
    chunk(png, "IDAT", idat);
    chunk(png, "IEND", {});
    return writeBytes(out, png) ? 0 : fail(std::string("cannot write ") + out);
}

int elfAbsurd(const char* library, const char* out) {
    std::ifstream in(library, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (bytes.size() < 64 ||
        std::memcmp(bytes.data(),
                    "\x7f"
                    "ELF",
                    4) != 0 ||
        bytes[4] != 2)
        return fail(std::string(library) + " is not a 64-bit ELF file");
    bytes.resize(4096);
    const uint64_t farAway = uint64_t(1) << 47;
    for (int i = 0; i < 8; ++i) bytes[0x20 + i] = uint8_t(farAway >> (8 * i)); // e_phoff
    bytes[0x38] = bytes[0x39] = 0xff;                                          // e_phnum
    return writeBytes(out, bytes) ? 0 : fail(std::string("cannot write ") + out);
}

FIBITMAP* loadRgb(const char* path) {
    FIBITMAP* loaded = FreeImage_Load(FreeImage_GetFileType(path, 0), path, 0);
    FIBITMAP* rgb = loaded ? FreeImage_ConvertTo24Bits(loaded) : nullptr;
    if (loaded) FreeImage_Unload(loaded);
    return rgb;
}

int pixel(const char* path, int x, int y) {
    FIBITMAP* rgb = loadRgb(path);
    if (!rgb) return fail(std::string("cannot read ") + path);
    const int w = int(FreeImage_GetWidth(rgb)), h = int(FreeImage_GetHeight(rgb));
    if (x < 0 || y < 0 || x >= w || y >= h) {
        FreeImage_Unload(rgb);
        return fail("pixel outside the image");
    }
    const BYTE* p = FreeImage_GetScanLine(rgb, h - 1 - y) + 3 * x;
    std::printf("%d %d %d\n", p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]);
    FreeImage_Unload(rgb);
    return 0;
}

int lit(const char* path) {
    FIBITMAP* rgb = loadRgb(path);
    if (!rgb) return fail(std::string("cannot read ") + path);
    const int w = int(FreeImage_GetWidth(rgb)), h = int(FreeImage_GetHeight(rgb));
    long count = 0;
    for (int y = 0; y < h; ++y) {
        const BYTE* p = FreeImage_GetScanLine(rgb, y);
        for (int x = 0; x < w; ++x, p += 3) count += p[0] > 24 || p[1] > 24 || p[2] > 24;
    }
    std::printf("%ld\n", w && h ? count * 100 / (long(w) * h) : 0);
    FreeImage_Unload(rgb);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "grey8" && argc == 3) return grey8(argv[2]);
    if (command == "lut" && argc == 4) return lut(std::atoi(argv[2]), argv[3]);
    if (command == "huge-png" && argc == 5)
        return hugePng(uint32_t(std::strtoul(argv[2], nullptr, 10)),
                       uint32_t(std::strtoul(argv[3], nullptr, 10)), argv[4]);
    if (command == "elf-absurd" && argc == 4) return elfAbsurd(argv[2], argv[3]);
    if (command == "pixel" && argc == 5)
        return pixel(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (command == "lit" && argc == 3) return lit(argv[2]);
    return fail("usage: see the comment at the top of bad_input_tool.cpp");
}
