// pillars_rules.h - how the title scene turns track values, the spectrum and the clock into
// choices: which surfaces of the "kaos" model are drawn and how far out, where the shaking
// camera stands, and what colour one spectrum value paints into the spectrogram.
//
// Pure functions, shared by the plug-in and its tests. Track values are arbitrary floats (a
// damaged file may hold NaN or values no int can hold), so they are limited as floats before
// they become counts (trackInteger, kit_helpers.h).
#pragma once

#include "kit_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace pillars {

// ---- the kaos model, surface by surface --------------------------------------------------------

// One surface drawn on its own, with the "offset_magnitude" it is drawn at.
struct SurfaceDraw {
    int surface;
    float offset;
};

// What one frame draws of a model of `groups` surfaces: the first `settled` surfaces at the
// base offset ("kaos_allscale"), then up to three surfaces of the group of three being built,
// each still some way out.
struct KaosDraw {
    int settled = 0;
    int building = 0; // entries used in `parts`
    SurfaceDraw parts[3] = {};
};

// "kaos_numsurfs" = n, limited to groups - 1; k = its integer part rounded down to a multiple
// of 3; the fraction f = (n mod 3) / 3 of the next three is drawn when above 0.001, each
// offset by a decreasing function of f (g = 1 - f: g, sqrt g, g sqrt g). Negative and NaN
// counts draw nothing; a model without surfaces too.
inline KaosDraw kaosSurfaces(int groups, float numsurfs, float allscale) {
    KaosDraw d;
    if (groups <= 0 || !(numsurfs > 0.0f)) return d;
    const float n = std::min(numsurfs, float(groups - 1));
    const int whole = trackInteger(n, 0, groups - 1);
    d.settled = whole - whole % 3;
    if (!(float(groups - 1) > n)) return d;
    const float f = std::fmod(n, 3.0f) / 3.0f;
    if (!(f > 0.001f)) return d;
    const float g = 1.0f - f;
    const float offsets[3] = {g, std::sqrt(g), g * std::sqrt(g)};
    for (int i = 0; i < 3; ++i) {
        d.parts[i].surface = std::min(d.settled + i, groups - 1);
        d.parts[i].offset = std::max(0.0f, allscale + offsets[i]);
    }
    d.building = 3;
    return d;
}

// ---- the camera -----------------------------------------------------------------------------

// The shake of the eye: (r cos s, r sin s, 0) in view space, brought to world space with the
// transposed rotation of `view` (row-vector layout of matrix.h: world = x * column 0 +
// y * column 1 of the upper 3x3), so the eye moves along the camera's right and up axes.
inline void shakeOffset(const float view[16], float r, float s, float out[3]) {
    const float x = r * std::cos(s), y = r * std::sin(s);
    for (int k = 0; k < 3; ++k) out[k] = x * view[4 * k] + y * view[4 * k + 1];
}

// Turns point `p` right-handedly about the x (axis 0) or y (axis 1) axis by `degrees`:
// counter-clockwise seen from the positive end of the axis looking at the origin.
inline void rotatePoint(float p[3], int axis, float degrees) {
    const double a = double(degrees) * 3.14159265358979323846 / 180.0;
    const float c = float(std::cos(a)), s = float(std::sin(a));
    float x = p[0], y = p[1], z = p[2];
    if (axis == 0) {
        p[1] = c * y - s * z;
        p[2] = s * y + c * z;
    } else {
        p[0] = c * x + s * z;
        p[2] = -s * x + c * z;
    }
}

// Band energy e of bins 20-28 shakes the camera by 150 e and lifts the vignette: it is gone
// at e = 1/3 and above.
inline float shakeRadius(float e) {
    return 150.0f * e;
}
inline float vignetteAmount(float e) {
    return std::max(0.0f, 1.0f - 3.0f * e);
}

// "cyl_scnver": an integer part of 1 or more grades the frame through the purple-darks table;
// anything else (NaN included) copies it unchanged.
inline bool gradePurpleDarks(float scnver) {
    return trackInteger(scnver, 0, 1) >= 1;
}

// "cylborder" as the letterbox: the clamped border c gives the bars' inner edges in pixels of
// a viewport `height` high, (c h / 2, h - c h / 2). NaN counts as no border.
struct Letterbox {
    float bottom, top;
};
inline Letterbox letterbox(float border, int height) {
    const float c = border > 0.0f ? std::min(border, 1.0f) : 0.0f;
    const float h = float(height);
    return {c * 0.5f * h, h - c * 0.5f * h};
}

// ---- the spectrogram --------------------------------------------------------------------------

constexpr int kSpectrogramWidth = 512;   // columns: one a frame, then round again
constexpr int kSpectrogramHeight = 1024; // rows: the spectrum, low bins at the bottom
constexpr int kSpectrumBins = 4096;      // asked of the audio layer each frame
constexpr int kSpectrumBuffer = 8192;    // floats held for it

// The next column: one step a frame, wrapping at the texture's width.
inline int nextColumn(int column) {
    return (column + 1) % kSpectrogramWidth;
}

// Where pixel (`column`, `row`) starts in the 2 MiB pixel buffer, in bytes. The buffer holds
// the picture column by column, so the one column that changes in a frame is 4 KiB in one
// piece and goes up to the texture as a 1 x 1024 update, not the whole picture again.
inline size_t spectrogramPixel(int column, int row) {
    return (size_t(column) * kSpectrogramHeight + size_t(row)) * 4;
}

// The spectrum bin that row `row` shows: (row / 1024)^4 of 4096, so the low end, where the
// music lives, takes most of the rows. Limited to the bins the audio layer filled (`count`,
// and never past the buffer); with no bins at all there is nothing to read (-1).
inline int binOfRow(int row, int count) {
    const int last = std::min(count, kSpectrumBuffer) - 1;
    if (last < 0) return -1;
    const double t = double(row) / double(kSpectrogramHeight);
    const int j = int(t * t * t * t * kSpectrumBins);
    return std::max(0, std::min(j, last));
}

// One spectrogram pixel from a spectrum magnitude, as blue, green, red, alpha bytes: silence
// is black, faint bins blue, louder ones through magenta to orange, the loudest near white.
struct Bgra {
    uint8_t b, g, r, a;
};
inline Bgra spectrumColour(float v) {
    auto clamp01 = [](float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; };
    if (!(v > 0.0f)) v = 0.0f; // magnitudes are never negative; NaN reads as silence
    const float a = clamp01(5.0f * (1.0f - 1.0f / (v + 1.0f)));
    const float g1 = clamp01(a / 0.05f);
    const float g2 = clamp01((a - 0.05f) / 0.2f);
    const float g3 = clamp01((a - 0.25f) / 0.75f);
    return {uint8_t(g1 * 255.0f), uint8_t(clamp01(g3 + 0.3f * g1) * 255.0f),
            uint8_t(clamp01(g2 + 0.25f * g1) * 255.0f), 255};
}

// The quad that shows the spectrogram: u runs from the newest column (bottom of the screen)
// back over the last 32 (top); the texture repeats, so u past 1 wraps round.
inline void spectrogramU(int column, float& u0, float& u1) {
    u0 = float(column) / float(kSpectrogramWidth) + 1.0f;
    u1 = float(column) / float(kSpectrogramWidth) + 0.9375f;
}

} // namespace pillars
