// The orb scene's camera rules: the slide, its one rounding, and damaged track values.
#include "orb_rules.h"

#include <gtest/gtest.h>

#include <limits>

using namespace orb;

TEST(OrbRules, TheSlideMovesEyeAndTargetAlongXTogether) {
    const Vec3f eye0 = cameraEye(0.0f), target0 = cameraTarget(0.0f);
    EXPECT_EQ(eye0.x, 0.0f);
    EXPECT_EQ(eye0.y, 0.0f);
    EXPECT_EQ(eye0.z, 1.0f);
    EXPECT_EQ(target0.x, 0.3f);
    EXPECT_EQ(target0.y, 0.6f);
    EXPECT_EQ(target0.z, 0.0f);
    for (float c : {2.5f, -5.5f, 1e4f}) {
        const Vec3f eye = cameraEye(c), target = cameraTarget(c);
        EXPECT_EQ(eye.x, c);
        EXPECT_EQ(eye.y, eye0.y);
        EXPECT_EQ(eye.z, eye0.z);
        EXPECT_EQ(target.y, target0.y);
        EXPECT_EQ(target.z, target0.z);
        // The direction stays (up to the rounding of the target's x).
        EXPECT_NEAR(target.x - eye.x, 0.3f, 1e-3f) << c;
    }
}

TEST(OrbRules, TheTargetAddsInDoublePrecisionAndRoundsOnce) {
    // Offsets where a float addition rounds differently from the designed double one.
    for (float c : {-0.3f, 0.05f}) {
        EXPECT_EQ(cameraTarget(c).x, static_cast<float>(static_cast<double>(c) + 0.3)) << c;
        EXPECT_NE(cameraTarget(c).x, c + 0.3f) << c;
    }
}

TEST(OrbRules, AnOffsetThatIsNoNumberHoldsTheCameraInTheMiddle) {
    EXPECT_EQ(cameraOffset(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(cameraOffset(std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(cameraOffset(-std::numeric_limits<float>::infinity()), 0.0f);
    for (float c : {0.0f, -5.5f, 3e38f}) EXPECT_EQ(cameraOffset(c), c);
}
