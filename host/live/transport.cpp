// transport.cpp - see transport.h.
#include "transport.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

bool parseNumber(const std::string& text, double& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return !errno && end == text.c_str() + text.size() && std::isfinite(value);
}

double unitBeats(SeekUnit unit) {
    switch (unit) {
    case SeekUnit::Beat:
        return 1.0;
    case SeekUnit::Bar:
        return kBeatsPerBar;
    case SeekUnit::Section:
        return kBeatsPerBar * kLiveBarsPerSection;
    }
    return 1.0;
}

} // namespace

int64_t msOfBeats(double beats) {
    return std::llround(msAtBeat(beats));
}

bool parsePosition(const std::string& text, int64_t& ms) {
    if (text.empty()) return false;
    if (text[0] != 'b') {
        // Whole milliseconds only: "42000".
        for (char c : text)
            if (c < '0' || c > '9') return false;
        if (text.size() > 12) return false;
        ms = std::strtoll(text.c_str(), nullptr, 10);
        return true;
    }
    const std::string rest = text.substr(1);
    const size_t colon = rest.find(':');
    const std::string barText = rest.substr(0, colon);
    for (char c : barText)
        if (c < '0' || c > '9') return false;
    if (barText.empty() || barText.size() > 6) return false;
    double beats = 0.0;
    if (colon != std::string::npos && (!parseNumber(rest.substr(colon + 1), beats) || beats > 1e6))
        return false;
    ms = msOfBeats(std::strtod(barText.c_str(), nullptr) * kBeatsPerBar + beats);
    return true;
}

int64_t seekTarget(int64_t ms, SeekUnit unit, int direction) {
    const double units = beatAtMs(ms) / unitBeats(unit);
    // Two milliseconds of slack: a line's start is rounded to a millisecond, and the music
    // clock may land one off where it was put.
    const double slack = beatAtMs(2) / unitBeats(unit);
    double line = direction > 0 ? std::floor(units + slack) + 1.0 : std::ceil(units - slack) - 1.0;
    if (line < 0.0) line = 0.0;
    return msOfBeats(line * unitBeats(unit));
}

int64_t barStartAt(int64_t ms) {
    // The line a bar seek forward and back lands on, unless that is the line just ahead.
    const int64_t from = seekTarget(seekTarget(ms, SeekUnit::Bar, +1), SeekUnit::Bar, -1);
    return from > ms ? seekTarget(ms, SeekUnit::Bar, -1) : from;
}

std::string barBeatText(int64_t ms) {
    // In hundredths of a beat, so that 39724 ms (96.0003 beats) reads b24:0.00, not b23:3.99.
    const long long hundredths = std::llround(beatAtMs(ms) * 100.0);
    const long long perBar = 100LL * (long long)kBeatsPerBar;
    long long bar = hundredths / perBar, rest = hundredths % perBar;
    if (rest < 0) {
        rest += perBar;
        --bar;
    }
    char text[48];
    std::snprintf(text, sizeof text, "b%lld:%.2f", bar, double(rest) / 100.0);
    return text;
}

std::string statusLine(int64_t ms, bool paused, const std::string& event) {
    char head[96];
    std::snprintf(head, sizeof head, "live: %lld ms %s %s ", (long long)ms, barBeatText(ms).c_str(),
                  paused ? "paused" : "playing");
    return head + event;
}
