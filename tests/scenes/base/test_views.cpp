// The camera's matrices and their caching, and the cube-face views, against values worked
// out by hand.
#include "camera.h"
#include "cube_faces.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

static void expectMatrix(const float* got, std::initializer_list<float> want, float eps = 1e-5f) {
    int k = 0;
    for (float w : want) {
        EXPECT_NEAR(got[k], w, eps) << "element " << k;
        ++k;
    }
}

// ---- camera matrices ------------------------------------------------------------------------

TEST(Camera, ViewIsTheTransposedLookAt) {
    Camera cam;
    const float eye[3] = {1, 2, 3}, target[3] = {1, 2, 0}, up[3] = {0, 1, 0};
    cam.setLookAt(eye, target, up);
    // Looking down -Z: s = X, v = Y, -f = Z; the look-at's eye terms -1, -2, -3 sit in
    // elements 3, 7, 11 and the transpose moves them to 12, 13, 14.
    expectMatrix(cam.view(), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, -2, -3, 1});

    const float eye2[3] = {5, 0, 0}, origin[3] = {0, 0, 0};
    cam.setLookAt(eye2, origin, up);
    // f = -X, s = f x Y = -Z, v = s x f = Y; f . eye = -5.
    expectMatrix(cam.view(), {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -5, 1});
}

TEST(Camera, ProjectionAndViewProjection) {
    Camera cam;
    const float eye[3] = {0, 0, 5}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    cam.setLookAt(eye, target, up);
    cam.setPerspective(90.0f, 2.0f, 1.0f, 9.0f);
    // f = 1 / tan(45 degrees) = 1; (1 + 9) / (1 - 9) = -1.25; 2 * 9 * 1 / (1 - 9) = -2.25.
    expectMatrix(cam.projection(), {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1.25f, -1, 0, 0, -2.25f, 0});
    // The view only moves Z by -5, so the last row is -5 * row 2 + row 3 of the projection.
    expectMatrix(cam.viewProjection(),
                 {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1.25f, -1, 0, 0, 4.0f, 5.0f});
}

// ---- caching --------------------------------------------------------------------------------

TEST(Camera, MovingTheEyeTargetOrUpClearsAllThree) {
    Camera cam;
    const float eye[3] = {0, 0, 5}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    cam.setLookAt(eye, target, up);
    cam.setPerspective(90.0f, 2.0f, 1.0f, 9.0f);
    EXPECT_FALSE(cam.viewValid() || cam.projectionValid() || cam.viewProjectionValid());
    const float* vp = cam.viewProjection(); // needs, and so computes, the other two
    EXPECT_TRUE(cam.viewValid() && cam.projectionValid() && cam.viewProjectionValid());

    const float eye2[3] = {0, 0, 3};
    cam.setEye(eye2);
    EXPECT_FALSE(cam.viewValid() || cam.projectionValid() || cam.viewProjectionValid());
    EXPECT_EQ(cam.viewProjection(), vp) << "the same storage, refilled";
    EXPECT_NEAR(vp[14], -3 * -1.25f - 2.25f, 1e-5f);
    EXPECT_NEAR(vp[15], 3.0f, 1e-5f);

    const float target2[3] = {0, 1, 0};
    cam.setTarget(target2);
    EXPECT_FALSE(cam.viewValid() || cam.viewProjectionValid());
    cam.viewProjection();
    const float up2[3] = {1, 0, 0};
    cam.setUp(up2);
    EXPECT_FALSE(cam.viewValid() || cam.projectionValid() || cam.viewProjectionValid());
}

TEST(Camera, ChangingTheLensKeepsTheView) {
    Camera cam;
    const float eye[3] = {0, 0, 5}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    cam.setLookAt(eye, target, up);
    cam.setPerspective(90.0f, 2.0f, 1.0f, 9.0f);
    cam.viewProjection();

    cam.setAspect(4.0f);
    EXPECT_TRUE(cam.viewValid());
    EXPECT_FALSE(cam.projectionValid() || cam.viewProjectionValid());
    EXPECT_NEAR(cam.viewProjection()[0], 0.25f, 1e-6f) << "a stale view-projection";

    cam.setPerspective(90.0f, 1.0f, 1.0f, 3.0f);
    EXPECT_TRUE(cam.viewValid());
    EXPECT_FALSE(cam.projectionValid() || cam.viewProjectionValid());
    EXPECT_NEAR(cam.projection()[10], -2.0f, 1e-6f);
    EXPECT_EQ(cam.zNear(), 1.0f);
    EXPECT_EQ(cam.zFar(), 3.0f);
}

// ---- cube faces -----------------------------------------------------------------------------

TEST(CubeFaces, EachFaceIsItsBasis) {
    float m[16];
    cubeFaceView(m, 0); // X, -Y, -Z
    expectMatrix(m, {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1});
    cubeFaceView(m, 1); // -X, -Y, Z
    expectMatrix(m, {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    cubeFaceView(m, 2); // -Y, -Z, X
    expectMatrix(m, {0, -1, 0, 0, 0, 0, -1, 0, 1, 0, 0, 0, 0, 0, 0, 1});
    cubeFaceView(m, 3); // Y, Z, X
    expectMatrix(m, {0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1});
    cubeFaceView(m, 4); // Z, -Y, X
    expectMatrix(m, {0, 0, 1, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1});
    cubeFaceView(m, 5); // -Z, -Y, -X
    expectMatrix(m, {0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1});
}

TEST(CubeFaces, TheSixFacesLookAlongSixDifferentAxes) {
    // With v' = v * M, the world direction that lands on the view's -Z is minus column 2.
    const float want[6][3] = {{0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}, {-1, 0, 0}, {1, 0, 0}};
    for (int face = 0; face < 6; ++face) {
        float m[16];
        cubeFaceView(m, face);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(-m[4 * i + 2], want[face][i]) << "face " << face;
    }
}

TEST(CubeFaces, AnUnknownFaceAssertsAndGivesTheIdentity) {
    for (int face : {6, -1}) {
        float m[16];
        for (float& e : m) e = 7.0f;
        testing::internal::CaptureStderr();
        cubeFaceView(m, face);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind("## ASSERT FAILED: \"unknown cubeside\"\n", 0), 0u) << err;
        expectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    }
}
