// pulse.cpp - see pulse.h.
#include "pulse.h"

#include <algorithm>
#include <cmath>

namespace {

// The player's own evaluation, so a cut takes exactly the value the curve would have shown.
float valueAt(const std::vector<TrackKey>& keys, int32_t row) {
    KeyTrack track{nullptr, const_cast<TrackKey*>(keys.data()), int32_t(keys.size())};
    return keytrack_value(&track, row);
}

// Drops every key from `row` on, after taking the value the curve has there.
float cutAt(std::vector<TrackKey>& keys, int32_t row) {
    const float value = valueAt(keys, row);
    while (!keys.empty() && keys.back().row >= row) keys.pop_back();
    return value;
}

} // namespace

PulseKeys expandPulse(const Pulse& p, const std::vector<int32_t>& hits) {
    PulseKeys out;
    std::vector<TrackKey>& keys = out.keys;
    for (int32_t hit : hits) {
        const float from = keys.empty() ? p.base : cutAt(keys, hit);
        // 64-bit sums: a pulse near the end of the row range must not wrap around.
        const int64_t top = int64_t(hit) + p.attackRows;
        const int64_t end = top + p.decayRows;
        if (p.attackRows > 0) keys.push_back({hit, from, p.shape});
        keys.push_back({int32_t(std::min<int64_t>(top, INT32_MAX)), p.peak, p.shape});
        if (end <= INT32_MAX) keys.push_back({int32_t(end), p.base, INTERP_STEP});
    }
    if (!keys.empty() && keys.back().row >= p.toRow) {
        const float value = cutAt(keys, p.toRow);
        keys.push_back({p.toRow, value, INTERP_STEP});
        out.endIsCut = true;
    }
    return out;
}

std::vector<int32_t> gridHits(double periodBeats, const std::vector<double>& offsets,
                              double rowsPerBeat, int32_t fromRow, int32_t toRow, size_t maxHits,
                              bool& tooMany) {
    tooMany = false;
    std::vector<int32_t> rows;
    if (toRow <= fromRow || offsets.empty()) return rows;
    const double periodRows = periodBeats * rowsPerBeat;
    // One period either side: rounding may pull a hit just outside the range back into it.
    const double first = std::floor(fromRow / periodRows) - 1;
    const double last = std::ceil(toRow / periodRows) + 1;
    if ((last - first) * double(offsets.size()) > double(maxHits) * 2 + 8) {
        tooMany = true;
        return rows;
    }
    for (double k = first; k <= last; ++k)
        for (double offset : offsets) {
            const double row = std::round((k * periodBeats + offset) * rowsPerBeat);
            if (row >= fromRow && row < toRow) rows.push_back(int32_t(row));
        }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.size() > maxHits) {
        tooMany = true;
        rows.clear();
    }
    return rows;
}

std::vector<int32_t> timeHits(const std::vector<double>& ms, double bpm, double rowsPerBeat,
                              int32_t fromRow, int32_t toRow) {
    std::vector<int32_t> rows;
    for (double t : ms) {
        const double row = std::round(t / 60000.0 * bpm * rowsPerBeat);
        if (row >= fromRow && row < toRow) rows.push_back(int32_t(row));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}
