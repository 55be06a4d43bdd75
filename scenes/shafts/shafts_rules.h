// shafts_rules.h - the light-shafts scene's arithmetic: which camera set-up a track value
// picks, the ring of half tubes, the spot light's record and matrices, and its frustum box.
//
// Pure functions over matrix.h, shared by the plug-in and its tests. Matrices follow
// matrix.h: row vectors on the left (v' = v * M), a translation in elements 12-14.
#pragma once

#include "kit_helpers.h"
#include "matrix.h"

#include <cmath>
#include <cstdint>

namespace shafts {

constexpr float kPiF = 3.14159265358979323846f;
constexpr int kMaxTubes = 14;

// "vol_var": the integer part of (value + 0.5). Values that name no set-up (negative, 3 and
// above, NaN) fall back to set-up 0 rather than leave the camera unset.
inline int variant(float volVar) {
    const int v = trackInteger(volVar + 0.5f, -1, 3);
    return (v >= 0 && v <= 2) ? v : 0;
}
// Ten tubes and the logo in set-up 0, fourteen tubes and no logo otherwise.
inline int tubeCount(int variant) {
    return variant == 0 ? 10 : 14;
}
inline bool drawsLogo(int variant) {
    return variant == 0;
}

// The rotation of matrix.h by `degrees` about `axis`, transposed into the row-vector layout
// the camera matrices use: v * rotationDegrees(a, axis) turns v right-handed by a.
inline void rotationDegrees(float out[16], float degrees, const float axis[3]) {
    mat_rotation(out, degrees * kPiF / 180.0f, axis);
    mat_transpose(out, out);
}

// A point turned by `degrees` about `axis` (through the origin).
inline void rotatePoint(float out[3], const float p[3], float degrees, const float axis[3]) {
    float r[16];
    rotationDegrees(r, degrees, axis);
    const float x = p[0], y = p[1], z = p[2];
    for (int j = 0; j < 3; ++j) out[j] = x * r[j] + y * r[4 + j] + z * r[8 + j];
}

// Tube m of the ring: product(R_y, product(R_z, S)), R_z by 40 t and R_y by 15 t degrees with
// t = 0.5 m + 0.1 circlerot, S the uniform scale by 2 m + 10.
inline void tubeMatrix(float out[16], int m, float circleRot) {
    static const float kZ[3] = {0.0f, 0.0f, 1.0f};
    static const float kY[3] = {0.0f, 1.0f, 0.0f};
    const float k = static_cast<float>(2 * m + 10);
    const float t = 0.5f * static_cast<float>(m) + 0.1f * circleRot;
    float s[16], rz[16], ry[16];
    mat_scale(s, k, k, k);
    rotationDegrees(rz, 40.0f * t, kZ);
    rotationDegrees(ry, 15.0f * t, kY);
    mat_product(out, rz, s);
    mat_product(out, ry, out);
}

// The camera of a set-up at music time `seconds`, its eye then turned about Y by "vol_camrot"
// degrees. Up is always +Y.
struct CameraSetup {
    float eye[3];
    float target[3];
    float fov; // degrees
    float zNear;
    float zFar;
};

inline CameraSetup cameraSetup(int variant, float seconds, float camRotDegrees) {
    static const float kY[3] = {0.0f, 1.0f, 0.0f};
    CameraSetup c{{25.0f, 25.0f, 100.0f}, {0.0f, 0.0f, 0.0f}, 75.0f, 10.0f, 2500.0f};
    if (variant == 1) {
        c = {{0.0f, 0.0f, 10.0f}, {250.0f, 20.0f, -10.0f}, 120.0f, 1.0f, 1500.0f};
    } else if (variant == 2) {
        const float r = 1.0f / std::sqrt(2.0f);
        const float axis[3] = {r, r, 0.0f};
        const float start[3] = {0.0f, 0.0f, 8.0f};
        c = {{}, {0.0f, 0.0f, 0.0f}, 120.0f, 1.0f, 1500.0f};
        rotatePoint(c.eye, start, 45.0f * seconds, axis);
    }
    rotatePoint(c.eye, c.eye, camRotDegrees, kY);
    return c;
}

// The spot light: always the same, built every frame.
struct Light {
    float position[4];
    float direction[4];
    float up[4];
    float fov; // degrees
    float zNear;
    float zFar;
};

inline Light light() {
    Light l{{150.0f, 200.0f, 250.0f, 1.0f}, {}, {0.0f, 1.0f, 0.0f, 0.0f}, 35.0f, 150.0f, 1000.0f};
    const float len = std::sqrt(l.position[0] * l.position[0] + l.position[1] * l.position[1] +
                                l.position[2] * l.position[2]);
    for (int i = 0; i < 3; ++i) l.direction[i] = -l.position[i] / len;
    l.direction[3] = 0.0f;
    return l;
}

inline void normalise3(float v[3]) {
    const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len > 0.0f)
        for (int i = 0; i < 3; ++i) v[i] /= len;
}
inline void cross3(float out[3], const float a[3], const float b[3]) {
    const float x = a[1] * b[2] - a[2] * b[1];
    const float y = a[2] * b[0] - a[0] * b[2];
    const float z = a[0] * b[1] - a[1] * b[0];
    out[0] = x, out[1] = y, out[2] = z;
}

// The light's world matrix: rows side, up', back, then the position. Its object space is its
// view space: the light looks down -Z.
inline void lightWorld(float out[16], const Light& l) {
    float back[3] = {-l.direction[0], -l.direction[1], -l.direction[2]};
    normalise3(back);
    float side[3], up[3];
    cross3(side, l.up, back);
    normalise3(side);
    cross3(up, back, side);
    normalise3(up);
    mat_basis(out, side, up, back);
    out[12] = l.position[0];
    out[13] = l.position[1];
    out[14] = l.position[2];
}

// The inverse of the world matrix: the transposed rotation, and the position taken back
// through it (-position * R^T), so the light's own position maps to the origin.
inline void lightView(float out[16], const Light& l) {
    float world[16];
    lightWorld(world, l);
    float rt[16];
    mat_identity(rt);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) rt[4 * i + j] = world[4 * j + i];
    for (int j = 0; j < 3; ++j)
        rt[12 + j] =
            -(l.position[0] * rt[j] + l.position[1] * rt[4 + j] + l.position[2] * rt[8 + j]);
    for (int i = 0; i < 16; ++i) out[i] = rt[i];
}

inline void lightProjection(float out[16], const Light& l) {
    mat_perspective(out, l.fov, 1.0f, l.zNear, l.zFar);
}

inline void lightViewProjection(float out[16], const Light& l) {
    float view[16], proj[16];
    lightView(view, l);
    lightProjection(proj, l);
    mat_product(out, view, proj);
}

// The light's frustum as a closed box in its object space: near face (-,-) (+,-) (+,+) (-,+)
// at z = -near, then the far face; 36 indices, wound counter-clockwise seen from outside.
struct FrustumBox {
    float corners[8 * 4];
    uint32_t indices[36];
};

inline FrustumBox frustumBox(const Light& l) {
    static const uint32_t kIndices[36] = {0, 1, 2, 0, 2, 3, 1, 5, 6, 1, 6, 2, 3, 2, 6, 3, 6, 7,
                                          4, 7, 6, 4, 6, 5, 1, 0, 4, 1, 4, 5, 0, 3, 7, 0, 7, 4};
    static const float kSigns[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    FrustumBox box{};
    const float t = std::tan(l.fov * kPiF / 360.0f);
    for (int face = 0; face < 2; ++face) {
        const float d = face == 0 ? l.zNear : l.zFar;
        for (int c = 0; c < 4; ++c) {
            float* p = box.corners + 4 * (4 * face + c);
            p[0] = kSigns[c][0] * d * t;
            p[1] = kSigns[c][1] * d * t;
            p[2] = -d;
            p[3] = 1.0f;
        }
    }
    for (int i = 0; i < 36; ++i) box.indices[i] = kIndices[i];
    return box;
}

// The light-volume depth target takes the viewport's size at start-up; a viewport that was
// never set (-1 x -1) gives the screen's 1280 x 720 instead of a texture without pixels.
struct Size {
    int width, height;
};
inline Size volumeTargetSize(int viewportWidth, int viewportHeight) {
    if (viewportWidth <= 0 || viewportHeight <= 0) return {1280, 720};
    return {viewportWidth, viewportHeight};
}

} // namespace shafts
