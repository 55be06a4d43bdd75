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
    // Worked by hand. -0.3f is -0.300000011920928955, 0.3 as a double 0.299999999999999989:
    // the sum -1.19209289662e-8 rounds to the float -0x1.99999ap-27, where float addition
    // cancels to 0. 0.05f is 0.0500000007450580597: the sum 0.350000000745058049 rounds down
    // to 0x1.666666p-2, where float addition (0.3f is 0.300000011920928955) rounds up to
    // 0x1.666668p-2.
    const struct {
        float offset, target;
    } cases[] = {{-0.3f, -0x1.99999ap-27f}, {0.05f, 0x1.666666p-2f}};
    for (const auto& c : cases) {
        EXPECT_EQ(cameraTarget(c.offset).x, c.target) << c.offset;
        EXPECT_NE(cameraTarget(c.offset).x, c.offset + 0.3f) << c.offset;
    }
}

TEST(OrbRules, AnOffsetThatIsNoNumberHoldsTheCameraInTheMiddle) {
    EXPECT_EQ(cameraOffset(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(cameraOffset(std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(cameraOffset(-std::numeric_limits<float>::infinity()), 0.0f);
    for (float c : {0.0f, -5.5f, 3e38f}) EXPECT_EQ(cameraOffset(c), c);
}
