// The sync report's arithmetic on made-up frames: a flash on the beat, smooth motion, scene
// cuts, onset hits, the luma copy, the table and the plot.
#include "onset_list.h"
#include "sync_grid.h"
#include "sync_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kFps = 30;
constexpr size_t kPixels = size_t(kSyncLumaWidth) * kSyncLumaHeight;

// Frame k's music time, as demorender steps it: whole milliseconds.
double timeOf(int k) {
    return double(k * 1000 / kFps);
}

std::vector<uint8_t> flat(double value) {
    return std::vector<uint8_t>(kPixels, static_cast<uint8_t>(std::lround(value)));
}

// A flash on every beat fading over about a frame, over a flicker of 8 levels every frame.
std::vector<uint8_t> beatFlash(int k) {
    const double phase = std::fmod(timeOf(k), kMsPerBeat);
    return flat(40 + 8 * (k % 2) + 150 * std::exp(-phase / 40));
}

// A soft pattern drifting sideways two luma pixels a frame.
std::vector<uint8_t> drift(int k) {
    std::vector<uint8_t> luma(kPixels);
    for (int y = 0; y < kSyncLumaHeight; ++y)
        for (int x = 0; x < kSyncLumaWidth; ++x)
            luma[y * kSyncLumaWidth + x] = static_cast<uint8_t>(
                std::lround(128 + 90 * std::sin((x + 2 * k) * 2 * M_PI / 80 + y * 0.05)));
    return luma;
}

template <typename Make>
SyncRecording record(int frames, Make make, const std::vector<std::string>& scenes = {"a"}) {
    SyncRecording rec;
    syncBegin(rec, kFps, frames);
    for (int k = 0; k < frames; ++k)
        EXPECT_TRUE(syncAddFrame(rec, timeOf(k), make(k).data(), scenes));
    return rec;
}

} // namespace

TEST(SyncReport, AFlashOnEveryBeatPeaksInTheFirstBinWithALargeRatio) {
    const SyncRecording rec = record(400, beatFlash);
    const auto rows = syncProfiles(rec, nullptr);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(syncBinCount(1000.0 / kFps), 13); // 413.79 ms in 33.3 ms steps
    ASSERT_EQ(rows[0].profile.size(), 13u);
    EXPECT_EQ(rows[0].peakBin, 0);
    EXPECT_GT(rows[0].peakOverMedian, 5.0);
    EXPECT_EQ(rows[0].frames, 400);
    EXPECT_EQ(rows[0].changes, 399); // the first frame has nothing before it

    const std::string text = syncReportText(rec, rows, nullptr);
    std::istringstream lines(text);
    std::string line;
    bool row = false, profile = false;
    while (std::getline(lines, line)) {
        if (line.rfind("a ", 0) != 0) continue;
        std::istringstream words(line);
        std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
        if (w.size() >= 5 && w[1] == "400") {
            // name, frames, peak bin ("0-33 ms"), ratio, no onsets, mean luma
            EXPECT_EQ(w[2] + " " + w[3], "0-33 ms") << line;
            EXPECT_EQ(w[5], "-");
            EXPECT_EQ(w[6], "-");
            row = true;
        } else if (w.size() == 14) {
            profile = true;
        }
    }
    EXPECT_TRUE(row && profile) << text;
}

TEST(SyncReport, SmoothMotionHasAFlatProfile) {
    const auto rows = syncProfiles(record(400, drift), nullptr);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NEAR(rows[0].peakOverMedian, 1.0, 0.1);
    EXPECT_GT(rows[0].medianChange, 1.0);
    for (double v : rows[0].profile) EXPECT_NEAR(v, rows[0].medianChange, 0.15 * v);
}

TEST(SyncReport, AFrameBelongsToTheScenesDrawnAndACutIsNotAScenesChange) {
    SyncRecording rec;
    syncBegin(rec, kFps, 30);
    for (int k = 0; k < 30; ++k) {
        // "a" dark and still, then "b" bright and still, overlapping over frames 10..14.
        std::vector<std::string> scenes;
        if (k < 15) scenes.push_back("a");
        if (k >= 10) scenes.push_back("b");
        ASSERT_TRUE(syncAddFrame(rec, timeOf(k), flat(k < 10 ? 20 : 200).data(), scenes));
    }
    const auto rows = syncProfiles(rec, nullptr);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "a");
    EXPECT_EQ(rows[0].frames, 15);
    EXPECT_EQ(rows[0].changes, 14);
    EXPECT_EQ(rows[1].frames, 20);
    EXPECT_EQ(rows[1].changes, 19); // not the frame it cut in on
    EXPECT_NEAR(rows[0].meanLuma, (10 * 20 + 5 * 200) / 15.0, 0.01);
    EXPECT_NEAR(rows[1].meanLuma, 200, 0.01);
    // "a" saw the jump to bright, "b" never moved.
    EXPECT_GT(rows[0].profile[rows[0].peakBin], 10.0);
    EXPECT_EQ(rows[1].profile[rows[1].peakBin], 0.0);
    EXPECT_EQ(rows[1].peakOverMedian, 0.0);
}

TEST(SyncReport, OnsetHitsCountAChangeInTheFirstOrSecondFrameAtOrAfterTheOnset) {
    // Still frames with a jump at frames 10, 31, 53 and 80; scene "b" from frame 70 on.
    const std::vector<int> jumps = {10, 31, 53, 80};
    SyncRecording rec;
    syncBegin(rec, kFps, 100);
    double value = 50;
    for (int k = 0; k < 100; ++k) {
        for (int j : jumps)
            if (k == j) value += 30;
        ASSERT_TRUE(syncAddFrame(rec, timeOf(k), flat(value).data(),
                                 {k < 70 ? std::string("a") : std::string("b")}));
    }
    OnsetLists onsets;
    onsets.lists["kick"] = {
        timeOf(10),           // the jump frame itself: hit
        timeOf(29) + 5,       // first frame at or after is 30, the jump at 31: hit
        timeOf(50) + 5,       // the jump is the third frame after: miss
        timeOf(79) + 5,       // in "b": hit
        -100,           5000, // outside the frames
    };
    onsets.lists["snare"] = {timeOf(20), timeOf(40)}; // nothing moves there
    onsets.lists["hat"] = {timeOf(10)};               // not counted
    const auto rows = syncProfiles(rec, &onsets);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].kicks, 3);
    EXPECT_EQ(rows[0].kickHits, 2);
    EXPECT_EQ(rows[0].snares, 2);
    EXPECT_EQ(rows[0].snareHits, 0);
    EXPECT_EQ(rows[1].kicks, 1);
    EXPECT_EQ(rows[1].kickHits, 1);
    EXPECT_EQ(rows[1].snares, 0);

    const std::string text = syncReportText(rec, rows, &onsets);
    EXPECT_NE(text.find("66.7% of 3"), std::string::npos) << text;
    EXPECT_NE(text.find("0.0% of 2"), std::string::npos) << text;
    EXPECT_NE(text.find("100.0% of 1"), std::string::npos) << text;
}

TEST(SyncReport, LumaCopyAveragesBlocksWithRec709Weights) {
    std::vector<uint8_t> rgba(1280 * 720 * 4, 0);
    for (size_t i = 0; i < 1280 * 720; ++i) {
        rgba[i * 4 + 1] = 255;                          // green everywhere
        if ((i % 1280) % 2 == 0) rgba[i * 4 + 0] = 255; // red in every other column
    }
    std::vector<uint8_t> luma(kPixels);
    syncReduceToLuma(rgba.data(), 1280, 720, luma.data());
    const double expected = 0.7152 * 255 + 0.2126 * 255 / 2;
    for (uint8_t v : luma) ASSERT_NEAR(v, expected, 0.5);
}

TEST(SyncReport, PlotHasABandPerSceneAndATickPerOnset) {
    SyncRecording rec = record(120, beatFlash, {"a"});
    const std::vector<uint8_t> still = flat(30);
    for (int k = 120; k < 180; ++k) ASSERT_TRUE(syncAddFrame(rec, timeOf(k), still.data(), {"b"}));
    OnsetLists onsets;
    onsets.lists["kick"] = {msAtBeat(2)};
    const auto rows = syncProfiles(rec, &onsets);
    SyncPlot plot, noOnsets, oneBand;
    syncDrawPlot(rec, rows, &onsets, plot);
    syncDrawPlot(rec, rows, nullptr, noOnsets);
    syncDrawPlot(rec, {rows[0]}, &onsets, oneBand);
    ASSERT_GT(plot.width, 0);
    ASSERT_EQ(plot.rgb.size(), size_t(plot.width) * plot.height * 3);
    EXPECT_GT(plot.height, oneBand.height);
    ASSERT_EQ(noOnsets.rgb.size(), plot.rgb.size());
    // The one kick is one column of difference.
    std::vector<bool> differs(plot.width, false);
    for (size_t i = 0; i < plot.rgb.size(); ++i)
        if (plot.rgb[i] != noOnsets.rgb[i]) differs[(i / 3) % plot.width] = true;
    EXPECT_EQ(std::count(differs.begin(), differs.end(), true), 1);
}
