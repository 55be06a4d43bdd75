// The random-walk scene's rules without GL: track values to choices, the trail's instances,
// and the walk and rotations built from the random table.
#include "meander_rules.h"
#include "postfx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

using namespace meander;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// The table written out again from its definition, independently of the library's code: the
// 48-bit generator stepped with wrapping 64-bit arithmetic and a truncating remainder.
const std::vector<float>& referenceTable() {
    static const std::vector<float> table = [] {
        std::vector<float> t(kRandomTableSize);
        int64_t s = 1337;
        for (float& e : t) {
            const uint64_t wrapped = uint64_t(s) * 0x5DEECE66Dull + 11ull;
            s = int64_t(wrapped) % (int64_t(1) << 48);
            e = float(double(s) / double(int64_t(1) << 49) + 0.5);
        }
        return t;
    }();
    return table;
}
float referenceEntry(int index) {
    return referenceTable()[index];
}

struct Built {
    float path[kPathPoints][3];
    float rotations[kRotations][16];
};

} // namespace

// ---- tracks to choices
// ---------------------------------------------------------------------------

TEST(MeanderRules, VersionRoundsToZeroOrOneAndDrawsNothingOtherwise) {
    for (float v : {0.0f, 0.49f, -0.5f, -0.9f}) EXPECT_EQ(version(v), 0) << v;
    for (float v : {0.5f, 1.0f, 1.49f}) EXPECT_EQ(version(v), 1) << v;
    for (float v : {1.5f, 2.0f, -1.6f, 3e38f, -3e38f, kNaN})
        EXPECT_EQ(version(v), kVersionNone) << v;
}

TEST(MeanderRules, CameraWindowEndsAtTheHeadAndAtTheLastPoint) {
    EXPECT_EQ(cameraWindow(30).first, 0);
    EXPECT_EQ(cameraWindow(30).last, 30);
    EXPECT_EQ(cameraWindow(500).first, 440);
    EXPECT_EQ(cameraWindow(500).last, 500);
    // Past the end of the walk the window stays on the last 61 points.
    EXPECT_EQ(cameraWindow(1100).first, 939);
    EXPECT_EQ(cameraWindow(1100).last, 999);
    // No trail yet: the first point alone, never an empty mean.
    EXPECT_EQ(cameraWindow(instanceCount(-5.0f)).first, 0);
    EXPECT_EQ(cameraWindow(instanceCount(-5.0f)).last, 0);
    EXPECT_EQ(cameraWindow(instanceCount(kNaN)).last, 0);
}

TEST(MeanderRules, TrailHoldsTheLast256PointsThatExist) {
    EXPECT_EQ(trailSpan(30).begin, 0);
    EXPECT_EQ(trailSpan(30).end, 30);
    EXPECT_EQ(trailSpan(300).begin, 44);
    EXPECT_EQ(trailSpan(1100).begin, 844);
    EXPECT_EQ(trailSpan(1100).end, 1000);
    const Span gone = trailSpan(2000);
    EXPECT_GE(gone.begin, gone.end);
    EXPECT_EQ(trailSpan(instanceCount(0.99f)).end, 0);
    EXPECT_EQ(instanceCount(30.9f), 30);
    EXPECT_EQ(instanceCount(3e38f), 1 << 20);
}

TEST(MeanderRules, InstancesGrowFromTheHeadAndShrinkWithAge) {
    // The youngest of 30 is one point behind the head.
    EXPECT_FLOAT_EQ(age(30, 29), 1.0f - 1.0f / 256.0f);
    EXPECT_FLOAT_EQ(age(300, 44), 0.0f);
    EXPECT_FLOAT_EQ(age(1100, 999), 1.0f - 101.0f / 256.0f);
    EXPECT_FLOAT_EQ(instanceSize(0.0f, 0), 0.0f);
    EXPECT_FLOAT_EQ(instanceSize(1.0f, 0), 0.0f);
    EXPECT_FLOAT_EQ(instanceSize(0.8f, 0), 0.2f * 0.8f);              // full size reached
    EXPECT_FLOAT_EQ(instanceSize(0.95f, 0), 0.2f * std::sqrt(0.25f)); // still growing
    // Models and scales take turns by threes.
    for (int i : {0, 3, 6, 999}) {
        EXPECT_EQ(spikeModel(i), 0);
        EXPECT_FLOAT_EQ(spikeScale(i), 0.2f);
    }
    EXPECT_FLOAT_EQ(spikeScale(1), 0.125f);
    EXPECT_FLOAT_EQ(spikeScale(5), 0.1f);

    float c[4];
    diffuseColour(0.5f, c);
    EXPECT_EQ(c[0], 0.3f);
    EXPECT_EQ(c[1], 0.2f);
    EXPECT_EQ(c[2], 0.5f);
    diffuseColour(1.0f, c);
    EXPECT_FLOAT_EQ(c[1], 2.7f);
    EXPECT_FLOAT_EQ(c[2], 2.5f);
    EXPECT_EQ(c[3], 1.0f);
}

TEST(MeanderRules, ModelRotatesThenScalesThenPlaces) {
    float r[16], model[16];
    const float axis[3] = {0, 0, 1};
    mat_rotation(r, 1.5707964f, axis);
    const float point[3] = {5, 6, 7};
    instanceModel(r, 2.0f, point, model);
    // The x axis of the model lands on the y axis, twice as long, then moves to the point.
    const float x[3] = {1, 0, 0};
    float out[3];
    mat_transform_point(out, model, x);
    EXPECT_NEAR(out[0], 5.0f, 1e-5f);
    EXPECT_NEAR(std::fabs(out[1] - 6.0f), 2.0f, 1e-5f);
    EXPECT_NEAR(out[2], 7.0f, 1e-5f);
}

// ---- the walk and the rotations ----------------------------------------------------------------

TEST(MeanderRules, ThisModulesTableIsTheDefinedSequence) {
    for (int k = 0; k < kRandomTableSize; ++k)
        ASSERT_EQ(postRandomEntry(k), referenceEntry(k)) << k;
}

TEST(MeanderRules, WalkIsTheSameFromAnyCopyOfTheTable) {
    static Built ours, theirs;
    buildPath(postRandomEntry, ours.path);
    buildPath(referenceEntry, theirs.path);
    for (int k = 0; k < kPathPoints; ++k)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(ours.path[k][c], theirs.path[k][c]) << k;

    // Step k takes entries 3k+1, 3k+2, 3k+3: the third moves x, the first z.
    const float r1 = referenceEntry(1), r2 = referenceEntry(2), r3 = referenceEntry(3);
    EXPECT_EQ(ours.path[0][0], (2.0f * r3 - 1.0f) * 0.25f);
    EXPECT_EQ(ours.path[0][1], (2.0f * r2 - 1.0f) * 0.25f - 0.04f);
    EXPECT_EQ(ours.path[0][2], (2.0f * r1 - 1.0f) * 0.25f);

    // The same numbers on every run and every build: pinned.
    EXPECT_EQ(ours.path[1][0], -0x1.67e5f8p-3f);
    EXPECT_EQ(ours.path[499][1], -0x1.2461eep+4f);
    EXPECT_EQ(ours.path[999][0], 0x1.555326p+1f);
    EXPECT_EQ(ours.path[999][1], -0x1.08346ap+5f);
    EXPECT_EQ(ours.path[999][2], 0x1.58d456p+2f);
    // It sinks by 0.04 a step on average.
    EXPECT_NEAR(ours.path[999][1] / 1000.0f, -0.04f, 0.01f);
}

TEST(MeanderRules, RotationsFollowTheirFourEntriesAndAreTransposed) {
    static Built ours, again;
    buildRotations(postRandomEntry, ours.rotations);
    buildRotations(referenceEntry, again.rotations);
    for (int k = 0; k < kRotations; ++k) {
        for (int e = 0; e < 16; ++e) ASSERT_EQ(ours.rotations[k][e], again.rotations[k][e]) << k;

        // Rodrigues' formula in double from entries 4k+1 .. 4k+4, as the camera's layout
        // stores it (element 4i + j is row i, column j of v' = v R).
        const double a = referenceEntry(4 * k + 1), b = referenceEntry(4 * k + 2),
                     c = referenceEntry(4 * k + 3), d = referenceEntry(4 * k + 4);
        double n[3] = {2 * c - 1, 2 * b - 1, 2 * a - 1};
        const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (double& v : n) v /= len;
        const double angle = 90.0 * d * M_PI / 180.0, cs = std::cos(angle), sn = std::sin(angle);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                // Column-vector rotation R[j][i] is the transposed element (i, j).
                const double cross =
                    (j == i) ? 0.0 : ((j + 1) % 3 == i ? -1.0 : 1.0) * n[3 - i - j];
                const double expected = (i == j ? cs : 0.0) + (1 - cs) * n[j] * n[i] + sn * cross;
                EXPECT_NEAR(ours.rotations[k][4 * i + j], expected, 2e-6) << k << " " << i << j;
            }
        EXPECT_EQ(ours.rotations[k][15], 1.0f);
    }
    EXPECT_FLOAT_EQ(ours.rotations[0][0], 0x1.8e30cp-1f);
    EXPECT_FLOAT_EQ(ours.rotations[31][2], -0x1.e317c8p-1f);
}

TEST(MeanderRules, CameraCentreIsTheMeanOfTheWindow) {
    static Built walk;
    buildPath(postRandomEntry, walk.path);
    const Vec3f head = windowCentre(walk.path, {7, 7});
    EXPECT_EQ(head.x, walk.path[7][0]);
    const Vec3f c = windowCentre(walk.path, cameraWindow(30));
    float sum = 0.0f;
    for (int k = 0; k <= 30; ++k) sum += walk.path[k][1];
    EXPECT_FLOAT_EQ(c.y, sum / 31.0f);
}
