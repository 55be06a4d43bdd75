// Debug axes and the unit cube drawn on a real GL context and read back by pixel and depth.
#include "camera.h"
#include "debug_draw.h"
#include "gfx_context.h"
#include "gl_test_context.h"
#include "matrix.h"
#include "render_state.h"
#include "window.h"

#include <string>

class DebugDraw : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        desc = WindowDesc{1280, 720, 1280, 720, false, false, false};
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        gfx = new gfxContext();
        gfx->init(&desc);
        // As a scene's initialise does; the context already holds the name, which stands.
        gfx->loadShader("debugcol", "data/shaders/debugcol.vert", "data/shaders/debugcol.frag");
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
    }
    void SetUp() override {
        *gfx->renderState() = rs::defaultWord();
        gfx->setViewport(0, 0, 1280, 720);
        gfx->setClearColor(0, 0, 0, 0);
        gfx->setClearDepth(1.0f);
        gfx->clear(3);
    }

    static std::string pixel(int x, int y) {
        unsigned char c[4];
        readPixel(x, y, c);
        return std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]);
    }
    static float depth(int x, int y) {
        float d = -1.0f;
        glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &d);
        return d;
    }
    // Window depth of point p under the camera's view-projection, depth range 0..1.
    static float windowDepth(Camera& cam, const float p[3]) {
        const float* m = cam.viewProjection();
        float clip[4];
        for (int j = 0; j < 4; ++j)
            clip[j] = p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j];
        return clip[2] / clip[3] * 0.5f + 0.5f;
    }
    static void drawCube(const float mvp[16]) {
        static const float white[4] = {1, 1, 1, 1};
        gfx->useShader("debugcol");
        gfx->setMatrix("debugcol", "mvp", mvp);
        gfx->setVector("debugcol", "debug_color", white);
        drawUnitCube(gfx);
    }

    static WindowDesc desc;
    static gfxContext* gfx;
};
WindowDesc DebugDraw::desc;
gfxContext* DebugDraw::gfx;

// ---- axes -----------------------------------------------------------------------------------

TEST_F(DebugDraw, AxesAreRedGreenBlueFromTheOrigin) {
    // X and Y at half the screen, Z towards the lower left; shifted half a pixel so that the
    // lines run through pixel centres.
    const float mvp[16] = {0.5f,  0,     0, 0, 0,           0.5f,       0, 0,
                           -0.5f, -0.5f, 0, 0, 1.0f / 1280, 1.0f / 720, 0, 1};
    drawDebugAxes(gfx, mvp);
    EXPECT_EQ(pixel(800, 360), "255,0,0");
    EXPECT_EQ(pixel(955, 360), "255,0,0");
    EXPECT_EQ(pixel(970, 360), "0,0,0") << "X ends at x = 0.5";
    EXPECT_EQ(pixel(640, 450), "0,255,0");
    EXPECT_EQ(pixel(480, 270), "0,0,255");
    EXPECT_EQ(pixel(800, 450), "0,0,0");
    EXPECT_EQ(pixel(640, 270), "0,0,0");
}

// ---- unit cube ------------------------------------------------------------------------------

TEST_F(DebugDraw, CubeCoversItsProjectedRectangle) {
    // x to -0.5..0.5 (pixels 320..960), y to -0.25..0.25 (rows 270..450), z kept in the clip
    // volume; culling off, since this mapping mirrors depth.
    rs::setCulling(*gfx->renderState(), false);
    float scale[16], move[16], mvp[16];
    mat_scale(scale, 1.0f, 0.5f, 0.5f);
    mat_translation(move, -0.5f, -0.25f, -0.25f);
    mat_product(mvp, scale, move);
    drawCube(mvp);

    // The corners of both triangles of the facing side, and just outside each edge.
    const int inside[5][2] = {{322, 272}, {958, 448}, {322, 448}, {958, 272}, {640, 360}};
    for (const auto& p : inside) EXPECT_EQ(pixel(p[0], p[1]), "255,255,255") << p[0] << "," << p[1];
    const int outside[4][2] = {{317, 360}, {962, 360}, {640, 267}, {640, 452}};
    for (const auto& p : outside) EXPECT_EQ(pixel(p[0], p[1]), "0,0,0") << p[0] << "," << p[1];
}

TEST_F(DebugDraw, EveryFaceIsWoundCounterClockwiseFromOutside) {
    // From each side the face nearest the camera must survive back-face culling and be
    // the one in the depth buffer; a face wound the other way would leave the far face or
    // nothing at all.
    const float centre[3] = {0.5f, 0.5f, 0.5f};
    const float dirs[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const auto& d : dirs) {
        SetUp();
        Camera cam;
        const float eye[3] = {centre[0] + 4 * d[0], centre[1] + 4 * d[1], centre[2] + 4 * d[2]};
        const float upY[3] = {0, 1, 0}, upZ[3] = {0, 0, 1};
        cam.setLookAt(eye, centre, d[1] != 0 ? upZ : upY);
        cam.setPerspective(60.0f, 1280.0f / 720.0f, 1.0f, 10.0f);
        drawCube(cam.viewProjection());

        const float nearFace[3] = {centre[0] + 0.5f * d[0], centre[1] + 0.5f * d[1],
                                   centre[2] + 0.5f * d[2]};
        const std::string side =
            std::to_string(d[0]) + "," + std::to_string(d[1]) + "," + std::to_string(d[2]);
        // The near face spans about 89 pixels each way from the centre and faces the camera
        // squarely, so its depth is the same all over; points left and right of the centre
        // lie in different triangles whichever diagonal splits the face.
        const int at[5][2] = {{640, 360}, {580, 360}, {700, 360}, {640, 300}, {640, 420}};
        for (const auto& p : at) {
            EXPECT_EQ(pixel(p[0], p[1]), "255,255,255") << side << " at " << p[0] << "," << p[1];
            EXPECT_NEAR(depth(p[0], p[1]), windowDepth(cam, nearFace), 1e-4f)
                << side << " at " << p[0] << "," << p[1];
        }
    }
}
