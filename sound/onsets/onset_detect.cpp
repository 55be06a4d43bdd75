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

// Tuned on the soundtrack and on the same bar plan at 128 BPM with swing and another kick
// (tests/soundtrack/test_onsets.cpp prints how well they do; docs/sync.md has the figures).
// The spectral flux of the band below 160 Hz rises sharply only where a kick starts; the sub
// bass under it starts notes on the off-sixteenths, which the 330 ms minimum gap (a beat up
// to 180 BPM) keeps out. The snare's noise is brightest from 3 to 8 kHz; hats are the top
// octaves; a crash is a long burst over the whole top, so only its start clears a high
// threshold with a long minimum gap. Latencies are the mean errors measured on both pieces.
const OnsetBand kBands[] = {
    {"kick", 0, 160, "specflux", 1.0, -40, 330, -2.6},
    {"snare", 3000, 8000, "specflux", 1.0, -40, 80, -4.5},
    {"hat", 8000, 0, "energy", 0.3, -70, 50, 2.3},
    {"crash", 4000, 0, "specflux", 1.6, -40, 1000, 0},
};

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
    // Two sections: 24 dB an octave, enough to keep a kick out of the snare's band.
    for (int i = 0; i < 2; ++i) {
        aubio_filter_t* f = new_aubio_filter_biquad(q.b0, q.b1, q.b2, q.a1, q.a2);
        if (!f) return false;
        pass.filters.push_back(f);
    }
    return true;
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
        std::vector<double>& list = out.lists[band.name];
        for (size_t i = 0; i < hops; ++i) {
            pass.load(samples, frames, i);
            aubio_onset_do(pass.onset, pass.block, pass.result);
            if (pass.result->data[0] == 0) continue;
            const double ms = double(aubio_onset_get_last_ms(pass.onset)) - band.latencyMs;
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
