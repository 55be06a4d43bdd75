// onset_detect.cpp - see onset_detect.h.
#include "onset_detect.h"

#include "mp3_decode.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr uint_t kWindow = 1024;
constexpr uint_t kHop = 256;

// Tuned on the soundtrack and on the same bar plan at 128 BPM with swing and
// another kick (tests/soundtrack/test_onsets.cpp prints how well they do;
// docs/sync.md has the figures). Kick and snare: aubio's energy detector with a
// low threshold hears every start below 300 Hz (or in the snare's 170-280 Hz
// body), bass and lead notes included; a kick is then the start that brings
// 90-160 Hz close to the loudest it gets in the piece, and 30-90 Hz not far
// below, which the quieter bass notes do not; a snare is the start after which
// its body, its hiss (1.5-4 kHz) and the top octaves are all loud at once:
// neither hats (no body, little hiss) nor kicks and bass notes (no top) are.
// Hats are the top octaves; a crash is a long burst over the whole top, so only
// its start clears a high threshold with a long minimum gap. Latencies are the
// mean errors measured on both pieces.
// clang-format off
const OnsetBand kBands[] = {
    // name     band        method      thr   silence gap  checks                      gap  late
    {"kick",    0, 300,     "energy",   0.6,  -50,    30,  2, {{90, 160, -5.5}, {30, 90, -10}},
                                                                                       100, 7.7},
    {"snare",   170, 280,   "energy",   0.5,  -60,    20,  3, {{1500, 4000, -6.5}, {9000, 0, -8.5},
                                                               {170, 280, -15.5}},     60,  7.5},
    {"hat",     8000, 0,    "energy",   0.3,  -70,    50,  0, {},                      0,   2.3},
    {"crash",   4000, 0,    "specflux", 1.6,  -40,    1000, 0, {},                     0,   0},
};
// clang-format on

// Level checks read the energy of this many hops from the onset on.
constexpr size_t kCheckHops = 6;

struct Biquad {
    double b0, b1, b2, a1, a2;
};

// Second-order Butterworth sections (the audio EQ cookbook's, Q = 1/sqrt 2).
Biquad butterworth(double hz, int rate, bool highPass) {
    const double w = 2 * M_PI * std::min(hz, 0.45 * rate) / rate;
    const double alpha = std::sin(w) / std::sqrt(2.0), c = std::cos(w), a0 = 1 + alpha;
    const double b1 = highPass ? -(1 + c) : 1 - c;
    const double b0 = highPass ? (1 + c) / 2 : (1 - c) / 2;
    return {b0 / a0, b1 / a0, b0 / a0, -2 * c / a0, (1 - alpha) / a0};
}

// Owns everything aubio hands out for one pass, so every return path frees it.
struct Pass {
    fvec_t* block = nullptr;
    fvec_t* result = nullptr;
    std::vector<aubio_filter_t*> filters;
    aubio_onset_t* onset = nullptr;
    aubio_tempo_t* tempo = nullptr;
    Pass() : block(new_fvec(kHop)), result(new_fvec(2)) {}
    ~Pass() {
        for (aubio_filter_t* f : filters) del_aubio_filter(f);
        if (onset) del_aubio_onset(onset);
        if (tempo) del_aubio_tempo(tempo);
        if (result) del_fvec(result);
        if (block) del_fvec(block);
    }
    // Hop `i` of the input into `block`, zero past the end.
    void load(const float* samples, size_t frames, size_t i) {
        for (uint_t k = 0; k < kHop; ++k) {
            const size_t at = i * kHop + k;
            block->data[k] = at < frames ? samples[at] : 0.0f;
        }
        for (aubio_filter_t* f : filters) aubio_filter_do(f, block);
    }
};

bool addFilter(Pass& pass, double hz, int rate, bool highPass) {
    const Biquad q = butterworth(hz, rate, highPass);
    // Two sections: 24 dB an octave, enough to keep a kick out of the snare's
    // band.
    for (int i = 0; i < 2; ++i) {
        aubio_filter_t* f = new_aubio_filter_biquad(q.b0, q.b1, q.b2, q.a1, q.a2);
        if (!f) return false;
        pass.filters.push_back(f);
    }
    return true;
}

// Mean energy of each hop of `samples` in the band from `lowHz` to `highHz`
// into `energy`, and the band's loud level (99th percentile of those) into
// `loud`.
bool bandEnergy(const float* samples, size_t frames, int rate, double lowHz, double highHz,
                std::vector<double>& energy, double& loud) {
    Pass pass;
    if (!pass.block || (lowHz > 0 && !addFilter(pass, lowHz, rate, true)) ||
        (highHz > 0 && !addFilter(pass, highHz, rate, false)))
        return false;
    const size_t hops = (frames + kHop - 1) / kHop;
    energy.assign(hops, 0.0);
    for (size_t i = 0; i < hops; ++i) {
        pass.load(samples, frames, i);
        double sum = 0;
        for (uint_t k = 0; k < kHop; ++k) sum += double(pass.block->data[k]) * pass.block->data[k];
        energy[i] = sum / kHop;
    }
    std::vector<double> sorted = energy;
    const size_t at = sorted.size() * 99 / 100;
    std::nth_element(sorted.begin(), sorted.begin() + ptrdiff_t(at), sorted.end());
    loud = sorted.empty() ? 0.0 : sorted[at];
    return true;
}

// Whether the onset at hop `hop` passes `check`, given that band's hop energies
// and loud level.
bool passes(const LevelCheck& check, const std::vector<double>& energy, double loud, size_t hop) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = hop; i < hop + kCheckHops && i < energy.size(); ++i, ++n) sum += energy[i];
    if (n == 0 || loud <= 0) return false;
    return 10 * std::log10(sum / double(n) / loud + 1e-30) >= check.minDb;
}

} // namespace

const OnsetBand* onsetBands(size_t* count) {
    *count = sizeof kBands / sizeof kBands[0];
    return kBands;
}

bool detectOnsetsWith(const float* samples, size_t frames, int rate, const OnsetBand* bands,
                      size_t bandCount, OnsetLists& out, std::string& error) {
    out.lists.clear();
    if (rate < 8000 || rate > 192000) {
        error = "sample rate " + std::to_string(rate) + " Hz is outside 8000..192000";
        return false;
    }
    const size_t hops = (frames + kHop - 1) / kHop;
    for (size_t b = 0; b < bandCount; ++b) {
        const OnsetBand& band = bands[b];
        Pass pass;
        pass.onset = new_aubio_onset(band.method, kWindow, kHop, uint_t(rate));
        if (!pass.block || !pass.result || !pass.onset ||
            (band.lowHz > 0 && !addFilter(pass, band.lowHz, rate, true)) ||
            (band.highHz > 0 && !addFilter(pass, band.highHz, rate, false))) {
            error = std::string("aubio cannot detect \"") + band.method + "\" onsets at " +
                    std::to_string(rate) + " Hz";
            return false;
        }
        aubio_onset_set_threshold(pass.onset, smpl_t(band.threshold));
        aubio_onset_set_silence(pass.onset, smpl_t(band.silenceDb));
        aubio_onset_set_minioi_ms(pass.onset, smpl_t(band.minIoiMs));
        const int checkCount = std::clamp(band.checkCount, 0, 3);
        std::vector<double> energy[3];
        double loud[3] = {0, 0, 0};
        for (int c = 0; c < checkCount; ++c)
            if (!bandEnergy(samples, frames, rate, band.checks[c].lowHz, band.checks[c].highHz,
                            energy[c], loud[c])) {
                error = "aubio cannot filter at " + std::to_string(rate) + " Hz";
                return false;
            }
        std::vector<double>& list = out.lists[band.name];
        double lastMs = -1e300;
        for (size_t i = 0; i < hops; ++i) {
            pass.load(samples, frames, i);
            aubio_onset_do(pass.onset, pass.block, pass.result);
            if (pass.result->data[0] == 0) continue;
            const uint_t at = aubio_onset_get_last(pass.onset);
            bool drum = true;
            for (int c = 0; c < checkCount && drum; ++c)
                drum = passes(band.checks[c], energy[c], loud[c], at / kHop);
            const double ms = double(aubio_onset_get_last_ms(pass.onset)) - band.latencyMs;
            if (!drum || ms - lastMs < band.minGapMs) continue;
            lastMs = ms;
            list.push_back(std::max(0.0, ms));
        }
    }

    Pass pass;
    pass.tempo = new_aubio_tempo("default", kWindow * 2, kHop * 2, uint_t(rate));
    if (!pass.tempo) {
        error = "aubio cannot track the tempo at " + std::to_string(rate) + " Hz";
        return false;
    }
    std::vector<double>& beats = out.lists["beat"];
    // The tempo tracker reads hops of its own size: two of ours.
    fvec_t* twoHops = new_fvec(kHop * 2);
    for (size_t i = 0; i < hops; i += 2) {
        for (size_t h = 0; h < 2; ++h) {
            pass.load(samples, frames, i + h);
            std::memcpy(twoHops->data + h * kHop, pass.block->data, kHop * sizeof(smpl_t));
        }
        aubio_tempo_do(pass.tempo, twoHops, pass.result);
        if (pass.result->data[0] != 0) beats.push_back(double(aubio_tempo_get_last_ms(pass.tempo)));
    }
    del_fvec(twoHops);
    return true;
}

bool detectOnsets(const float* samples, size_t frames, int rate, OnsetLists& out,
                  std::string& error) {
    size_t count = 0;
    const OnsetBand* bands = onsetBands(&count);
    return detectOnsetsWith(samples, frames, rate, bands, count, out, error);
}

bool detectOnsetsInMp3(const std::string& path, OnsetLists& out, std::string& error) {
    std::vector<uint8_t> image;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    bool good = f != nullptr;
    if (f) {
        uint8_t buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            image.insert(image.end(), buffer, buffer + n);
        good = !std::ferror(f);
        std::fclose(f);
    }
    if (!good) {
        error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    DecodedAudio audio;
    if (!decodeMp3(image.data(), image.size(), audio)) {
        error = path + ": not an MP3 that mpg123 can decode";
        return false;
    }
    const size_t frames = audio.samples.size() / size_t(audio.channels);
    std::vector<float> mono(frames);
    for (size_t i = 0; i < frames; ++i) {
        float sum = 0;
        for (int c = 0; c < audio.channels; ++c) sum += audio.samples[i * audio.channels + c];
        mono[i] = sum / (32768.0f * float(audio.channels));
    }
    if (!detectOnsets(mono.data(), frames, audio.rate, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}
