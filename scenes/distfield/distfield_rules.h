// distfield_rules.h - how the distance-field scene turns its track values into choices.
//
// Pure functions, shared by the plug-in and its tests. Track values are arbitrary floats
// (a timeline may hold anything finite, a broken file anything at all); trackInteger
// (kit_helpers.h) limits them before they become ints.
#pragma once

#include "kit_helpers.h"

namespace distfield {

// "mch_scenever": an integer part of 0 renders at full size, anything else at a quarter of
// the width and height. NaN has no integer part and takes the cheap path.
inline int resolutionDivisor(float scenever) {
    return trackInteger(scenever, -1, 1) == 0 ? kScreenFull : kScreenQuarter;
}

// "march_scenenum": the integer part, clamped to the four shader variants 0..3. NaN gives 0.
inline int sceneNumber(float value) {
    return trackInteger(value, 0, 3);
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
