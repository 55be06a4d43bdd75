// fuzz_track - the ".track" reader and evaluation on arbitrary bytes.
//
// The input is a file image. Whatever it claims, parsing must stay inside the bytes, keep at
// most the keys they hold, and leave keys that evaluate anywhere without reading out of
// bounds or producing undefined behaviour. Rows to evaluate at come from the keys themselves
// (their edges and midpoints) and from fixed far-away values.
#include "track.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KeyTrack* track = keytrack_create("fuzz");
    if (!track) return 0;
    keytrack_parse(track, data, size);
    if (track->key_count < 0 ||
        (track->key_count > 0 && 4 + size_t(track->key_count) * TRACK_KEY_FILE_SIZE > size))
        std::abort(); // more keys than the bytes can hold
    for (int32_t i = 1; i < track->key_count; ++i)
        if (track->keys[i - 1].row >= track->keys[i].row) std::abort(); // not strictly ascending

    const double fixed[] = {-1e300, -2147483649.0, -0.5, 0.0, 0.5, 2147483648.0, 1e300};
    volatile float sink = 0;
    for (double row : fixed) sink = sink + keytrack_value(track, row);
    for (int32_t i = 0; i < track->key_count && i < 64; ++i) {
        const double row = track->keys[i].row;
        sink = sink + keytrack_value(track, row) + keytrack_value(track, row + 0.5) +
               keytrack_value(track, row - 1e-9);
        keytrack_floor_key(track, track->keys[i].row);
    }
    keytrack_destroy(track);
    return 0;
}
