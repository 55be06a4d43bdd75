// onset_detect.h - finds the drums in a piece of music: kick, snare, hat and
// crash onsets and the beat, as named onset lists (sync/timeline/onset_list.h),
// with aubio.
//
// One detector over the whole mix hears a kick and a snare on the same beat as
// one onset, so each drum gets a band of its own: the signal goes through a
// band-pass made of biquads, and an aubio onset detector tuned for that drum
// runs on the band. Where other instruments start notes in that band too, the
// detector is set to hear every start, and each is kept only if the drum's
// bands are all loud just after it (level checks). The beat comes from aubio's
// tempo tracker on the whole mix. Times are in milliseconds from the first
// sample, corrected for the detectors' latency (docs/sync.md).
#pragma once

#include "onset_list.h"

#include <cstddef>
#include <cstdint>
#include <string>

// A condition on a detected onset: the energy of a band in the 35 ms after it
// must come within `minDb` (negative) of that band's loud level in the piece
// (its 99th percentile over 5.8 ms slices), so a drum is told from quieter
// notes by how loud it is where it sounds.
struct LevelCheck {
    double lowHz;  // high-pass corner (0: none)
    double highHz; // low-pass corner (0: none)
    double minDb;
};

// One drum's detector: the band it listens to, how aubio picks its onsets
// there, and what an onset must show to count as this drum.
struct OnsetBand {
    const char* name;   // the list it fills
    double lowHz;       // high-pass corner (0: none)
    double highHz;      // low-pass corner (0: none)
    const char* method; // aubio onset method: "energy", "hfc", "specflux", ...
    double threshold;   // aubio peak-picking threshold
    double silenceDb;   // quieter frames are never onsets
    double minIoiMs;    // aubio's minimum gap between two onsets
    int checkCount;     // how many of `checks` apply (0: every onset counts)
    LevelCheck checks[3];
    double minGapMs;  // of onsets that pass the checks, one closer than this to
                      // the last is dropped
    double latencyMs; // how late aubio reports this band's onsets (measured),
                      // subtracted
};

// The bands `detectOnsets` uses, `count` of them.
const OnsetBand* onsetBands(size_t* count);

// Onsets of `frames` mono samples at `rate` Hz into `out` (its lists replaced).
// False, with `error` set, when aubio cannot be set up for that rate.
bool detectOnsets(const float* samples, size_t frames, int rate, OnsetLists& out,
                  std::string& error);

// The same with other bands (for tuning them).
bool detectOnsetsWith(const float* samples, size_t frames, int rate, const OnsetBand* bands,
                      size_t bandCount, OnsetLists& out, std::string& error);

// Decodes the MP3 file at `path` (mpg123, as the player does), mixes it to mono
// and detects its onsets. False, with `error` naming the file and what is
// wrong, when it cannot be read or is not an MP3.
bool detectOnsetsInMp3(const std::string& path, OnsetLists& out, std::string& error);
