// The scene kit on a real GL context: the bound-target guard with a pooled target (framebuffer,
// viewport and draw buffer come back however the block is left), the texture option sets as
// GL sees them, blend presets in the render-state word, and the viewport's aspect ratio.
#include "bound_target.h"
#include "gfx_context.h"
#include "gl_test_context.h"
#include "irender_target.h"
#include "kit_helpers.h"
#include "render_state.h"
#include "scene_codes.h"
#include "texture_handle.h"
#include "window.h"

#include <array>
#include <stdexcept>
#include <string>

namespace {

GLint getInt(GLenum pname) {
    GLint value = -1;
    glGetIntegerv(pname, &value);
    return value;
}

std::array<GLint, 4> glViewportNow() {
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

GLint textureParameter(const TextureHandle* texture, GLenum pname) {
    GLint value = -1;
    glBindTexture(texture->target, texture->name);
    glGetTexParameteriv(texture->target, pname, &value);
    glBindTexture(texture->target, 0);
    return value;
}

class SceneKitGl : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        static const WindowDesc desc{1280, 720, 1280, 720, false, false, false};
        gfx = makeTestGfx(&desc);
    }
    void SetUp() override {
        *gfx->renderState() = rs::defaultWord();
        gfx->setViewport(10, 20, 300, 200);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        drawBuffer = getInt(GL_DRAW_BUFFER);
    }

    // What a scene pass does: bind, maybe leave early, draw.
    static GLint drawInto(RenderTargetHandle& lease, bool leaveEarly) {
        BoundTarget bound(gfx, lease, kClearColourDepth);
        const GLint inside = getInt(GL_FRAMEBUFFER_BINDING);
        if (leaveEarly) return inside;
        gfx->drawFullscreenQuad();
        return inside;
    }

    void expectScreenRestored() const {
        EXPECT_EQ(getInt(GL_FRAMEBUFFER_BINDING), 0);
        EXPECT_EQ(getInt(GL_DRAW_BUFFER), drawBuffer);
        EXPECT_EQ(glViewportNow(), (std::array<GLint, 4>{10, 20, 300, 200}));
        const int32_t* vp = gfx->viewport();
        EXPECT_EQ((std::array<int32_t, 4>{vp[0], vp[1], vp[2], vp[3]}),
                  (std::array<int32_t, 4>{10, 20, 300, 200}));
    }

    static gfxContext* gfx;
    GLint drawBuffer = 0;
};
gfxContext* SceneKitGl::gfx = nullptr;

TEST_F(SceneKitGl, GuardBindsTheTargetAtItsSizeAndClearsIt) {
    RenderTargetHandle lease = gfx->acquireScreenRenderTarget(kScreenQuarter);
    ASSERT_NE(lease.target, nullptr);
    gfx->setClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    {
        BoundTarget bound(gfx, lease, kClearColour);
        EXPECT_NE(getInt(GL_FRAMEBUFFER_BINDING), 0);
        EXPECT_EQ(glViewportNow(), (std::array<GLint, 4>{0, 0, 320, 180}));
        unsigned char px[4];
        readPixel(5, 5, px);
        EXPECT_EQ(px[1], 255);
        EXPECT_EQ(px[0], 0);
    }
    expectScreenRestored();
}

TEST_F(SceneKitGl, GuardRestoresTheScreenOnAnEarlyReturnAndAnException) {
    RenderTargetHandle lease = gfx->acquireScreenRenderTarget(kScreenFull);
    EXPECT_NE(drawInto(lease, true), 0);
    expectScreenRestored();
    EXPECT_NE(drawInto(lease, false), 0);
    expectScreenRestored();
    try {
        BoundTarget bound(gfx, lease, kClearNone);
        throw std::runtime_error("pass failed");
    } catch (const std::runtime_error&) {
    }
    expectScreenRestored();
}

TEST_F(SceneKitGl, GuardWithoutClearingKeepsWhatTheTargetHeld) {
    RenderTargetHandle lease = gfx->acquireScreenRenderTarget(kScreenQuarter);
    gfx->setClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    { BoundTarget paint(gfx, lease, kClearColour); }
    gfx->setClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    {
        BoundTarget keep(gfx, lease, kClearNone);
        unsigned char px[4];
        readPixel(5, 5, px);
        EXPECT_EQ(px[0], 255);
        EXPECT_EQ(px[2], 0);
    }
    expectScreenRestored();
}

TEST_F(SceneKitGl, TextureOptionSetsReachGl) {
    // Power-of-two: the mipmaps asked for are kept.
    TextureHandle* tiled = loadTexture(gfx, "data/textures/tlv_wobble.png", kLoadRepeatedMipmapped);
    ASSERT_NE(tiled, nullptr);
    EXPECT_EQ(textureParameter(tiled, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(tiled, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);

    TextureHandle* flat = loadTexture(gfx, "data/textures/stripeback02.png", kLoadClamped);
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(textureParameter(flat, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(textureParameter(flat, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(flat->target, GLuint(GL_TEXTURE_2D));
    EXPECT_EQ(flat->format, kFormatCompressedRGB);

    testing::internal::CaptureStderr();
    EXPECT_EQ(loadTexture(gfx, "data/textures/no_such_logo.png", kLoadClampedMipmapped), nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no_such_logo.png"), std::string::npos) << err;
}

TEST_F(SceneKitGl, BlendPresetsChangeOnlyTheBlendFactors) {
    uint64_t& word = *gfx->renderState();
    rs::setDepthFunc(word, kDepthLequal);
    rs::setColorMask(word, 0x5);
    const uint64_t others = word & ~rs::kBlendMask;

    setBlend(gfx, kBlendOver);
    EXPECT_EQ(word & ~rs::kBlendMask, others);
    EXPECT_EQ(rs::field(word, rs::kBlendSrcColorShift, 0xfull << rs::kBlendSrcColorShift),
              kBlendOne);
    EXPECT_EQ(rs::field(word, rs::kBlendDstColorShift, 0xfull << rs::kBlendDstColorShift),
              kBlendOneMinusSrcAlpha);
    EXPECT_EQ(rs::field(word, rs::kBlendDstAlphaShift, 0xfull << rs::kBlendDstAlphaShift),
              kBlendOne);

    setBlend(gfx, kBlendAdd);
    EXPECT_EQ(word & ~rs::kBlendMask, others);
    EXPECT_EQ(rs::field(word, rs::kBlendDstColorShift, 0xfull << rs::kBlendDstColorShift),
              kBlendOne);
    EXPECT_EQ(rs::field(word, rs::kBlendDstAlphaShift, 0xfull << rs::kBlendDstAlphaShift),
              kBlendZero);
}

TEST_F(SceneKitGl, AspectFollowsTheViewportAndFallsBackWithoutOne) {
    gfx->setViewport(0, 0, 1280, 720);
    EXPECT_FLOAT_EQ(viewportAspect(gfx), 1280.0f / 720.0f);
    gfx->setViewport(0, 0, 512, 512);
    EXPECT_FLOAT_EQ(viewportAspect(gfx), 1.0f);
    gfx->setViewport(0, 0, 640, 0);
    EXPECT_FLOAT_EQ(viewportAspect(gfx), 16.0f / 9.0f);
    // A context whose viewport was never set reports -1 x -1.
    for (int i = 0; i < 4; ++i) gfx->viewportRect[i] = -1;
    EXPECT_FLOAT_EQ(viewportAspect(gfx), 16.0f / 9.0f);
}

} // namespace
