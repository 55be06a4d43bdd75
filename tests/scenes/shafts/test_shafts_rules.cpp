// The light-shafts scene's rules and matrices, without GL: the set-up a track value picks,
// the ring, the light's frames and its frustum box.
#include "shafts_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace shafts;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

} // namespace

TEST(ShaftsRules, VariantRoundsAtOneHalfAndFallsBackToTheFirst) {
    EXPECT_EQ(variant(0.49f), 0);
    EXPECT_EQ(variant(0.5f), 1);
    EXPECT_EQ(variant(1.49f), 1);
    EXPECT_EQ(variant(2.49f), 2);
    // Values that name no set-up: the first, never an unset camera.
    for (float v : {2.5f, 7.0f, -0.6f, -1.6f, 3e38f, -3e38f, kNaN}) EXPECT_EQ(variant(v), 0) << v;
    EXPECT_EQ(tubeCount(variant(0.49f)), 10);
    EXPECT_EQ(tubeCount(variant(0.5f)), 14);
    EXPECT_TRUE(drawsLogo(0));
    EXPECT_FALSE(drawsLogo(1));
    EXPECT_FALSE(drawsLogo(2));
}

TEST(ShaftsRules, CircleRotTenTurnsTubeZeroFortyAboutZAndFifteenAboutY) {
    float m[16];
    tubeMatrix(m, 0, 10.0f);
    // The model's y axis: scaled by 10 and turned 40 degrees about Z (a turn about Y leaves
    // it where it is when it comes first).
    const float up[3] = {0.0f, 1.0f, 0.0f};
    float p[3];
    mat_transform_point(p, m, up);
    const float a = 40.0f * kPiF / 180.0f, b = 15.0f * kPiF / 180.0f;
    EXPECT_NEAR(p[0], -10.0f * std::sin(a), 1e-4f);
    EXPECT_NEAR(p[1], 10.0f * std::cos(a), 1e-4f);
    EXPECT_NEAR(p[2], 0.0f, 1e-4f);
    // The x axis: 15 degrees about Y first, then 40 about Z.
    const float x[3] = {1.0f, 0.0f, 0.0f};
    mat_transform_point(p, m, x);
    EXPECT_NEAR(p[0], 10.0f * std::cos(b) * std::cos(a), 1e-4f);
    EXPECT_NEAR(p[1], 10.0f * std::cos(b) * std::sin(a), 1e-4f);
    EXPECT_NEAR(p[2], -10.0f * std::sin(b), 1e-4f);
    // Tube 13 is scaled by 36 and turned by t = 6.5.
    tubeMatrix(m, 13, 0.0f);
    const float len = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
    EXPECT_NEAR(len, 36.0f, 1e-3f);
}

TEST(ShaftsRules, LightViewUndoesItsWorldAndLooksDownMinusZAtTheOrigin) {
    const Light l = light();
    float world[16], view[16], both[16], id[16];
    lightWorld(world, l);
    lightView(view, l);
    mat_product(both, world, view);
    mat_identity(id);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(both[i], id[i], 1e-5f) << i;
    // The light sits at its own origin and the world's origin lies straight ahead on -Z, at
    // the light's distance.
    float p[3];
    mat_transform_point(p, view, l.position);
    for (float c : p) EXPECT_NEAR(c, 0.0f, 1e-3f);
    const float origin[3] = {0.0f, 0.0f, 0.0f};
    mat_transform_point(p, view, origin);
    EXPECT_NEAR(p[0], 0.0f, 1e-3f);
    EXPECT_NEAR(p[1], 0.0f, 1e-3f);
    EXPECT_NEAR(p[2], -std::sqrt(125000.0f), 1e-2f);
    // The light's up stays up: a point above the origin is above the axis.
    const float above[3] = {0.0f, 10.0f, 0.0f};
    mat_transform_point(p, view, above);
    EXPECT_GT(p[1], 0.0f);
}

TEST(ShaftsRules, FrustumBoxIsClosedAndWoundOutwards) {
    const Light l = light();
    const FrustumBox box = frustumBox(l);
    const float t = std::tan(17.5f * kPiF / 180.0f);
    EXPECT_NEAR(box.corners[0], -150.0f * t, 1e-3f);
    EXPECT_NEAR(box.corners[4 * 6 + 1], 1000.0f * t, 1e-2f);
    EXPECT_FLOAT_EQ(box.corners[4 * 6 + 2], -1000.0f);
    EXPECT_FLOAT_EQ(box.corners[4 * 6 + 3], 1.0f);
    // Each triangle faces away from the box's centre (counter-clockwise seen from outside),
    // so culling back faces keeps the faces a ray enters by, culling front faces those it
    // leaves by.
    const float centre[3] = {0.0f, 0.0f, -575.0f};
    for (int i = 0; i < 36; i += 3) {
        const float* a = box.corners + 4 * box.indices[i];
        const float* b = box.corners + 4 * box.indices[i + 1];
        const float* c = box.corners + 4 * box.indices[i + 2];
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        float n[3];
        cross3(n, u, v);
        const float out =
            n[0] * (a[0] - centre[0]) + n[1] * (a[1] - centre[1]) + n[2] * (a[2] - centre[2]);
        EXPECT_GT(out, 0.0f) << "triangle " << i / 3;
    }
}

TEST(ShaftsRules, CameraSetUpsAndTheTurnAboutY) {
    CameraSetup c = cameraSetup(0, 5.0f, 0.0f);
    EXPECT_FLOAT_EQ(c.eye[2], 100.0f);
    EXPECT_FLOAT_EQ(c.fov, 75.0f);
    // 90 degrees about Y takes +Z to +X.
    c = cameraSetup(0, 5.0f, 90.0f);
    EXPECT_NEAR(c.eye[0], 100.0f, 1e-3f);
    EXPECT_NEAR(c.eye[2], -25.0f, 1e-3f);
    c = cameraSetup(1, 5.0f, 0.0f);
    EXPECT_FLOAT_EQ(c.target[0], 250.0f);
    EXPECT_FLOAT_EQ(c.zNear, 1.0f);
    // Set-up 2 orbits at distance 8 and moves with the music.
    const CameraSetup a = cameraSetup(2, 0.0f, 0.0f), b = cameraSetup(2, 1.0f, 0.0f);
    EXPECT_NEAR(std::hypot(b.eye[0], b.eye[1], b.eye[2]), 8.0f, 1e-4f);
    EXPECT_NEAR(a.eye[2], 8.0f, 1e-5f);
    EXPECT_GT(std::fabs(b.eye[2] - a.eye[2]), 0.01f);
}

TEST(ShaftsRules, VolumeTargetHasPixelsEvenWithoutAViewport) {
    EXPECT_EQ(volumeTargetSize(-1, -1).width, 1280);
    EXPECT_EQ(volumeTargetSize(640, 0).height, 720);
    EXPECT_EQ(volumeTargetSize(640, 360).width, 640);
}
