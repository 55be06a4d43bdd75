// The graphics context on a real GL context: lazy render state, draws, viewport, depth copies.
//
// GL 1.1 state calls are counted by defining them here: the gfx library links against these
// definitions, which count and then forward to libGL's own. Entry points fetched by the
// loader are counted by swapping the loader's pointer.
#include "gfx_context.h"
#include "gl_test_context.h"
#include "window.h"
#include "temp_dir.h"

#include <dlfcn.h>
#include <fstream>
#include <map>
#include <string>

// ---- GL call counting -----------------------------------------------------------------------

static std::map<std::string, int> g_calls;

template <typename F> static F realGl(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

#define COUNTED_GL(ret, name, params, args)                                                        \
    extern "C" ret name params {                                                                   \
        ++g_calls[#name];                                                                          \
        static auto real = realGl<ret(*) params>(#name);                                           \
        return real args;                                                                          \
    }
COUNTED_GL(void, glDepthMask, (GLboolean f), (f))
COUNTED_GL(void, glDepthFunc, (GLenum f), (f))
COUNTED_GL(void, glPolygonMode, (GLenum face, GLenum mode), (face, mode))
COUNTED_GL(void, glCullFace, (GLenum mode), (mode))
COUNTED_GL(void, glFrontFace, (GLenum mode), (mode))
COUNTED_GL(void, glEnable, (GLenum cap), (cap))
COUNTED_GL(void, glDisable, (GLenum cap), (cap))
COUNTED_GL(void, glColorMask, (GLboolean r, GLboolean g, GLboolean b, GLboolean a), (r, g, b, a))
COUNTED_GL(void, glClear, (GLbitfield mask), (mask))
#undef COUNTED_GL

static PFNGLBLENDFUNCSEPARATEPROC g_realBlendFuncSeparate;
static void APIENTRY countedBlendFuncSeparate(GLenum a, GLenum b, GLenum c, GLenum d) {
    ++g_calls["glBlendFuncSeparate"];
    g_realBlendFuncSeparate(a, b, c, d);
}

static int totalCalls() {
    int n = 0;
    for (auto& kv : g_calls) n += kv.second;
    return n;
}

// ---- fixture --------------------------------------------------------------------------------

// One context for the binary, initialised like the host does it.
class Gfx : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        desc = WindowDesc{1280, 720, 1280, 720, false, false, false};
        gfx = makeTestGfx(&desc, &initOut, &initErr);
        g_realBlendFuncSeparate = glBlendFuncSeparate;
        glBlendFuncSeparate = countedBlendFuncSeparate;

        // A program that shows its texture, and one that draws in a uniform colour.
        static const TempDir dir("gfx_test");
        std::ofstream(dir.file("tex.vert")) << "#version 330 compatibility\n"
                                               "layout(location = 0) in vec4 pos;\n"
                                               "layout(location = 2) in vec2 uv;\n"
                                               "out vec2 v_uv;\n"
                                               "void main() { v_uv = uv; gl_Position = pos; }\n";
        std::ofstream(dir.file("tex.frag")) << "#version 330 compatibility\n"
                                               "uniform sampler2D tex;\n"
                                               "in vec2 v_uv;\n"
                                               "out vec4 colour;\n"
                                               "void main() { colour = texture(tex, v_uv); }\n";
        std::ofstream(dir.file("col.vert")) << "#version 330 compatibility\n"
                                               "layout(location = 0) in vec4 pos;\n"
                                               "void main() { gl_Position = pos; }\n";
        std::ofstream(dir.file("col.frag")) << "#version 330 compatibility\n"
                                               "uniform vec4 color;\n"
                                               "out vec4 colour;\n"
                                               "void main() { colour = color; }\n";
        testing::internal::CaptureStdout();
        gfx->loadShader("test_tex", dir.file("tex.vert"), dir.file("tex.frag"));
        gfx->loadShader("test_col", dir.file("col.vert"), dir.file("col.frag"));
        testing::internal::GetCapturedStdout();
    }
    void SetUp() override {
        *gfx->renderState() = rs::defaultWord();
        gfx->applyRenderState();
        gfx->setViewport(0, 0, 1280, 720);
        g_calls.clear();
    }

    // Draws `colour` over the screen with blending off.
    static void fill(float r, float g, float b, float a) {
        const float c[4] = {r, g, b, a};
        uint64_t& w = *gfx->renderState();
        rs::setDepthFunc(w, kDepthAlways);
        rs::setCulling(w, false);
        gfx->useShader("test_col");
        gfx->setVector("test_col", "color", c);
        gfx->drawFullscreenQuad();
    }

    static WindowDesc desc;
    static gfxContext* gfx;
    static std::string initOut, initErr;
};
WindowDesc Gfx::desc;
gfxContext* Gfx::gfx;
std::string Gfx::initOut, Gfx::initErr;

// ---- initialisation -------------------------------------------------------------------------

TEST_F(Gfx, InitSetsViewportPoolShadersAndState) {
    EXPECT_EQ(gfx->viewport()[2], 1280);
    EXPECT_EQ(gfx->viewport()[3], 720);
    EXPECT_EQ(gfx->renderTargetPool().freeCount(), 10u);
    EXPECT_EQ(gfx->renderTargetPool().outstanding(), 0);
    EXPECT_TRUE(gfx->hasShader("default_shader", nullptr));
    EXPECT_TRUE(gfx->hasShader("debugcol", nullptr));
    EXPECT_EQ(initErr.find("ERROR"), std::string::npos) << initErr;
    EXPECT_EQ(*gfx->renderState(), rs::defaultWord());
    GLboolean blend = glIsEnabled(GL_BLEND), depthTest = glIsEnabled(GL_DEPTH_TEST);
    EXPECT_TRUE(blend && depthTest);
    GLint cull = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &cull);
    EXPECT_EQ(cull, GL_BACK);
}

TEST_F(Gfx, ScreenSizeFollowsTheWindowHeightFlag) {
    // The context reads its description live, as the host's window owns it.
    desc.useWindowHeight = true;
    desc.windowHeight = 800;
    EXPECT_EQ(gfx->screenHeight(), 800);
    desc.useWindowHeight = false;
    desc.windowHeight = 720;
    EXPECT_EQ(gfx->screenHeight(), 720);
    EXPECT_EQ(gfx->screenWidth(), 1280);
}

// ---- render state ---------------------------------------------------------------------------

TEST_F(Gfx, StateReachesGlOnlyAtTheNextDrawOrClear) {
    rs::setDepthFunc(*gfx->renderState(), kDepthAlways);
    EXPECT_EQ(totalCalls(), 0);
    GLint func = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &func);
    EXPECT_EQ(func, GL_LESS);
    gfx->clear(2);
    glGetIntegerv(GL_DEPTH_FUNC, &func);
    EXPECT_EQ(func, GL_ALWAYS);
    EXPECT_EQ(g_calls["glDepthFunc"], 1);
}

TEST_F(Gfx, OnlyChangedFieldsAreSent) {
    rs::setCullBack(*gfx->renderState(), false);
    gfx->applyRenderState();
    EXPECT_EQ(g_calls["glCullFace"], 1);
    EXPECT_EQ(totalCalls(), 1) << "only glCullFace for bit 7";
    GLint face = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &face);
    EXPECT_EQ(face, GL_FRONT);

    g_calls.clear();
    rs::setBlend(*gfx->renderState(), kBlendSrcAlpha, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOne);
    gfx->applyRenderState();
    gfx->applyRenderState();
    EXPECT_EQ(g_calls["glBlendFuncSeparate"], 1);
    EXPECT_EQ(totalCalls(), 1);
    GLint src = 0, dst = 0, srcA = 0, dstA = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    glGetIntegerv(GL_BLEND_DST_RGB, &dst);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &srcA);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &dstA);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(srcA, GL_ONE);
    EXPECT_EQ(dstA, GL_ONE);
}

TEST_F(Gfx, EveryFieldMapsToItsGlState) {
    uint64_t& w = *gfx->renderState();
    rs::setDepthWrite(w, false);
    rs::setPolygonMode(w, kPolygonLine);
    rs::setCulling(w, false);
    rs::setFrontCCW(w, false);
    rs::setAlphaTest(w, true);
    rs::setColorMask(w, 0x5); // red and blue
    gfx->applyRenderState();
    GLboolean depthMask = GL_TRUE, mask[4];
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    GLint poly[2], front = 0;
    glGetIntegerv(GL_POLYGON_MODE, poly);
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_FALSE(depthMask);
    EXPECT_TRUE(mask[0] && !mask[1] && mask[2] && !mask[3]);
    EXPECT_EQ(poly[0], GL_LINE);
    EXPECT_EQ(front, GL_CW);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
}

TEST_F(Gfx, PolygonModeThreeAssertsAndFills) {
    rs::setPolygonMode(*gfx->renderState(), 3);
    testing::internal::CaptureStderr();
    gfx->applyRenderState();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "## ASSERT FAILED: \"unknown polygon fill mode\"\nattach debugger\n");
    GLint poly[2];
    glGetIntegerv(GL_POLYGON_MODE, poly);
    EXPECT_EQ(poly[0], GL_FILL);
}

TEST_F(Gfx, PushPopRestoresTheWordButGlChangesLater) {
    uint64_t before = *gfx->renderState();
    gfx->pushRenderState();
    rs::setDepthWrite(*gfx->renderState(), false);
    gfx->applyRenderState();
    gfx->popRenderState();
    EXPECT_EQ(*gfx->renderState(), before);
    GLboolean depthMask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_FALSE(depthMask) << "pop alone must not touch GL";
    gfx->clear(1);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_TRUE(depthMask);
}

TEST_F(Gfx, ClearWithNoFlagsDoesNothingAtAll) {
    rs::setDepthFunc(*gfx->renderState(), kDepthGreater);
    gfx->clear(0);
    gfx->clear(-3);
    EXPECT_EQ(totalCalls(), 0);
    gfx->clear(4);
    EXPECT_EQ(g_calls["glClear"], 1);
    EXPECT_EQ(g_calls["glDepthFunc"], 1);
}

// ---- drawing --------------------------------------------------------------------------------

TEST_F(Gfx, FullscreenQuadCoversTheViewportAndClearsFollowTheColour) {
    gfx->setClearColor(0, 0, 1, 1);
    gfx->clear(3);
    unsigned char px[4];
    readPixel(0, 0, px);
    EXPECT_EQ(px[2], 255);
    fill(1, 0, 0, 1);
    for (auto xy : {std::pair<int, int>{0, 0}, {1279, 719}, {640, 360}, {0, 719}}) {
        readPixel(xy.first, xy.second, px);
        EXPECT_EQ(px[0], 255) << xy.first << "," << xy.second;
        EXPECT_EQ(px[2], 0);
    }
}

TEST_F(Gfx, QuadUVHalfShowsTheLowerLeftQuarterOfTheTexture) {
    // 2x2 texture, bottom row first: red green / blue white.
    const unsigned char texels[16] = {255, 0, 0,   255, 0,   255, 0,   255,
                                      0,   0, 255, 255, 255, 255, 255, 255};
    TextureHandle* tex = gfx->createTexture2D(2, 2, kFormatRGBA8, kFormatRGBA8, 2, texels);
    ASSERT_NE(tex, nullptr);
    glBindTexture(GL_TEXTURE_2D, tex->name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    uint64_t& w = *gfx->renderState();
    rs::setDepthFunc(w, kDepthAlways);
    rs::setCulling(w, false);

    gfx->useShader("test_tex");
    gfx->setTexture("test_tex", "tex", tex);
    gfx->drawFullscreenQuad();
    unsigned char px[4];
    readPixel(10, 10, px); // lower left: red
    EXPECT_TRUE(px[0] == 255 && px[1] == 0 && px[2] == 0);
    readPixel(1270, 710, px); // upper right: white
    EXPECT_TRUE(px[0] == 255 && px[1] == 255 && px[2] == 255);

    gfx->drawFullscreenQuadUV(0.5f, 0.5f);
    for (auto xy : {std::pair<int, int>{10, 10}, {1270, 710}, {640, 360}}) {
        readPixel(xy.first, xy.second, px);
        EXPECT_TRUE(px[0] == 255 && px[1] == 0 && px[2] == 0) << xy.first << "," << xy.second;
    }
}

TEST_F(Gfx, QuadCornersAndIndexedTriangles) {
    gfx->setClearColor(0, 0, 0, 1);
    gfx->clear(3);
    uint64_t& w = *gfx->renderState();
    rs::setDepthFunc(w, kDepthAlways);
    rs::setCulling(w, false);
    const float green[4] = {0, 1, 0, 1};
    gfx->useShader("test_col");
    gfx->setVector("test_col", "color", green);
    gfx->drawQuad(0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f); // upper-right quarter of the screen
    unsigned char px[4];
    readPixel(960, 540, px);
    EXPECT_EQ(px[1], 255);
    readPixel(320, 180, px);
    EXPECT_EQ(px[1], 0);

    // One triangle through the lower-left corner, drawn from indices and from arrays.
    const float tri[12] = {-1, -1, 0, 1, 0, -1, 0, 1, -1, 0, 0, 1};
    const uint32_t idx[3] = {0, 1, 2};
    gfx->clear(1);
    gfx->drawIndexedTriangles(idx, tri, 3);
    readPixel(100, 100, px);
    EXPECT_EQ(px[1], 255);
    readPixel(600, 340, px);
    EXPECT_EQ(px[1], 0);
    gfx->clear(1);
    gfx->drawTriangles(tri, 3);
    readPixel(100, 100, px);
    EXPECT_EQ(px[1], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Gfx, AttributesAreDisabledAfterEveryDraw) {
    const float tri[12] = {-1, -1, 0, 1, 0, -1, 0, 1, -1, 0, 0, 1};
    const float uv[6] = {0, 0, 1, 0, 0, 1};
    const uint32_t idx[3] = {0, 1, 2};
    gfx->useShader("test_col");
    gfx->drawIndexedTrianglesUV2(idx, tri, uv, uv, 3);
    for (GLuint a : {0u, 2u, 3u}) {
        GLint enabled = 1;
        glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        EXPECT_EQ(enabled, 0) << "attribute " << a;
    }
}

TEST_F(Gfx, BoxDrawsItsTwelveEdges) {
    gfx->setClearColor(0, 0, 0, 1);
    gfx->clear(3);
    rs::setDepthFunc(*gfx->renderState(), kDepthAlways);
    const float white[4] = {1, 1, 1, 1};
    gfx->useShader("test_col");
    gfx->setVector("test_col", "color", white);
    const float box[6] = {-0.5f, -0.5f, 0.0f, 0.5f, 0.5f, 0.5f};
    gfx->drawBox(box);
    unsigned char px[4];
    readPixel(640, 180, px); // bottom edge, x = 0, y = -0.5
    EXPECT_GT(px[0], 100);
    readPixel(320, 360, px); // left edge, x = -0.5, y = 0
    EXPECT_GT(px[0], 100);
    readPixel(640, 360, px); // inside: empty
    EXPECT_EQ(px[0], 0);
}

TEST_F(Gfx, SetViewportStoresAndApplies) {
    gfx->setViewport(10, 20, 300, 400);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[0], 10);
    EXPECT_EQ(vp[3], 400);
    EXPECT_EQ(gfx->viewport()[1], 20);
    EXPECT_EQ(gfx->viewport()[2], 300);
}

// ---- render targets and depth copies --------------------------------------------------------

TEST_F(Gfx, ScreenTargetsComeFromThePoolWithoutAllocating) {
    testing::internal::CaptureStdout();
    {
        RenderTargetHandle full = gfx->acquireScreenRenderTarget(1);
        RenderTargetHandle quarter = gfx->acquireScreenRenderTarget(4);
        ASSERT_NE(full.target, nullptr);
        EXPECT_EQ(full->texture()->width, 1280);
        EXPECT_EQ(quarter->texture()->width, 320);
        EXPECT_EQ(quarter->texture()->height, 180);
        EXPECT_EQ(gfx->renderTargetPool().outstanding(), 2);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(gfx->renderTargetPool().outstanding(), 0);
}

TEST_F(Gfx, DepthTextureIsCachedPerTargetButCopiedEveryTime) {
    RenderTargetHandle rt = gfx->acquireRenderTarget(320, 180);
    rt->bind(gfx, 3);
    fill(1, 1, 1, 1); // depth ALWAYS with depth write: writes z = 0 -> depth 0.5
    rt->unbind(gfx);
    TextureHandle* depth = gfx->depthTexture(rt.target);
    ASSERT_NE(depth, nullptr);
    EXPECT_EQ(depth->width, 320);
    EXPECT_EQ(depth->format, kFormatDepth16);

    std::vector<float> texels(320 * 180);
    glBindTexture(GL_TEXTURE_2D, depth->name);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, texels.data());
    EXPECT_NEAR(texels[180 * 160 / 2], 0.5f, 0.01f);

    rt->bind(gfx, 2); // cleared depth: 1.0
    rt->unbind(gfx);
    EXPECT_EQ(gfx->depthTexture(rt.target), depth);
    glBindTexture(GL_TEXTURE_2D, depth->name);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_NEAR(texels[100], 1.0f, 0.01f);
    EXPECT_EQ(gfx->viewport()[2], 1280) << "the copy leaves the viewport as it was";
}

// ---- models ---------------------------------------------------------------------------------

TEST_F(Gfx, UnknownModelNamesYieldNoModelAndDoNotBlockALaterLoad) {
    EXPECT_EQ(gfx->model("nothing here"), nullptr);
    // A name that was only looked up holds no model, so it is not "already inserted".
    testing::internal::CaptureStderr();
    EXPECT_EQ(gfx->loadModel("nothing here", "data/models/x.3ds"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(gfx->model("nothing here"), nullptr);
}

// ---- textures -------------------------------------------------------------------------------

TEST_F(Gfx, ARefusedImageIsReportedOnceHoweverOftenItIsAskedFor) {
    const std::string file = "data/textures/no_such_logo.png";
    testing::internal::CaptureStderr();
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(gfx->loadTexture(file, true, 2, true, 0), nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string line = "images must be 24 or 32 bpp... \"" + file + "\" is 0\n";
    ASSERT_NE(err.find(line), std::string::npos) << err;
    EXPECT_EQ(err.find(line, err.find(line) + 1), std::string::npos) << err;
    EXPECT_NE(gfx->loadTexture("data/textures/default_white.png", false, 2, true, 0), nullptr);
}

// Several plug-ins register the same program (each carries its own once-only flags): a program
// whose file is broken is reported by the first registration only; other programs still build.
TEST_F(Gfx, AProgramThatFailedIsReportedOnceHoweverManyModulesRegisterIt) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (int module = 0; module < 3; ++module)
        gfx->loadShaderDefines("broken_twice", "data/shaders/default.vert",
                               "data/shaders/no_such_stage.frag", nullptr);
    const std::string out =
        testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    const size_t first = out.find("no_such_stage.frag");
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_EQ(out.find("no_such_stage.frag", out.find('\n', first)), std::string::npos) << out;
    EXPECT_FALSE(gfx->hasShader("broken_twice", nullptr));
    gfx->loadShader("built_after", "data/shaders/default.vert", "data/shaders/default.frag");
    EXPECT_TRUE(gfx->hasShader("built_after", nullptr));
}
