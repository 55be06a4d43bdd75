// spectrum.h - FFT magnitudes of decoded audio (FFTW, single precision).
//
// Used by the audio layer for BASS_ChannelGetData's FFT requests. Plans are made on first use
// of each size and kept; call from one thread.
#pragma once

#include <cstdint>

// Writes `count` magnitudes (count = fftSize / 2, fftSize 256 .. 16384) of the mono mix of the
// `fftSize` frames of `samples` that end at frame `end` (frames before 0 count as silence).
// Hann window unless `window` is false. Scaled so that a full-scale sine at a bin's centre
// frequency reads about 1.0 in that bin. False (nothing written) for an unsupported size.
bool spectrumMagnitudes(const int16_t* samples, int channels, uint64_t frames, uint64_t end,
                        int fftSize, bool window, float* out);
