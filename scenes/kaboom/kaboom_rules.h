// kaboom_rules.h - how the reactor scene turns its track values into a view.
//
// Pure functions, shared by the plug-in and its tests: the choice between the panorama and
// the direct view, the orbiting eye, and the matrices of the beam's volume. Track values are
// arbitrary floats; a NaN from a damaged file must not pick a view by accident.
#pragma once

#include "matrix.h"

#include <cmath>

namespace kaboom {

// The camera both views share.
constexpr float kFovDeg = 110.0f;
constexpr float kNear = 0.1f;
constexpr float kFar = 1500.0f;
constexpr float kTarget[3] = {0.0f, 15.0f, 0.0f};
// Tilted towards +x and normalised, so the up vector is never parallel to a view that looks
// straight up or down the y axis (an eye at the origin still gets a camera).
inline void cameraUp(float out[3]) {
    const float len = std::sqrt(0.25f * 0.25f + 1.0f);
    out[0] = 0.25f / len;
    out[1] = 1.0f / len;
    out[2] = 0.0f;
}

// The cube map the six faces are drawn into.
constexpr int kCubeSize = 512;
constexpr int kCubeFaces = 6;

// "expl_cylview": strictly above one half shows the panorama; exactly 0.5, less, or NaN the
// direct perspective view.
inline bool showPanorama(float cylview) {
    return cylview > 0.5f;
}

// The eye orbits the reactor: (75 d, (20 sin r + 45) d, 0) turned about the y axis by 40 r
// degrees, r = "rct_camrot", d = "rct_camdist". d = 0 puts it at the origin.
inline void eyePosition(float out[3], float camrot, float camdist) {
    const float start[3] = {75.0f * camdist, (20.0f * std::sin(camrot) + 45.0f) * camdist, 0.0f};
    const float yAxis[3] = {0.0f, 1.0f, 0.0f};
    float turn[16];
    mat_rotation(turn, 40.0f * camrot * 3.14159265358979f / 180.0f, yAxis);
    mat_transform_point(out, turn, start);
}

// The beam's volume: the unit-radius cylinder model (y from 0 to 2) scaled to a radius of 40
// and lowered, so it stands from y = -17.5 to 52.5 around the reactor's axis.
inline void beamModel(float out[16]) {
    float scale[16], lower[16];
    mat_scale(scale, 40.0f, 35.0f, 40.0f);
    mat_translation(lower, 0.0f, -17.5f, 0.0f);
    mat_product(out, scale, lower);
}

} // namespace kaboom
