// matrix.cpp - see matrix.h for the layout conventions.
#include "matrix.h"

#include <cmath>
#include <cstring>

static void copy16(float out[16], const float in[16]) {
    std::memcpy(out, in, 16 * sizeof(float));
}

void mat_identity(float out[16]) {
    for (int k = 0; k < 16; ++k) out[k] = (k % 5 == 0) ? 1.0f : 0.0f;
}

void mat_translation(float out[16], float x, float y, float z) {
    mat_identity(out);
    out[12] = x;
    out[13] = y;
    out[14] = z;
}

void mat_scale(float out[16], float x, float y, float z) {
    mat_identity(out);
    out[0] = x;
    out[5] = y;
    out[10] = z;
}

void mat_rotation(float out[16], float angle, const float axis[3]) {
    float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    float x = axis[0] / len, y = axis[1] / len, z = axis[2] / len;
    float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    float r[16] = {x * x * t + c,
                   x * y * t - z * s,
                   x * z * t + y * s,
                   0,
                   x * y * t + z * s,
                   y * y * t + c,
                   y * z * t - x * s,
                   0,
                   x * z * t - y * s,
                   y * z * t + x * s,
                   z * z * t + c,
                   0,
                   0,
                   0,
                   0,
                   1};
    copy16(out, r);
}

void mat_product(float out[16], const float a[16], const float b[16]) {
    float r[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a[4 * i + k] * b[4 * k + j];
            r[4 * i + j] = sum;
        }
    copy16(out, r);
}

void mat_transpose(float out[16], const float m[16]) {
    float r[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r[4 * j + i] = m[4 * i + j];
    copy16(out, r);
}

static void normalise3(float v[3]) {
    float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    v[0] /= len;
    v[1] /= len;
    v[2] /= len;
}

static void cross3(float out[3], const float a[3], const float b[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

static float dot3(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void mat_lookat(float out[16], const float eye[3], const float target[3], const float up[3]) {
    float f[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    float u[3] = {up[0], up[1], up[2]};
    normalise3(f);
    normalise3(u);
    // s is deliberately not normalised again: with a non-orthogonal up it carries the sine.
    float s[3], v[3];
    cross3(s, f, u);
    cross3(v, s, f);
    float r[16] = {s[0],  s[1],  s[2],  -dot3(s, eye), //
                   v[0],  v[1],  v[2],  -dot3(v, eye), //
                   -f[0], -f[1], -f[2], dot3(f, eye),  //
                   0,     0,     0,     1};
    copy16(out, r);
}

void mat_perspective(float out[16], float fov_deg, float aspect, float znear, float zfar) {
    const float pi = 3.14159265358979323846f;
    float f = 1.0f / std::tan(fov_deg / 180.0f * pi * 0.5f);
    std::memset(out, 0, 16 * sizeof(float));
    out[0] = f / aspect;
    out[5] = f;
    out[10] = (znear + zfar) / (znear - zfar);
    out[11] = -1.0f;
    out[14] = 2.0f * zfar * znear / (znear - zfar);
}

void mat_basis(float out[16], const float r0[3], const float r1[3], const float r2[3]) {
    float r[16] = {r0[0], r0[1], r0[2], 0, r1[0], r1[1], r1[2], 0,
                   r2[0], r2[1], r2[2], 0, 0,     0,     0,     1};
    copy16(out, r);
}

bool mat_inverse(float m[16]) {
    // Cofactor expansion in double: the 1e-14 singularity threshold is below float resolution.
    double a[16], inv[16];
    for (int k = 0; k < 16; ++k) a[k] = m[k];

    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] +
             a[9] * a[7] * a[14] + a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] -
             a[8] * a[7] * a[14] - a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] +
             a[8] * a[7] * a[13] + a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] -
              a[8] * a[6] * a[13] - a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] -
             a[9] * a[3] * a[14] - a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] +
             a[8] * a[3] * a[14] + a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] -
             a[8] * a[3] * a[13] - a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] +
              a[8] * a[2] * a[13] + a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] -
             a[4] * a[3] * a[14] - a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] +
              a[4] * a[3] * a[13] + a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] -
              a[4] * a[2] * a[13] - a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] -
             a[5] * a[3] * a[10] - a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];

    double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (std::fabs(det) < 1e-14) return false;
    for (int k = 0; k < 16; ++k) m[k] = static_cast<float>(inv[k] / det);
    return true;
}

void mat_inverse_transpose(float out[16], const float m[16]) {
    float inv[16];
    copy16(inv, m);
    if (!mat_inverse(inv)) mat_identity(inv);
    mat_transpose(out, inv);
}

void mat_transform_point(float out[3], const float m[16], const float p[3]) {
    float r[3];
    for (int j = 0; j < 3; ++j) r[j] = p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j];
    out[0] = r[0];
    out[1] = r[1];
    out[2] = r[2];
}
