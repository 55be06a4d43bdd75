// The rules that turn the scene's track values into choices, at and around their edges.
#include "distfield_rules.h"

#include <gtest/gtest.h>

#include <limits>

using namespace distfield;

namespace {
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kHuge = 3e38f;
} // namespace

TEST(DistfieldRules, ResolutionFollowsTheIntegerPartOfTheVersion) {
    for (float v : {0.0f, 0.5f, 0.999f, -0.5f, -0.999f}) EXPECT_EQ(resolutionDivisor(v), 1) << v;
    for (float v : {1.0f, -1.0f, 2.5f, -7.0f, kHuge, -kHuge})
        EXPECT_EQ(resolutionDivisor(v), 4) << v;
    EXPECT_EQ(resolutionDivisor(kNaN), 4);
}

TEST(DistfieldRules, SceneNumberTruncatesThenClamps) {
    EXPECT_EQ(sceneNumber(-2.0f), 0);
    EXPECT_EQ(sceneNumber(-0.5f), 0);
    EXPECT_EQ(sceneNumber(0.999f), 0);
    EXPECT_EQ(sceneNumber(1.0f), 1);
    EXPECT_EQ(sceneNumber(2.999f), 2);
    EXPECT_EQ(sceneNumber(3.0f), 3);
    EXPECT_EQ(sceneNumber(7.9f), 3);
    // Values no int can hold, and NaN, still land in range.
    EXPECT_EQ(sceneNumber(kHuge), 3);
    EXPECT_EQ(sceneNumber(-kHuge), 0);
    EXPECT_EQ(sceneNumber(kNaN), 0);
}

TEST(DistfieldRules, LogoExtentIsScreenPixelsTimesScale) {
    const HalfExtent full = logoHalfExtent(512, 256, 2.5f);
    EXPECT_FLOAT_EQ(full.w, 1.0f); // 512 pixels at 2.5 cover the 1280-pixel width
    EXPECT_FLOAT_EQ(full.h, 640.0f / 720.0f);
    const HalfExtent kelp = logoHalfExtent(512, 128, 1.5f);
    EXPECT_FLOAT_EQ(kelp.w, 0.6f);
    EXPECT_FLOAT_EQ(kelp.h, 192.0f / 720.0f);
}
