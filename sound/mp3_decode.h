// mp3_decode.h - decodes a whole MP3 image in memory with mpg123.
//
// Used by the audio layer when a stream is created. The image is read through a memory reader
// and scanned whole first, so the length is exact (encoder delay and padding removed when the
// file says how much). Output is interleaved signed 16-bit samples at the file's rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedAudio {
    std::vector<int16_t> samples; // interleaved, `channels` per frame
    int rate = 0;                 // frames per second
    int channels = 0;             // 1 or 2
};

// True when at least one frame was decoded. A later change of format ends the decode there.
bool decodeMp3(const uint8_t* image, size_t size, DecodedAudio& out);
