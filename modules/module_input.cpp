// module_input.cpp - see module_input.h.
#include "module_input.h"

#include "sound_module.h"

#include <algorithm>
#include <cmath>

cModuleInput::~cModuleInput() {
    delete[] spectrum_;
}

int64_t cModuleInput::getTimeMs() {
    if (fixed_) return fixedTimeMs_;
    return sound_ ? int64_t(sound_->get_time_ms()) : 0;
}

float cModuleInput::getTimeSeconds() {
    return float(getTimeMs()) / 1000.0f;
}

float cModuleInput::getBandEnergy(int32_t first, int32_t last, float threshold, int32_t count) {
    if (!spectrum_) spectrum_ = new float[kSpectrumSize](); // cleared: a refused count reads 0
    getFft(spectrum_, count, false);
    // Only bins the spectrum has: a band past `count` would read stale or foreign values.
    first = std::max(first, 0);
    last = std::min(last, std::min(count, kSpectrumSize) - 1);
    float sum = 0.0f;
    for (int32_t i = first; i <= last; ++i) {
        const float d = std::clamp(spectrum_[i] - threshold, 0.0f, 1.0f);
        sum += d * d;
    }
    return float(std::sqrt(double(sum)));
}

int32_t cModuleInput::getFft(float* buffer, int32_t& count, bool windowed) {
    return sound_ ? sound_->get_fft(buffer, count, windowed) : -1;
}
