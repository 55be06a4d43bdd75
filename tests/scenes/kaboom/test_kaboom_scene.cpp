// The reactor plug-in on a real GL context (scene_harness.h): loaded by the real loader from a
// temporary root, drawn by a real graphics context seen through RecordingGfx, tracks written
// per frame, pixels read back from the frame and from the cube map.
#include "matrix.h"
#include "scene_harness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// The brightest 8 x 8 block in the middle of the frame, where the beam's white core stands
// in the direct view (the struts in front of it move with the camera).
float brightestInTheMiddle() {
    float best = 0.0f;
    for (int y = 240; y <= 600; y += 8)
        for (int x = 480; x <= 800; x += 8)
            best = std::max(best, SceneHarness::brightness(x, y, 8));
    return best;
}

// One context and plug-in for the whole binary. The first test draws the scene's first frame;
// each test starts from the timeline's look of bar 34 and changes what it is about.
class Kaboom : public SceneTest {
  protected:
    static void SetUpTestSuite() { openScene(PLUGIN, "kaboom_scene"); }

    void SetUp() override {
        SceneTest::SetUp();
        h->values = {{"rct_camrot", 0.0f},   {"rct_camdist", 1.0f},  {"rct_midglow", 1.0f},
                     {"rct_beamtime", 3.0f}, {"rct_ctr_h", 20.0f},   {"expl_cylview", 0.0f},
                     {"expl_vofs", 0.0f},    {"expl_vblur_px", 0.0f}};
        if (h->framesDrawn() == 0) firstLog = h->frame(56276);
    }

    std::string frame(int64_t timeMs = 56276) { return h->frame(timeMs); }

    // Alpha (0..255) at the centre of the cube map's stored face `face`.
    static int faceCentreAlpha(TextureHandle* cube, int face) {
        std::vector<unsigned char> px(512 * 512 * 4);
        glBindTexture(GL_TEXTURE_CUBE_MAP, cube->name);
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                      px.data());
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        return px[(256 * 512 + 256) * 4 + 3];
    }

    // The cube map the panorama samples.
    TextureHandle* cubeMap() const {
        for (const RecordingGfx::Sampler& s : h->gfx->samplers)
            if (s.shader == "cube2scr" && s.sampler == "cubetex") return s.texture;
        return nullptr;
    }

    static inline std::string firstLog;
};

} // namespace

// ---- start-up and the first frame -------------------------------------------------------------

TEST_F(Kaboom, InitialiseRegistersEverythingTheFrameUses) {
    EXPECT_STREQ(h->scene->name(), "expl_scn");
    for (const char* shader : {"debugcol", "objcol", "blinn_notex", "cube2scr", "march_beam"})
        EXPECT_TRUE(h->real->hasShader(shader, nullptr)) << shader;
    for (const char* model : {"reactor", "cube2x2", "cyl2x5"})
        EXPECT_NE(h->real->model(model), nullptr) << model;
    EXPECT_EQ(h->initLog.find("ERROR"), std::string::npos) << h->initLog;
}

TEST_F(Kaboom, OnlyTheFirstFrameCreatesTheStreaksTargets) {
    // A and B are held while the streaks borrow three more: two more than the pool's three.
    EXPECT_EQ(SceneHarness::occurrences(firstLog, "allocated rendertarget runtime: 1280x720"), 2)
        << firstLog;
    EXPECT_EQ(h->clean(firstLog, true), "");
    for (float view : {0.0f, 1.0f}) {
        h->values["expl_cylview"] = view;
        const std::string log = frame();
        EXPECT_EQ(h->clean(log), "") << view;
        for (const RecordingGfx::Lease& l : h->gfx->leases) {
            EXPECT_EQ(l.width, 1280);
            EXPECT_EQ(l.height, 720);
        }
        EXPECT_EQ(h->gfx->leases.size(), 5u);
    }
}

// ---- the two views ----------------------------------------------------------------------------

TEST_F(Kaboom, SevenSceneDrawsForTheDirectViewSixForThePanorama) {
    struct Case {
        float cylview;
        int sceneDraws;
        bool panorama;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Case& c : {Case{0.0f, 7, false}, Case{0.5f, 7, false}, Case{nan, 7, false},
                          Case{0.51f, 6, true}, Case{1.0f, 6, true}}) {
        h->values["expl_cylview"] = c.cylview;
        frame();
        EXPECT_EQ(h->gfx->uses("blinn_notex"), c.sceneDraws) << c.cylview;
        EXPECT_EQ(h->gfx->uses("march_beam"), c.sceneDraws) << c.cylview;
        EXPECT_EQ(h->gfx->uses("cube2scr"), c.panorama ? 1 : 0) << c.cylview;
        EXPECT_EQ(h->glError, GLenum(GL_NO_ERROR)) << c.cylview;
    }
}

TEST_F(Kaboom, ThePanoramaSamplesTheCubeMapOverTheBackground) {
    h->values["expl_cylview"] = 1.0f;
    frame();
    TextureHandle* cube = cubeMap();
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->target, GLenum(GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(cube->width, 512);
    EXPECT_EQ(cube->height, 512);
    const auto resolution = h->gfx->vectorsOf("cube2scr", "resolution");
    ASSERT_EQ(resolution.size(), 1u);
    EXPECT_EQ(resolution[0],
              (std::array<float, 4>{1280.0f, 720.0f, 1.0f / 1280.0f, 1.0f / 720.0f}));
    for (const RecordingGfx::Quad& q : h->gfx->quads)
        if (q.shader == "cube2scr") {
            // Premultiplied over the picture already in A.
            EXPECT_EQ(blendField(q.state, rs::kBlendDstColorShift), kBlendOneMinusSrcAlpha);
            EXPECT_EQ(q.viewport, (std::array<int, 4>{0, 0, 1280, 720}));
        }
}

TEST_F(Kaboom, FacesFollowTheFaceTableAroundTheEye) {
    // Eye at (75, 45, 0): the reactor lies along -x, which face 4 of the table looks along and
    // which is stored as GL_TEXTURE_CUBE_MAP_POSITIVE_X + 4. Straight up (face 2) is open sky.
    h->values["expl_cylview"] = 1.0f;
    frame();
    TextureHandle* cube = cubeMap();
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(faceCentreAlpha(cube, 4), 255);
    EXPECT_EQ(faceCentreAlpha(cube, 2), 0);
    // Half a turn later the reactor is along +x: face 5.
    h->values["rct_camrot"] = 4.5f;
    frame();
    EXPECT_EQ(faceCentreAlpha(cube, 5), 255);
    EXPECT_EQ(h->glError, GLenum(GL_NO_ERROR));
}

TEST_F(Kaboom, TheDirectViewShowsTheBeamAndThePanoramaSomethingElse) {
    frame();
    // The beam's core is the brightest thing there.
    EXPECT_GT(brightestInTheMiddle(), 400.0f);
    const std::array<float, 3> direct = SceneHarness::mean(640, 360, 512);
    h->values["expl_cylview"] = 1.0f;
    frame();
    const std::array<float, 3> panorama = SceneHarness::mean(640, 360, 512);
    float difference = 0.0f;
    for (int c = 0; c < 3; ++c) difference += std::fabs(direct[c] - panorama[c]);
    EXPECT_GT(difference, 15.0f);
}

// ---- what the shaders are given ---------------------------------------------------------------

TEST_F(Kaboom, TracksReachTheirUniforms) {
    h->values["rct_midglow"] = 0.8f;
    h->values["rct_beamtime"] = 12.5f;
    h->values["rct_ctr_h"] = 31.0f;
    frame();
    const auto diffuse = h->gfx->vectorsOf("blinn_notex", "diffcol");
    ASSERT_EQ(diffuse.size(), 7u);
    EXPECT_EQ(diffuse[0], (std::array<float, 4>{0.7f, 0.7f, 0.7f, 1.0f}));
    const auto light = h->gfx->vectorsOf("blinn_notex", "ws_lightpos");
    EXPECT_EQ(light[0], (std::array<float, 4>{0.0f, 50.0f, 0.0f, 0.0f}));
    EXPECT_EQ(h->gfx->vectorsOf("march_beam", "midglow_fact")[0],
              (std::array<float, 4>{0.8f, 0.8f, 0.8f, 0.8f}));
    EXPECT_EQ(h->gfx->vectorsOf("march_beam", "time_s")[0],
              (std::array<float, 4>{12.5f, 12.5f, 12.5f, 12.5f}));
    EXPECT_EQ(h->gfx->vectorsOf("march_beam", "in_thingy_height")[0],
              (std::array<float, 4>{31.0f, 31.0f, 31.0f, 31.0f}));
    EXPECT_EQ(h->gfx->vectorsOf("march_beam", "nearfar")[0],
              (std::array<float, 4>{0.1f, 1500.0f, 0.0f, 0.0f}));
}

TEST_F(Kaboom, ADistanceOfZeroPutsTheEyeAtTheOrigin) {
    h->values["rct_camdist"] = 0.0f;
    const std::string log = frame();
    EXPECT_EQ(h->clean(log), "");
    const auto eyes = h->gfx->vectorsOf("march_beam", "in_ws_eyepos");
    ASSERT_EQ(eyes.size(), 7u);
    for (const auto& e : eyes) EXPECT_EQ(e, (std::array<float, 4>{0.0f, 0.0f, 0.0f, 1.0f}));
    // In the cylinder's own space the origin is on the axis, a quarter of the way up.
    const auto os = h->gfx->vectorsOf("march_beam", "os_eyepos")[0];
    EXPECT_NEAR(os[0], 0.0f, 1e-6f);
    EXPECT_NEAR(os[1], 0.5f, 1e-6f);
    EXPECT_NEAR(os[2], 0.0f, 1e-6f);
    // The tilted up vector keeps the camera defined looking straight up at the target: an up
    // along the view would leave it without sideways axes, and the direct view's mvp singular.
    for (const char* shader : {"march_beam", "blinn_notex"}) {
        const auto mvps = h->gfx->matricesOf(shader, "mvp");
        EXPECT_FALSE(mvps.empty()) << shader;
        for (std::array<float, 16> m : mvps) EXPECT_TRUE(mat_inverse(m.data())) << shader;
    }
}

TEST_F(Kaboom, TheVerticalOffsetTakesItsTwoTracks) {
    h->values["expl_vofs"] = -0.25f;
    h->values["expl_vblur_px"] = 30.0f;
    frame();
    const auto parms = h->gfx->vectorsOf("vertoffset", "parms");
    ASSERT_EQ(parms.size(), 1u);
    EXPECT_FLOAT_EQ(parms[0][0], -0.25f);
    EXPECT_FLOAT_EQ(parms[0][1], 30.0f);
    // The picture moves down by a quarter: the top quarter is left to the cleared target.
    EXPECT_LT(SceneHarness::brightness(640, 680, 32), 30.0f);
}

// ---- the caller's framebuffer -------------------------------------------------------------------

TEST_F(Kaboom, AFramebufferBoundByTheCallerIsGivenBack) {
    frame();
    // Draw once more into a target bound by the caller, as a host that captures frames might.
    RenderTargetHandle target = h->real->acquireScreenRenderTarget(1);
    target->bind(h->real, 3);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    h->redraw();
    GLint after = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &after);
    EXPECT_EQ(after, bound);
    // And the frame arrived there.
    const float beam = brightestInTheMiddle();
    target->unbind(h->real);
    EXPECT_GT(beam, 400.0f);
}
