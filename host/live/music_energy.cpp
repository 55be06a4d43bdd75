// music_energy.cpp - see music_energy.h.
#include "music_energy.h"

#include "mp3_decode.h"

#include <algorithm>
#include <cmath>

MusicEnergy measureEnergy(const int16_t* samples, size_t frames, int channels, int rate,
                          double msPerBin) {
    MusicEnergy e;
    e.msPerBin = msPerBin;
    if (!samples || channels < 1 || rate < 1 || msPerBin <= 0) return e;
    const size_t perBin = std::max<size_t>(1, size_t(double(rate) * msPerBin / 1000.0));
    const size_t bins = (frames + perBin - 1) / perBin;
    e.level.resize(bins);
    e.low.resize(bins);
    // A one-pole low pass at ~150 Hz: enough to tell a kick's thump from a snare's crack.
    const double a = 1.0 - std::exp(-2.0 * 3.14159265358979 * 150.0 / double(rate));
    double lp = 0;
    for (size_t b = 0; b < bins; ++b) {
        double sum = 0, sumLow = 0;
        const size_t from = b * perBin, to = std::min(frames, from + perBin);
        for (size_t f = from; f < to; ++f) {
            double x = 0;
            for (int c = 0; c < channels; ++c) x += samples[f * size_t(channels) + size_t(c)];
            x /= 32768.0 * channels;
            lp += a * (x - lp);
            sum += x * x;
            sumLow += lp * lp;
        }
        const double n = double(std::max<size_t>(1, to - from));
        e.level[b] = float(std::min(1.0, std::sqrt(sum / n)));
        e.low[b] = float(std::min(1.0, std::sqrt(sumLow / n)));
    }
    return e;
}

void MusicEnergyJob::start(std::vector<uint8_t> image) {
    thread_ = std::thread([this, image = std::move(image)] {
        DecodedAudio audio;
        if (decodeMp3(image.data(), image.size(), audio) && audio.channels > 0)
            energy_ =
                measureEnergy(audio.samples.data(), audio.samples.size() / size_t(audio.channels),
                              audio.channels, audio.rate);
        ready_.store(true, std::memory_order_release);
    });
}

MusicEnergyJob::~MusicEnergyJob() {
    if (thread_.joinable()) thread_.join();
}
