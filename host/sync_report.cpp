// sync_report.cpp - see sync_report.h.
#include "sync_report.h"

#include "block_font.h"
#include "onset_list.h"
#include "sync_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kMaxScenes = 32;

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    const size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + mid, v.end());
    if (v.size() % 2) return v[mid];
    return (v[mid] + *std::max_element(v.begin(), v.begin() + mid)) / 2;
}

// Frame i's change counts for `scene` when the scene was drawn in it and in the frame before.
bool countsFor(const std::vector<SyncFrame>& frames, size_t i, int scene) {
    const uint32_t bit = 1u << scene;
    return i > 0 && (frames[i].scenes & bit) && (frames[i - 1].scenes & bit);
}

int binOf(double timeMs, double stepMs, int bins) {
    double phase = std::fmod(timeMs, kMsPerBeat);
    if (phase < 0) phase += kMsPerBeat;
    return std::min(bins - 1, static_cast<int>(phase / stepMs));
}

std::string binRange(int bin, double stepMs) {
    char text[48];
    std::snprintf(text, sizeof text, "%ld-%ld ms", std::lround(bin * stepMs),
                  std::lround(std::min((bin + 1) * stepMs, kMsPerBeat)));
    return text;
}

// Tallies one list's onsets against each scene's frames.
void countHits(const SyncRecording& rec, const std::vector<double>& onsets,
               std::vector<SceneSyncProfile>& rows, int SceneSyncProfile::*total,
               int SceneSyncProfile::*hits) {
    const std::vector<SyncFrame>& frames = rec.frames;
    if (frames.empty()) return;
    for (double t : onsets) {
        if (t < frames.front().timeMs || t > frames.back().timeMs) continue;
        const auto at =
            std::lower_bound(frames.begin(), frames.end(), t,
                             [](const SyncFrame& f, double time) { return f.timeMs < time; });
        const size_t i = static_cast<size_t>(at - frames.begin());
        for (size_t s = 0; s < rows.size(); ++s) {
            if (!(frames[i].scenes & (1u << s))) continue;
            SceneSyncProfile& row = rows[s];
            ++(row.*total);
            const int scene = static_cast<int>(s);
            auto above = [&](size_t j) {
                return j < frames.size() && countsFor(frames, j, scene) &&
                       frames[j].change > row.medianChange;
            };
            if (above(i) || above(i + 1)) ++(row.*hits);
        }
    }
}

} // namespace

void syncReduceToLuma(const uint8_t* rgba, int width, int height, uint8_t* luma) {
    const int bx = width / kSyncLumaWidth, by = height / kSyncLumaHeight;
    const double weight = 1.0 / (bx * by);
    for (int y = 0; y < kSyncLumaHeight; ++y) {
        for (int x = 0; x < kSyncLumaWidth; ++x) {
            double sum = 0;
            for (int v = 0; v < by; ++v) {
                const uint8_t* p = rgba + (size_t(y * by + v) * width + size_t(x * bx)) * 4;
                for (int u = 0; u < bx; ++u, p += 4)
                    sum += 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
            }
            luma[y * kSyncLumaWidth + x] = static_cast<uint8_t>(std::lround(sum * weight));
        }
    }
}

void syncBegin(SyncRecording& rec, int fps, size_t expectedFrames) {
    rec.frameStepMs = 1000.0 / fps;
    rec.sceneNames.clear();
    rec.frames.clear();
    rec.frames.reserve(expectedFrames);
    rec.previous.clear();
}

bool syncAddFrame(SyncRecording& rec, double timeMs, const uint8_t* luma,
                  const std::vector<std::string>& scenes) {
    uint32_t bits = 0;
    for (const std::string& name : scenes) {
        auto at = std::find(rec.sceneNames.begin(), rec.sceneNames.end(), name);
        if (at == rec.sceneNames.end()) {
            if (rec.sceneNames.size() == kMaxScenes) return false;
            rec.sceneNames.push_back(name);
            at = rec.sceneNames.end() - 1;
        }
        bits |= 1u << (at - rec.sceneNames.begin());
    }
    const size_t n = size_t(kSyncLumaWidth) * kSyncLumaHeight;
    SyncFrame f{timeMs, -1.0f, 0.0f, bits};
    long lumaSum = 0, diffSum = 0;
    for (size_t i = 0; i < n; ++i) lumaSum += luma[i];
    if (!rec.previous.empty()) {
        for (size_t i = 0; i < n; ++i) diffSum += std::abs(int(luma[i]) - int(rec.previous[i]));
        f.change = static_cast<float>(double(diffSum) / n);
    }
    f.meanLuma = static_cast<float>(double(lumaSum) / n);
    rec.frames.push_back(f);
    rec.previous.assign(luma, luma + n);
    return true;
}

int syncBinCount(double frameStepMs) {
    return static_cast<int>(std::ceil(kMsPerBeat / frameStepMs - 1e-9));
}

std::vector<SceneSyncProfile> syncProfiles(const SyncRecording& rec, const OnsetLists* onsets) {
    const int bins = syncBinCount(rec.frameStepMs);
    std::vector<SceneSyncProfile> rows(rec.sceneNames.size());
    for (size_t s = 0; s < rows.size(); ++s) {
        SceneSyncProfile& row = rows[s];
        row.name = rec.sceneNames[s];
        std::vector<double> sum(bins, 0.0), changes;
        std::vector<int> count(bins, 0);
        double lumaSum = 0;
        for (size_t i = 0; i < rec.frames.size(); ++i) {
            const SyncFrame& f = rec.frames[i];
            if (!(f.scenes & (1u << s))) continue;
            ++row.frames;
            lumaSum += f.meanLuma;
            if (!countsFor(rec.frames, i, static_cast<int>(s))) continue;
            const int bin = binOf(f.timeMs, rec.frameStepMs, bins);
            sum[bin] += f.change;
            ++count[bin];
            changes.push_back(f.change);
        }
        row.changes = static_cast<int>(changes.size());
        row.meanLuma = row.frames ? lumaSum / row.frames : 0;
        row.medianChange = median(changes);
        row.profile.assign(bins, -1.0);
        std::vector<double> filled;
        for (int b = 0; b < bins; ++b) {
            if (!count[b]) continue;
            row.profile[b] = sum[b] / count[b];
            filled.push_back(row.profile[b]);
            if (row.peakBin < 0 || row.profile[b] > row.profile[row.peakBin]) row.peakBin = b;
        }
        if (row.peakBin >= 0) {
            const double peak = row.profile[row.peakBin], mid = median(filled);
            row.peakOverMedian = mid > 0    ? peak / mid
                                 : peak > 0 ? std::numeric_limits<double>::infinity()
                                            : 0.0;
        }
    }
    if (onsets) {
        auto list = [&](const char* name) -> const std::vector<double>& {
            static const std::vector<double> none;
            auto it = onsets->lists.find(name);
            return it == onsets->lists.end() ? none : it->second;
        };
        countHits(rec, list("kick"), rows, &SceneSyncProfile::kicks, &SceneSyncProfile::kickHits);
        countHits(rec, list("snare"), rows, &SceneSyncProfile::snares,
                  &SceneSyncProfile::snareHits);
    }
    return rows;
}

std::string syncReportText(const SyncRecording& rec, const std::vector<SceneSyncProfile>& rows,
                           const OnsetLists* onsets) {
    std::string out;
    char line[512];
    auto add = [&](const char* format, auto... values) {
        std::snprintf(line, sizeof line, format, values...);
        out += line;
    };
    const int bins = syncBinCount(rec.frameStepMs);
    const double from = rec.frames.empty() ? 0 : rec.frames.front().timeMs;
    const double to = rec.frames.empty() ? 0 : rec.frames.back().timeMs;
    add("sync report: %.0f..%.0f ms, %zu frames at %.1f ms steps; a beat is %.2f ms, "
        "%d bins of %.1f ms after it\n",
        from, to, rec.frames.size(), rec.frameStepMs, kMsPerBeat, bins, rec.frameStepMs);
    add("%-20s %7s  %-12s %11s  %13s %13s  %9s\n", "scene", "frames", "peak bin", "peak/median",
        "kick hit", "snare hit", "mean luma");
    auto hitText = [&](int hits, int total) {
        char text[32];
        if (!onsets || !total) return std::string("-");
        std::snprintf(text, sizeof text, "%.1f%% of %d", 100.0 * hits / total, total);
        return std::string(text);
    };
    for (const SceneSyncProfile& r : rows) {
        char ratio[32] = "-";
        if (std::isinf(r.peakOverMedian))
            std::snprintf(ratio, sizeof ratio, "inf");
        else if (r.peakBin >= 0 && r.peakOverMedian > 0)
            std::snprintf(ratio, sizeof ratio, "%.2f", r.peakOverMedian);
        const std::string peak = r.peakBin >= 0 ? binRange(r.peakBin, rec.frameStepMs) : "-";
        add("%-20s %7d  %-12s %11s  %13s %13s  %9.1f\n", r.name.c_str(), r.frames, peak.c_str(),
            ratio, hitText(r.kickHits, r.kicks).c_str(), hitText(r.snareHits, r.snares).c_str(),
            r.meanLuma);
    }
    add("mean change per bin (luma levels; bin 0 is %s after the beat):\n",
        binRange(0, rec.frameStepMs).c_str());
    for (const SceneSyncProfile& r : rows) {
        add("%-20s", r.name.c_str());
        for (double v : r.profile) {
            if (v < 0)
                out += "      -";
            else
                add(" %6.2f", v);
        }
        out += '\n';
    }
    return out;
}

namespace {

struct Colour {
    uint8_t r, g, b;
};

const Colour kPalette[] = {{240, 96, 80},   {90, 200, 110}, {90, 150, 250}, {240, 200, 70},
                           {200, 110, 230}, {70, 210, 210}, {250, 150, 60}, {170, 170, 170}};
const Colour kBackground{16, 16, 20}, kBeatLine{44, 44, 50}, kBarLine{84, 84, 92},
    kText{220, 220, 220}, kKick{255, 140, 40}, kSnare{80, 200, 255}, kMedian{255, 255, 255};

constexpr int kLabelWidth = 220, kStripHeight = 40, kBandHeight = 90, kGap = 4, kAxisHeight = 22,
              kCell = 2;

struct Canvas {
    SyncPlot& plot;
    void fill(int x0, int y0, int x1, int y1, Colour c) {
        x0 = std::max(x0, 0), y0 = std::max(y0, 0);
        x1 = std::min(x1, plot.width), y1 = std::min(y1, plot.height);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                uint8_t* p = &plot.rgb[(size_t(y) * plot.width + x) * 3];
                p[0] = c.r, p[1] = c.g, p[2] = c.b;
            }
    }
    void text(const std::string& s, int left, int top, Colour c) {
        for (size_t i = 0; i < s.size(); ++i) {
            const BlockGlyph* g = findGlyph(s[i]);
            if (!g) continue;
            const int gx = left + int(i) * kGlyphAdvance * kCell;
            for (int row = 0; row < kGlyphRows; ++row)
                for (int col = 0; col < kGlyphColumns; ++col)
                    if (g->rows[row][col] == '#')
                        fill(gx + col * kCell, top + row * kCell, gx + (col + 1) * kCell,
                             top + (row + 1) * kCell, c);
        }
    }
};

Colour scaled(Colour c, float k) {
    return {uint8_t(c.r * k), uint8_t(c.g * k), uint8_t(c.b * k)};
}

} // namespace

void syncDrawPlot(const SyncRecording& rec, const std::vector<SceneSyncProfile>& rows,
                  const OnsetLists* onsets, SyncPlot& plot) {
    const std::vector<SyncFrame>& frames = rec.frames;
    const int plotWidth = std::clamp(static_cast<int>(frames.size()), 960, 6000);
    const int bands = static_cast<int>(rows.size());
    plot.width = kLabelWidth + plotWidth;
    plot.height = kStripHeight + bands * (kBandHeight + kGap) + kAxisHeight;
    plot.rgb.assign(size_t(plot.width) * plot.height * 3, 0);
    Canvas canvas{plot};
    canvas.fill(0, 0, plot.width, plot.height, kBackground);
    if (frames.empty()) return;

    const double t0 = frames.front().timeMs, t1 = frames.back().timeMs + rec.frameStepMs;
    auto xAt = [&](double t) {
        return kLabelWidth + static_cast<int>(std::floor((t - t0) / (t1 - t0) * plotWidth));
    };
    const int bandsTop = kStripHeight, bandsBottom = kStripHeight + bands * (kBandHeight + kGap);

    // Beat and bar lines under everything else; beats only where they stand apart.
    const double pxPerBeat = kMsPerBeat / (t1 - t0) * plotWidth;
    const int axisTop = bandsBottom + 2;
    int labelEvery = 1;
    while (labelEvery * kBeatsPerBar * pxPerBeat < 40) labelEvery *= 2;
    for (long beat = long(std::ceil(t0 / kMsPerBeat)); beat * kMsPerBeat < t1; ++beat) {
        const int x = xAt(beat * kMsPerBeat);
        const bool bar = beat % long(kBeatsPerBar) == 0;
        if (bar)
            canvas.fill(x, 0, x + 1, bandsBottom, kBarLine);
        else if (pxPerBeat >= 4)
            canvas.fill(x, bandsTop, x + 1, bandsBottom, kBeatLine);
        const long barIndex = beat / long(kBeatsPerBar);
        if (bar && barIndex % labelEvery == 0)
            canvas.text(std::to_string(barIndex), x + 2, axisTop + 3, kText);
    }
    canvas.text("BAR", 8, axisTop + 3, kText);

    // Onset ticks: kicks in the strip's upper half, snares in the lower.
    canvas.text("KICK", 8, 4, kKick);
    canvas.text("SNARE", 8, 22, kSnare);
    if (onsets) {
        auto ticks = [&](const char* name, int top, Colour c) {
            auto it = onsets->lists.find(name);
            if (it == onsets->lists.end()) return;
            for (double t : it->second)
                if (t >= t0 && t < t1) canvas.fill(xAt(t), top, xAt(t) + 1, top + 14, c);
        };
        ticks("kick", 4, kKick);
        ticks("snare", 22, kSnare);
    }

    for (int s = 0; s < bands; ++s) {
        const int top = bandsTop + s * (kBandHeight + kGap), bottom = top + kBandHeight;
        const Colour colour = kPalette[s % (sizeof kPalette / sizeof kPalette[0])];
        std::string label = rows[s].name;
        std::replace(label.begin(), label.end(), '_', ' ');
        canvas.text(label.substr(0, (kLabelWidth - 8) / (kGlyphAdvance * kCell)), 8, top + 4,
                    colour);
        double largest = 0;
        for (size_t i = 0; i < frames.size(); ++i)
            if (countsFor(frames, i, s)) largest = std::max(largest, double(frames[i].change));
        // Where the scene is drawn, its band is tinted and its change stands up from the floor.
        for (size_t i = 0; i < frames.size(); ++i) {
            const SyncFrame& f = frames[i];
            if (!(f.scenes & (1u << s))) continue;
            const int x0 = xAt(f.timeMs), x1 = std::max(x0 + 1, xAt(f.timeMs + rec.frameStepMs));
            for (int x = x0; x < std::min(x1, plot.width); ++x)
                for (int y = top; y < bottom; ++y) {
                    uint8_t* p = &plot.rgb[(size_t(y) * plot.width + x) * 3];
                    if (p[0] == kBackground.r && p[1] == kBackground.g && p[2] == kBackground.b)
                        p[0] = colour.r / 6, p[1] = colour.g / 6, p[2] = colour.b / 6;
                }
            if (!countsFor(frames, i, s) || largest <= 0) continue;
            const int h = static_cast<int>(std::lround(f.change / largest * (kBandHeight - 4)));
            canvas.fill(x0, bottom - h, x1, bottom, scaled(colour, 0.9f));
        }
        if (largest > 0) {
            const int y =
                bottom -
                static_cast<int>(std::lround(rows[s].medianChange / largest * (kBandHeight - 4)));
            for (const SyncFrame& f : frames)
                if (f.scenes & (1u << s))
                    canvas.fill(xAt(f.timeMs), y,
                                std::max(xAt(f.timeMs) + 1, xAt(f.timeMs + rec.frameStepMs)), y + 1,
                                kMedian);
        }
    }
}
