// The reactor scene's rules: the view switch at its edge, the orbiting eye and the beam's
// volume.
#include "kaboom_rules.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kaboom;

TEST(KaboomRules, OnlyAValueAboveOneHalfShowsThePanorama) {
    EXPECT_FALSE(showPanorama(0.5f));
    EXPECT_TRUE(showPanorama(std::nextafter(0.5f, 1.0f)));
    EXPECT_TRUE(showPanorama(1.0f));
    for (float v : {0.0f, -1.0f, 0.49999f, -std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()})
        EXPECT_FALSE(showPanorama(v)) << v;
}

TEST(KaboomRules, TheEyeOrbitsAboutTheYAxis) {
    float eye[3];
    eyePosition(eye, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(eye[0], 75.0f);
    EXPECT_FLOAT_EQ(eye[1], 45.0f);
    EXPECT_NEAR(eye[2], 0.0f, 1e-5f);

    // r = 2.25 turns by 90 degrees: mat_rotation about +y sends +x to +z for row vectors,
    // and the height follows sin(2.25) radians, not degrees.
    eyePosition(eye, 2.25f, 2.0f);
    EXPECT_NEAR(eye[0], 0.0f, 1e-3f);
    EXPECT_NEAR(eye[1], (20.0f * std::sin(2.25f) + 45.0f) * 2.0f, 1e-3f);
    EXPECT_NEAR(eye[2], 150.0f, 1e-3f);

    // The distance scales the whole offset, height included; 0 is the origin.
    eyePosition(eye, 1.3f, 0.0f);
    for (float c : eye) EXPECT_EQ(c, 0.0f);
}

TEST(KaboomRules, TheBeamVolumeStandsAroundTheAxis) {
    float model[16];
    beamModel(model);
    const float bottomCentre[3] = {0.0f, 0.0f, 0.0f}, topRim[3] = {1.0f, 2.0f, 0.0f};
    float p[3];
    mat_transform_point(p, model, bottomCentre);
    EXPECT_FLOAT_EQ(p[0], 0.0f);
    EXPECT_FLOAT_EQ(p[1], -17.5f);
    EXPECT_FLOAT_EQ(p[2], 0.0f);
    mat_transform_point(p, model, topRim);
    EXPECT_FLOAT_EQ(p[0], 40.0f);
    EXPECT_FLOAT_EQ(p[1], 52.5f);

    // The camera looks at a point inside the volume, on its axis.
    float inverse[16];
    beamModel(inverse);
    ASSERT_TRUE(mat_inverse(inverse));
    mat_transform_point(p, inverse, kTarget);
    EXPECT_NEAR(p[1], 32.5f / 35.0f, 1e-6f);
    EXPECT_NEAR(p[0], 0.0f, 1e-6f);
}

TEST(KaboomRules, TheUpVectorIsUnitAndTilted) {
    float up[3];
    cameraUp(up);
    EXPECT_NEAR(up[0] * up[0] + up[1] * up[1] + up[2] * up[2], 1.0f, 1e-6f);
    EXPECT_NEAR(up[0] / up[1], 0.25f, 1e-6f);
}
