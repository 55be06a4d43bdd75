// golden_tolerance.h - how golden frames are compared: frames box-filtered 4 x 4 down to
// 320 x 180, then the mean difference per channel and the share of channels far off. The
// limits allow for another Mesa version's rounding, not for a changed picture.
#pragma once

constexpr int kGoldenWidth = 320, kGoldenHeight = 180, kGoldenFactor = 4;
constexpr double kGoldenMeanLimit = 3.0; // mean difference per channel, levels
constexpr int kGoldenFarLevels = 48;     // a channel this far off counts as a far one ...
constexpr int kGoldenFarPercent = 1;     // ... and at most this share of channels may be
constexpr int kGoldenFarAllowed = kGoldenWidth * kGoldenHeight * 3 * kGoldenFarPercent / 100;
