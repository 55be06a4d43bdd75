// song.h - the soundtrack, "Vantaloid Tides": a four-on-the-floor piece at 145 BPM in E minor,
// synthesised sample by sample from the bar plan below.
//
// make_music renders it and encodes it with LAME; the tests render short pieces of it. All of
// it is plain arithmetic on a fixed seed, so the same source always gives the same samples.
// A Style plays the same bar plan at another tempo, with swing or another kick (test pieces
// for the onset detector); the default Style is the soundtrack, sample for sample.
// The bar plan is what the scene cuts in timeline/demo.timeline follow (docs/soundtrack.md).
#pragma once

#include <cstdint>
#include <vector>

struct OnsetLists;

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

// The kick drum: a sine falling from startHz to endHz (time constant sweepS) under a punch
// gliding from 140 Hz to 118 Hz that holds for 50 ms.
struct KickVoice {
    double startHz = 160.0, endHz = 46.0, sweepS = 0.03;
    double bodyGain = 0.6, bodyDecayS = 0.11;
    double punchGain = 0.55;
    double lengthS = 0.34;
};

struct Style {
    double bpm = kBpm;
    double swing = 0.0; // the off-sixteenths come late by this fraction of a sixteenth
    KickVoice kick;
};

// Where the drums were placed, in frames from the start: every hit, open and closed hats
// together, and every beat of the grid (the beat the tracks are played to).
struct Events {
    std::vector<int64_t> kick, snare, hat, crash, beat;
};

// The plan of bar `bar` (0-based; bars past the end are silent).
Bar barPlan(int bar);
// First frame of beat `beat` (0-based) on the grid.
int64_t beatFrame(int64_t beat);
// The first `bars` bars (clamped to 0..kBars), interleaved stereo at kRate. The master gain is
// fixed, so a short render is the start of the whole piece (up to echoes from later bars).
// `events`, when given, receives what was placed.
std::vector<int16_t> render(int bars, const Style& style = Style(), Events* events = nullptr);
// The events as onset lists in milliseconds (kick, snare, hat, crash, beat): the truth that
// detected onsets are held to.
OnsetLists eventLists(const Events& events);

} // namespace song
