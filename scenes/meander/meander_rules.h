// meander_rules.h - how the random-walk scene turns its track values and the post-processing
// library's random table into what it draws.
//
// Pure functions, shared by the plug-in and its tests. The path and the instance rotations
// are built from a table given as a function, so a test can hand in its own copy of the table
// and compare bit for bit with what the plug-in's copy gives.
#pragma once

#include "kit_helpers.h"
#include "matrix.h"

#include <algorithm>
#include <cmath>

namespace meander {

constexpr int kPathPoints = 1000;
constexpr int kRotations = 32;
constexpr int kTableMask = 0x1ffff; // the table holds 131072 entries
constexpr int kCursorAfterPath = 3000;
constexpr int kCursorAfterTrail = 20;
constexpr int kTrailLength = 256; // instances behind the head that are still drawn
constexpr int kCameraWindow = 60; // points behind the head the camera centres on
constexpr float kDegreesToRadians = 0.017453293f;

using TableEntry = float (*)(int index);

struct Vec3f {
    float x, y, z;
};

// ---- versions and counts ----------------------------------------------------------------

enum Version : int { kVersionBackground = 0, kVersionRolled = 1, kVersionNone = -1 };

// "rnd_scenever": the integer part of value + 0.5; 0 and 1 are the two drawings, anything
// else (NaN included) draws nothing.
inline int version(float scenever) {
    const int v = trackInteger(scenever + 0.5f, -1, 2);
    return v == 0 || v == 1 ? v : kVersionNone;
}

// "rndwalk_num_inst": the integer part. Below 0 there is no trail yet; the upper limit only
// keeps the conversion defined (the age of an instance still sees how far past the end of
// the path the count has run).
inline int instanceCount(float value) {
    return trackInteger(value, 0, 1 << 20);
}

// Path points the camera centres on: the head (at most the last point) and up to 60 before
// it, both ends included.
struct Range {
    int first, last; // inclusive
};
inline Range cameraWindow(int n) {
    const int head = std::min(std::max(n, 0), kPathPoints - 1);
    return {std::max(head - kCameraWindow, 0), head};
}

// Instances drawn for count n: the last 256 points before the head that exist on the path.
struct Span {
    int begin, end; // end exclusive
};
inline Span trailSpan(int n) {
    return {std::max(n - kTrailLength, 0), std::min(n, kPathPoints)};
}

// ---- one instance -----------------------------------------------------------------------

inline float clampf(float x, float lo, float hi) {
    return std::min(std::max(x, lo), hi);
}

// Age of instance i when the trail has n points: 1 at the head, 0 when 256 points behind.
inline float age(int n, int i) {
    return clampf(1.0f - static_cast<float>(n - i) / static_cast<float>(kTrailLength), 0.0f, 1.0f);
}

// The three spike models take turns; each has its own size.
inline int spikeModel(int i) {
    return i % 3;
}
inline float spikeScale(int i) {
    static const float scale[3] = {0.2f, 0.125f, 0.1f};
    return scale[i % 3];
}

// Size at age u: grows from nothing as a new instance appears (the square root of how far it
// is from the head, over the first fifth of the trail), shrinks back to nothing with age.
inline float instanceSize(float u, int i) {
    const float g = clampf((1.0f - u) / 0.2f, 0.0f, 1.0f);
    return std::min(std::sqrt(g), u) * spikeScale(i);
}

// Colour at age u: violet for the body of the trail, a bright cyan above 1 for the newest
// instances, so that the glow picks them up.
inline void diffuseColour(float u, float out[4]) {
    const float k = clampf((u - 0.85f) / 0.15f, 0.0f, 1.0f);
    out[0] = 0.3f * (1.0f - k) + 0.8f * k;
    out[1] = 0.2f * (1.0f - k) + 2.7f * k;
    out[2] = 0.5f * (1.0f - k) + 2.5f * k;
    out[3] = 1.0f;
}

// Rotate, then scale, then place: product(rotation, M) with M holding the size on its
// diagonal and the point in elements 12-14.
inline void instanceModel(const float rotation[16], float size, const float point[3],
                          float out[16]) {
    float m[16] = {size, 0, 0, 0, 0, size, 0, 0, 0, 0, size, 0, point[0], point[1], point[2], 1};
    mat_product(out, rotation, m);
}

// ---- built from the table -----------------------------------------------------------------

// The walk: from the origin, each step takes three table entries (indices 3k + 1 .. 3k + 3,
// the third for x, the first for z) as moves of up to a quarter unit either way, and sinks by
// 0.04.
inline void buildPath(TableEntry entry, float path[kPathPoints][3]) {
    float p[3] = {0.0f, 0.0f, 0.0f};
    for (int k = 0; k < kPathPoints; ++k) {
        const float r1 = entry((3 * k + 1) & kTableMask);
        const float r2 = entry((3 * k + 2) & kTableMask);
        const float r3 = entry((3 * k + 3) & kTableMask);
        p[0] += (2.0f * r3 - 1.0f) * 0.25f;
        p[1] += (2.0f * r2 - 1.0f) * 0.25f - 0.04f;
        p[2] += (2.0f * r1 - 1.0f) * 0.25f;
        path[k][0] = p[0];
        path[k][1] = p[1];
        path[k][2] = p[2];
    }
}

// Rotation k: four entries (indices 4k + 1 .. 4k + 4) give an axis (the third for x, the
// first for z) and an angle of up to 90 degrees; stored transposed, in the layout the camera's
// matrices use.
inline void buildRotations(TableEntry entry, float rotations[kRotations][16]) {
    for (int k = 0; k < kRotations; ++k) {
        const float a = entry((4 * k + 1) & kTableMask);
        const float b = entry((4 * k + 2) & kTableMask);
        const float c = entry((4 * k + 3) & kTableMask);
        const float d = entry((4 * k + 4) & kTableMask);
        float axis[3] = {2.0f * c - 1.0f, 2.0f * b - 1.0f, 2.0f * a - 1.0f};
        const float length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
        // Never zero for table values (an axis needs three entries of exactly 0.5), but a
        // zero axis would fill the matrix with NaN.
        if (length > 0.0f)
            for (float& v : axis) v /= length;
        else
            axis[1] = 1.0f;
        float r[16];
        mat_rotation(r, 90.0f * d * kDegreesToRadians, axis);
        mat_transpose(rotations[k], r);
    }
}

// Mean of the path points first..last (inclusive, at least one point).
inline Vec3f windowCentre(const float path[kPathPoints][3], Range window) {
    float sum[3] = {0.0f, 0.0f, 0.0f};
    for (int k = window.first; k <= window.last; ++k)
        for (int c = 0; c < 3; ++c) sum[c] += path[k][c];
    const float count = static_cast<float>(window.last - window.first + 1);
    return {sum[0] / count, sum[1] / count, sum[2] / count};
}

} // namespace meander
