// `synctool onsets` held to the truth: the drums make_music placed, on the soundtrack as the
// build makes it and on a second piece at 128 BPM with swing and a boomier kick. Prints recall,
// precision and timing error per list and piece (docs/sync.md quotes them).
#include "mp3_fixture.h"
#include "onset_list.h"
#include "song.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const kMusic = DEMO_DATA "/muzak/Kelpmoor - Vantaloid Tides_demoedit02.mp3";
constexpr double kToleranceMs = 20.0;

struct ToolRun {
    int status = -1;
    std::string out;
};

ToolRun synctool(const std::string& args) {
    ToolRun run;
    std::FILE* p = popen((std::string(SYNCTOOL) + " " + args + " 2>/dev/null").c_str(), "r");
    if (!p) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) run.out.append(buffer, n);
    run.status = pclose(p);
    return run;
}

struct Score {
    double recall, precision, meanMs, worstMs;
};

// Each true onset takes the first unclaimed detection within the tolerance.
Score score(const std::vector<double>& truth, const std::vector<double>& found) {
    size_t hits = 0, j = 0;
    double sum = 0, worst = 0;
    for (double t : truth) {
        while (j < found.size() && found[j] < t - kToleranceMs) ++j;
        if (j == found.size() || found[j] > t + kToleranceMs) continue;
        const double error = found[j++] - t;
        ++hits;
        sum += error;
        worst = std::max(worst, std::fabs(error));
    }
    return {truth.empty() ? 0 : double(hits) / double(truth.size()),
            found.empty() ? 0 : double(hits) / double(found.size()), hits ? sum / double(hits) : 0,
            worst};
}

// Prints every list's figures; returns kick and snare.
std::map<std::string, Score> compare(const char* piece, const OnsetLists& truth,
                                     const OnsetLists& found) {
    std::map<std::string, Score> scores;
    for (const auto& [name, times] : truth.lists) {
        const auto it = found.lists.find(name);
        const Score s = score(times, it == found.lists.end() ? std::vector<double>() : it->second);
        std::printf(
            "%-10s %-6s recall %5.1f %%  precision %5.1f %%  mean %+5.1f ms  worst %4.1f ms\n",
            piece, name.c_str(), 100 * s.recall, 100 * s.precision, s.meanMs, s.worstMs);
        scores[name] = s;
    }
    return scores;
}

// Kicks and snares: 95 % of them found and 95 % of what is found true, on time on average.
void expectKicksAndSnaresFound(const std::map<std::string, Score>& s) {
    for (const char* list : {"kick", "snare"}) {
        EXPECT_GE(s.at(list).recall, 0.95) << list;
        EXPECT_GE(s.at(list).precision, 0.95) << list;
        EXPECT_LT(std::fabs(s.at(list).meanMs), 3.0) << list;
    }
}

} // namespace

TEST(Onsets, FindTheSoundtracksDrums) {
    OnsetLists truth;
    ASSERT_TRUE(readOnsets(SOUNDTRACK_EVENTS, truth)) << truth.errors[0];
    const ToolRun run = synctool(std::string("onsets '") + kMusic + "'");
    ASSERT_EQ(run.status, 0);
    OnsetLists found;
    ASSERT_TRUE(parseOnsets(run.out, "synctool output", found));
    const auto s = compare("soundtrack", truth, found);
    expectKicksAndSnaresFound(s);
}

TEST(Onsets, FindTheDrumsAtAnotherTempoWithSwing) {
    song::Style style;
    style.bpm = 128;
    style.swing = 0.3;
    style.kick = {220, 55, 0.015, 0.9, 0.18, 0.0, 0.45}; // no punch, a longer boom
    song::Events events;
    const std::vector<int16_t> pcm = song::render(40, style, &events); // intro to first drop
    const std::vector<uint8_t> mp3 =
        encodeMp3(pcm.data(), int(pcm.size() / 2), song::kRate, 2, 192);
    char path[] = "/tmp/onsets_XXXXXX.mp3";
    const int fd = mkstemps(path, 4);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_TRUE(writeBytes(path, mp3));
    const ToolRun run = synctool(std::string("onsets ") + path);
    std::remove(path);
    ASSERT_EQ(run.status, 0);
    OnsetLists found;
    ASSERT_TRUE(parseOnsets(run.out, "synctool output", found));
    const auto s = compare("128 swing", song::eventLists(events), found);
    expectKicksAndSnaresFound(s);
}

TEST(Onsets, RefuseWhatIsNoMp3) {
    const std::string text = std::string(DEMO_SOURCE) + "/timeline/demo.timeline";
    for (const std::string& path : {std::string("/nonexistent/music.mp3"), text}) {
        std::FILE* p = popen((std::string(SYNCTOOL) + " onsets " + path + " 2>&1").c_str(), "r");
        ASSERT_NE(p, nullptr);
        std::string out;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        EXPECT_EQ(WEXITSTATUS(pclose(p)), 1) << path;
        EXPECT_NE(out.find(path), std::string::npos) << out;
        EXPECT_EQ(out.find("kick"), std::string::npos) << out;
    }
}
