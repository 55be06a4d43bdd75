// The title scene's rules at and around their edges: the sculpture's surfaces, the camera,
// the letterbox, and the spectrogram's rows and colours.
#include "matrix.h"
#include "pillars_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace pillars;

namespace {
const float kNaN = std::numeric_limits<float>::quiet_NaN();
} // namespace

// ---- kaos surfaces ----------------------------------------------------------------------------

TEST(PillarsRules, AGroupOfThreeIsBuiltSurfaceBySurface) {
    const float a = 0.25f;
    const KaosDraw d = kaosSurfaces(12, 7.5f, a);
    EXPECT_EQ(d.settled, 6);
    ASSERT_EQ(d.building, 3);
    EXPECT_EQ(d.parts[0].surface, 6);
    EXPECT_EQ(d.parts[1].surface, 7);
    EXPECT_EQ(d.parts[2].surface, 8);
    EXPECT_NEAR(d.parts[0].offset, a + 0.5f, 1e-5f);
    EXPECT_NEAR(d.parts[1].offset, a + std::sqrt(0.5f), 1e-5f);
    EXPECT_NEAR(d.parts[2].offset, a + 0.5f * std::sqrt(0.5f), 1e-5f);
}

TEST(PillarsRules, WholeGroupsAndTinyFractionsDrawOnlySettledSurfaces) {
    for (float n : {6.0f, 6.002f, 3.0f}) {
        const KaosDraw d = kaosSurfaces(12, n, 0.0f);
        EXPECT_EQ(d.settled, n < 6.0f ? 3 : 6) << n;
        EXPECT_EQ(d.building, 0) << n;
    }
    // Not a multiple of three yet: 7 settles only 6, and the next three are a third built.
    const KaosDraw seven = kaosSurfaces(12, 7.0f, 0.0f);
    EXPECT_EQ(seven.settled, 6);
    EXPECT_EQ(seven.building, 3);
    EXPECT_NEAR(seven.parts[0].offset, 2.0f / 3.0f, 1e-5f);
}

TEST(PillarsRules, CountsAreLimitedToOneBelowTheSurfaces) {
    // N = 10: at most 9 surfaces, however large the track.
    for (float n : {9.0f, 9.5f, 40.0f, 3e38f}) {
        const KaosDraw d = kaosSurfaces(10, n, 0.0f);
        EXPECT_EQ(d.settled, 9) << n;
        EXPECT_EQ(d.building, 0) << n;
    }
    // Building near the end never names a surface past the last one.
    const KaosDraw end = kaosSurfaces(11, 9.9f, 0.0f);
    EXPECT_EQ(end.settled, 9);
    ASSERT_EQ(end.building, 3);
    EXPECT_EQ(end.parts[1].surface, 10);
    EXPECT_EQ(end.parts[2].surface, 10);
}

TEST(PillarsRules, NothingIsDrawnForEmptyModelsOrCountsBelowOne) {
    for (float n : {0.0f, -1.5f, -3e38f, kNaN}) {
        const KaosDraw d = kaosSurfaces(12, n, 0.0f);
        EXPECT_EQ(d.settled + d.building, 0) << n;
    }
    for (int groups : {0, -4}) EXPECT_EQ(kaosSurfaces(groups, 5.0f, 0.0f).settled, 0);
    // A single surface can never be shown: it is N - 1 = 0.
    EXPECT_EQ(kaosSurfaces(1, 5.0f, 0.0f).settled, 0);
}

TEST(PillarsRules, OffsetsOfSurfacesInFlightNeverGoBelowZero) {
    const KaosDraw d = kaosSurfaces(12, 1.5f, -5.0f);
    ASSERT_EQ(d.building, 3);
    for (const SurfaceDraw& p : d.parts) EXPECT_EQ(p.offset, 0.0f);
}

// ---- camera -----------------------------------------------------------------------------------

TEST(PillarsRules, TheShakeMovesTheEyeAcrossTheLineOfSight) {
    const float eye[3] = {125, 125, 125}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    float lookat[16], view[16];
    mat_lookat(lookat, eye, target, up);
    mat_transpose(view, lookat);
    for (float s : {0.0f, 1.0f, 2.5f}) {
        float off[3];
        shakeOffset(view, 10.0f, s, off);
        // Perpendicular to the view direction (1, 1, 1) / sqrt 3, never zero.
        EXPECT_NEAR(off[0] + off[1] + off[2], 0.0f, 1e-3f) << s;
        EXPECT_GT(std::sqrt(off[0] * off[0] + off[1] * off[1] + off[2] * off[2]), 5.0f) << s;
    }
    // At s = 0 it is along the camera's right axis only: no height change.
    float off[3];
    shakeOffset(view, 10.0f, 0.0f, off);
    EXPECT_NEAR(off[1], 0.0f, 1e-4f);
    EXPECT_GT(off[0], 0.0f); // right of a camera looking down (-1, -1, -1) is +x, -z
    EXPECT_LT(off[2], 0.0f);
    // No energy, no shake.
    shakeOffset(view, shakeRadius(0.0f), 1.0f, off);
    EXPECT_EQ(off[0] * off[0] + off[1] * off[1] + off[2] * off[2], 0.0f);
}

TEST(PillarsRules, RotationsTurnRightHandedAndKeepDistance) {
    float p[3] = {1, 0, 0};
    rotatePoint(p, 1, 90.0f); // about y: +x goes to -z
    EXPECT_NEAR(p[0], 0.0f, 1e-6f);
    EXPECT_NEAR(p[2], -1.0f, 1e-6f);
    float q[3] = {0, 1, 0};
    rotatePoint(q, 0, 90.0f); // about x: +y goes to +z
    EXPECT_NEAR(q[1], 0.0f, 1e-6f);
    EXPECT_NEAR(q[2], 1.0f, 1e-6f);
    float e[3] = {125, 125, 125};
    rotatePoint(e, 0, 15.0f * 26.5f);
    EXPECT_NEAR(e[0], 125.0f, 1e-4f); // x stays: the eye never reaches the up axis
    EXPECT_NEAR(std::sqrt(e[1] * e[1] + e[2] * e[2]), 125.0f * std::sqrt(2.0f), 1e-2f);
}

TEST(PillarsRules, VignetteFadesOutWithTheKick) {
    EXPECT_EQ(vignetteAmount(0.0f), 1.0f);
    EXPECT_NEAR(vignetteAmount(0.1f), 0.7f, 1e-6f);
    for (float e : {1.0f / 3.0f, 0.34f, 2.0f}) EXPECT_EQ(vignetteAmount(e), 0.0f) << e;
    EXPECT_EQ(shakeRadius(0.1f), 15.0f);
}

TEST(PillarsRules, TheGradeNeedsAnIntegerPartOfOne) {
    EXPECT_FALSE(gradePurpleDarks(0.9f));
    EXPECT_TRUE(gradePurpleDarks(1.0f));
    EXPECT_TRUE(gradePurpleDarks(3e38f));
    EXPECT_FALSE(gradePurpleDarks(-2.0f));
    EXPECT_FALSE(gradePurpleDarks(kNaN));
}

TEST(PillarsRules, TheLetterboxIsClampedToTheViewport) {
    const Letterbox half = letterbox(0.5f, 720);
    EXPECT_EQ(half.bottom, 180.0f);
    EXPECT_EQ(half.top, 540.0f);
    const Letterbox shut = letterbox(7.0f, 720);
    EXPECT_EQ(shut.bottom, 360.0f);
    EXPECT_EQ(shut.top, 360.0f);
    for (float none : {0.0f, -1.0f, kNaN}) {
        const Letterbox open = letterbox(none, 720);
        EXPECT_EQ(open.bottom, 0.0f) << none;
        EXPECT_EQ(open.top, 720.0f) << none;
    }
}

// ---- spectrogram ------------------------------------------------------------------------------

TEST(PillarsRules, RowsReadRisingBinsOnlyFromWhatWasFilled) {
    EXPECT_EQ(binOfRow(0, kSpectrumBins), 0);
    EXPECT_EQ(binOfRow(512, kSpectrumBins), 256); // (1/2)^4 of 4096
    EXPECT_EQ(binOfRow(1023, kSpectrumBins), 4080);
    int previous = 0;
    for (int i = 0; i < kSpectrogramHeight; ++i) {
        const int j = binOfRow(i, kSpectrumBins);
        EXPECT_GE(j, previous) << i;
        previous = j;
    }
    // A shorter spectrum: rows past it read its last bin, never one past the end.
    EXPECT_EQ(binOfRow(1023, 1024), 1023);
    EXPECT_EQ(binOfRow(1023, 1), 0);
    // No bins (a failed read): nothing to read. A count past the buffer is held to it.
    EXPECT_EQ(binOfRow(100, 0), -1);
    EXPECT_EQ(binOfRow(100, -7), -1);
    EXPECT_LT(binOfRow(1023, 1 << 30), kSpectrumBuffer);
}

TEST(PillarsRules, SpectrumColoursRunFromBlackThroughBlueToWhite) {
    const Bgra silent = spectrumColour(0.0f);
    EXPECT_EQ(silent.b + silent.g + silent.r, 0);
    EXPECT_EQ(silent.a, 255);
    const Bgra faint = spectrumColour(0.02f); // a = 0.098: blue full, red rising
    EXPECT_EQ(faint.b, 255);
    EXPECT_GT(faint.r, faint.g);
    const Bgra loud = spectrumColour(1.0f); // a = 1: white
    EXPECT_EQ(loud.b, 255);
    EXPECT_EQ(loud.g, 255);
    EXPECT_EQ(loud.r, 255);
    // Louder never gets darker, in any channel.
    Bgra last = silent;
    for (float v = 0.0f; v < 2.0f; v += 0.001f) {
        const Bgra c = spectrumColour(v);
        EXPECT_GE(c.b, last.b);
        EXPECT_GE(c.g, last.g);
        EXPECT_GE(c.r, last.r);
        last = c;
    }
    for (float bad : {-0.5f, -1.0f, -7.0f, kNaN}) {
        const Bgra c = spectrumColour(bad);
        EXPECT_EQ(c.b + c.g + c.r, 0) << bad;
    }
}

TEST(PillarsRules, ColumnsWrapAndTheQuadShowsTheLastThirtyTwo) {
    EXPECT_EQ(nextColumn(0), 1);
    EXPECT_EQ(nextColumn(511), 0);
    float u0, u1;
    spectrogramU(256, u0, u1);
    EXPECT_FLOAT_EQ(u0, 1.5f);
    EXPECT_FLOAT_EQ((u0 - u1) * kSpectrogramWidth, 32.0f);
}

TEST(PillarsRules, EachColumnIsOnePieceOfThePixelBuffer) {
    // A column's rows follow each other, so a column is one 1 x 1024 upload ...
    for (int column : {0, 1, 311, kSpectrogramWidth - 1}) {
        const size_t start = spectrogramPixel(column, 0);
        EXPECT_EQ(start, size_t(column) * kSpectrogramHeight * 4) << column;
        for (int row = 1; row < kSpectrogramHeight; ++row)
            ASSERT_EQ(spectrogramPixel(column, row), start + size_t(row) * 4) << column;
    }
    // ... and the columns tile the 2 MiB buffer without a gap or an overlap.
    for (int column = 1; column < kSpectrogramWidth; ++column)
        EXPECT_EQ(spectrogramPixel(column, 0),
                  spectrogramPixel(column - 1, kSpectrogramHeight - 1) + 4);
    EXPECT_EQ(spectrogramPixel(kSpectrogramWidth - 1, kSpectrogramHeight - 1) + 4,
              size_t(kSpectrogramWidth) * kSpectrogramHeight * 4);
}
