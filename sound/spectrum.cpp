// spectrum.cpp - see spectrum.h.
#include "spectrum.h"

#include <fftw3.h>

#include <cmath>

namespace {

constexpr int kMinLog2 = 8, kMaxLog2 = 14; // 256 .. 16384 points

struct Plan {
    fftwf_plan plan = nullptr;
    float* in = nullptr;
    fftwf_complex* out = nullptr;
    float* hann = nullptr;
    float hannSum = 0;
};

Plan g_plans[kMaxLog2 - kMinLog2 + 1]; // kept for the life of the process

int log2Exact(int n) {
    for (int k = kMinLog2; k <= kMaxLog2; ++k)
        if (n == (1 << k)) return k;
    return -1;
}

Plan* planFor(int size) {
    const int k = log2Exact(size);
    if (k < 0) return nullptr;
    Plan& p = g_plans[k - kMinLog2];
    if (p.plan) return &p;
    p.in = fftwf_alloc_real(size);
    p.out = fftwf_alloc_complex(size / 2 + 1);
    p.hann = fftwf_alloc_real(size);
    // The periodic Hann window: its mean is exactly 0.5, so the scale below is exact.
    p.hannSum = 0;
    for (int i = 0; i < size; ++i) {
        p.hann[i] = 0.5f * (1.0f - std::cos(2.0f * float(M_PI) * float(i) / float(size)));
        p.hannSum += p.hann[i];
    }
    p.plan = fftwf_plan_dft_r2c_1d(size, p.in, p.out, FFTW_ESTIMATE);
    return &p;
}

} // namespace

bool spectrumMagnitudes(const int16_t* samples, int channels, uint64_t frames, uint64_t end,
                        int fftSize, bool window, float* out) {
    Plan* p = planFor(fftSize);
    if (!p || channels < 1) return false;
    if (end > frames) end = frames;
    const float toUnit = 1.0f / (32768.0f * float(channels));
    for (int i = 0; i < fftSize; ++i) {
        const int64_t frame = int64_t(end) - fftSize + i;
        float v = 0;
        if (frame >= 0)
            for (int c = 0; c < channels; ++c) v += samples[frame * channels + c];
        v *= toUnit;
        p->in[i] = window ? v * p->hann[i] : v;
    }
    fftwf_execute(p->plan);
    // A sine of amplitude A at a bin centre gives |X| = A * sum(window) / 2.
    const float scale = 2.0f / (window ? p->hannSum : float(fftSize));
    for (int k = 0; k < fftSize / 2; ++k) out[k] = std::hypot(p->out[k][0], p->out[k][1]) * scale;
    return true;
}
