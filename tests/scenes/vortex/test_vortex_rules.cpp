// The tunnel scene's placement rules: the treadmill of segments, the greeting panels, the
// rotation and the roll, at and around their edges.
#include "vortex_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using namespace vortex;

namespace {

std::vector<float> positions(const TunnelLayout& l) {
    return std::vector<float>(l.positions, l.positions + l.count);
}

// The stretch of the axis that the drawn pieces cover without a gap, starting behind the
// camera: main segments are 48 long from their position, the broken end starts 42 after
// the offset. Returns {from, to}; to < from when the camera's own spot is not covered.
std::pair<float, float> coveredAround0(float o) {
    const TunnelLayout l = tunnelLayout(o);
    std::vector<std::pair<float, float>> pieces;
    for (int k = 0; k < l.count; ++k) pieces.push_back({l.positions[k], l.positions[k] + 48.0f});
    if (l.broken) pieces.push_back({o + 42.0f, o + 186.0f});
    std::sort(pieces.begin(), pieces.end());
    float from = 1e9f, to = -1e9f;
    for (const auto& p : pieces) {
        if (to < from) {
            if (p.first <= 0.0f) from = p.first, to = p.second;
        } else if (p.first <= to + 1e-3f) {
            to = std::max(to, p.second);
        }
    }
    return {from, to};
}

} // namespace

TEST(VortexRules, TheDesignsOwnTreadmillCases) {
    TunnelLayout l = tunnelLayout(0.0f);
    EXPECT_TRUE(l.broken);
    EXPECT_EQ(positions(l), (std::vector<float>{-6.0f}));

    l = tunnelLayout(100.0f);
    EXPECT_FALSE(l.broken);
    EXPECT_EQ(positions(l), (std::vector<float>{-2.0f, -50.0f, 46.0f, 94.0f}));

    // At -48 only the broken end, which then starts 6 behind the camera.
    l = tunnelLayout(-48.0f);
    EXPECT_TRUE(l.broken);
    EXPECT_EQ(l.count, 0);
}

TEST(VortexRules, TheCopyThatClosesTheGapComesAtExactly48And96) {
    // Taken strictly (o > 48, o > 96) these two values would leave 42..90 ahead empty: the
    // remainders wrap to 0 there and the other copies jump back by 96.
    TunnelLayout l = tunnelLayout(48.0f);
    EXPECT_TRUE(l.broken);
    EXPECT_EQ(positions(l), (std::vector<float>{-54.0f, -6.0f, 42.0f}));
    l = tunnelLayout(96.0f);
    EXPECT_FALSE(l.broken);
    EXPECT_EQ(positions(l), (std::vector<float>{-6.0f, -54.0f, 42.0f, 90.0f}));
}

TEST(VortexRules, TheTubeIsWholeAroundTheCameraAtEveryOffset) {
    // From the broken end's arrival to far along the flight, the camera (at 0) is inside a
    // continuous tube reaching at least 90 units ahead and starting behind it; the copies
    // never sit on top of each other.
    for (float o = -47.5f; o < 500.0f; o += 0.25f) {
        const auto [from, to] = coveredAround0(o);
        ASSERT_LE(from, -6.0f + 1e-3f) << o;
        ASSERT_GE(to, 90.0f) << o;
        std::vector<float> p = positions(tunnelLayout(o));
        std::sort(p.begin(), p.end());
        for (size_t k = 1; k < p.size(); ++k) ASSERT_NEAR(p[k] - p[k - 1], 48.0f, 1e-3f) << o;
    }
}

TEST(VortexRules, GreetingsHangInASpiralAndTurnTheirImageOnOneSide) {
    EXPECT_FLOAT_EQ(greetingY(0, 0.0f), -107.0f);
    EXPECT_FLOAT_EQ(greetingY(12, 7.0f), 180.0f + 7.0f - 107.0f);
    EXPECT_FLOAT_EQ(inverseUv(greetingAngle(0)), -1.0f); // 0
    EXPECT_FLOAT_EQ(inverseUv(greetingAngle(1)), 1.0f);  // 73
    EXPECT_FLOAT_EQ(inverseUv(greetingAngle(3)), -1.0f); // 219
    EXPECT_FLOAT_EQ(inverseUv(greetingAngle(5)), 1.0f);  // 365, remainder 5
    // Strictly between 0 and 180; a negative angle keeps its sign in the remainder.
    EXPECT_FLOAT_EQ(inverseUv(180.0f), -1.0f);
    EXPECT_FLOAT_EQ(inverseUv(360.0f), -1.0f);
    EXPECT_FLOAT_EQ(inverseUv(179.9f), 1.0f);
    EXPECT_FLOAT_EQ(inverseUv(-90.0f), -1.0f);
}

TEST(VortexRules, RotationIsInDegreesAndTurnsRowVectorsRightHanded) {
    const float axis[3] = {0.3f, -1.0f, 2.0f};
    float ours[16], shared[16];
    rotationDegrees(ours, 40.0f, axis);
    mat_rotation(shared, 40.0f * 3.14159265f / 180.0f, axis);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(ours[4 * i + j], shared[4 * j + i], 1e-6f);

    // +X a quarter turn about +Y goes to -Z; a slide of 5 then moves it along the axis.
    float m[16], p[3];
    const float x[3] = {1.0f, 0.0f, 0.0f};
    placeOnAxis(m, 90.0f, 5.0f);
    mat_transform_point(p, m, x);
    EXPECT_NEAR(p[0], 0.0f, 1e-6f);
    EXPECT_NEAR(p[1], 5.0f, 1e-6f);
    EXPECT_NEAR(p[2], -1.0f, 1e-6f);
}

TEST(VortexRules, TheCameraRollsAboutTheAxisItLooksDown) {
    for (float camrot : {0.0f, 0.25f, 1.0f, -1.7f, 4.733f}) {
        const CameraFrame f = rolledCamera(rollDegrees(camrot));
        EXPECT_NEAR(f.target[0], 0.0f, 1e-5f) << camrot;
        EXPECT_NEAR(f.target[1], 10.0f, 1e-5f) << camrot;
        EXPECT_NEAR(f.target[2], 0.0f, 1e-5f) << camrot;
        EXPECT_NEAR(f.up[1], 0.0f, 1e-6f) << camrot; // always across the view
        EXPECT_NEAR(std::hypot(f.up[0], f.up[2]), 1.0f, 1e-5f) << camrot;
    }
    // 90 degrees per unit: one unit turns up from +X to -Z.
    const CameraFrame quarter = rolledCamera(rollDegrees(1.0f));
    EXPECT_NEAR(quarter.up[0], 0.0f, 1e-6f);
    EXPECT_NEAR(quarter.up[2], -1.0f, 1e-6f);
}

TEST(VortexRules, TrackValuesThatAreNotFiniteCountAsZero) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(finiteOr0(nan), 0.0f);
    EXPECT_EQ(finiteOr0(-inf), 0.0f);
    EXPECT_EQ(finiteOr0(-3.5f), -3.5f);
    EXPECT_EQ(rollDegrees(inf), 0.0f);
    EXPECT_EQ(rollDegrees(0.5f), 45.0f);
}
