// The colour look-up loader: strip images written with FreeImage become 3D textures whose
// texels are read back from GL; bad images give null and one line naming the file.
#include "gfx_context.h"
#include "gl_test_context.h"
#include "lut_loader.h"
#include "texture_handle.h"
#include "window.h"

#include <FreeImage.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

// The colour bytes of image pixel (x, y), row y counted as stored (bottom first): distinct
// per pixel, so a texel taken from the wrong place shows.
static void pixelBytes(int x, int y, uint8_t out[3]) {
    out[0] = static_cast<uint8_t>(7 * x + 3);
    out[1] = static_cast<uint8_t>(40 * y + 5);
    out[2] = static_cast<uint8_t>(200 - x - 3 * y);
}

// Writes a PNG of the given size and depth; 32-bit pixels get alpha 17, which must not reach
// the texture.
static std::string writeImage(const std::string& name, int width, int height, int bpp) {
    const std::string path = testing::TempDir() + name;
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, bpp);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < width && bpp >= 24; ++x) {
            uint8_t* p = row + x * (bpp / 8);
            pixelBytes(x, y, p);
            if (bpp == 32) p[3] = 17;
        }
    }
    EXPECT_TRUE(FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0)) << path;
    FreeImage_Unload(bitmap);
    return path;
}

class LutLoader : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        desc = WindowDesc{1280, 720, 1280, 720, false, false, false};
        gfx = makeTestGfx(&desc);
    }

    // Loads `path` and checks every texel against the image it was written from.
    static void expectLut(const std::string& path, int n) {
        testing::internal::CaptureStderr();
        TextureHandle* lut = loadColorLut(gfx, path);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        ASSERT_NE(lut, nullptr);
        EXPECT_EQ(lut->target, static_cast<uint32_t>(GL_TEXTURE_3D));
        EXPECT_EQ(lut->format, kFormatRGBA8);

        glBindTexture(GL_TEXTURE_3D, lut->name);
        GLint size[3] = {0, 0, 0}, internal = 0, wrapR = 0, minFilter = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_WIDTH, &size[0]);
        glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_HEIGHT, &size[1]);
        glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_DEPTH, &size[2]);
        glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
        glGetTexParameteriv(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, &wrapR);
        glGetTexParameteriv(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, &minFilter);
        for (GLint s : size) EXPECT_EQ(s, n);
        EXPECT_EQ(internal, GL_RGBA8);
        EXPECT_EQ(wrapR, GL_CLAMP_TO_EDGE);
        EXPECT_EQ(minFilter, GL_LINEAR) << "no mipmaps";

        std::vector<uint8_t> texels(static_cast<size_t>(n) * n * n * 4, 0);
        glGetTexImage(GL_TEXTURE_3D, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_3D, 0);
        for (int z = 0; z < n; ++z)
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    const uint8_t* t = &texels[((z * n + y) * n + x) * 4];
                    uint8_t want[3];
                    pixelBytes(z * n + x, y, want);
                    const bool same = t[0] == want[0] && t[1] == want[1] && t[2] == want[2];
                    EXPECT_TRUE(same && t[3] == 255) << "texel " << x << "," << y << "," << z;
                }
    }

    // Loads a file that is no look-up table: null and exactly one error line naming it.
    static void expectRefused(const std::string& path, const std::string& why) {
        testing::internal::CaptureStderr();
        TextureHandle* lut = loadColorLut(gfx, path);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(lut, nullptr) << why;
        EXPECT_EQ(err.rfind("## ERROR", 0), 0u) << why << ": " << err;
        EXPECT_NE(err.find("\"" + path + "\""), std::string::npos) << why << ": " << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << why << ": one line, " << err;
    }

    static WindowDesc desc;
    static gfxContext* gfx;
};
WindowDesc LutLoader::desc;
gfxContext* LutLoader::gfx;

// ---- tables ---------------------------------------------------------------------------------

TEST_F(LutLoader, FourSlicesOf24BitPixels) {
    expectLut(writeImage("lut4_24.png", 16, 4, 24), 4);
}

TEST_F(LutLoader, FourSlicesOf32BitPixelsLoseTheirAlpha) {
    expectLut(writeImage("lut4_32.png", 16, 4, 32), 4);
}

TEST_F(LutLoader, RowsPaddedToFourBytesAreSkipped) {
    // 9 pixels of 3 bytes: 27 bytes of colour in a 28-byte row.
    expectLut(writeImage("lut3_24.png", 9, 3, 24), 3);
}

// ---- refused input --------------------------------------------------------------------------

TEST_F(LutLoader, BadFilesGiveNullWithAReport) {
    expectRefused(testing::TempDir() + "no_such_lut.png", "missing file");
    expectRefused(writeImage("lut_square.png", 16, 16, 24), "width not height squared");
    expectRefused(writeImage("lut_wide.png", 17, 4, 24), "one column too many");
    expectRefused(writeImage("lut_grey.png", 16, 4, 8), "8 bits per pixel");
    const std::string text = testing::TempDir() + "lut_text.png";
    std::ofstream(text) << "not an image\n";
    expectRefused(text, "not an image");
}
