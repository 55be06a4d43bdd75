// distfield_rules.h - how the distance-field scene turns its track values into choices.
//
// Pure functions, shared by the plug-in and its tests. Track values are arbitrary floats
// (a timeline may hold anything finite, a broken file anything at all), so every rule is
// decided on the float itself: converting an out-of-range float to int is undefined in C++.
#pragma once

namespace distfield {

// "mch_scenever": an integer part of 0 renders at full size (divisor 1), anything else at a
// quarter of the width and height. NaN has no integer part and takes the cheap path.
inline int resolutionDivisor(float scenever) {
    return (scenever > -1.0f && scenever < 1.0f) ? 1 : 4;
}

// "march_scenenum": the integer part, clamped to the four shader variants 0..3. NaN gives 0.
inline int sceneNumber(float value) {
    if (!(value >= 1.0f)) return 0;
    if (value >= 3.0f) return 3;
    return static_cast<int>(value);
}

// A logo's rectangle in normalised device coordinates is centred and spans
// (-w, -h) .. (w, h), its size in pixels of the 1280 x 720 screen times `scale`.
struct HalfExtent {
    float w, h;
};
inline HalfExtent logoHalfExtent(int width, int height, float scale) {
    return {static_cast<float>(width) * scale / 1280.0f,
            static_cast<float>(height) * scale / 720.0f};
}

} // namespace distfield
