// test_render_targets.cpp - framebuffer targets and the context's pool, on a real GL context.
#include "gl_test_context.h"

#include "gfx_context.h"
#include "render_target.h"
#include "texture_manager.h"
#include "window.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

GLint getInt(GLenum pname) {
    GLint value = -1;
    glGetIntegerv(pname, &value);
    return value;
}

// Name of what is attached at `attachment` of the bound framebuffer.
GLint attached(GLenum attachment) {
    GLint name = -1;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
    return name;
}

std::vector<unsigned char> pixelAt(int x, int y) {
    std::vector<unsigned char> rgba(4);
    readPixel(x, y, rgba.data());
    return rgba;
}

std::vector<unsigned char> rgba(int r, int g, int b, int a) {
    return {(unsigned char)r, (unsigned char)g, (unsigned char)b, (unsigned char)a};
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A graphics context initialised for a screen of the given size (the window stays 1280x720).
struct Context {
    explicit Context(int w, int h) : desc{1280, 720, w, h, false, false, false} {
        CaptureStdout();
        CaptureStderr();
        gfx = std::make_unique<gfxContext>();
        gfx->init(&desc);
        initOut = GetCapturedStdout();
        initErr = GetCapturedStderr();
    }
    // Destroys the context, returning what it printed.
    std::string destroy() {
        CaptureStdout();
        gfx.reset();
        return GetCapturedStdout();
    }
    ~Context() {
        if (gfx) destroy();
    }
    WindowDesc desc;
    std::unique_ptr<gfxContext> gfx;
    std::string initOut, initErr;
};

class RenderTargets : public testing::Test {
  protected:
    void SetUp() override {
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    Context ctx{1280, 720};
    gfxContext& gfx = *ctx.gfx;
};

// ---- cRenderTarget_fbo ----------------------------------------------------------------------

TEST_F(RenderTargets, SizedTargetIsCompleteAndBindsItsOwnViewport) {
    CaptureStderr();
    cRenderTarget_fbo target;
    target.initWithSize(&gfx, 64, 32, true);
    EXPECT_EQ(GetCapturedStderr(), "");
    TextureHandle* tex = target.texture();
    ASSERT_NE(tex, nullptr);
    EXPECT_EQ(tex->target, GLenum(GL_TEXTURE_2D));
    EXPECT_EQ(tex->width, 64);
    EXPECT_EQ(tex->height, 32);
    EXPECT_EQ(tex->format, kFormatRGBA8);
    EXPECT_TRUE(target.hasDepth());
    EXPECT_EQ(getInt(GL_FRAMEBUFFER_BINDING), 0); // init leaves the screen bound

    const int vx = 10, vy = 20, vw = 300, vh = 200;
    gfx.setViewport(vx, vy, vw, vh);
    gfx.setClearColor(1, 0, 0, 1);
    target.bind(&gfx, 1 | 2 | 4);
    EXPECT_NE(getInt(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(attached(GL_COLOR_ATTACHMENT0), GLint(tex->name));
    EXPECT_NE(attached(GL_DEPTH_ATTACHMENT), 0);
    EXPECT_EQ(attached(GL_STENCIL_ATTACHMENT), attached(GL_DEPTH_ATTACHMENT));
    EXPECT_EQ(getInt(GL_DRAW_BUFFER), GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(getInt(GL_READ_BUFFER), GL_COLOR_ATTACHMENT0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 64, 32}));
    EXPECT_EQ(pixelAt(63, 31), rgba(255, 0, 0, 255));

    target.unbind(&gfx);
    EXPECT_EQ(getInt(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(getInt(GL_DRAW_BUFFER), GL_BACK);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{vx, vy, vw, vh}));
    EXPECT_EQ(gfx.viewport()[2], vw);

    gfx.setClearColor(0, 0, 1, 1);
    target.bind(&gfx, 0); // keeps what was drawn before
    EXPECT_EQ(pixelAt(5, 5), rgba(255, 0, 0, 255));
    target.unbind(&gfx);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RenderTargets, ATargetBoundInsideAnotherGivesThatOneBackOnUnbind) {
    // A post pass told to draw into "whatever is bound" borrows targets of its own while the
    // caller's is bound; when they unbind, the caller's target must be bound again, with its
    // viewport and draw buffer, not the screen.
    cRenderTarget_fbo outer, inner;
    outer.initWithSize(&gfx, 64, 32, false);
    inner.initWithSize(&gfx, 16, 8, false);
    gfx.setViewport(0, 0, 1280, 720);
    outer.bind(&gfx, 0);
    const GLint outerName = getInt(GL_FRAMEBUFFER_BINDING);
    inner.bind(&gfx, 0);
    EXPECT_NE(getInt(GL_FRAMEBUFFER_BINDING), outerName);
    inner.unbind(&gfx);
    EXPECT_EQ(getInt(GL_FRAMEBUFFER_BINDING), outerName);
    EXPECT_EQ(getInt(GL_DRAW_BUFFER), GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(gfx.viewport()[2], 64);
    cRenderTarget_fbo madeMeanwhile; // as the pool does for a size it lacks
    madeMeanwhile.initWithSize(&gfx, 8, 8, true);
    EXPECT_EQ(getInt(GL_FRAMEBUFFER_BINDING), outerName);

    // Bound again while bound: the first bind's saved state stands.
    outer.bind(&gfx, 0);
    outer.unbind(&gfx);
    EXPECT_EQ(getInt(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(getInt(GL_DRAW_BUFFER), GL_BACK);
    EXPECT_EQ(gfx.viewport()[2], 1280);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RenderTargets, DepthTextureTargetDrawsIntoItsTexture) {
    TextureHandle* depth = gfx.createTexture2D(32, 32, kFormatDepth, kFormatDepth24, 2, nullptr);
    ASSERT_NE(depth, nullptr);
    // Asking for the shared depth buffer too must not push the texture off the attachment.
    for (bool hasDepth : {false, true}) {
        CaptureStderr();
        std::unique_ptr<iRenderTarget> target(gfx.createRenderTarget(depth, hasDepth));
        EXPECT_EQ(GetCapturedStderr(), "") << hasDepth;
        EXPECT_EQ(target->texture(), depth);

        gfx.setClearDepth(hasDepth ? 0.75f : 0.25f);
        target->bind(&gfx, 2);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
        EXPECT_EQ(attached(GL_DEPTH_ATTACHMENT), GLint(depth->name));
        EXPECT_EQ(getInt(GL_DRAW_BUFFER), GL_NONE);
        EXPECT_EQ(getInt(GL_READ_BUFFER), GL_NONE);
        target->unbind(&gfx);

        std::vector<float> texels(32 * 32);
        glBindTexture(GL_TEXTURE_2D, depth->name);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_NEAR(texels[5 * 32 + 7], hasDepth ? 0.75f : 0.25f, 1e-4) << hasDepth;
    }
    // The texture was the caller's and stays so.
    EXPECT_TRUE(glIsTexture(depth->name));
    glDeleteTextures(1, &depth->name);
    delete depth;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RenderTargets, SharedDepthBufferOutlivesAnyOneOfItsTargets) {
    auto first = std::make_unique<cRenderTarget_fbo>();
    auto second = std::make_unique<cRenderTarget_fbo>();
    first->initWithSize(&gfx, 96, 48, true);
    second->initWithSize(&gfx, 96, 48, true);

    first->bind(&gfx, 0);
    const GLint shared = attached(GL_DEPTH_ATTACHMENT);
    first->unbind(&gfx);
    second->bind(&gfx, 0);
    EXPECT_EQ(attached(GL_DEPTH_ATTACHMENT), shared);
    second->unbind(&gfx);

    const GLuint firstTexture = first->texture()->name;
    first.reset();
    EXPECT_FALSE(glIsTexture(firstTexture)); // a target deletes the texture it made
    EXPECT_TRUE(glIsRenderbuffer(shared));
    second->bind(&gfx, 2 | 4);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(attached(GL_DEPTH_ATTACHMENT), shared);
    second->unbind(&gfx);

    second.reset(); // the last user of the size lets it go
    EXPECT_FALSE(glIsRenderbuffer(shared));
    cRenderTarget_fbo third;
    third.initWithSize(&gfx, 96, 48, true);
    third.bind(&gfx, 2);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_TRUE(glIsRenderbuffer(attached(GL_DEPTH_ATTACHMENT)));
    third.unbind(&gfx);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RenderTargets, IncompleteFramebufferIsReported) {
    // An attachment without pixels is "attachment incomplete".
    TextureHandle* empty = gfx.createTexture2D(0, 0, kFormatBGRA, kFormatRGBA8, 2, nullptr);
    ASSERT_NE(empty, nullptr);
    CaptureStderr();
    std::unique_ptr<iRenderTarget> target(gfx.createRenderTarget(empty, false));
    std::string err = GetCapturedStderr();
    target->bind(&gfx, 0);
    const std::string fbo = std::to_string(getInt(GL_FRAMEBUFFER_BINDING));
    target->unbind(&gfx);
    EXPECT_EQ(err, "FRAMEBUFFER_INCOMPLETE_ATTACHMENT\n"
                   "\nframebuffer_gl: " +
                       fbo +
                       "\n"
                       "renderbuffer_gl: 0\n"
                       "texture:\n"
                       "\ttextarget: GL_TEXTURE_2D\n"
                       "\tsize: 0x0\n"
                       "\tinternal_format: RGBA8\n"
                       "\ttexid_gl: " +
                       std::to_string(empty->name) +
                       "\n"
                       "\tsrgb: false\n"
                       "\twithout depth\n");
    target.reset();
    glDeleteTextures(1, &empty->name);
    delete empty;
    while (glGetError() != GL_NO_ERROR) {
    }
}

TEST_F(RenderTargets, TargetWithoutTextureIsReportedAndInert) {
    CaptureStderr();
    std::unique_ptr<iRenderTarget> target(gfx.createRenderTarget(nullptr, true));
    EXPECT_NE(GetCapturedStderr().find("ASSERT FAILED"), std::string::npos);
    EXPECT_EQ(target->texture(), nullptr);
    const int x = 1, y = 2, w = 30, h = 40;
    gfx.setViewport(x, y, w, h);
    target->bind(&gfx, 1);
    target->unbind(&gfx);
    EXPECT_EQ(getInt(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(gfx.viewport()[3], h);
}

// ---- the pool -------------------------------------------------------------------------------

// The sizes a 1280x720 screen pre-fills, with how many of each.
TEST(RenderTargetPool, PrefillServesTheEffectSizesWithoutCreating) {
    Context ctx(1280, 720);
    gfxContext& gfx = *ctx.gfx;
    EXPECT_EQ(count(ctx.initErr, "rtsiz not div by 8"), 0u);
    const RenderTargetPool& pool = gfx.renderTargetPool();
    EXPECT_EQ(pool.freeCount(), 10u);
    EXPECT_EQ(pool.outstanding(), 0);
    EXPECT_EQ(pool.maxOutstanding(), 10);

    struct Size {
        int w, h, n;
    } sizes[] = {{1280, 720, 3}, {640, 360, 3}, {320, 180, 2}, {160, 90, 2}};
    std::vector<RenderTargetHandle> out;
    std::vector<GLint> depthOfSize;
    CaptureStdout();
    for (const Size& s : sizes) {
        for (int i = 0; i < s.n; ++i) {
            out.push_back(gfx.acquireRenderTarget(s.w, s.h));
            TextureHandle* tex = out.back()->texture();
            EXPECT_EQ(tex->width, s.w);
            EXPECT_EQ(tex->height, s.h);
            out.back()->bind(&gfx, 0);
            GLint depth = attached(GL_DEPTH_ATTACHMENT);
            out.back()->unbind(&gfx);
            if (i == 0) depthOfSize.push_back(depth);
            EXPECT_EQ(depth, depthOfSize.back()) << "one depth buffer per size";
        }
    }
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(pool.freeCount(), 0u);
    EXPECT_EQ(pool.outstanding(), 10);

    // A fourth full-size target has to be made at run time, and says so.
    CaptureStdout();
    out.push_back(gfx.acquireRenderTarget(1280, 720));
    EXPECT_EQ(GetCapturedStdout(),
              "# performance-warning: allocated rendertarget runtime: 1280x720\n");
    EXPECT_EQ(pool.maxOutstanding(), 11);

    out.clear(); // handles give their targets back
    EXPECT_EQ(pool.outstanding(), 0);
    EXPECT_EQ(pool.freeCount(), 11u);
    EXPECT_EQ(ctx.destroy(), "# rrt-manager: number of tmp-rt allocated: 11\n"
                             "# rtt-manager: maximum concurrently allocated RTs: 11\n");
}

TEST(RenderTargetPool, OddScreenSizeWarnsOnceAndRoundsDown) {
    Context ctx(1366, 768);
    gfxContext& gfx = *ctx.gfx;
    EXPECT_EQ(count(ctx.initErr, "# WARNING: rtsiz not div by 8\n"), 1u) << ctx.initErr;
    CaptureStdout();
    RenderTargetHandle a = gfx.acquireRenderTarget(170, 96);
    RenderTargetHandle b = gfx.acquireRenderTarget(683, 384);
    RenderTargetHandle c = gfx.acquireRenderTarget(341, 192);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(a->texture()->width, 170);
    EXPECT_EQ(a->texture()->height, 96);
}

TEST(RenderTargetPool, ReleasedTargetsAreLentAgainOldestFirst) {
    Context ctx(1280, 720);
    gfxContext& gfx = *ctx.gfx;
    RenderTargetHandle a = gfx.acquireRenderTarget(160, 90);
    RenderTargetHandle b = gfx.acquireRenderTarget(160, 90);
    iRenderTarget* first = a.target;
    gfx.releaseRenderTarget(&a);
    EXPECT_EQ(a.target, nullptr);
    gfx.releaseRenderTarget(&a);                  // a released handle is ignored
    { RenderTargetHandle scoped = std::move(b); } // gives b's target back on destruction
    EXPECT_EQ(gfx.renderTargetPool().outstanding(), 0);
    EXPECT_EQ(gfx.acquireRenderTarget(160, 90).target, first);
}

TEST(RenderTargetPool, TargetStillOutAtExitIsReported) {
    Context ctx(1280, 720);
    RenderTargetHandle kept = ctx.gfx->acquireRenderTarget(1280, 720);
    kept.owner = nullptr; // never given back
    CaptureStderr();
    std::string out = ctx.destroy();
    std::string err = GetCapturedStderr();
    EXPECT_EQ(err, "## ERROR, rendertargetmanager: rendertarget still bound while exiting...\n");
    EXPECT_EQ(out, "# rrt-manager: number of tmp-rt allocated: 9\n"
                   "# rtt-manager: maximum concurrently allocated RTs: 10\n");
    delete kept.target;
}

} // namespace
