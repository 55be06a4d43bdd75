// mp3_fixture.h - MP3 images made with LAME: of known content for tests and benchmarks, and
// the soundtrack's encoder (tools/music).
//
// The image carries LAME's tag (encoder delay and padding), so a decoder that honours it
// gives back exactly the frames that went in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `seconds` of a sine of `frequency` Hz and `amplitude` (full scale 1.0) at `rate` Hz, the
// same signal in every channel. Empty on failure.
// Encodes `frames` frames of interleaved 16-bit PCM at constant `kbps`. Deterministic: the
// same samples give the same bytes. Empty on failure.
std::vector<uint8_t> encodeMp3(const int16_t* interleaved, int frames, int rate, int channels,
                               int kbps = 192);
std::vector<uint8_t> makeSineMp3(double seconds, double frequency, float amplitude,
                                 int rate = 44100, int channels = 2);
bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
