// Pulse statements: the keys they compile into, how hits on the grid and on onset lists land
// on rows, how pulses and hand keys share a track, and that the result is plain keys.
#include "pulse.h"
#include "temp_dir.h"
#include "timeline.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

Timeline parse(const std::string& text, const std::string& file = "t.timeline") {
    Timeline t;
    parseTimeline(text, file, t);
    return t;
}

float valueAt(const std::vector<TrackKey>& keys, double row) {
    KeyTrack track{nullptr, const_cast<TrackKey*>(keys.data()), int32_t(keys.size())};
    return keytrack_value(&track, row);
}

std::vector<int32_t> rowsOf(const std::vector<TrackKey>& keys) {
    std::vector<int32_t> rows;
    for (const TrackKey& k : keys) rows.push_back(k.row);
    return rows;
}

} // namespace

// 8 rows a beat: attack 2 rows, decay 4 rows, linear; hits on every beat of bar 1.
TEST(Pulse, RisesToThePeakAndFallsBackOnEveryHit) {
    const Timeline t = parse("pulse glow b1 b2 every 1 base 0.25 peak 1.25 attack 2 decay 4\n");
    ASSERT_TRUE(t.errors.empty()) << t.errors[0];
    const std::vector<TrackKey>& keys = t.tracks.at("glow");
    for (int beat = 0; beat < 4; ++beat) {
        const double hit = 32 + 8 * beat;
        EXPECT_FLOAT_EQ(valueAt(keys, hit), 0.25f) << beat;     // the hit starts the rise
        EXPECT_FLOAT_EQ(valueAt(keys, hit + 1), 0.75f) << beat; // half way up
        EXPECT_FLOAT_EQ(valueAt(keys, hit + 2), 1.25f) << beat; // the peak
        EXPECT_FLOAT_EQ(valueAt(keys, hit + 4), 0.75f) << beat; // half way down
        EXPECT_FLOAT_EQ(valueAt(keys, hit + 6), 0.25f) << beat; // back at the base
        EXPECT_FLOAT_EQ(valueAt(keys, hit + 7), 0.25f) << beat; // and holding it
    }
    // Nothing before the first hit or after the range moves.
    EXPECT_EQ(keys.front().row, 32);
    EXPECT_EQ(keys.back().row, 62);
}

TEST(Pulse, AnAttackUnderARowIsAStepAtTheHitAndTimesRoundToRows) {
    // 145 BPM, 8 rows a beat: a row is 51.7 ms. 20 ms of attack is no row; 150 ms of decay
    // rounds to 3 rows; half a beat is 4.
    Timeline t = parse("pulse a 0 16 every 2 base 0 peak 1 attack 20ms decay 150ms shape ramp\n"
                       "pulse b 0 16 every 2 base 0 peak 1 decay 0.5beats\n");
    ASSERT_TRUE(t.errors.empty()) << t.errors[0];
    const std::vector<TrackKey>& a = t.tracks.at("a");
    EXPECT_EQ(rowsOf(a), (std::vector<int32_t>{0, 3}));
    EXPECT_EQ(a[0].interpolation, INTERP_RAMP);
    EXPECT_FLOAT_EQ(valueAt(a, 0), 1.0f);
    EXPECT_FLOAT_EQ(valueAt(a, 1.5), 1.0f - 0.25f); // ramp: t squared of the way down
    EXPECT_EQ(rowsOf(t.tracks.at("b")), (std::vector<int32_t>{0, 4}));
}

TEST(Pulse, ADecayCutByTheNextHitRisesFromTheValueThere) {
    // Hits 4 rows apart, decay 8 rows: each hit comes half way down the last decay.
    Pulse p;
    p.fromRow = 0;
    p.toRow = 12;
    p.base = 0;
    p.peak = 1;
    p.attackRows = 2;
    p.decayRows = 8;
    const PulseKeys made = expandPulse(p, {0, 4, 8});
    // Second hit at row 4: two rows into the decay (2..10), 0.75 left.
    EXPECT_FLOAT_EQ(valueAt(made.keys, 4), 0.75f);
    EXPECT_FLOAT_EQ(valueAt(made.keys, 5), 0.875f);
    EXPECT_FLOAT_EQ(valueAt(made.keys, 6), 1.0f);
    // The last decay (10..18) is cut at the end of the range, holding what it reached.
    ASSERT_TRUE(made.endIsCut);
    EXPECT_EQ(made.keys.back().row, 12);
    EXPECT_FLOAT_EQ(made.keys.back().value, 0.75f);
    EXPECT_EQ(made.keys.back().interpolation, INTERP_STEP);
    for (size_t i = 1; i < made.keys.size(); ++i) EXPECT_LT(made.keys[i - 1].row, made.keys[i].row);
}

TEST(Pulse, HitsOnTheGridBeatsOfTheBarAndPatterns) {
    const Timeline t = parse("pulse half b2 b3 every 0.5 base 0 peak 1 decay 1\n"
                             "pulse backbeat b2 b4 beats 1,3 base 0 peak 1 decay 1\n"
                             "pulse pat b2 b3 pattern x...x...x.x.x... base 0 peak 1 decay 1\n"
                             "tempo 145 4\n"
                             "pulse coarse b0 b1 every 1 base 0 peak 1 decay 1\n");
    ASSERT_TRUE(t.errors.empty()) << t.errors[0];
    auto hitsOf = [&](const char* name) {
        std::vector<int32_t> hits;
        for (const TrackKey& k : t.tracks.at(name))
            if (k.value == 1.0f) hits.push_back(k.row);
        return hits;
    };
    EXPECT_EQ(hitsOf("half"), (std::vector<int32_t>{64, 68, 72, 76, 80, 84, 88, 92}));
    EXPECT_EQ(hitsOf("backbeat"), (std::vector<int32_t>{72, 88, 104, 120}));
    EXPECT_EQ(hitsOf("pat"), (std::vector<int32_t>{64, 72, 80, 84, 88}));
    EXPECT_EQ(hitsOf("coarse"), (std::vector<int32_t>{0, 4, 8, 12})); // the grid of its tempo
}

TEST(Pulse, HitsOnAnOnsetListRelativeToTheTimeline) {
    TempDir dir("pulse_onsets");
    std::ofstream(dir.path() + "/music.onsets") << "# kicks\nkick 0\nkick 1000\nsnare 500\n"
                                                   "kick 1040\nkick 99999\n";
    const std::string file = dir.path() + "/demo.timeline";
    const Timeline t =
        parse("onsets music.onsets\npulse k 0 200 onsets kick base 0 peak 1 decay 1\n", file);
    ASSERT_TRUE(t.errors.empty()) << t.errors[0];
    EXPECT_EQ(t.onsetFile, dir.path() + "/music.onsets");
    // 1000 ms is row 19.33 and 1040 ms row 20.1: one row apart, both kept; 99999 ms is out.
    std::vector<int32_t> peaks;
    for (const TrackKey& k : t.tracks.at("k"))
        if (k.value == 1.0f) peaks.push_back(k.row);
    EXPECT_EQ(peaks, (std::vector<int32_t>{0, 19, 20}));

    const Timeline noList = parse("onsets music.onsets\npulse k 0 9 onsets hat base 0 peak 1 "
                                  "decay 1\n",
                                  file);
    ASSERT_EQ(noList.errors.size(), 1u);
    EXPECT_NE(noList.errors[0].find(":2: onset list \"hat\" is not in"), std::string::npos)
        << noList.errors[0];
    EXPECT_NE(noList.errors[0].find("kick snare"), std::string::npos);
    const Timeline noFile = parse("onsets gone.onsets\n", file);
    ASSERT_FALSE(noFile.errors.empty());
    EXPECT_NE(noFile.errors[0].find("demo.timeline:1: onsets: "), std::string::npos)
        << noFile.errors[0];
    EXPECT_FALSE(parse("pulse k 0 9 onsets kick base 0 peak 1 decay 1\n").errors.empty());
}

TEST(Pulse, HandKeysAndPulsesCollideOnARowExceptAtTheClosingCut) {
    // A hand key inside the range, on a row the pulse uses: an error naming both lines, in
    // either order, and nothing of the track is kept.
    Timeline t = parse("glow b0 5 step\n"
                       "pulse glow b0 b1 every 1 base 0 peak 1 decay 4\n");
    ASSERT_EQ(t.errors.size(), 1u);
    EXPECT_EQ(t.errors[0], "t.timeline:2: track glow already has a key at row 0 (line 1)");
    t = parse("pulse glow b0 b1 every 1 base 0 peak 1 decay 4\nglow 8 5 step\n");
    ASSERT_EQ(t.errors.size(), 1u);
    EXPECT_EQ(t.errors[0],
              "t.timeline:2: track glow already has a key at row 8 (the pulse of line 1)");

    // The last decay runs past the end of the range (b1 = row 32): the pulse closes with a
    // cut there, and a hand key on that row, before or after the pulse, takes its place.
    const char* pulse = "pulse glow b0 b1 every 1 base 0 peak 1 decay 12\n";
    t = parse(pulse);
    ASSERT_TRUE(t.errors.empty());
    EXPECT_EQ(t.tracks.at("glow").back().row, 32);
    EXPECT_FLOAT_EQ(t.tracks.at("glow").back().value, 1.0f - 8.0f / 12.0f);
    for (const std::string& text :
         {std::string(pulse) + "glow b1 7 linear\n", "glow b1 7 linear\n" + std::string(pulse)}) {
        t = parse(text);
        ASSERT_TRUE(t.errors.empty()) << t.errors[0];
        EXPECT_EQ(t.tracks.at("glow").back().row, 32);
        EXPECT_EQ(t.tracks.at("glow").back().value, 7.0f);
    }
}

TEST(Pulse, MistakesNameTheLineAndPulsesDumpAsPlainKeys) {
    for (const char* bad : {
             "pulse g b1 b0 every 1 base 0 peak 1 decay 1",          // ends before it starts
             "pulse g 0 9 every 1 base 0 peak 1",                    // no decay
             "pulse g 0 9 every 1 base 0 peak 1 decay 0.4",          // decay under a row
             "pulse g 0 9 pattern x..o base 0 peak 1 decay 1",       // not a pattern
             "pulse g 0 9 beats 1,4 base 0 peak 1 decay 1",          // beat 4 is the next bar
             "pulse g 0 9 every 1 base 0 peak 1 decay 1 shape step", // no pulse to speak of
             "pulse g 0 9 every 1 base 0 peak 1 decay 1 colour 3",
             "pulse g 0 2000000000 every 0.015625 base 0 peak 1 decay 1", // a typo's hundred
                                                                          // thousand
         }) {
        const Timeline t = parse(std::string("\n") + bad + "\n");
        ASSERT_EQ(t.errors.size(), 1u) << bad;
        EXPECT_EQ(t.errors[0].rfind("t.timeline:2: ", 0), 0u) << t.errors[0];
        EXPECT_TRUE(t.tracks.empty()) << bad;
    }

    // What a pulse compiles to is ordinary keys: written, dumped and compiled again, the same.
    const Timeline t = parse("pulse g b4 b8 pattern x.x.x..x base 0.1 peak 2 attack 1 decay 5 "
                             "shape smooth\n");
    ASSERT_TRUE(t.errors.empty());
    TempDir dir("pulse_dump");
    std::string error;
    ASSERT_TRUE(writeTracks(t, dir.path(), error)) << error;
    KeyTrack* track = keytrack_create("g");
    ASSERT_EQ(keytrack_read(track, (dir.path() + "/_g.track").c_str()), 0);
    const Timeline back = parse(dumpTrack("g", *track));
    keytrack_destroy(track);
    ASSERT_TRUE(back.errors.empty());
    const std::vector<TrackKey>& a = t.tracks.at("g");
    const std::vector<TrackKey>& b = back.tracks.at("g");
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].row, b[i].row);
        EXPECT_EQ(a[i].value, b[i].value);
        EXPECT_EQ(a[i].interpolation, b[i].interpolation);
    }
}
