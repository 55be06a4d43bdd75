// The timeline text: positions as rows and times, errors with their line, and a dump that
// compiles back to the same keys.
#include "file_text.h"
#include "timeline.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <dirent.h>
#include <sys/stat.h>

namespace {

Timeline parse(const std::string& text) {
    Timeline t;
    parseTimeline(text, "t.txt", t);
    return t;
}

// The one error of a one-line timeline; empty when there is none or more than one.
std::string errorOf(const std::string& line) {
    const Timeline t = parse(line + "\n");
    return t.errors.size() == 1 ? t.errors[0] : "";
}

std::set<std::string> entriesOf(const std::string& dir) {
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

// A fresh folder holding OUTDIR "out", so a test sees what a write leaves beside OUTDIR too.
struct Folders {
    TempDir dir{"timeline_write"};
    std::string parent = dir.path(), out = parent + "/out";
    Folders() { mkdir(out.c_str(), 0755); }
};

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
    const Timeline t = parse("cam 0 0.1 linear\ncam 17 3.14159274 smooth\ncam 40 -2 3\n");
    ASSERT_TRUE(t.errors.empty());
    const TempDir tempDir("timeline_test");
    const std::string dir = tempDir.path();
    std::string error;
    ASSERT_TRUE(writeTracks(t, dir, error)) << error;

    const std::string file = dir + "/_cam.track";
    EXPECT_EQ(trackNameOfFile(file), "cam");
    KeyTrack* track = keytrack_create("cam");
    ASSERT_EQ(keytrack_read(track, file.c_str()), 0);
    const std::string text = dumpTrack(track->name, *track);
    EXPECT_EQ(text, "cam 0 0.100000001 linear\ncam 17 3.14159274 smooth\ncam 40 -2 ramp\n");

    const Timeline again = parse(text);
    ASSERT_EQ(again.tracks.at("cam").size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(again.tracks.at("cam")[i].row, track->keys[i].row);
        EXPECT_EQ(again.tracks.at("cam")[i].value, track->keys[i].value); // bit for bit
        EXPECT_EQ(again.tracks.at("cam")[i].interpolation, track->keys[i].interpolation);
    }
    keytrack_destroy(track);
}

TEST(Timeline, InterpolationsThePlayerCannotPlayAreErrors) {
    // The player evaluates every other number as 0: a scene's visibility would silently vanish.
    for (const char* bad : {"4", "7", "-1", "127", "-128", "99999999999999999999"}) {
        const std::string e = errorOf(std::string("a 0 1 ") + bad);
        EXPECT_EQ(e.rfind("t.txt:1: interpolation " + std::string(bad) +
                              " is not one the player can play",
                          0),
                  0u)
            << bad << ": " << e;
    }
    const Timeline t = parse("a 0 1 0\na 1 1 1\na 2 1 2\na 3 1 3\n");
    ASSERT_TRUE(t.errors.empty()) << t.errors[0];
    for (int i = 0; i < 4; ++i) EXPECT_EQ(t.tracks.at("a")[i].interpolation, i);
    EXPECT_NE(errorOf("a 0 1 Linear").find("is not step, linear, smooth, ramp or 0..3"),
              std::string::npos);
}

TEST(Timeline, OutOfRangePositionsAndValuesNameTheCause) {
    EXPECT_EQ(errorOf("x 4294967296 0 step"),
              "t.txt:1: row 4294967296 is out of range (-2147483648..2147483647)");
    EXPECT_EQ(errorOf("x -2147483649 0 step"),
              "t.txt:1: row -2147483649 is out of range (-2147483648..2147483647)");
    EXPECT_NE(errorOf("x 123456789012345678901234567890 0 step").find("is out of range"),
              std::string::npos);
    // b67108863 is row 2147483616 at 8 rows a beat, the bar after it is past the last row.
    EXPECT_TRUE(errorOf("x b67108863 0 step").empty());
    EXPECT_EQ(errorOf("x b67108864 0 step"),
              "t.txt:1: bar b67108864 is out of range (row 2147483648 is not in "
              "-2147483648..2147483647)");
    EXPECT_NE(errorOf("x b" + std::string(400, '9') + " 0 step").find("is out of range (row inf"),
              std::string::npos);
    EXPECT_NE(errorOf("x 1e20s 0 step").find("t.txt:1: time 1e20s is out of range"),
              std::string::npos);
    EXPECT_NE(errorOf("x -1e400ms 0 step").find("time -1e400ms is out of range (row -inf"),
              std::string::npos);
    EXPECT_NE(errorOf("x 99999999:00 0 step").find("time 99999999:00 is out of range"),
              std::string::npos);
    EXPECT_EQ(errorOf("x 0 1e39 step"),
              "t.txt:1: value 1e39 is out of range (a float holds -3.40282347e38..3.40282347e38)");
    EXPECT_NE(errorOf("x 0 -1e999 step").find("value -1e999 is out of range"), std::string::npos);
    EXPECT_NE(errorOf("x 0 nan step").find("value \"nan\" is not a number"), std::string::npos);
    EXPECT_TRUE(errorOf("x 0 1e-400 step").empty()); // an underflow is the 0 it is next to
    // Dump writes FLT_MAX as 3.40282347e+38, a little above it: that must read back.
    const Timeline t = parse("x 0 3.40282347e+38 step\nx 1 -3.40282347e38 step\n");
    ASSERT_TRUE(t.errors.empty()) << t.errors[0];
    EXPECT_EQ(t.tracks.at("x")[0].value, FLT_MAX);
    EXPECT_EQ(t.tracks.at("x")[1].value, -FLT_MAX);
    EXPECT_NE(errorOf("x 0 3.4028236e38 step").find("is out of range"), std::string::npos);
}

TEST(Timeline, EchoedTextIsCutAndNamesFitTheFileSystem) {
    const std::string huge(10 << 20, 'n');
    for (const std::string& line :
         {huge + " 0 1 step", "x " + huge + " 1 step", "x 0 " + huge + " step", "x 0 1 " + huge,
          "x b" + huge + ":9 1 step"}) {
        const Timeline t = parse(line + "\n");
        ASSERT_EQ(t.errors.size(), 1u);
        EXPECT_LT(t.errors[0].size(), 250u);
        EXPECT_NE(t.errors[0].find(std::string(60, 'n') + "..."), std::string::npos) << t.errors[0];
    }
    // A control character would reach the terminal; a NUL would cut the message short.
    EXPECT_EQ(errorOf(std::string("x 0 1 st\x1b[2J\0p", 14)),
              "t.txt:1: interpolation \"st\\x1b[2J\\x00p\" is not step, linear, smooth, ramp or "
              "0..3");
    // The player reads "data/sync/_<name>.track": 255 bytes are the most a file name holds.
    EXPECT_TRUE(errorOf(std::string(kMaxTrackName, 'a') + " 0 1 step").empty());
    EXPECT_NE(errorOf(std::string(kMaxTrackName + 1, 'a') + " 0 1 step")
                  .find("is 249 characters long; the player's file \"_<name>.track\" allows 248"),
              std::string::npos);
    for (const char* bad : {"a/b", "a\\b", ".", "..", "caf\xc3\xa9"})
        EXPECT_FALSE(errorOf(std::string(bad) + " 0 1 step").empty()) << bad;
}

TEST(Timeline, NumbersAreWholeWords) {
    // strtod stops at a NUL: the rest of the word must not be dropped silently.
    for (const std::string& line :
         {std::string("x 0 1\0junk step", 15), std::string("x 1\0 1 step", 11),
          std::string("x 1s\0 1 step", 12), std::string("tempo 145\0x 8", 13)})
        EXPECT_EQ(parse(line + "\n").errors.size(), 1u) << line;
}

TEST(Timeline, ByteOrderMarkIsNotPartOfTheFirstWord) {
    const Timeline t = parse("\xEF\xBB\xBFtempo 120 4\na 1s 0 step\n");
    ASSERT_TRUE(t.errors.empty()) << t.errors[0];
    EXPECT_EQ(t.tracks.at("a")[0].row, 8);
    // Only at the start of the text.
    EXPECT_EQ(parse("a 0 1 step\n\xEF\xBB\xBF"
                    "b 0 1 step\n")
                  .errors.size(),
              1u);
}

TEST(Timeline, WriteIsAllOrNothing) {
    const Timeline t = parse("a 0 1 step\nb 0 1 step\nc 0 1 step\n");
    ASSERT_TRUE(t.errors.empty());
    Folders f;
    writeFile(f.out + "/_a.track", "old a");
    // "b" cannot be written: a folder is in the way. "a" is moved into place before "b" fails.
    ASSERT_EQ(mkdir((f.out + "/_b.track").c_str(), 0755), 0);
    writeFile(f.out + "/_b.track/keep", "");
    std::string error;
    EXPECT_FALSE(writeTracks(t, f.out, error));
    EXPECT_NE(error.find(f.out + "/_b.track"), std::string::npos) << error;
    EXPECT_EQ(contentOf(f.out + "/_a.track"), "old a");
    EXPECT_EQ(entriesOf(f.out), (std::set<std::string>{"_a.track", "_b.track"}));
    EXPECT_EQ(entriesOf(f.parent), std::set<std::string>{"out"}); // no temporary folder left

    // With the way clear, everything is written and replaced, and nothing is left beside.
    std::system(("rm -rf '" + f.out + "/_b.track'").c_str());
    ASSERT_TRUE(writeTracks(t, f.out, error)) << error;
    EXPECT_EQ(entriesOf(f.out), (std::set<std::string>{"_a.track", "_b.track", "_c.track"}));
    EXPECT_EQ(contentOf(f.out + "/_a.track").size(), 4u + TRACK_KEY_FILE_SIZE);
    EXPECT_EQ(entriesOf(f.parent), std::set<std::string>{"out"});

    // A missing OUTDIR is an error before anything is made.
    EXPECT_FALSE(writeTracks(t, f.parent + "/missing", error));
    EXPECT_NE(error.find(f.parent + "/missing"), std::string::npos) << error;
    EXPECT_EQ(entriesOf(f.parent), std::set<std::string>{"out"});
}

TEST(Timeline, MarksAreListedAndCompileNothing) {
    const std::string keys = "tempo 145 8\na b0 0 step\na b4 1 linear\n";
    const Timeline t = parse(keys + "mark b2:1.5 \"drop  one\"   # blanks read as one\n"
                                    "mark 12 \"\"\nmark 1s \"x\"\n");
    ASSERT_TRUE(t.errors.empty()) << t.errors[0];
    ASSERT_EQ(t.marks.size(), 3u);
    EXPECT_EQ(t.marks[0].row, 76);
    EXPECT_EQ(t.marks[0].name, "drop one");
    EXPECT_EQ(t.marks[0].line, 4);
    EXPECT_EQ(t.marks[1].name, "");
    EXPECT_EQ(t.marks[2].row, 19);
    const Timeline plain = parse(keys);
    ASSERT_EQ(t.tracks.size(), plain.tracks.size()); // no track named "mark", nothing else
    EXPECT_EQ(t.tracks.at("a").size(), plain.tracks.at("a").size());
    for (const char* bad : {"mark b2", "mark b2 drop", "mark \"drop\"", "mark b2 \"a\"b\"",
                            "mark b2 \"unclosed", "mark b2:7 \"x\"", "mark b2 \"a\x01\""})
        EXPECT_EQ(parse(std::string(bad) + "\n").errors.size(), 1u) << bad;
    EXPECT_EQ(errorOf("mark b2 drop"),
              "t.txt:1: a mark is: mark position \"name\" (a name without quotes, '#' or control "
              "characters)");
    // A '#' starts a comment even inside the quotes: the name is cut and so refused.
    EXPECT_EQ(parse("mark b2 \"a # b\"\n").errors.size(), 1u);
}
