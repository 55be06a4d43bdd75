// make_music.cpp - renders the soundtrack and writes it as an MP3 (44100 Hz, stereo, LAME).
//
//   make_music OUT.mp3 [BARS]     BARS: only the first bars (for quick listening and tests)
#include "mp3_fixture.h"
#include "song.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_music OUT.mp3 [BARS]\n");
        return 2;
    }
    int bars = song::kBars;
    if (argc == 3) {
        char* end = nullptr;
        const long n = std::strtol(argv[2], &end, 10);
        if (*end || n < 1 || n > song::kBars) {
            std::fprintf(stderr, "make_music: BARS must be 1..%d\n", song::kBars);
            return 2;
        }
        bars = int(n);
    }
    const std::vector<int16_t> pcm = song::render(bars);
    const std::vector<uint8_t> mp3 =
        encodeMp3(pcm.data(), int(pcm.size() / 2), song::kRate, 2, 192);
    if (mp3.empty() || !writeBytes(argv[1], mp3)) {
        std::fprintf(stderr, "make_music: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
