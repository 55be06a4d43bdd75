// The asset kit's images: text drawn with the block font lands on exactly the pixels of its
// blocks, and colour look-up tables are laid out as the scenes' LUT loader reads them (read
// back here from the PNG the way that loader takes its texels: pixel (k·n + i, stored row j)
// becomes texel (i, j, k), bytes in the image's own order).
#include "block_font.h"
#include "colour_lut.h"
#include "picture.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

bool isColour(Rgb p, Rgb c) {
    return p.r == c.r && p.g == c.g && p.b == c.b;
}

// A LUT file's texels as the loader builds them: red, green, blue per texel.
struct Texels {
    int n = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int i, int j, int k) const { return &rgb[3 * ((k * n + j) * n + i)]; }
};

Texels readLut(const std::string& path) {
    Texels t;
    FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (!image) {
        ADD_FAILURE() << "cannot read " << path;
        return t;
    }
    const int width = FreeImage_GetWidth(image), height = FreeImage_GetHeight(image);
    EXPECT_EQ(width, height * height);
    EXPECT_EQ(FreeImage_GetBPP(image), 24u);
    t.n = height;
    t.rgb.resize(3u * t.n * t.n * t.n);
    for (int k = 0; k < t.n; ++k)
        for (int j = 0; j < t.n; ++j)
            for (int i = 0; i < t.n; ++i) {
                const BYTE* p = FreeImage_GetScanLine(image, j) + 3 * (k * t.n + i);
                uint8_t* out = &t.rgb[3 * ((k * t.n + j) * t.n + i)];
                out[0] = p[FI_RGBA_RED];
                out[1] = p[FI_RGBA_GREEN];
                out[2] = p[FI_RGBA_BLUE];
            }
    FreeImage_Unload(image);
    return t;
}

uint8_t level(int i, int n) {
    return static_cast<uint8_t>(std::lround(255.0 * i / (n - 1)));
}

} // namespace

// ---- text -----------------------------------------------------------------------------------

TEST(BlockFontText, AStampedGlyphSetsExactlyThePixelsOfItsBlocks) {
    const Rgb ink = {1.0f, 0.5f, 0.25f};
    const int left = 3, top = 2, cell = 2;
    Picture picture(20, 20, Picture::kTopFirst);
    stampText(picture, "R", left, top, cell, ink);
    const BlockGlyph* r = findGlyph('R');
    int inked = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int col = (x - left) / cell, row = (y - top) / cell;
            const bool block = x >= left && y >= top && col < kGlyphColumns && row < kGlyphRows &&
                               r->rows[row][col] == '#';
            EXPECT_TRUE(isColour(picture.at(x, y), block ? ink : Rgb{0, 0, 0}))
                << "pixel " << x << "," << y;
            inked += block;
        }
    EXPECT_EQ(inked, 18 * cell * cell) << "R has 18 blocks";
}

TEST(BlockFontText, TextOverTheEdgeIsClippedAndLaterGlyphsAdvance) {
    Picture picture(8, 7, Picture::kTopFirst);
    // "LT" from x = -6: L's last column (blocks in its bottom row only) is x = -2, so only
    // T lands, starting at x = 0.
    stampText(picture, "LT", -6, 0, 1, Rgb{1, 1, 1});
    for (int x = 0; x < 8; ++x) EXPECT_EQ(picture.at(x, 0).r, x < 5 ? 1.0f : 0.0f) << x;
    for (int y = 1; y < 7; ++y) {
        EXPECT_EQ(picture.at(2, y).r, 1.0f) << y;
        EXPECT_EQ(picture.at(0, y).r, 0.0f) << y;
    }
}

TEST(BlockFontText, DrawnTextCoversBlockCentresAndLeavesGapsAlone) {
    Picture picture(64, 64, Picture::kTopFirst);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) picture.at(x, y) = {0.0f, 0.0f, 1.0f};
    const float cell = 8.0f, cx = 32.0f, cy = 32.0f;
    drawText(picture, "T", cx, cy, cell, Rgb{1.0f, 1.0f, 0.0f});
    const BlockGlyph* t = findGlyph('T');
    for (int row = 0; row < kGlyphRows; ++row)
        for (int col = 0; col < kGlyphColumns; ++col) {
            // The block's centre pixel: the text is centred, 5 blocks wide and 7 high.
            const int x = static_cast<int>(cx - 2.5f * cell + (col + 0.5f) * cell);
            const int y = static_cast<int>(cy - 3.5f * cell + (row + 0.5f) * cell);
            const Rgb want = t->rows[row][col] == '#' ? Rgb{1, 1, 0} : Rgb{0, 0, 1};
            EXPECT_TRUE(isColour(picture.at(x, y), want)) << "block " << col << "," << row;
        }
    // The rounded corners are anti-aliased: some pixels are neither paper nor ink.
    int blended = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            blended += picture.at(x, y).r > 0.0f && picture.at(x, y).r < 1.0f;
    EXPECT_GT(blended, 0);
}

// ---- colour look-up tables ------------------------------------------------------------------

TEST(ColourLut, IdentityTableHoldsEachTexelsOwnCoordinates) {
    const int n = 16;
    const std::string path = testing::TempDir() + "kit_identity_lut.png";
    ASSERT_TRUE(writeLut(path, n, identityGrade, "test"));
    const Texels t = readLut(path);
    ASSERT_EQ(t.n, n);
    for (int k = 0; k < n; ++k)
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const uint8_t* c = t.at(i, j, k);
                ASSERT_TRUE(c[0] == level(i, n) && c[1] == level(j, n) && c[2] == level(k, n))
                    << "texel " << i << "," << j << "," << k << " is " << int(c[0]) << ","
                    << int(c[1]) << "," << int(c[2]);
            }
}

TEST(ColourLut, LookingUpThroughTheIdentityTableGivesTheColourBack) {
    // The grading pass samples at c · (n − 1) / n + 0.5 / n with linear filtering, which is
    // texel coordinate c · (n − 1) blended between its two neighbours on each axis.
    const int n = 32;
    const std::string path = testing::TempDir() + "kit_identity_lut32.png";
    ASSERT_TRUE(writeLut(path, n, identityGrade, "test"));
    const Texels t = readLut(path);
    ASSERT_EQ(t.n, n);
    uint32_t seed = 12345;
    for (int s = 0; s < 500; ++s) {
        float c[3];
        for (float& v : c) {
            seed = seed * 1664525u + 1013904223u;
            v = (seed >> 8) / float(1 << 24);
        }
        int i0[3];
        float f[3];
        for (int a = 0; a < 3; ++a) {
            const float x = c[a] * (n - 1);
            i0[a] = std::min(static_cast<int>(x), n - 2);
            f[a] = x - i0[a];
        }
        for (int channel = 0; channel < 3; ++channel) {
            float v = 0.0f;
            for (int corner = 0; corner < 8; ++corner) {
                const int d[3] = {corner & 1, (corner >> 1) & 1, (corner >> 2) & 1};
                float w = 1.0f;
                for (int a = 0; a < 3; ++a) w *= d[a] ? f[a] : 1.0f - f[a];
                v += w * t.at(i0[0] + d[0], i0[1] + d[1], i0[2] + d[2])[channel];
            }
            EXPECT_NEAR(v, c[channel] * 255.0f, 0.51f) << "channel " << channel;
        }
    }
}

TEST(ColourLut, GradedTablesApplyTheFunctionAndClampIt) {
    const int n = 4;
    const std::string invert = testing::TempDir() + "kit_invert_lut.png";
    ASSERT_TRUE(writeLut(
        invert, n,
        [](Rgb c) {
            return Rgb{1 - c.r, 1 - c.g, 1 - c.b};
        },
        "t"));
    const Texels t = readLut(invert);
    ASSERT_EQ(t.n, n);
    for (int k = 0; k < n; ++k)
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const uint8_t* c = t.at(i, j, k);
                EXPECT_EQ(c[0], 255 - level(i, n));
                EXPECT_EQ(c[1], 255 - level(j, n));
                EXPECT_EQ(c[2], 255 - level(k, n));
            }
    Picture loud = lutPicture(n, [](Rgb c) { return Rgb{c.r * 4 - 1, -1, 2}; });
    EXPECT_TRUE(isColour(loud.at(n * n - 1, 0), Rgb{3, -1, 2})) << "clamped only when saved";
    const std::string clamped = testing::TempDir() + "kit_loud_lut.png";
    ASSERT_TRUE(loud.save(clamped, FIF_PNG, PNG_DEFAULT, "t"));
    const Texels l = readLut(clamped);
    EXPECT_EQ(l.at(0, 0, 0)[0], 0);
    EXPECT_EQ(l.at(n - 1, 0, 0)[0], 255);
    EXPECT_EQ(l.at(1, 2, 3)[1], 0);
    EXPECT_EQ(l.at(1, 2, 3)[2], 255);
}

TEST(ColourLut, TooFewStepsOrAnUnwritablePathFailWithTheFileNamed) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writeLut(testing::TempDir() + "one.png", 1, identityGrade, "make_test"));
    EXPECT_FALSE(writeLut("/nonexistent/dir/lut.png", 4, identityGrade, "make_test"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("make_test: cannot write " + testing::TempDir() +
                       "one.png: a look-up table needs 2 or more steps, not 1\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("make_test: cannot write /nonexistent/dir/lut.png\n"), std::string::npos)
        << log;
}
