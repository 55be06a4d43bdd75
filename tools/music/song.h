// song.h - the soundtrack, "Vantaloid Tides": a four-on-the-floor piece at 145 BPM in E minor,
// synthesised sample by sample from the bar plan below.
//
// make_music renders it and encodes it with LAME; the tests render short pieces of it. All of
// it is plain arithmetic on a fixed seed, so the same source always gives the same samples.
// The bar plan is what the scene cuts in timeline/demo.timeline follow (docs/soundtrack.md).
#pragma once

#include <cstdint>
#include <vector>

namespace song {

constexpr int kRate = 44100;
constexpr double kBpm = 145.0;
constexpr int kBeatsPerBar = 4;
constexpr int kBars = 116; // 192 s; the demo ends at 184 s, in bar 111
constexpr double kFramesPerBeat = kRate * 60.0 / kBpm;

// What plays in one bar.
struct Bar {
    bool kick, snare, hats, openHats, bass, lead, bell;
    bool leadUp;     // the lead doubled an octave higher
    bool fill;       // last beats of a phrase: kick thins out, snare rolls
    bool riser;      // noise sweep into the next section
    bool crash;      // cymbal on the downbeat
    float padCutoff; // pad brightness in Hz at the start of the bar
    float level;     // master level (the fade at the end)
};

// The plan of bar `bar` (0-based; bars past the end are silent).
Bar barPlan(int bar);
// First frame of beat `beat` (0-based) on the grid.
int64_t beatFrame(int64_t beat);
// The first `bars` bars (clamped to 0..kBars), interleaved stereo at kRate. The master gain is
// fixed, so a short render is the start of the whole piece (up to echoes from later bars).
std::vector<int16_t> render(int bars);

} // namespace song
