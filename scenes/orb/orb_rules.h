// orb_rules.h - the orb scene's camera and constants, as pure functions shared by the plug-in,
// its asset generator (which places the logo where this camera looks) and the tests.
//
// The camera slides along x by the track "brk_camofs": eye (c, 0, 1), target (c + 0.3, 0.6, 0),
// so the view direction never changes and the logo, built in place in its model file, crosses
// the screen sideways with the perspective of a 90 degree lens.
#pragma once

#include <cmath>

namespace orb {

constexpr float kFovDegrees = 90.0f;
constexpr float kNear = 0.1f;
constexpr float kFar = 500.0f;
// The radial blur's "dist": the glow's reach in pixels (post_radialblur.frag).
constexpr float kRadialDistance = 1500.0f;
constexpr float kVignetteAmount = 1.0f;
constexpr float kGrainOpacity = 0.1f;

struct Vec3f {
    float x, y, z;
};

// "brk_camofs" as an offset. A track value that is not a number (a damaged file) would turn
// every matrix into NaN and the logo would silently vanish; it holds the camera at the centre.
inline float cameraOffset(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

inline Vec3f cameraEye(float offset) {
    return {offset, 0.0f, 1.0f};
}

// The 0.3 is added in double precision, then rounded to a float.
inline Vec3f cameraTarget(float offset) {
    return {static_cast<float>(static_cast<double>(offset) + 0.3), 0.6f, 0.0f};
}

constexpr Vec3f kCameraUp{0.0f, 1.0f, 0.0f};

} // namespace orb
