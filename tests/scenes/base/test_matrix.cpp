// The shared matrix functions against values worked out by hand.
#include "matrix.h"

#include <gtest/gtest.h>

#include <cmath>

static void expectMatrix(const float* got, std::initializer_list<float> want, float eps = 1e-5f) {
    int k = 0;
    for (float w : want) {
        EXPECT_NEAR(got[k], w, eps) << "element " << k;
        ++k;
    }
}

TEST(Matrix, IdentityTranslationScale) {
    float m[16];
    mat_identity(m);
    expectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    mat_translation(m, 10, 2, -19);
    expectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 2, -19, 1});
    mat_scale(m, 1, 2, 3);
    expectMatrix(m, {1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1});
}

TEST(Matrix, RotationNormalisesTheAxisAndUsesTheFixedSigns) {
    float m[16];
    const float z2[3] = {0, 0, 2}; // not unit length on purpose
    mat_rotation(m, 3.14159265f / 2, z2);
    // c = 0, s = 1, t = 1, axis (0,0,1): element 1 = -z*s, element 4 = +z*s
    expectMatrix(m, {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

    const float x[3] = {1, 0, 0};
    mat_rotation(m, 0.5759587f, x); // 33 degrees
    float c = 0.8386706f, s = 0.5446390f;
    expectMatrix(m, {1, 0, 0, 0, 0, c, -s, 0, 0, s, c, 0, 0, 0, 0, 1});
}

TEST(Matrix, ProductIsRowTimesColumnAndMayAlias) {
    float t[16], s[16], ts[16], st[16];
    mat_translation(t, 10, 2, -19);
    mat_scale(s, 1, 2, 3);
    mat_product(ts, t, s); // translate, then scale: the offset is scaled too
    expectMatrix(ts, {1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 3, 0, 10, 4, -57, 1});
    mat_product(st, s, t);
    expectMatrix(st, {1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 3, 0, 10, 2, -19, 1});

    float a[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    mat_product(a, a, a);
    expectMatrix(a,
                 {90, 100, 110, 120, 202, 228, 254, 280, 314, 356, 398, 440, 426, 484, 542, 600});
}

TEST(Matrix, Transpose) {
    float a[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    mat_transpose(a, a);
    expectMatrix(a, {1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16});
}

TEST(Matrix, LookAtDownTheNegativeZAxis) {
    float m[16];
    const float eye[3] = {0, 0, 5}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    mat_lookat(m, eye, target, up);
    // f = (0,0,-1), s = f x up = (1,0,0), v = s x f = (0,1,0)
    expectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, -5, 0, 0, 0, 1});
}

TEST(Matrix, LookAtDoesNotRenormaliseSide) {
    float m[16];
    const float eye[3] = {1, 2, 3}, target[3] = {1, 2, 2}, up[3] = {0, 2, 1};
    mat_lookat(m, eye, target, up);
    // f = (0,0,-1), u = (0, 2, 1)/sqrt5, s = f x u = (2/sqrt5, 0, 0): length 0.894, kept
    float k = 2.0f / std::sqrt(5.0f);
    EXPECT_NEAR(m[0], k, 1e-5f);
    EXPECT_NEAR(m[3], -k * 1, 1e-5f); // -(s . eye)
    EXPECT_NEAR(m[5], k, 1e-5f);      // v = s x f = (0, k, 0)
    EXPECT_NEAR(m[7], -k * 2, 1e-5f); // -(v . eye)
    EXPECT_NEAR(m[10], 1, 1e-5f);     // -f
    EXPECT_NEAR(m[11], -3, 1e-5f);    // f . eye
    EXPECT_NEAR(m[15], 1, 1e-5f);
}

TEST(Matrix, Perspective) {
    float m[16];
    mat_perspective(m, 90, 2, 1, 3);
    // f = 1/tan(45 deg) = 1
    expectMatrix(m, {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2, -1, 0, 0, -3, 0});
}

TEST(Matrix, Basis) {
    float m[16];
    const float r0[3] = {1, 2, 3}, r1[3] = {4, 5, 6}, r2[3] = {7, 8, 9};
    mat_basis(m, r0, r1, r2);
    expectMatrix(m, {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 1});
}

TEST(Matrix, InverseUndoesTheSelfTestTransform) {
    float t[16], r[16], s[16], m[16], inv[16], check[16];
    const float x[3] = {1, 0, 0};
    mat_translation(t, 10, 2, -19);
    mat_rotation(r, 0.5759587f, x);
    mat_scale(s, 1, 2, 3);
    mat_product(m, t, r);
    mat_product(m, m, s);
    std::copy(m, m + 16, inv);
    ASSERT_TRUE(mat_inverse(inv));
    mat_product(check, m, inv);
    expectMatrix(check, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 1e-4f);

    mat_scale(s, 1, 2, 4);
    ASSERT_TRUE(mat_inverse(s));
    expectMatrix(s, {1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1});
}

TEST(Matrix, InverseTransposeCarriesNormalsAndFallsBackToIdentity) {
    float m[16];
    mat_scale(m, 1, 2, 4);
    mat_inverse_transpose(m, m);
    expectMatrix(m, {1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1}, 1e-6f);
    float singular[16] = {1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1};
    mat_inverse_transpose(singular, singular);
    expectMatrix(singular, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

TEST(Matrix, InverseOfSingularMatrixFailsAndLeavesItAlone) {
    float m[16] = {1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1}; // row 1 = 2 * row 0
    float copy[16];
    std::copy(m, m + 16, copy);
    EXPECT_FALSE(mat_inverse(m));
    EXPECT_TRUE(std::equal(m, m + 16, copy));

    // det = 1e-15: below the threshold although every element is representable
    float tiny[16];
    mat_scale(tiny, 1e-5f, 1e-5f, 1e-5f);
    EXPECT_FALSE(mat_inverse(tiny));
    EXPECT_FLOAT_EQ(tiny[0], 1e-5f);
}
