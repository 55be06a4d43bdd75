// vortex_rules.h - how the tunnel scene places its pieces from its track values.
//
// Pure functions, shared by the plug-in and its tests. Lengths are the tunnel's own units
// along its axis (+Y, the way the camera looks); angles are degrees.
//
// The tunnel is a treadmill: "tnl_ofs" slides it along the axis, and up to four copies of
// the main segment are drawn at positions that wrap every 96 units, 48 apart, so that the
// copy leaving at one end comes back at the other. While the offset is below 96 the broken
// tunnel, drawn at the offset itself, continues the tube ahead of the last copy.
#pragma once

#include "matrix.h"

#include <cmath>

namespace vortex {

constexpr int kGreetingCount = 13;
// One wrap of the treadmill; the copies follow each other at half of it.
constexpr float kSegmentCycle = 96.0f;
constexpr float kSegmentShift = 54.0f;

// Track values come from files that may hold anything; a value that is not finite would
// turn every matrix it reaches into NaN, so it counts as 0.
inline float finiteOr0(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

// What the tunnel draws at offset o: the broken tunnel (at o) or not, then the main segment
// at each of `count` positions, in drawing order.
struct TunnelLayout {
    bool broken = false;
    int count = 0;
    float positions[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

//
// The third and fourth copies also come at exactly 96 and 48: there the remainders have just
// wrapped to 0, the other copies have jumped back by 96, and without them the tube would
// have a hole from 42 to 90 ahead for that one value.
inline TunnelLayout tunnelLayout(float o) {
    TunnelLayout layout;
    layout.broken = o < 96.0f;
    auto add = [&layout](float p) { layout.positions[layout.count++] = p; };
    if (o > -48.0f) add(std::fmod(o + 48.0f, kSegmentCycle) - kSegmentShift);
    if (o > 0.0f) add(std::fmod(o, kSegmentCycle) - kSegmentShift);
    if (o >= 96.0f) add(std::fmod(o, kSegmentCycle) + kSegmentCycle - kSegmentShift);
    if (o >= 48.0f) add(std::fmod(o + 48.0f, kSegmentCycle) + kSegmentCycle - kSegmentShift);
    return layout;
}

// Greeting i hangs 15 units after greeting i - 1 and turns 73 degrees further about the
// axis, so the thirteen panels form a loose spiral.
inline float greetingY(int i, float o) {
    return 15.0f * static_cast<float>(i) + o - 107.0f;
}
inline float greetingAngle(int i) {
    return 73.0f * static_cast<float>(i);
}

// The panel's image turns half a turn (-1) on the side of the tunnel where it would stand
// upside down: 1 when the angle, reduced to one turn, lies strictly between 0 and 180.
inline float inverseUv(float angleDeg) {
    const float a = std::fmod(angleDeg, 360.0f);
    return a > 0.0f && a < 180.0f ? 1.0f : -1.0f;
}

// "tnl_camrot" in degrees of roll.
inline float rollDegrees(float camrot) {
    return 90.0f * finiteOr0(camrot);
}

// This scene's rotation: `deg` degrees about `axis`, laid out as the camera matrices are
// (the transpose of mat_rotation), so that a row vector times it turns right-handed about
// the axis.
inline void rotationDegrees(float out[16], float deg, const float axis[3]) {
    mat_rotation(out, deg * 3.14159265358979323846f / 180.0f, axis);
    mat_transpose(out, out);
}
inline void rotationY(float out[16], float deg) {
    const float y[3] = {0.0f, 1.0f, 0.0f};
    rotationDegrees(out, deg, y);
}

// The camera's view at a roll of `rollDeg`: it stays on the axis looking down it at
// (0, 10, 0); its up vector, +X unrolled, turns about the axis the camera looks along.
struct CameraFrame {
    float eye[3], target[3], up[3];
};
inline CameraFrame rolledCamera(float rollDeg) {
    float roll[16];
    rotationY(roll, rollDeg);
    CameraFrame frame{{0.0f, 0.0f, 0.0f}, {0.0f, 10.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};
    mat_transform_point(frame.target, roll, frame.target);
    mat_transform_point(frame.up, roll, frame.up);
    return frame;
}

// model = R_y(angle) then T(y): turned about the axis, then slid along it.
inline void placeOnAxis(float out[16], float angleDeg, float y) {
    float turn[16], slide[16];
    rotationY(turn, angleDeg);
    mat_translation(slide, 0.0f, y, 0.0f);
    mat_product(out, turn, slide);
}

} // namespace vortex
