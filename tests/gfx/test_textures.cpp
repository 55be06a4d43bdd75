// test_textures.cpp - the texture manager and the image wrapper against a real GL context.
//
// Image files are written with FreeImage (or by hand) into a temporary directory when the
// binary starts; the default textures come from data/ as at run time.
#include "gl_test_context.h"

#include "image.h"
#include "texture_manager.h"
#include "temp_dir.h"

#include <FreeImage.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <optional>

namespace {

namespace fs = std::filesystem;

std::optional<TempDir> g_tempDir;
std::string g_dir; // the fixture directory, one per test

std::string fixture(const std::string& name) {
    return g_dir + "/" + name;
}

RGBQUAD colour(int r, int g, int b, int a) {
    RGBQUAD c{}; // FreeImage's field order is blue first
    c.rgbRed = BYTE(r);
    c.rgbGreen = BYTE(g);
    c.rgbBlue = BYTE(b);
    c.rgbReserved = BYTE(a);
    return c;
}

// Fills a 24- or 32-bit FreeImage bitmap from a function of (x, y from the bottom) and saves
// it as a PNG, or in the given format.
template <typename F>
bool writeImage(const std::string& path, int w, int h, int bpp, F fill,
                FREE_IMAGE_FORMAT format = FIF_PNG) {
    FIBITMAP* bmp = FreeImage_Allocate(w, h, bpp);
    for (int y = 0; y < h; ++y) {
        BYTE* row = FreeImage_GetScanLine(bmp, y);
        for (int x = 0; x < w; ++x) {
            BYTE* px = row + x * (bpp / 8);
            RGBQUAD c = fill(x, y);
            px[FI_RGBA_RED] = c.rgbRed;
            px[FI_RGBA_GREEN] = c.rgbGreen;
            px[FI_RGBA_BLUE] = c.rgbBlue;
            if (bpp == 32) px[FI_RGBA_ALPHA] = c.rgbReserved;
        }
    }
    bool ok = FreeImage_Save(format, bmp, path.c_str(), 0);
    FreeImage_Unload(bmp);
    return ok;
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class FixtureFiles : public testing::Environment {
  public:
    void SetUp() override {
        g_tempDir.emplace("demoplayer_textures");
        g_dir = g_tempDir->path();
        auto grey = [](int x, int y) { return colour(x, y, x + y, 255); };
        ASSERT_TRUE(writeImage(fixture("line.png"), 16, 1, 24, grey));
        ASSERT_TRUE(writeImage(fixture("odd.png"), 300, 256, 24, grey));
        ASSERT_TRUE(writeImage(fixture("odd_2d.png"), 300, 256, 24, grey));
        ASSERT_TRUE(writeImage(fixture("pot.png"), 64, 32, 24, grey));
        ASSERT_TRUE(writeImage(fixture("alpha.png"), 2, 2, 32, [](int x, int y) {
            return colour(10 + x, 20 + y, 30, 128 + x + 2 * y);
        }));

        FIBITMAP* pal = FreeImage_Allocate(4, 4, 8);
        RGBQUAD* palette = FreeImage_GetPalette(pal);
        for (int i = 0; i < 256; ++i) palette[i] = colour(i, 255 - i, i / 2, 0);
        ASSERT_TRUE(FreeImage_Save(FIF_PNG, pal, fixture("palette.png").c_str(), PNG_DEFAULT));
        FreeImage_Unload(pal);

        // A real PNG cut short after its header: the type is recognised, the load fails.
        ASSERT_TRUE(writeImage(fixture("full.png"), 64, 64, 24, [](int x, int y) {
            return colour(x * 7 ^ y * 13, x * y, x + 3 * y, 0);
        }));
        const std::string png = readBytes(fixture("full.png"));
        writeText(fixture("truncated.png"), png.substr(0, 60));
        writeText(fixture("half.png"), png.substr(0, png.size() / 2));
        // A JPEG cut in half (inside its pixel data) still decodes to a whole-sized bitmap,
        // its lower half grey.
        ASSERT_TRUE(writeImage(
            fixture("full.jpg"), 256, 256, 24,
            [](int x, int y) { return colour(x, y, (x * y) >> 8, 0); }, FIF_JPEG));
        const std::string jpeg = readBytes(fixture("full.jpg"));
        writeText(fixture("half.jpg"), jpeg.substr(0, jpeg.size() / 2));
        writeText(fixture("empty.png"), "");

        writeText(fixture("text.png"), "this is not an image\n");
        // Written top row first by hand, so the orientation check does not rest on FreeImage's
        // own writer. Width 3 makes 9-byte rows that FreeImage pads to 12.
        writeText(fixture("rows.ppm"), "P3\n3 2\n255\n"
                                       "255 0 0   255 0 0   255 0 0\n"
                                       "0 0 255   0 255 0   255 255 255\n");
    }
    void TearDown() override { g_tempDir.reset(); }
};

testing::Environment* const g_fixtures = testing::AddGlobalTestEnvironment(new FixtureFiles);

GLint texParam(GLenum target, GLuint name, GLenum pname) {
    GLint value = -1;
    glBindTexture(target, name);
    glGetTexParameteriv(target, pname, &value);
    glBindTexture(target, 0);
    return value;
}

GLint levelParam(const TextureHandle* t, int level, GLenum pname) {
    GLint value = -1;
    glBindTexture(t->target, t->name);
    glGetTexLevelParameteriv(t->target, level, pname, &value);
    glBindTexture(t->target, 0);
    return value;
}

// Level 0 as tightly packed RGBA bytes, bottom row first.
std::vector<unsigned char> readRgba(const TextureHandle* t) {
    std::vector<unsigned char> pixels(size_t(t->width) *
                                      (t->target == GL_TEXTURE_1D ? 1 : t->height) * 4);
    glBindTexture(t->target, t->name);
    glGetTexImage(t->target, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(t->target, 0);
    return pixels;
}

std::vector<unsigned char> rgba(std::initializer_list<int> v) {
    return std::vector<unsigned char>(v.begin(), v.end());
}

std::vector<unsigned char> texel(const std::vector<unsigned char>& p, int width, int x, int y) {
    auto at = p.begin() + (y * width + x) * 4;
    return std::vector<unsigned char>(at, at + 4);
}

class Textures : public testing::Test {
  protected:
    void SetUp() override {
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    // Textures made with createTexture are the caller's to delete.
    static void drop(TextureHandle* t) {
        glDeleteTextures(1, &t->name);
        delete t;
    }
    TextureManager tm;
};

// ---- createTexture and updateTexture --------------------------------------------------------

TEST_F(Textures, CreateSetsTargetWrapAndFiltersAndLeavesNothingBound) {
    TextureHandle* t1 = tm.createTexture(8, 5, 0, 1, 2, kFormatRGBA8, kFormatRGBA8, false, nullptr);
    TextureHandle* t2 = tm.createTexture(8, 4, 0, 2, 1, kFormatBGR, kFormatRGB8, false, nullptr);
    TextureHandle* t3 = tm.createTexture(4, 4, 2, 3, 2, kFormatBGRA, kFormatRGBA8, false, nullptr);
    TextureHandle* td =
        tm.createTexture(8, 8, 0, 2, 2, kFormatDepth, kFormatDepth16, false, nullptr);
    ASSERT_TRUE(t1 && t2 && t3 && td);
    EXPECT_EQ(t1->target, GLenum(GL_TEXTURE_1D));
    EXPECT_EQ(t1->height, 5); // a 1D texture keeps the height it was given
    EXPECT_EQ(t2->target, GLenum(GL_TEXTURE_2D));
    EXPECT_EQ(t3->target, GLenum(GL_TEXTURE_3D));
    EXPECT_EQ(levelParam(t3, 0, GL_TEXTURE_DEPTH), 2);
    EXPECT_FALSE(t2->srgb);
    EXPECT_EQ(texParam(GL_TEXTURE_2D, t2->name, GL_TEXTURE_WRAP_R), GL_REPEAT);
    EXPECT_EQ(texParam(GL_TEXTURE_3D, t3->name, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(texParam(GL_TEXTURE_2D, t2->name, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texParam(GL_TEXTURE_2D, t2->name, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(texParam(GL_TEXTURE_2D, td->name, GL_DEPTH_TEXTURE_MODE), GL_LUMINANCE);
    EXPECT_GE(levelParam(td, 0, GL_TEXTURE_DEPTH_SIZE), 16);

    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_1D) || glIsEnabled(GL_TEXTURE_2D) ||
                 glIsEnabled(GL_TEXTURE_3D));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    for (TextureHandle* t : {t1, t2, t3, td}) drop(t);
}

TEST_F(Textures, UnknownCodesAreReportedAndNeverCrash) {
    struct Case {
        int dims, wrap, pixel, internal;
        const char* assertion;
    } cases[] = {
        {4, 2, kFormatRGBA8, kFormatRGBA8, "unknown textarget"},
        {2, 0, kFormatRGBA8, kFormatRGBA8, "unknown wrapmode"},
        {2, 2, 99, kFormatRGBA8, "unknown format"},
        {2, 2, kFormatRGBA8, -3, "unknown format"},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        TextureHandle* t =
            tm.createTexture(4, 4, 0, c.dims, c.wrap, c.pixel, c.internal, false, nullptr);
        std::string err = testing::internal::GetCapturedStderr();
        // The caller gets a handle it can read without testing for null.
        ASSERT_NE(t, nullptr) << c.assertion;
        EXPECT_EQ(t->width, 4);
        EXPECT_NE(err.find(std::string("## ASSERT FAILED: \"") + c.assertion + "\"\n"),
                  std::string::npos)
            << err;
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    EXPECT_EQ(glPixelFormatOfCode(16), 0u);

    TextureHandle* t = tm.createTexture(2, 2, 0, 2, 2, kFormatRGBA8, kFormatRGBA8, false, nullptr);
    testing::internal::CaptureStderr();
    tm.updateTexture(t, 0, 0, 1, 1, 42, "abcd");
    tm.updateTexture(nullptr, 0, 0, 1, 1, kFormatRGBA8, "abcd");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("unknown format"), std::string::npos);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    drop(t);
}

TEST_F(Textures, UpdateReplacesOnlyTheGivenRectangle) {
    std::vector<unsigned char> grey(4 * 4 * 4, 50);
    TextureHandle* t =
        tm.createTexture(4, 4, 0, 2, 2, kFormatRGBA8, kFormatRGBA8, false, grey.data());
    TextureHandle* line =
        tm.createTexture(8, 1, 0, 1, 2, kFormatRGBA8, kFormatRGBA8, false, grey.data());
    ASSERT_TRUE(t && line);
    // BGRA bytes: the texel reads back as red 3, green 2, blue 1, alpha 4.
    const unsigned char bgra[2 * 2 * 4] = {1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4};
    tm.updateTexture(t, 1, 2, 2, 2, kFormatBGRA, bgra);
    auto p = readRgba(t);
    EXPECT_EQ(texel(p, 4, 1, 2), rgba({3, 2, 1, 4}));
    EXPECT_EQ(texel(p, 4, 2, 3), rgba({3, 2, 1, 4}));
    EXPECT_EQ(texel(p, 4, 0, 2), rgba({50, 50, 50, 50}));
    EXPECT_EQ(texel(p, 4, 1, 1), rgba({50, 50, 50, 50}));

    tm.updateTexture(line, 5, 0, 1, 1, kFormatBGRA, bgra); // a 1D texture updates along x
    p = readRgba(line);
    EXPECT_EQ(texel(p, 8, 5, 0), rgba({3, 2, 1, 4}));
    EXPECT_EQ(texel(p, 8, 4, 0), rgba({50, 50, 50, 50}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    drop(t);
    drop(line);
}

// A compressed request keeps its code in the handle; on Mesa's software rasterisers, which
// would decode a compressed block on every read, the texels are stored as they came.
TEST_F(Textures, CompressedRequestsAreStoredPlainWhereBlocksWouldBeDecodedInSoftware) {
    std::vector<unsigned char> pixels(8 * 8 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 37);
    TextureHandle* rgb =
        tm.createTexture(8, 8, 0, 2, 2, kFormatBGRA, kFormatCompressedRGB, false, pixels.data());
    TextureHandle* withAlpha =
        tm.createTexture(8, 8, 0, 2, 2, kFormatBGRA, kFormatCompressedRGBA, false, pixels.data());
    ASSERT_TRUE(rgb && withAlpha);
    EXPECT_EQ(rgb->format, kFormatCompressedRGB);
    EXPECT_EQ(withAlpha->format, kFormatCompressedRGBA);
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const bool software = renderer.find("llvmpipe") != std::string::npos ||
                          renderer.find("softpipe") != std::string::npos;
    EXPECT_EQ(decodesCompressedTexturesInSoftware(), software);
    EXPECT_EQ(levelParam(rgb, 0, GL_TEXTURE_COMPRESSED), software ? 0 : 1) << renderer;
    if (software) {
        // Plain storage keeps every texel exactly (a compressed block would not).
        auto p = readRgba(withAlpha);
        const unsigned char* bgra = &pixels[(5 * 8 + 3) * 4];
        EXPECT_EQ(texel(p, 8, 3, 5), rgba({bgra[2], bgra[1], bgra[0], bgra[3]}));
        EXPECT_EQ(glStorageOfCode(kFormatCompressedRGB), GLenum(GL_RGB8));
    }
    EXPECT_EQ(glStorageOfCode(kFormatRGBA8), GLenum(GL_RGBA8));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    drop(rgb);
    drop(withAlpha);
}

// ---- loadTexture ----------------------------------------------------------------------------

TEST_F(Textures, DimensionsAndMipmapsFollowTheImage) {
    TextureHandle* line = tm.loadTexture(fixture("line.png"), false, 2, false, 0);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->target, GLenum(GL_TEXTURE_1D));
    EXPECT_EQ(levelParam(line, 0, GL_TEXTURE_WIDTH), 16);

    // Not a power of two: automatic dimensions drop the requested mipmaps ...
    TextureHandle* odd = tm.loadTexture(fixture("odd.png"), true, 2, false, 0);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->target, GLenum(GL_TEXTURE_2D));
    EXPECT_EQ(texParam(GL_TEXTURE_2D, odd->name, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(levelParam(odd, 1, GL_TEXTURE_WIDTH), 0);

    // ... explicit ones keep them,
    TextureHandle* odd2d = tm.loadTexture(fixture("odd_2d.png"), true, 2, false, 2);
    ASSERT_NE(odd2d, nullptr);
    EXPECT_EQ(texParam(GL_TEXTURE_2D, odd2d->name, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(levelParam(odd2d, 1, GL_TEXTURE_WIDTH), 150);

    // ... and so does a power-of-two image.
    TextureHandle* pot = tm.loadTexture(fixture("pot.png"), true, 1, false, 0);
    ASSERT_NE(pot, nullptr);
    EXPECT_EQ(levelParam(pot, 1, GL_TEXTURE_HEIGHT), 16);
    EXPECT_EQ(texParam(GL_TEXTURE_2D, pot->name, GL_TEXTURE_WRAP_S), GL_REPEAT);

    // A second load of a name returns the first texture, whatever is asked now.
    EXPECT_EQ(tm.loadTexture(fixture("pot.png"), false, 2, true, 1), pot);
    EXPECT_EQ(texParam(GL_TEXTURE_2D, pot->name, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(pot->format, kFormatRGB8);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Textures, PixelsArriveBottomRowFirstInTheirOwnColours) {
    std::string path = fixture("rows.ppm");
    for (char& c : path) // either separator is accepted
        if (c == '/') c = '\\';
    TextureHandle* t = tm.loadTexture(path, false, 2, false, 0);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->width, 3);
    ASSERT_EQ(t->height, 2);
    auto p = readRgba(t);
    // The file's last line is texture row 0.
    EXPECT_EQ(texel(p, 3, 0, 0), rgba({0, 0, 255, 255}));
    EXPECT_EQ(texel(p, 3, 1, 0), rgba({0, 255, 0, 255}));
    EXPECT_EQ(texel(p, 3, 2, 0), rgba({255, 255, 255, 255}));
    for (int x = 0; x < 3; ++x) EXPECT_EQ(texel(p, 3, x, 1), rgba({255, 0, 0, 255})) << x;

    TextureHandle* a = tm.loadTexture(fixture("alpha.png"), false, 2, false, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(levelParam(a, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    p = readRgba(a);
    EXPECT_EQ(texel(p, 2, 1, 0), rgba({11, 20, 30, 129}));
    EXPECT_EQ(texel(p, 2, 0, 1), rgba({10, 21, 30, 130}));
}

TEST_F(Textures, PaletteImageIsRefusedNamingItsDepth) {
    const std::string path = fixture("palette.png");
    for (int attempt = 0; attempt < 2; ++attempt) { // refused again: nothing was registered
        testing::internal::CaptureStderr();
        TextureHandle* t = tm.loadTexture(path, false, 2, true, 0);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(t, nullptr);
        EXPECT_NE(err.find("images must be 24 or 32 bpp... \"" + path + "\" is 8\n"),
                  std::string::npos)
            << err;
        EXPECT_NE(err.find("## ASSERT FAILED: \"dafuk, image not 24 or 32bpp\""), std::string::npos)
            << err;
        // The image itself was read: the designed line is the one that names it.
        EXPECT_EQ(err.find("cannot read image"), std::string::npos) << err;
    }
}

TEST_F(Textures, UnreadableFilesGiveNoTexture) {
    for (const char* name :
         {"half.jpg", "missing.png", "text.png", "truncated.png", "", "empty.png", "half.png"}) {
        const std::string path = *name ? fixture(name) : g_dir; // a directory, too
        testing::internal::CaptureStderr();
        TextureHandle* t = tm.loadTexture(path, true, 2, true, 0);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(t, nullptr) << path;
        EXPECT_NE(err.find("\"" + path + "\" is 0\n"), std::string::npos) << err;
        // One line before the designed ones names the file and the cause.
        const std::string named = "## ERROR: cannot read image \"" + path + "\": ";
        const size_t at = err.find(named);
        ASSERT_NE(at, std::string::npos) << err;
        EXPECT_EQ(err.find(named, at + 1), std::string::npos) << "once: " << err;
        EXPECT_GT(err.find('\n', at), at + named.size()) << "a cause follows: " << err;
        EXPECT_LT(at, err.find("images must be")) << err;
        if (std::string(name) == "truncated.png") {
            // FreeImage's own diagnosis comes first: "\n*** PNG Format\n<message> ***\n".
            size_t start = err.find("\n*** PNG Format\n");
            ASSERT_NE(start, std::string::npos) << err;
            EXPECT_LT(err.find(" ***\n", start), err.find("images must be"));
        }
    }
}

// ---- lifecycle ------------------------------------------------------------------------------

TEST(TextureManagerLifecycle, DefaultsAtConstructionAndLoadedTexturesDeletedAtDestruction) {
    GLuint loaded, white, created;
    TextureHandle* own;
    {
        TextureManager tm;
        // Registered at construction: what is asked now is ignored.
        TextureHandle* w = tm.loadTexture("data/textures/default_white.png", true, 1, false, 3);
        TextureHandle* b = tm.loadTexture("data/textures/default_black.png", true, 1, false, 3);
        ASSERT_TRUE(w && b) << "data/textures missing: build the `data` target";
        EXPECT_EQ(w->target, GLenum(GL_TEXTURE_2D));
        EXPECT_EQ(w->format, kFormatCompressedRGB);
        EXPECT_EQ(texParam(GL_TEXTURE_2D, w->name, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
        EXPECT_EQ(texel(readRgba(w), w->width, 0, 0), rgba({255, 255, 255, 255}));
        EXPECT_EQ(texel(readRgba(b), b->width, 1, 1), rgba({0, 0, 0, 255}));

        white = w->name;
        loaded = tm.loadTexture(fixture("pot.png"), false, 2, false, 0)->name;
        own = tm.createTexture(2, 2, 0, 2, 2, kFormatRGBA8, kFormatRGBA8, false, nullptr);
        created = own->name;
    }
    EXPECT_FALSE(glIsTexture(loaded));
    EXPECT_FALSE(glIsTexture(white));
    EXPECT_TRUE(glIsTexture(created)); // the caller's
    glDeleteTextures(1, &created);
    delete own;
}

// The cause each failed load gives the caller. Nothing is printed by the wrapper itself but
// FreeImage's own diagnostics.
TEST(ImageWrapper, FailedLoadsSayWhy) {
    struct Case {
        std::string path;
        const char* error;
    } cases[] = {
        {fixture("missing.png"), "No such file or directory"},
        {fixture("empty.png"), "file is empty"},
        {g_dir, "Is a directory"},
        {"/dev/null", "not a regular file"},
        {fixture("text.png"),
         "not an image format FreeImage knows: it starts with 0x74 0x68 0x69 0x73"},
        {fixture("half.jpg"), "Premature end of JPEG file"},
        {fixture("half.png"), ""}, // libpng's words, whatever they are
        {fixture("truncated.png"), ""},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        Image image = loadImage(c.path);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(image.bitmap, nullptr) << c.path;
        EXPECT_FALSE(image.error.empty()) << c.path;
        EXPECT_EQ(image.error.find('\n'), std::string::npos) << image.error;
        EXPECT_EQ(image.error.rfind(c.error, 0), 0u) << c.path << ": " << image.error;
        // Nothing but FreeImage's own blocks, carrying the messages the error repeats.
        EXPECT_TRUE(err.empty() || err.rfind("\n*** ", 0) == 0) << err;
        if (!err.empty()) {
            EXPECT_NE(err.find(image.error.substr(0, image.error.find(';'))), std::string::npos)
                << err;
        }
        image.freeBitmap();
    }
}

TEST(ImageWrapper, WholeImagesLoadWithoutComplaint) {
    const struct {
        const char* name;
        int width, bpp;
    } cases[] = {
        {"full.jpg", 256, 24}, {"full.png", 64, 24}, {"palette.png", 4, 8}, {"alpha.png", 2, 32}};
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        Image image = loadImage(fixture(c.name));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.name;
        EXPECT_EQ(image.error, "") << c.name;
        EXPECT_EQ(image.width(), c.width) << c.name;
        EXPECT_EQ(image.bitsPerPixel(), c.bpp) << c.name;
        image.freeBitmap();
    }
}

TEST(ImageWrapper, NothingLoadedReadsAsEmpty) {
    Image image = loadImage(fixture("missing.png"));
    EXPECT_EQ(image.bitmap, nullptr);
    EXPECT_EQ(image.width() + image.height() + image.bitsPerPixel(), 0);
    EXPECT_EQ(image.bits(), nullptr);
    image.freeBitmap();

    Image pot = loadImage(fixture("pot.png"));
    EXPECT_EQ(pot.bitsPerPixel(), 24);
    pot.freeBitmap();
    EXPECT_EQ(pot.bitmap, nullptr);
    pot.freeBitmap(); // twice is harmless
}

} // namespace
