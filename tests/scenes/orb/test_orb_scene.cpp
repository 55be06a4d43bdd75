// The orb plug-in on a real GL context (scene_harness.h): loaded by the real loader from a
// temporary root, drawn by a real graphics context seen through RecordingGfx, tracks written
// per frame, uniforms and pixels read back.
#include "scene_harness.h"

#include "camera.h"
#include "matrix.h"
#include "orb_rules.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using Vec4 = std::array<float, 4>;
using Mat = std::array<float, 16>;

const char* const kLogoShader = "brusqua_logo";

// The view-projection of the scene's camera at offset c, worked out here from the designed
// numbers: eye (c, 0, 1), target (c + 0.3, 0.6, 0), 90 degrees, the frame's 16:9, 0.1 to 500.
Mat expectedMvp(float c) {
    const float eye[3] = {c, 0.0f, 1.0f};
    const float target[3] = {float(double(c) + 0.3), 0.6f, 0.0f};
    const float up[3] = {0.0f, 1.0f, 0.0f};
    Camera camera;
    camera.setLookAt(eye, target, up);
    camera.setPerspective(90.0f, 1280.0f / 720.0f, 0.1f, 500.0f);
    Mat identity, out;
    mat_identity(identity.data());
    mat_product(out.data(), identity.data(), camera.viewProjection());
    return out;
}

class Orb : public SceneTest {
  protected:
    static void SetUpTestSuite() { openScene(PLUGIN, "orb_scene"); }

    void SetUp() override {
        SceneTest::SetUp();
        for (const char* name : {"brk_camofs", "brk_radits", "brk_glitch1", "brk_glitch2"})
            h->values[name] = 0.0f;
    }

    // One frame; every frame must leave the pool, GL and the log clean (two full-size leases
    // fit the pool, so not even the first frame may create a target), and only the first
    // frame of the run may build the radial blur's program.
    std::string frame(int64_t timeMs = 2000) {
        const std::string log = h->frame(timeMs);
        EXPECT_EQ(h->clean(log), "") << "frame at " << timeMs;
        if (h->framesDrawn() > 1) {
            EXPECT_EQ(log.find("post_radialblur"), std::string::npos) << log;
        }
        return log;
    }

    // A matrix uniform of the logo's program as GL holds it after the frame.
    static Mat uniformMatrix(const char* name) {
        const GLuint program = h->real->useShader(kLogoShader);
        Mat m{};
        glGetUniformfv(program, glGetUniformLocation(program, name), m.data());
        return m;
    }

    // The main input sampled by each quad of the frame, in order.
    std::vector<std::pair<std::string, TextureHandle*>> inputs() const {
        std::vector<std::pair<std::string, TextureHandle*>> out;
        for (const RecordingGfx::Sampler& s : h->gfx->samplers)
            if (s.sampler == "tex0" || s.sampler == "tex" || s.sampler == "tex_img" ||
                s.sampler == "tex_under")
                out.push_back({s.shader, s.texture});
        return out;
    }
};

} // namespace

// ---- start-up -------------------------------------------------------------------------------

TEST_F(Orb, InitialiseRegistersEveryProgramAndModelButNotTheBlur) {
    EXPECT_STREQ(h->scene->name(), "borksphere_scene");
    // All three build on the driver, the geometry stage of the breaking sphere included.
    for (const char* shader : {"unlit", kLogoShader, "borksphere_shader"})
        EXPECT_TRUE(h->real->hasShader(shader, nullptr)) << shader;
    EXPECT_EQ(h->initLog.find("ERROR"), std::string::npos) << h->initLog;
    // The sphere's program is made of three stages: the geometry stage went in too.
    GLint stages = 0;
    glGetProgramiv(h->real->useShader("borksphere_shader"), GL_ATTACHED_SHADERS, &stages);
    EXPECT_EQ(stages, 3);
    for (const char* model : {"brokensphere", "brokecross", "logo_brusqua2"})
        EXPECT_NE(h->real->model(model), nullptr) << model;
    // The blur's program waits for the pass's first call.
    EXPECT_FALSE(h->real->hasShader("radialblur", nullptr));
    frame();
    EXPECT_TRUE(h->real->hasShader("radialblur", nullptr));
}

// ---- the camera and the logo ----------------------------------------------------------------

TEST_F(Orb, MvpIsExactlyTheSlidingCamerasViewProjection) {
    Mat forward0{};
    for (float c : {0.0f, 2.5f, -5.5f, -0.3f}) {
        values["brk_camofs"] = c;
        frame();
        const Mat mvp = uniformMatrix("mvp"), expected = expectedMvp(c);
        for (int k = 0; k < 16; ++k) EXPECT_EQ(mvp[k], expected[k]) << "c " << c << " k " << k;
        // The row that makes w is the view direction: the slide never turns the camera (but for
        // the rounding of the target to floats).
        if (c == 0.0f) forward0 = mvp;
        for (int k : {3, 7, 11}) EXPECT_NEAR(mvp[k], forward0[k], 1e-6f) << "c " << c << " k " << k;
    }
    Mat identity;
    mat_identity(identity.data());
    EXPECT_EQ(uniformMatrix("modelmat"), identity);
    EXPECT_EQ(uniformMatrix("modelmatIT"), identity);
    EXPECT_EQ(h->gfx->vectorsOf(kLogoShader, "color"), (std::vector<Vec4>{{1, 1, 1, 1}}));
    EXPECT_EQ(h->gfx->vectorsOf(kLogoShader, "ws_lightpos"), (std::vector<Vec4>{{-10, 0, 20, 0}}));
}

TEST_F(Orb, TheLogoStandsInTheMiddleAndSlidesAside) {
    frame();
    EXPECT_GT(SceneHarness::brightness(640, 360, 160), 60.0f);
    EXPECT_LT(SceneHarness::brightness(64, 64, 64), 30.0f);
    // Far enough to one side, the middle is empty: the camera moved, not only the numbers.
    values["brk_camofs"] = 8.0f;
    frame();
    EXPECT_LT(SceneHarness::brightness(640, 360, 160), 30.0f);
}

TEST_F(Orb, AnOffsetThatIsNoNumberDrawsFromTheMiddle) {
    h->keys["brk_camofs"] = {{0, std::numeric_limits<float>::quiet_NaN(), INTERP_STEP}};
    frame();
    EXPECT_EQ(uniformMatrix("mvp"), expectedMvp(0.0f));
    EXPECT_GT(SceneHarness::brightness(640, 360, 160), 60.0f);
}

// ---- the post chain -------------------------------------------------------------------------

TEST_F(Orb, TheChainAlternatesTwoTargetsAndEndsWithA) {
    // Glitches at some strength: at none each is a copy texel for texel.
    h->values["brk_glitch1"] = 0.5f;
    h->values["brk_glitch2"] = 0.5f;
    frame();
    ASSERT_EQ(h->gfx->leases.size(), 2u);
    for (const RecordingGfx::Lease& l : h->gfx->leases) {
        EXPECT_EQ(l.width, 1280);
        EXPECT_EQ(l.height, 720);
    }
    EXPECT_EQ(h->gfx->quadShaders(),
              (std::vector<std::string>{"modulate_comp", "radialblur", "coloffset", "digiglitch",
                                        "digiglitch2", "grain", "passthrough_texel"}));
    // A (the logo) -> B -> A -> B -> A -> B -> A, and A is what is shown.
    const auto in = inputs();
    ASSERT_EQ(in.size(), 7u);
    TextureHandle* a = in[0].second;
    TextureHandle* b = in[1].second;
    EXPECT_NE(a, b);
    for (size_t i = 0; i < in.size(); ++i)
        EXPECT_EQ(in[i].second, i % 2 == 0 ? a : b) << in[i].first;
    EXPECT_EQ(in.back().first, "passthrough_texel"); // the screen's size: texel for texel
}

TEST_F(Orb, TheFrameIsLaidOverPremultiplied) {
    frame();
    ASSERT_FALSE(h->gfx->quads.empty());
    const RecordingGfx::Quad& last = h->gfx->quads.back();
    EXPECT_EQ(blendField(last.state, rs::kBlendSrcColorShift), kBlendOne);
    EXPECT_EQ(blendField(last.state, rs::kBlendDstColorShift), kBlendOneMinusSrcAlpha);
    EXPECT_EQ(blendField(last.state, rs::kBlendSrcAlphaShift), kBlendOne);
    EXPECT_EQ(blendField(last.state, rs::kBlendDstAlphaShift), kBlendOne);
    EXPECT_EQ(rs::field(last.state, rs::kDepthFuncShift, rs::kDepthFuncMask), kDepthAlways);
    EXPECT_EQ(last.state & (rs::kDepthWrite | rs::kCullEnable), 0u);
    // What was under the scene shows through where it drew nothing: a red frame stays red in
    // the corners instead of being replaced.
    h->real->setClearColor(1, 0, 0, 1);
    h->real->clear(1);
    h->redraw();
    const std::array<float, 3> corner = SceneHarness::mean(32, 32, 32);
    EXPECT_GT(corner[0], 200.0f);
}

TEST_F(Orb, TracksAndTheTimeReachTheirPasses) {
    values["brk_radits"] = 0.75f;
    values["brk_glitch1"] = 0.25f;
    values["brk_glitch2"] = 0.5f;
    frame(12345);
    const float s = 12.345f;
    EXPECT_EQ(h->gfx->vectorsOf("modulate_comp", "opasity"), (std::vector<Vec4>{{1, 1, 1, 1}}));
    EXPECT_EQ(h->gfx->vectorsOf("radialblur", "time_s"), (std::vector<Vec4>{{s, s, s, s}}));
    EXPECT_EQ(h->gfx->vectorsOf("radialblur", "dist"),
              (std::vector<Vec4>{{1500, 1500, 1500, 1500}}));
    EXPECT_EQ(h->gfx->vectorsOf("radialblur", "multiplier"),
              (std::vector<Vec4>{{0.75f, 0.75f, 0.75f, 0.75f}}));
    EXPECT_EQ(h->gfx->vectorsOf("radialblur", "tex0siz"),
              (std::vector<Vec4>{{1280, 720, 1.0f / 1280, 1.0f / 720}}));
    EXPECT_EQ(h->gfx->vectorsOf("digiglitch", "parms"), (std::vector<Vec4>{{s, 0.25f, 0, 0}}));
    EXPECT_EQ(h->gfx->vectorsOf("digiglitch2", "time_s"), (std::vector<Vec4>{{s, s, s, s}}));
    EXPECT_EQ(h->gfx->vectorsOf("digiglitch2", "glitch"),
              (std::vector<Vec4>{{0.5f, 0.5f, 0.5f, 0.5f}}));
    const auto opacity = h->gfx->vectorsOf("grain", "opasity");
    const auto time = h->gfx->vectorsOf("grain", "time");
    ASSERT_EQ(opacity.size(), 1u);
    ASSERT_EQ(time.size(), 1u);
    EXPECT_EQ(opacity[0], (Vec4{0.1f, 0.1f, 0.1f, 0.1f}));
    EXPECT_EQ(time[0][0], s);
}

TEST_F(Orb, ABlurOfZeroStillRunsAndAnyMoreLightsTheDark) {
    values["brk_radits"] = 0.0f;
    frame();
    EXPECT_EQ(h->gfx->vectorsOf("radialblur", "multiplier"), (std::vector<Vec4>{{0, 0, 0, 0}}));
    // The streaks light the dark around the letters: the whole middle of the frame brightens.
    const float plain = SceneHarness::brightness(640, 360, 720);
    values["brk_radits"] = 1.5f;
    frame();
    EXPECT_GT(SceneHarness::brightness(640, 360, 720), 1.3f * plain);
}

// ---- every frame is clean -------------------------------------------------------------------

TEST_F(Orb, EveryLookLeavesThePoolAndGlClean) {
    struct Look {
        float camofs, radits, glitch1, glitch2;
    };
    // Calm, the end card held, torn apart, off to the side; each twice (the second frame runs
    // on what the first registered).
    for (const Look& look :
         {Look{-1.2f, 0.5f, 0, 0}, Look{0, 1.3f, 0, 0}, Look{2.5f, 4, 1, 1.2f}, Look{-9, 0, 0, 0}})
        for (int k = 0; k < 2; ++k) {
            values["brk_camofs"] = look.camofs;
            values["brk_radits"] = look.radits;
            values["brk_glitch1"] = look.glitch1;
            values["brk_glitch2"] = look.glitch2;
            frame(80000 + 700 * k);
            EXPECT_EQ(h->real->renderTargetPool().outstanding(), 0);
        }
}
