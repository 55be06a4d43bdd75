// fuzz_timeline - the timeline text parser on arbitrary bytes.
//
// Whatever the text, every message is one short line naming the file and a line of the text,
// and every key that comes out is one the player can play and a track file can hold: a name
// that makes a file name, rows strictly ascending, a finite value, interpolation 0..3. A text
// without errors dumps to lines that parse back to the same keys, bit for bit.
#include "timeline.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void checkError(const std::string& e, size_t lines) {
    require(e.compare(0, 5, "fuzz:") == 0);
    char* end = nullptr;
    const unsigned long line = std::strtoul(e.c_str() + 5, &end, 10);
    require(line >= 1 && line <= lines && std::strncmp(end, ": ", 2) == 0);
    require(e.size() < 400); // quoted text is cut to 64 characters
    for (char c : e) require(c >= 0x20 && c < 0x7f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t lines = 1;
    for (char c : text) lines += c == '\n';

    Timeline t;
    const bool good = parseTimeline(text, "fuzz", t);
    require(good == t.errors.empty());
    for (const std::string& e : t.errors) checkError(e, lines);

    for (const auto& [name, keys] : t.tracks) {
        require(trackNameProblem(name).empty() && name.size() <= kMaxTrackName);
        require(!keys.empty());
        for (size_t i = 0; i < keys.size(); ++i) {
            require(keyProblem(keys[i]).empty() && std::isfinite(keys[i].value));
            require(keys[i].interpolation >= 0 && keys[i].interpolation <= 3);
            if (i > 0) require(keys[i - 1].row < keys[i].row);
        }
        if (!good) continue;
        KeyTrack track{const_cast<char*>(name.c_str()), const_cast<TrackKey*>(keys.data()),
                       int32_t(keys.size())};
        Timeline again;
        require(parseTimeline(dumpTrack(name, track), "dump", again));
        const std::vector<TrackKey>& back = again.tracks.at(name);
        require(back.size() == keys.size());
        for (size_t i = 0; i < keys.size(); ++i)
            require(back[i].row == keys[i].row && back[i].interpolation == keys[i].interpolation &&
                    std::memcmp(&back[i].value, &keys[i].value, sizeof(float)) == 0);
    }
    return 0;
}
