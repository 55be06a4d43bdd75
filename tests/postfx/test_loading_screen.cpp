// The loading screen on the host's own window (hidden) and llvmpipe.
//
// Every presented frame is caught on its way out: this binary defines SDL_GL_SwapWindow, reads
// the rows it checks from the back buffer, then hands over to SDL's own function.
//
// The golden picture tests/postfx/golden/loading_screen_p050.png is one progress frame at
// one half, scaled down 8 times. After a deliberate change of the picture or of the bars,
// write it anew with
//   DEMO_UPDATE_GOLDEN=1 xvfb-run -a -s "-screen 0 1280x720x24"
//   <build>/tests/postfx/test_loading_screen
// and look at the new file before committing it.
#include "gfx_context.h"
#include "gl_loader.h"
#include "loading_screen.h"
#include "postfx.h"
#include "window.h"

#include <FreeImage.h>
#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kW = 1280, kH = 720;
const int kBottomBarRow = 141; // inside -0.6125..-0.6 in device coordinates: rows 139.5..144
const int kTopBarRow = 578;    // inside 0.6..0.6125: rows 576..580.5
const int kMiddleRow = 360;

using Row = std::vector<uint8_t>; // RGBA

struct Frame {
    Row bottomBar, topBar, middle;
};

std::vector<Frame> g_frames;
cGLWindow g_window;
gfxContext* g_gfx = nullptr;

Row readRow(int y) {
    Row row(kW * 4);
    glReadPixels(0, y, kW, 1, GL_RGBA, GL_UNSIGNED_BYTE, row.data());
    return row;
}

// Pixels from the left edge that are white: where the bar ends.
int barLength(const Row& row) {
    int x = 0;
    while (x < kW && row[x * 4] >= 250 && row[x * 4 + 1] >= 250 && row[x * 4 + 2] >= 250) ++x;
    return x;
}

// The loading picture as the texture manager holds it, rows bottom first.
const std::vector<uint8_t>& picture() {
    static std::vector<uint8_t> pixels;
    if (pixels.empty()) {
        TextureHandle* t = g_gfx->loadTexture("data/textures/loadscreen.jpg", false, 2, false, 0);
        pixels.resize(size_t(kW) * kH * 4);
        glBindTexture(GL_TEXTURE_2D, t->name);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    return pixels;
}
int pictureAt(int x, int y, int channel) {
    return picture()[(size_t(y) * kW + x) * 4 + channel];
}

class LoadingScreenEnvironment : public testing::Environment {
  public:
    void SetUp() override {
        ASSERT_EQ(chdir(DEMO_ROOT), 0);
        testing::internal::CaptureStdout();
        g_window.openWindow(WindowDesc{kW, kH, kW, kH, false, false, false});
        g_gfx = new gfxContext();
        g_gfx->init(&g_window);
        testing::internal::GetCapturedStdout();
    }
};
testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new LoadingScreenEnvironment);

class LoadingScreen : public testing::Test {
  protected:
    void SetUp() override {
        g_frames.clear();
        stateBefore = *g_gfx->renderState();
        testing::internal::CaptureStderr();
    }
    void TearDown() override {
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.find("ERROR"), std::string::npos) << err;
        EXPECT_EQ(err.find("not found"), std::string::npos) << err;
        EXPECT_EQ(*g_gfx->renderState(), stateBefore);
    }
    static double msSince(std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    }
    uint64_t stateBefore = 0;
};

} // namespace

// Every presented frame passes here first.
extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    g_frames.push_back({readRow(kBottomBarRow), readRow(kTopBarRow), readRow(kMiddleRow)});
    static auto real =
        reinterpret_cast<void (*)(SDL_Window*)>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    real(window);
}

// ---- progress fractions ---------------------------------------------------------------------

TEST(LoadingRanges, ThreeScenesStepByThirdsAndTheFinalStepEndsAtOne) {
    const LoadingRange steps[3] = {sceneLoadingRange(0, 3), sceneLoadingRange(1, 3),
                                   sceneLoadingRange(2, 3)};
    EXPECT_FLOAT_EQ(steps[0].from, 0.0f);
    EXPECT_FLOAT_EQ(steps[0].to, 0.0f);
    EXPECT_FLOAT_EQ(steps[1].from, 0.0f);
    EXPECT_FLOAT_EQ(steps[1].to, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(steps[2].from, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(steps[2].to, 2.0f / 3.0f);
    const LoadingRange last = finalLoadingRange(3);
    EXPECT_FLOAT_EQ(last.from, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(last.to, 1.0f);
}

TEST(LoadingRanges, WithNoScenesTheFinalStepStartsFromZero) {
    const LoadingRange last = finalLoadingRange(0);
    EXPECT_EQ(last.from, 0.0f);
    EXPECT_EQ(last.to, 1.0f);
    EXPECT_EQ(finalLoadingRange(1).from, 0.0f);
}

// ---- frames ---------------------------------------------------------------------------------

TEST_F(LoadingScreen, FirstFrameShowsThePictureOverTheWholeScreen) {
    showFirstLoadingFrame(g_gfx, &g_window);
    ASSERT_EQ(g_frames.size(), 1u);
    const Row& row = g_frames[0].middle;
    for (int x = 0; x < kW; x += 97)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(row[x * 4 + c], pictureAt(x, kMiddleRow, c), 1);
}

TEST_F(LoadingScreen, ProgressStepAnimatesSixteenFramesOfTwoBarsOverThePicture) {
    const auto start = std::chrono::steady_clock::now();
    drawLoadingProgress(g_gfx, &g_window, 0.25f, 0.75f);
    EXPECT_GE(msSince(start), 160.0) << "10 ms after each of the 16 frames";
    ASSERT_EQ(g_frames.size(), 16u);
    for (int k = 0; k < 16; ++k) {
        // p = 0.25 + 0.5 k / 16: the bars end at 1280 p = 320 + 40 k pixels; the last frame
        // stops at t = 15/16, short of `to`.
        const Frame& f = g_frames[k];
        EXPECT_NEAR(barLength(f.bottomBar), 320 + 40 * k, 1) << "frame " << k;
        EXPECT_NEAR(barLength(f.topBar), 320 + 40 * k, 1) << "frame " << k;
        EXPECT_EQ(barLength(f.middle), 0);
        // Right of the bars, the picture is there in every frame.
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(f.bottomBar[1279 * 4 + c], pictureAt(1279, kBottomBarRow, c), 1);
    }
    EXPECT_TRUE(g_gfx->hasShader("unlit", nullptr));
}

TEST_F(LoadingScreen, FinalStepWithoutScenesGrowsTheBarsFromNothing) {
    const LoadingRange last = finalLoadingRange(0);
    drawLoadingProgress(g_gfx, &g_window, last.from, last.to);
    ASSERT_EQ(g_frames.size(), 16u);
    EXPECT_EQ(barLength(g_frames[0].bottomBar), 0);
    EXPECT_NEAR(barLength(g_frames[1].bottomBar), 80, 1);
    EXPECT_NEAR(barLength(g_frames[15].topBar), 1200, 1);
}

TEST_F(LoadingScreen, FadeOutDarkensThePictureByOneThirtiethPerFrame) {
    const auto start = std::chrono::steady_clock::now();
    fadeOutLoadingScreen(g_gfx, &g_window);
    EXPECT_GE(msSince(start), 300.0);
    ASSERT_EQ(g_frames.size(), 30u);
    for (int j = 0; j < 30; ++j) {
        const double keep = 1.0 - j / 30.0;
        for (int x : {100, 400, 640, 900, 1200})
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(g_frames[j].middle[x * 4 + c], pictureAt(x, kMiddleRow, c) * keep, 2)
                    << "frame " << j << " x " << x;
    }
}

// ---- golden picture -------------------------------------------------------------------------

TEST_F(LoadingScreen, ProgressFrameAtOneHalfMatchesTheGoldenPicture) {
    drawLoadingFrame(g_gfx, 0.5f);
    std::vector<uint8_t> frame(size_t(kW) * kH * 4);
    glReadPixels(0, 0, kW, kH, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());

    // 8 x 8 box average down to 160 x 90, rows bottom first like GL and FreeImage.
    const int f = 8, w = kW / f, h = kH / f;
    std::vector<int> small(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < f; ++dy)
                    for (int dx = 0; dx < f; ++dx)
                        sum += frame[((size_t(y) * f + dy) * kW + x * f + dx) * 4 + c];
                small[(size_t(y) * w + x) * 3 + c] = (sum + f * f / 2) / (f * f);
            }

    const std::string path =
        std::string(DEMO_ROOT) + "/tests/postfx/golden/loading_screen_p050.png";
    const int channel[3] = {FI_RGBA_RED, FI_RGBA_GREEN, FI_RGBA_BLUE};
    if (std::getenv("DEMO_UPDATE_GOLDEN")) {
        FIBITMAP* out = FreeImage_Allocate(w, h, 24);
        for (int y = 0; y < h; ++y) {
            BYTE* line = FreeImage_GetScanLine(out, y);
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    line[x * 3 + channel[c]] = BYTE(small[(size_t(y) * w + x) * 3 + c]);
        }
        EXPECT_TRUE(FreeImage_Save(FIF_PNG, out, path.c_str(), PNG_DEFAULT)) << path;
        FreeImage_Unload(out);
        GTEST_SKIP() << "golden picture written to " << path;
    }

    FIBITMAP* golden = FreeImage_Load(FIF_PNG, path.c_str(), PNG_DEFAULT);
    ASSERT_NE(golden, nullptr) << "missing " << path;
    ASSERT_EQ(int(FreeImage_GetWidth(golden)), w);
    ASSERT_EQ(int(FreeImage_GetHeight(golden)), h);
    ASSERT_EQ(int(FreeImage_GetBPP(golden)), 24);
    int worst = 0;
    long total = 0;
    for (int y = 0; y < h; ++y) {
        const BYTE* line = FreeImage_GetScanLine(golden, y);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                const int d =
                    std::abs(small[(size_t(y) * w + x) * 3 + c] - line[x * 3 + channel[c]]);
                worst = std::max(worst, d);
                total += d;
            }
    }
    FreeImage_Unload(golden);
    // Drivers may round filtering and the bar's edge pixel differently; a missing bar or a
    // shifted picture moves whole blocks by far more.
    EXPECT_LE(worst, 12);
    EXPECT_LE(double(total) / (w * h * 3), 1.0);
}
