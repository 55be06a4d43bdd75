// The title plug-in on a real GL context (scene_harness.h): loaded by the real loader from a
// temporary root, drawn by a real graphics context seen through RecordingGfx, tracks written
// per frame, pixels read back. The harness has no music, so the band energy is 0 and the
// spectrogram is fed silence.
#include "imodel.h"
#include "process_age.h"
#include "scene_harness.h"

#include <array>
#include <chrono>
#include <string>
#include <vector>

namespace {

using Vec4 = std::array<float, 4>;

class Pillars : public SceneTest {
  protected:
    static void SetUpTestSuite() { openScene(PLUGIN, "pillars_scene"); }

    // Neutral tracks: no letterbox, the sculpture whole and still, no title, full brightness.
    void SetUp() override {
        SceneTest::SetUp();
        for (const char* name :
             {"cylborder", "kaos_rot", "kaos_height", "kaos_allscale", "cyl_scnver",
              "kaos_scr-offset", "kaos_vblur_px", "cyl_whiteout", "title_burn", "cyl_titleits"})
            h->values[name] = 0.0f;
        h->values["kaos_numsurfs"] = 24.0f;
        h->values["cyl_fade"] = 255.0f;
    }

    // The frame, checked clean: the pool is given back, no GL error, no warning, and no
    // render target made at run time after the very first frame of the binary.
    std::string frame(int64_t timeMs = 6000) {
        const std::string log = h->frame(timeMs);
        EXPECT_EQ(h->clean(log, h->framesDrawn() == 1), "") << "at " << timeMs;
        return log;
    }

    const RecordingGfx::Quad* quadOf(const std::string& shader) const {
        for (const RecordingGfx::Quad& q : h->gfx->quads)
            if (q.shader == shader) return &q;
        return nullptr;
    }
};

Vec4 all(float v) {
    return {v, v, v, v};
}

} // namespace

// ---- start-up -------------------------------------------------------------------------------

TEST_F(Pillars, InitialiseRegistersEverythingAndTheSculptureHasItsSurfaces) {
    EXPECT_STREQ(h->scene->name(), "cylinders_scene");
    for (const char* s : {"cylshader", "blinn_notex", "bgshader"})
        EXPECT_TRUE(h->real->hasShader(s, nullptr)) << s;
    for (const char* m : {"kaos", "invsphere", "rocks"}) ASSERT_NE(h->real->model(m), nullptr);
    // Enough surfaces for the build to be seen, three at a time.
    EXPECT_GE(h->real->model("kaos")->group_count(), 12);
    EXPECT_EQ(h->initLog.find("ERROR"), std::string::npos) << h->initLog;
    EXPECT_EQ(h->initLog.find("##"), std::string::npos) << h->initLog;
}

// ---- the pass chain -------------------------------------------------------------------------

TEST_F(Pillars, ThePostChainRunsInItsOrderEveryFrame) {
    frame();
    // First the spectrogram's programs are made; from then on each frame asks for the same.
    for (const char* s : {"fftcol", "unshaded_textured"})
        EXPECT_TRUE(h->real->hasShader(s, nullptr)) << s;
    // Copies of the screen's size read texel for texel, halvings read their 2 x 2 texels, and
    // a vertical offset without a smear reads its row once: the passes' same-size programs.
    const std::vector<std::string> expected = {"bgshader",
                                               "blinn_notex",
                                               "blinn_notex",
                                               "cylshader",
                                               "fxaa_prepass",
                                               "fxaa",
                                               "dof",
                                               "passthrough_texel",
                                               "downsample_texel",
                                               "downsample_texel",
                                               "downsample_texel",
                                               "dir_blur",
                                               "dir_blur",
                                               "unsharp",
                                               "post_barrel",
                                               "vertoffset_texel",
                                               "modulate_comp"};
    const std::vector<std::string>& used = h->gfx->used;
    ASSERT_GE(used.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(used.begin(), used.begin() + expected.size()), expected);
    // ... bloom, colour offset, grain, levels, the spectrogram, burn, title, and the blit out.
    const std::vector<std::string> tail = {"coloffset",         "grain",     "levels",
                                           "unshaded_textured", "burn_comp", "ss_overlay_masked",
                                           "passthrough_texel"};
    EXPECT_EQ(std::vector<std::string>(used.end() - tail.size(), used.end()), tail);
    EXPECT_EQ(h->gfx->vectorsOf("dof", "parms"), (std::vector<Vec4>{{100, 160, 0, 0}}));
}

TEST_F(Pillars, TheGradeTakesAnIntegerPartOfOne) {
    h->values["cyl_scnver"] = 0.9f;
    frame();
    EXPECT_FALSE(h->gfx->usedShader("post_rgb_lut"));
    h->values["cyl_scnver"] = 1.0f;
    frame();
    EXPECT_TRUE(h->gfx->usedShader("post_rgb_lut"));
    EXPECT_EQ(h->gfx->vectorsOf("post_rgb_lut", "opasity"), (std::vector<Vec4>{all(1.0f)}));
}

// ---- what the shaders are given -------------------------------------------------------------

TEST_F(Pillars, SurfacesInFlightGetTheirOwnOffsets) {
    h->values["kaos_allscale"] = 0.25f;
    h->values["kaos_numsurfs"] = 7.5f;
    frame();
    const std::vector<Vec4> offsets = h->gfx->vectorsOf("cylshader", "offset_magnitude");
    ASSERT_EQ(offsets.size(), 4u);
    const float expected[4] = {0.25f, 0.75f, 0.25f + 0.70710678f, 0.25f + 0.35355339f};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(offsets[i][0], expected[i], 1e-5f) << i;

    // A whole number of groups: only the settled surfaces, at the base offset.
    h->values["kaos_numsurfs"] = 6.0f;
    frame();
    EXPECT_EQ(h->gfx->vectorsOf("cylshader", "offset_magnitude"), (std::vector<Vec4>{all(0.25f)}));
    // Far past the model's surfaces: still one draw at the base, nothing in flight.
    h->values["kaos_numsurfs"] = 1e9f;
    frame();
    EXPECT_EQ(h->gfx->vectorsOf("cylshader", "offset_magnitude").size(), 1u);
}

TEST_F(Pillars, TheSculptureIsLiftedAndSeenWithTheMusicTime) {
    h->values["kaos_height"] = 12.5f;
    frame(8250);
    EXPECT_EQ(h->gfx->vectorsOf("cylshader", "time_s"), (std::vector<Vec4>{all(8.25f)}));
    // Lifted along y and otherwise placed as the model is.
    const auto model = h->gfx->matricesOf("cylshader", "modelmat");
    ASSERT_EQ(model.size(), 1u);
    std::array<float, 16> lifted = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    lifted[13] = 12.5f;
    EXPECT_EQ(model[0], lifted);
    const std::vector<Vec4> eye = h->gfx->vectorsOf("cylshader", "ws_eye_pos");
    ASSERT_EQ(eye.size(), 1u);
    // The eye keeps its distance from the origin (no band energy: no shake).
    const float d2 = eye[0][0] * eye[0][0] + eye[0][1] * eye[0][1] + eye[0][2] * eye[0][2];
    EXPECT_NEAR(d2, 3.0f * 125.0f * 125.0f, 1.0f);
}

TEST_F(Pillars, TheLetterboxFollowsCylborderWithinTheViewport) {
    const struct {
        float border;
        Vec4 parms;
    } cases[] = {{0.5f, {180, 540, 0, 0}}, {3.0f, {360, 360, 0, 0}}, {-1.0f, {0, 720, 0, 0}}};
    for (const auto& c : cases) {
        h->values["cylborder"] = c.border;
        frame();
        EXPECT_EQ(h->gfx->vectorsOf("bgshader", "parms"), (std::vector<Vec4>{c.parms})) << c.border;
    }
}

TEST_F(Pillars, TracksReachTheirPasses) {
    h->values["kaos_scr-offset"] = 0.1f;
    h->values["kaos_vblur_px"] = 64.0f;
    h->values["cyl_whiteout"] = 0.2f;
    h->values["cyl_fade"] = 128.0f;
    h->values["title_burn"] = 0.6f;
    frame();
    EXPECT_EQ(h->gfx->vectorsOf("vertoffset", "parms"), (std::vector<Vec4>{{0.1f, 64.0f, 0, 0}}));
    // No kick in silence: the vignette is at its full amount.
    EXPECT_EQ(h->gfx->vectorsOf("modulate_comp", "opasity"), (std::vector<Vec4>{all(1.0f)}));
    const std::vector<Vec4> levels = h->gfx->vectorsOf("levels", "levels_inout");
    ASSERT_FALSE(levels.empty());
    EXPECT_NEAR(levels.back()[1], 0.8f * 255.0f, 1e-3f);
    EXPECT_EQ(levels.back()[3], 128.0f);
    EXPECT_EQ(h->gfx->vectorsOf("burn_comp", "opasity"), (std::vector<Vec4>{all(0.6f)}));
}

// The grain's clock is wall-clock seconds counted from the program's start, where a float
// still holds them to the millisecond; the music going back does not take it along.
TEST_F(Pillars, GrainFollowsTheWallClockNotTheMusic) {
    auto grainTime = [&](int64_t musicMs) {
        frame(musicMs);
        const std::vector<Vec4> time = h->gfx->vectorsOf("grain", "time");
        EXPECT_EQ(time.size(), 1u);
        return time.empty() ? -1.0f : time[0][0];
    };
    const auto start = std::chrono::steady_clock::now();
    const float first = grainTime(100000);
    const float second = grainTime(1000);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double age = process_age_seconds();
    EXPECT_GE(first, 0.0f);
    EXPECT_LE(first, second) << "the music went back 99 s";
    EXPECT_LE(second - first, elapsed.count() + 0.002);
    EXPECT_LE(second, age) << "seconds, more than this process has run";
}

TEST_F(Pillars, TheTitleIsCentredAtItsMaskSizeOverTheBurnedPicture) {
    h->values["cyl_titleits"] = 0.7f;
    frame();
    const RecordingGfx::Quad* q = quadOf("ss_overlay_masked");
    ASSERT_NE(q, nullptr);
    // Our mask is 1024 x 256, shown at 1.2 times its size on the 1280 x 720 screen.
    EXPECT_FLOAT_EQ(q->x1, 1024.0f * 1.2f / 1280.0f);
    EXPECT_FLOAT_EQ(q->y1, 256.0f * 1.2f / 720.0f);
    EXPECT_FLOAT_EQ(q->x0, -q->x1);
    EXPECT_FLOAT_EQ(q->y0, -q->y1);
    EXPECT_EQ(rs::field(q->state, rs::kBlendSrcColorShift, rs::kBlendMask),
              uint64_t(kBlendOne) | uint64_t(kBlendOneMinusSrcAlpha) << 4 |
                  uint64_t(kBlendOne) << 8 | uint64_t(kBlendZero) << 12);
    EXPECT_EQ(h->gfx->vectorsOf("ss_overlay_masked", "opasity"), (std::vector<Vec4>{all(0.7f)}));
}

// ---- pixels ---------------------------------------------------------------------------------

TEST_F(Pillars, OnceThirtyTwoColumnsAreWrittenTheLettersShowTheSilentSpectrogram) {
    // A bright picture (white-out) under a full-strength title.
    h->values["cyl_whiteout"] = 0.8f;
    h->values["cyl_titleits"] = 1.0f;
    for (int k = 0; k < 33; ++k) frame(6000 + k * 16);
    // The middle of the first stroke of the V (mask pixel 122, 40 from the top) is black:
    // every visible column holds silence.
    EXPECT_LT(SceneHarness::brightness(172, 464, 6), 30.0f);
    // Without the title the same spot shows the whitened picture.
    h->values["cyl_titleits"] = 0.0f;
    frame(6000 + 33 * 16);
    EXPECT_GT(SceneHarness::brightness(172, 464, 6), 150.0f);
}

TEST_F(Pillars, EveryFrameOfTheIntroIsCleanAndNotBlack) {
    for (float border : {0.0f, 0.42f, 1.0f})
        for (float n : {0.0f, 4.4f, 24.0f}) {
            h->values["cylborder"] = border;
            h->values["kaos_numsurfs"] = n;
            h->values["cyl_scnver"] = n > 4.0f ? 1.0f : 0.0f;
            frame(int64_t(1000 + n * 1000));
            if (border >= 1.0f) continue; // a shut letterbox may leave the middle black
            EXPECT_GT(SceneHarness::brightness(640, 360, 64), 15.0f) << border << " " << n;
        }
}
