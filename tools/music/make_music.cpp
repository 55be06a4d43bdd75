// make_music.cpp - renders the soundtrack and writes it as an MP3 (44100 Hz, stereo, LAME), or
// writes where its drums fall as an onset list (the truth that detected onsets are held to).
//
//   make_music OUT.mp3 [BARS]             BARS: only the first bars (for quick listening and tests)
//   make_music --events OUT.onsets [BARS] kick, snare, hat, crash and beat times in ms
#include "mp3_fixture.h"
#include "onset_list.h"
#include "song.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool writeEvents(const char* path, const song::Events& events) {
    const std::string text =
        formatOnsets(song::eventLists(events),
                     {"where make_music placed the drums of \"Vantaloid Tides\" (ms)"});
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    const bool eventsOnly = argc >= 2 && std::strcmp(argv[1], "--events") == 0;
    const int first = eventsOnly ? 2 : 1;
    if (argc < first + 1 || argc > first + 2) {
        std::fprintf(stderr, "usage: make_music OUT.mp3 [BARS]\n"
                             "       make_music --events OUT.onsets [BARS]\n");
        return 2;
    }
    const char* out = argv[first];
    int bars = song::kBars;
    if (argc == first + 2) {
        char* end = nullptr;
        const long n = std::strtol(argv[first + 1], &end, 10);
        if (*end || n < 1 || n > song::kBars) {
            std::fprintf(stderr, "make_music: BARS must be 1..%d\n", song::kBars);
            return 2;
        }
        bars = int(n);
    }
    song::Events events;
    const std::vector<int16_t> pcm = song::render(bars, song::Style(), &events);
    if (eventsOnly) {
        if (!writeEvents(out, events)) {
            std::fprintf(stderr, "make_music: cannot write %s\n", out);
            return 1;
        }
        return 0;
    }
    const std::vector<uint8_t> mp3 =
        encodeMp3(pcm.data(), int(pcm.size() / 2), song::kRate, 2, 192);
    if (mp3.empty() || !writeBytes(out, mp3)) {
        std::fprintf(stderr, "make_music: cannot write %s\n", out);
        return 1;
    }
    return 0;
}
