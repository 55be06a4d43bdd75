// timeline_words.cpp - see timeline_words.h.
#include "timeline_words.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Fixed-point text of `x` with the fewest decimals (up to 9) for which `good` accepts it,
// preferring a text that is `x` itself: a beat of 2.125 is written so, not as 2.1, although
// both name the same row.
template <class Good> bool shortestFixed(double x, std::string& text, Good good) {
    char buffer[64];
    for (int exact = 1; exact >= 0; --exact)
        for (int decimals = 0; decimals <= 9; ++decimals) {
            std::snprintf(buffer, sizeof buffer, "%.*f", decimals, x);
            const double back = std::strtod(buffer, nullptr);
            if ((!exact || std::fabs(back - x) <= 1e-12 * std::max(1.0, std::fabs(x))) &&
                good(back)) {
                text = buffer;
                return true;
            }
        }
    return false;
}

} // namespace

PositionForm positionForm(const std::string& word) {
    if (word.size() > 1 && word[0] == 'b') return FORM_BAR;
    if (word.find(':') != std::string::npos) return FORM_MINUTES;
    if (word.size() > 2 && word.compare(word.size() - 2, 2, "ms") == 0) return FORM_MILLISECONDS;
    if (word.size() > 1 && word.back() == 's') return FORM_SECONDS;
    return FORM_ROW;
}

// Every candidate is checked by reading it back the way the compiler rounds it, so a text is
// only ever written when it names exactly `row`.
std::string formatPosition(int32_t row, const TimelineGrid& grid, PositionForm form) {
    const double rowsPerSecond = grid.bpm / 60.0 * grid.rowsPerBeat;
    std::string text;
    if (form == FORM_BAR && row >= 0) {
        const double beats = row / grid.rowsPerBeat;
        const double bar = std::floor(beats / 4.0);
        const double beat = beats - bar * 4.0;
        std::string beatText;
        if (shortestFixed(beat, beatText, [&](double b) {
                return b >= 0 && b < 4 && std::round((bar * 4.0 + b) * grid.rowsPerBeat) == row;
            })) {
            char barText[32];
            std::snprintf(barText, sizeof barText, "b%.0f", bar);
            return std::string(barText) +
                   (std::strtod(beatText.c_str(), nullptr) == 0 ? std::string() : ":" + beatText);
        }
    } else if (form == FORM_SECONDS || form == FORM_MILLISECONDS) {
        const double unit = form == FORM_SECONDS ? 1.0 : 1000.0;
        if (shortestFixed(row / rowsPerSecond * unit, text,
                          [&](double t) { return std::round(t / unit * rowsPerSecond) == row; }))
            return text + (form == FORM_SECONDS ? "s" : "ms");
    } else if (form == FORM_MINUTES && row >= 0) {
        const double seconds = row / rowsPerSecond;
        const double minutes = std::floor(seconds / 60.0);
        if (shortestFixed(seconds - minutes * 60.0, text, [&](double s) {
                return s >= 0 && s < 60 && std::round((minutes * 60 + s) * rowsPerSecond) == row;
            })) {
            char head[32];
            std::snprintf(head, sizeof head, "%.0f:", minutes);
            const size_t whole = std::min(text.find('.'), text.size()); // digits before the point
            return head + std::string(whole < 2 ? "0" : "") + text;
        }
    }
    return std::to_string(row);
}

// Plain decimals where a person would write them ("30", "0.255"), the exponent form only for
// very large or small values.
std::string formatValue(float value) {
    char buffer[64];
    const double v = value;
    const bool plain = v == 0 || (std::fabs(v) >= 1e-4 && std::fabs(v) < 1e9);
    for (int digits = plain ? 0 : 1; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, plain ? "%.*f" : "%.*g", digits, v);
        if (std::strtof(buffer, nullptr) == value) break;
    }
    return buffer;
}

std::string formatInterpolation(int32_t interpolation, bool asNumber) {
    static const char* const names[] = {"step", "linear", "smooth", "ramp"};
    if (asNumber || interpolation < 0 || interpolation > 3) return std::to_string(interpolation);
    return names[interpolation];
}

void replaceWord(std::string& line, size_t begin, size_t end, const std::string& text) {
    size_t next = end;
    while (next < line.size() && line[next] == ' ') ++next;
    const bool followed = next > end && next < line.size() && line[next] != '\n' &&
                          line[next] != '\r' && line[next] != '\t';
    const long grow = long(text.size()) - long(end - begin);
    // One blank is no column: a text written with single blanks keeps them.
    if (followed && next - end > 1) {
        const long spaces = long(next - end);
        const long kept = std::max(1L, spaces - grow);
        line.replace(end, size_t(spaces), size_t(kept), ' ');
    }
    line.replace(begin, end - begin, text);
}
