// matrix.h - 4x4 single-precision matrix functions shared by the host and every plug-in.
//
// A matrix is 16 consecutive floats; element k is the k-th float in storage order. The layout
// is row-major with row vectors on the left (v' = v * M): a translation sits in elements 12-14.
// In memory that is the same as OpenGL's column-major M * v, so matrices go to shaders
// untransposed.
//
// Every function writes into `out` and reads its inputs completely first, so `out` may alias an
// input. No function allocates; all are pure apart from writing `out`.
#pragma once

// clang-format off
void mat_identity(float out[16]);
void mat_translation(float out[16], float x, float y, float z);
void mat_scale(float out[16], float x, float y, float z);
// Rotation of `angle` radians about `axis`; the axis need not be unit length.
void mat_rotation(float out[16], float angle, const float axis[3]);
// out = a * b: element 4i+j is the sum over k of a[4i+k] * b[4k+j].
void mat_product(float out[16], const float a[16], const float b[16]);
void mat_transpose(float out[16], const float m[16]);
// Look-at in the column-vector form: rows are s, v, -f with the eye terms in elements 3, 7, 11.
// The camera's view matrix is its transpose.
void mat_lookat(float out[16], const float eye[3], const float target[3], const float up[3]);
// Perspective projection; fov_deg is the vertical field of view in degrees.
void mat_perspective(float out[16], float fov_deg, float aspect, float znear, float zfar);
// Rows 0-2 from r0, r1, r2; the rest of the identity.
void mat_basis(float out[16], const float r0[3], const float r1[3], const float r2[3]);
// Inverts m in place. Returns false and leaves m unchanged when |det| < 1e-14.
bool mat_inverse(float m[16]);
// out = the transpose of m's inverse, which carries normals as m carries points; the identity
// when m cannot be inverted. out may be m.
void mat_inverse_transpose(float out[16], const float m[16]);
// out = the point p (w = 1) times m, as models move their vertices; out may be p.
void mat_transform_point(float out[3], const float m[16], const float p[3]);
// clang-format on
