// The tunnel plug-in on a real GL context (scene_harness.h): loaded by the real loader from a
// temporary root, drawn by a real graphics context seen through RecordingGfx, tracks written
// per frame, pixels read back from the frame.
#include "process_age.h"
#include "scene_harness.h"
#include "vortex_rules.h"

#include <array>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

using Vec4 = std::array<float, 4>;

class Vortex : public SceneTest {
  protected:
    static void SetUpTestSuite() { openScene(PLUGIN, "vortex_scene"); }

    // A lit stretch of steady tunnel with greetings 0-2 ahead, nothing glitched.
    void SetUp() override {
        SceneTest::SetUp();
        values["tnl_camrot"] = 0.0f;
        values["tnl_ofs"] = 125.0f;
        values["tnl_lightits"] = 1.0f;
        values["tnl_lightdist"] = 30.0f;
        values["tnl_glitch"] = 0.0f;
        values["tnl_postglitch1"] = 0.0f;
        values["tnl_postglitch2"] = 0.0f;
    }

    std::string frame(int64_t timeMs = 2000) { return h->frame(timeMs); }
    // Brightness of the middle 600 x 600 of the frame, 0..765.
    static float brightness() { return SceneHarness::brightness(640, 360, 600); }
};

} // namespace

// ---- start-up -------------------------------------------------------------------------------

TEST_F(Vortex, InitialiseRegistersEverythingItDraws) {
    EXPECT_STREQ(h->scene->name(), "tunnel_scene");
    EXPECT_TRUE(h->real->hasShader("blinn_notex_falloff", nullptr));
    EXPECT_TRUE(h->real->hasShader("greets", nullptr));
    for (const char* model : {"tunnelmain", "tunnelbroken", "greetmodel"})
        EXPECT_NE(h->real->model(model), nullptr) << model;
    // Every file was there and every program compiled: nothing reported.
    EXPECT_EQ(h->initLog.find("##"), std::string::npos) << h->initLog;
    EXPECT_EQ(h->initLog.find("ERROR"), std::string::npos) << h->initLog;
}

// ---- the frame's passes ---------------------------------------------------------------------

TEST_F(Vortex, ThePassChainRunsInOrderOnTwoFullSizeTargets) {
    // Glitches at some strength: at none each is a copy texel for texel.
    values["tnl_postglitch1"] = 0.5f;
    values["tnl_postglitch2"] = 0.5f;
    EXPECT_EQ(h->clean(frame()), "");
    ASSERT_EQ(h->gfx->leases.size(), 2u);
    for (const RecordingGfx::Lease& l : h->gfx->leases) {
        EXPECT_EQ(l.width, 1280);
        EXPECT_EQ(l.height, 720);
    }
    EXPECT_EQ(h->gfx->quadShaders(),
              (std::vector<std::string>{"post_rgb_lut", "dof", "coloffset", "digiglitch",
                                        "digiglitch2", "passthrough_texel"}));
    // The tunnel and its greetings come first.
    ASSERT_GE(h->gfx->used.size(), 2u);
    EXPECT_EQ(h->gfx->used[0], "blinn_notex_falloff");
    EXPECT_TRUE(h->gfx->usedShader("greets"));
    // The result goes over the host's framebuffer premultiplied, with the 2-D state.
    const uint64_t s = h->gfx->quads.back().state;
    EXPECT_EQ(blendField(s, rs::kBlendSrcColorShift), kBlendOne);
    EXPECT_EQ(blendField(s, rs::kBlendDstColorShift), kBlendOneMinusSrcAlpha);
    EXPECT_EQ(blendField(s, rs::kBlendSrcAlphaShift), kBlendOne);
    EXPECT_EQ(blendField(s, rs::kBlendDstAlphaShift), kBlendOne);
    EXPECT_EQ(rs::field(s, rs::kDepthFuncShift, rs::kDepthFuncMask), kDepthAlways);
    EXPECT_FALSE(s & rs::kDepthWrite);
}

TEST_F(Vortex, PassesGetTheMusicClockTheirTracksAndFixedValues) {
    values["tnl_postglitch1"] = 0.25f;
    values["tnl_postglitch2"] = 0.75f;
    frame(12345);
    EXPECT_EQ(h->gfx->vectorsOf("post_rgb_lut", "opasity"), (std::vector<Vec4>{{1, 1, 1, 1}}));
    EXPECT_EQ(h->gfx->vectorsOf("dof", "parms"), (std::vector<Vec4>{{0.1f, 40.0f, 0, 0}}));
    EXPECT_EQ(h->gfx->vectorsOf("digiglitch", "parms"),
              (std::vector<Vec4>{{12345.0f, 0.25f, 0, 0}}));
    EXPECT_EQ(h->gfx->vectorsOf("digiglitch2", "time_s"),
              (std::vector<Vec4>{{12.345f, 12.345f, 12.345f, 12.345f}}));
    EXPECT_EQ(h->gfx->vectorsOf("digiglitch2", "glitch"),
              (std::vector<Vec4>{{0.75f, 0.75f, 0.75f, 0.75f}}));
}

TEST_F(Vortex, TheLightIsSetOnceInColourAndForEverySegmentInPlace) {
    struct Case {
        float o;
        size_t segments;
    };
    // The broken end alone, the design's two cases, and the two values whose copy closes
    // the gap.
    for (const Case c :
         {Case{-60.0f, 0}, Case{0.0f, 1}, Case{100.0f, 4}, Case{48.0f, 3}, Case{96.0f, 4}}) {
        values["tnl_ofs"] = c.o;
        values["tnl_lightits"] = 0.6f;
        values["tnl_lightdist"] = 33.0f;
        frame();
        EXPECT_EQ(h->gfx->vectorsOf("blinn_notex_falloff", "diffcol"),
                  (std::vector<Vec4>{{0.6f, 0.6f, 0.6f, 1.0f}}))
            << c.o;
        EXPECT_EQ(h->gfx->vectorsOf("blinn_notex_falloff", "ws_lightpos"),
                  std::vector<Vec4>(1 + c.segments, Vec4{0.0f, 33.0f, 0.0f, 0.0f}))
            << c.o;
    }
}

TEST_F(Vortex, EachGreetingHasItsOwnImageFlipAndTheGlitch) {
    values["tnl_glitch"] = 0.4f;
    frame();
    std::vector<Vec4> flips;
    for (int i = 0; i < vortex::kGreetingCount; ++i) {
        const float f = vortex::inverseUv(vortex::greetingAngle(i));
        flips.push_back({f, f, f, f});
    }
    EXPECT_EQ(h->gfx->vectorsOf("greets", "inverse_uv"), flips);
    EXPECT_EQ(h->gfx->vectorsOf("greets", "glitch"),
              std::vector<Vec4>(13, Vec4{0.4f, 0.4f, 0.4f, 0.4f}));
    EXPECT_EQ(h->gfx->vectorsOf("greets", "color"), (std::vector<Vec4>{{1, 1, 1, 1}}));
    std::set<TextureHandle*> images;
    for (const RecordingGfx::Sampler& s : h->gfx->samplers)
        if (s.shader == "greets" && s.sampler == "tex") images.insert(s.texture);
    EXPECT_EQ(images.size(), 13u);
    EXPECT_EQ(images.count(nullptr), 0u);
    // Wall-clock seconds, the same in every component and never going back, counted from the
    // program's start (where a float still holds them to the millisecond).
    const std::vector<Vec4> clock = h->gfx->vectorsOf("greets", "time_s");
    const double age = process_age_seconds();
    ASSERT_EQ(clock.size(), 13u);
    EXPECT_GE(clock[0][0], 0.0f);
    EXPECT_LE(clock.back()[0], age) << "seconds, more than this process has run";
    for (size_t i = 0; i < clock.size(); ++i) {
        EXPECT_EQ(clock[i][0], clock[i][3]);
        if (i) {
            EXPECT_GE(clock[i][0], clock[i - 1][0]);
        }
    }
}

// ---- every frame is clean and shows the tunnel ------------------------------------------------

TEST_F(Vortex, AnyOffsetAndDamagedTracksLeaveThePoolAndGlClean) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    int frames = 0;
    for (float o : {-100.0f, -48.0f, 0.0f, 48.0f, 96.0f, 125.0f, 1e6f, nan, -inf}) {
        values["tnl_ofs"] = o;
        values["tnl_camrot"] = frames % 2 ? nan : 0.37f;
        values["tnl_glitch"] = values["tnl_postglitch1"] = values["tnl_postglitch2"] = 1.0f;
        const std::string log = frame(1000 + 250 * frames++);
        EXPECT_EQ(h->clean(log), "") << o;
        // The tube is always drawn around the camera: the frame is never empty or NaN-black.
        EXPECT_GT(brightness(), 30.0f) << o;
    }
}

TEST_F(Vortex, TheLightTrackLightsTheTunnel) {
    values["tnl_lightits"] = 0.0f;
    frame();
    const float dark = brightness();
    values["tnl_lightits"] = 1.0f;
    frame();
    const float lit = brightness();
    EXPECT_GT(lit, dark + 40.0f) << dark << " " << lit;
}
