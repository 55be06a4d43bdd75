// The distance-field plug-in on a real GL context (scene_harness.h): loaded by the real
// loader from a temporary root, drawn by a real graphics context seen through RecordingGfx,
// tracks written per frame, pixels read back from the frame.
#include "scene_harness.h"

#include <array>
#include <string>
#include <vector>

namespace {

const char* const kTolvane = "data/textures/tolvane_logo.jpg";
const char* const kKelp = "data/textures/logo_kelpmoor.png";
const char* const kPruxa = "data/textures/pruxa_logo.jpg";

// One context and plug-in for the whole binary; each test starts from neutral tracks and
// decides the ones it is about.
class Distfield : public SceneTest {
  protected:
    static void SetUpTestSuite() { openScene(PLUGIN, "distfield_scene"); }

    void SetUp() override {
        SceneTest::SetUp();
        for (const char* name :
             {"mch_scenever", "march_scenenum", "blob_morph", "blob_distort", "blob_matmorph",
              "blob_logodistort", "slice_offset", "glowintensity", "tlvits", "kelp_its",
              "pruxa_its", "mch_vofs", "mch_vblur"})
            h->values[name] = 0.0f;
    }

    // The march: the full-screen quad drawn with one of the four programs.
    const RecordingGfx::Quad* marchQuad() const {
        for (const RecordingGfx::Quad& q : h->gfx->quads)
            if (q.shader.rfind("raymarch0", 0) == 0) return &q;
        return nullptr;
    }
};

} // namespace

// ---- start-up -------------------------------------------------------------------------------

TEST_F(Distfield, InitialiseRegistersFourVariantsOfOneProgram) {
    EXPECT_STREQ(h->scene->name(), "march_scene");
    const char* defines[4] = {"#define SCENE00\n", "#define SCENE01\n", "#define SCENE02\n",
                              "#define SCENE03\n"};
    for (int i = 0; i < 4; ++i) {
        const std::string name = "raymarch0" + std::to_string(i);
        EXPECT_TRUE(h->real->hasShader(name, defines[i])) << name;
    }
    // Every variant compiles and links on the driver: no error, no missing uniform later.
    EXPECT_EQ(h->initLog.find("ERROR"), std::string::npos) << h->initLog;
}

// ---- the tracks' rules ----------------------------------------------------------------------

TEST_F(Distfield, SceneNumberIsTruncatedAndClamped) {
    struct Case {
        float value;
        const char* shader;
    };
    for (const Case& c :
         {Case{-2.0f, "raymarch00"}, Case{0.99f, "raymarch00"}, Case{1.0f, "raymarch01"},
          Case{2.9f, "raymarch02"}, Case{7.9f, "raymarch03"}, Case{1e30f, "raymarch03"}}) {
        values["march_scenenum"] = c.value;
        h->frame();
        const RecordingGfx::Quad* q = marchQuad();
        ASSERT_NE(q, nullptr) << c.value;
        EXPECT_EQ(q->shader, c.shader) << c.value;
    }
}

TEST_F(Distfield, OnlyTheLastSceneDrawsTheBackground) {
    // The background is the first thing drawn: a blit of it into B before the vignette.
    TextureHandle* background =
        h->real->loadTexture("data/textures/stripeback02.png", false, 2, true, 0);
    ASSERT_NE(background, nullptr);
    for (float n : {-2.0f, 2.9f}) {
        values["march_scenenum"] = n;
        h->frame();
        EXPECT_FALSE(h->gfx->sampled(background)) << n;
    }
    values["march_scenenum"] = 7.9f;
    h->frame();
    EXPECT_TRUE(h->gfx->sampled(background));
    // And it shows where the emblem is not: the stripes' colour in a corner region.
    const std::array<float, 3> corner = SceneHarness::mean(200, 600, 64);
    EXPECT_GT(corner[0] + corner[2], 20.0f);
}

TEST_F(Distfield, HalfIsStillFullResolutionWithEveryStep) {
    values["mch_scenever"] = 0.5f;
    values["tlvits"] = 1.0f;
    h->frame();
    for (const RecordingGfx::Lease& l : h->gfx->leases)
        EXPECT_TRUE(l.width == 1280 || l.width == 640 || l.width == 320 || l.width == 160);
    ASSERT_GE(h->gfx->leases.size(), 3u);
    EXPECT_EQ(h->gfx->leases[0].width, 1280);
    EXPECT_EQ(h->gfx->leases[0].height, 720);
    EXPECT_TRUE(h->gfx->usedShader("coloffset"));
    EXPECT_TRUE(h->gfx->loaded(kTolvane));
    ASSERT_NE(marchQuad(), nullptr);
    EXPECT_EQ(marchQuad()->viewport, (std::array<int, 4>{0, 0, 1280, 720}));
}

TEST_F(Distfield, AnyOtherVersionRunsAtAQuarterWithoutGlowOffsetOrFirstLogo) {
    for (float v : {1.0f, -1.0f, 3.7f}) {
        values["mch_scenever"] = v;
        const std::string log = h->frame();
        for (const RecordingGfx::Lease& l : h->gfx->leases) {
            EXPECT_EQ(l.width, 320) << v;
            EXPECT_EQ(l.height, 180) << v;
        }
        EXPECT_FALSE(h->gfx->usedShader("coloffset")) << v;
        EXPECT_FALSE(h->gfx->loaded(kTolvane)) << v;
        EXPECT_TRUE(h->gfx->loaded(kKelp)) << v;
        EXPECT_TRUE(h->gfx->loaded(kPruxa)) << v;
        ASSERT_NE(marchQuad(), nullptr);
        EXPECT_EQ(marchQuad()->viewport, (std::array<int, 4>{0, 0, 320, 180})) << v;
        EXPECT_EQ(log.find("allocated rendertarget runtime"), std::string::npos) << log;
    }
}

// ---- what the shader and the overlays are given -----------------------------------------------

TEST_F(Distfield, UniformsCarryTheTracksInTheirOrder) {
    values["march_scenenum"] = 1.0f;
    values["blob_distort"] = 0.1f;
    values["blob_morph"] = 0.2f;
    values["blob_matmorph"] = 0.3f;
    values["blob_logodistort"] = 0.4f;
    values["slice_offset"] = 0.5f;
    values["glowintensity"] = 0.6f;
    h->frame(12345);
    const auto time = h->gfx->vectorsOf("raymarch01", "time");
    const auto parms = h->gfx->vectorsOf("raymarch01", "parms");
    const auto parms2 = h->gfx->vectorsOf("raymarch01", "parms2");
    ASSERT_EQ(time.size(), 1u);
    ASSERT_EQ(parms.size(), 1u);
    ASSERT_EQ(parms2.size(), 1u);
    EXPECT_EQ(time[0], (std::array<float, 4>{12.345f, 12.345f, 12.345f, 12.345f}));
    EXPECT_EQ(parms[0], (std::array<float, 4>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(parms2[0], (std::array<float, 4>{0.5f, 0.6f, 0.0f, 0.0f}));
}

TEST_F(Distfield, LogosAreCentredAddedAndScaledFromTheirSize) {
    values["tlvits"] = 0.25f;
    values["kelp_its"] = 0.5f;
    values["pruxa_its"] = 0.75f;
    h->frame();
    std::vector<const RecordingGfx::Quad*> logos;
    for (const RecordingGfx::Quad& q : h->gfx->quads)
        if (q.shader == "ss_overlay_textured") logos.push_back(&q);
    ASSERT_EQ(logos.size(), 3u);
    // Our images: 512 x 256 at 2.5 spans the whole width; 512 x 128 at 1.5; 512 x 256 at 1.15.
    const float expected[3][2] = {{1.0f, 256.0f * 2.5f / 720.0f},
                                  {512.0f * 1.5f / 1280.0f, 128.0f * 1.5f / 720.0f},
                                  {512.0f * 1.15f / 1280.0f, 256.0f * 1.15f / 720.0f}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(logos[i]->x1, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(logos[i]->y1, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(logos[i]->x0, -logos[i]->x1) << i;
        EXPECT_FLOAT_EQ(logos[i]->y0, -logos[i]->y1) << i;
        const uint64_t s = logos[i]->state;
        EXPECT_EQ(blendField(s, rs::kBlendSrcColorShift), kBlendOne);
        EXPECT_EQ(blendField(s, rs::kBlendDstColorShift), kBlendOne);
        EXPECT_EQ(blendField(s, rs::kBlendDstAlphaShift), kBlendZero);
    }
    const auto opacities = h->gfx->vectorsOf("ss_overlay_textured", "opasity");
    ASSERT_EQ(opacities.size(), 3u);
    EXPECT_FLOAT_EQ(opacities[0][0], 0.25f);
    EXPECT_FLOAT_EQ(opacities[1][0], 0.5f);
    EXPECT_FLOAT_EQ(opacities[2][0], 0.75f);
}

TEST_F(Distfield, TheMarchIsDrawnPremultipliedOver) {
    h->frame();
    const RecordingGfx::Quad* q = marchQuad();
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(blendField(q->state, rs::kBlendSrcColorShift), kBlendOne);
    EXPECT_EQ(blendField(q->state, rs::kBlendDstColorShift), kBlendOneMinusSrcAlpha);
}

// ---- every frame is clean and shows something -------------------------------------------------

TEST_F(Distfield, EveryModeAndSceneLeavesThePoolAndGlClean) {
    for (float version : {0.0f, 4.0f})
        for (int n = 0; n < 4; ++n) {
            values["mch_scenever"] = version;
            values["march_scenenum"] = float(n);
            values["tlvits"] = values["kelp_its"] = values["pruxa_its"] = 1.0f;
            values["mch_vofs"] = 0.1f;
            values["mch_vblur"] = 20.0f;
            for (int k = 0; k < 2; ++k) { // the second frame runs on cached textures
                const std::string log = h->frame(1000 + 700 * k + 1500 * n);
                const std::string at = "version " + std::to_string(version) + " scene " +
                                       std::to_string(n) + " frame " + std::to_string(k);
                EXPECT_EQ(h->clean(log), "") << at;
                // Something lit near the middle of the frame, not a flat or black picture.
                EXPECT_GT(SceneHarness::brightness(640, 360, 200), 60.0f) << at;
            }
        }
}

TEST_F(Distfield, TheVerticalOffsetMovesTheWholePicture) {
    values["mch_vofs"] = -1.0f; // slid down by the full height: nothing left on screen
    h->frame();
    EXPECT_EQ(SceneHarness::brightness(640, 360, 100), 0.0f);
}
