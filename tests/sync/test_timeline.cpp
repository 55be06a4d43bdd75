// The timeline text: positions as rows and times, errors with their line, and a dump that
// compiles back to the same keys.
#include "timeline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

Timeline parse(const std::string& text) {
    Timeline t;
    parseTimeline(text, "t.txt", t);
    return t;
}

} // namespace

TEST(Timeline, KeysFromRowsAndTimes) {
    const Timeline t = parse("# a comment line\n"
                             "cam_x  3s      1.5   linear   # 3 s = row 58\n"
                             "cam_x  0       0     smooth\n"
                             "cam_x  1:00    2     ramp\n"
                             "cam_x  1500ms  -1e-3 step\n"
                             "fade   10      1     3\n");
    ASSERT_TRUE(t.errors.empty()) << t.errors[0];
    const auto& keys = t.tracks.at("cam_x");
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].row, 0); // sorted by row
    EXPECT_EQ(keys[0].interpolation, INTERP_SMOOTH);
    EXPECT_EQ(keys[1].row, 29); // 1.5 s
    EXPECT_FLOAT_EQ(keys[1].value, -0.001f);
    EXPECT_EQ(keys[2].row, 58);
    EXPECT_EQ(keys[3].row, 1160); // one minute: 145 beats of 8 rows
    EXPECT_EQ(t.tracks.at("fade")[0].interpolation, INTERP_RAMP);
}

TEST(Timeline, TempoChangesTheRowsOfLaterTimes) {
    const Timeline t = parse("a 1s 0 step\ntempo 120 4\na 1s 1 step\n");
    ASSERT_TRUE(t.errors.empty());
    EXPECT_EQ(t.tracks.at("a")[0].row, 8);  // 120 bpm * 4 rows: 8 rows a second
    EXPECT_EQ(t.tracks.at("a")[1].row, 19); // 19.33 rounded
}

TEST(Timeline, BarsAndBeatsFollowTheRowsPerBeat) {
    const Timeline t = parse("a b0 0 step\n"
                             "a b16 1 step\n"    // 16 bars of 32 rows
                             "a b16:2 2 step\n"  // two beats later
                             "a b3:0.5 3 step\n" // half a beat: 4 rows
                             "tempo 120 4\n"
                             "c b2:3 0 step\n"); // 16 rows a bar on this grid
    ASSERT_TRUE(t.errors.empty()) << t.errors[0];
    const auto& a = t.tracks.at("a");
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[0].row, 0);
    EXPECT_EQ(a[1].row, 100);
    EXPECT_EQ(a[2].row, 512);
    EXPECT_EQ(a[3].row, 528);
    EXPECT_EQ(t.tracks.at("c")[0].row, 44);
    // A bar and a row naming the same row collide like any two keys on one row.
    EXPECT_EQ(parse("a b1 0 step\na 32 1 step\n").errors.size(), 1u);
    for (const char* bad : {"b", "b-1", "b1:4", "b1:-1", "b1:", "b1.5", "bx", "b1:2:3"})
        EXPECT_EQ(parse(std::string("a ") + bad + " 0 step\n").errors.size(), 1u) << bad;
}

TEST(Timeline, ErrorsNameTheLine) {
    const Timeline t = parse("ok 0 1 linear\n"
                             "ok 0 2 linear\n"          // same row twice
                             "../up 1 0 step\n"         // would leave the directory
                             "x 1 0 wobbly\n"           // unknown interpolation
                             "x 1q 0 step\n"            // not a position
                             "x 1 nan step\n"           // not finite
                             "x 1 0\n"                  // missing field
                             "tempo 0 8\n"              // not positive
                             "x 99999999999 0 step\n"); // beyond int32
    ASSERT_EQ(t.errors.size(), 8u);
    EXPECT_EQ(t.errors[0], "t.txt:2: track ok already has a key at row 0 (line 1)");
    for (int i = 1; i < 8; ++i)
        EXPECT_EQ(t.errors[i].rfind("t.txt:" + std::to_string(i + 2) + ": ", 0), 0u) << t.errors[i];
}

TEST(Timeline, DumpCompilesBackToTheSameFile) {
    const Timeline t = parse("cam 0 0.1 linear\ncam 17 3.14159274 smooth\ncam 40 -2 7\n");
    ASSERT_TRUE(t.errors.empty());
    char pattern[] = "/tmp/timeline_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    std::string error;
    ASSERT_TRUE(writeTracks(t, dir, error)) << error;

    const std::string file = dir + "/_cam.track";
    EXPECT_EQ(trackNameOfFile(file), "cam");
    KeyTrack* track = keytrack_create("cam");
    ASSERT_EQ(keytrack_read(track, file.c_str()), 0);
    const std::string text = dumpTrack(track->name, *track);
    EXPECT_EQ(text, "cam 0 0.100000001 linear\ncam 17 3.14159274 smooth\ncam 40 -2 7\n");

    const Timeline again = parse(text);
    ASSERT_EQ(again.tracks.at("cam").size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(again.tracks.at("cam")[i].row, track->keys[i].row);
        EXPECT_EQ(again.tracks.at("cam")[i].value, track->keys[i].value); // bit for bit
        EXPECT_EQ(again.tracks.at("cam")[i].interpolation, track->keys[i].interpolation);
    }
    keytrack_destroy(track);
    std::system(("rm -rf '" + dir + "'").c_str());
}
