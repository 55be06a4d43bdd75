// The development player's parts that need no window: the bar grid and positions, the
// reloading sync source, the file watch and the placing of shader messages.
#include "file_text.h"
#include "file_watch.h"
#include "live_options.h"
#include "live_sync.h"
#include "shader_reload.h"
#include "temp_dir.h"
#include "transport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <thread>

TEST(LiveTransport, PositionsInMillisecondsAndBars) {
    int64_t ms = -1;
    EXPECT_TRUE(parsePosition("42000", ms));
    EXPECT_EQ(ms, 42000);
    EXPECT_TRUE(parsePosition("0", ms));
    EXPECT_EQ(ms, 0);
    EXPECT_TRUE(parsePosition("b24", ms));
    EXPECT_EQ(ms, 39724); // 96 beats of 60000/145 ms
    EXPECT_TRUE(parsePosition("b24:2", ms));
    EXPECT_EQ(ms, msOfBeats(98));
    EXPECT_TRUE(parsePosition("b24:2.5", ms));
    EXPECT_EQ(ms, msOfBeats(98.5));
    for (const char* bad : {"", "-5", "+5", "42k", "4 2", "b", "b-1", "b24:", "b24:x", "b24:-1",
                            "bb2", "b2.5", "99999999999999", "b24:1e400"})
        EXPECT_FALSE(parsePosition(bad, ms)) << bad;
}

// Every bar line of the piece, as the clock rounds it, reads as that bar and beat 0, and the
// bar seeks step from one line to the next and back, exactly one bar each.
TEST(LiveTransport, BarLinesReadAndSeekAsBars) {
    for (int bar = 0; bar <= 116; ++bar) {
        const int64_t line = msOfBeats(bar * 4.0);
        for (int64_t off : {-1, 0, 1}) {
            if (line + off < 0) continue;
            EXPECT_EQ(barBeatText(line + off), "b" + std::to_string(bar) + ":0.00") << line + off;
            EXPECT_EQ(seekTarget(line + off, SeekUnit::Bar, +1), msOfBeats((bar + 1) * 4.0));
            EXPECT_EQ(seekTarget(line + off, SeekUnit::Bar, -1),
                      msOfBeats(std::max(bar - 1, 0) * 4.0));
        }
    }
}

// The loop keys take the bar under the playhead: a playhead just short of a line (the clock
// rounds) is still in the bar before it, one on or just past a line in the bar it starts.
TEST(LiveTransport, BarUnderThePlayhead) {
    for (int bar = 0; bar <= 116; ++bar) {
        const int64_t line = msOfBeats(bar * 4.0);
        EXPECT_EQ(barStartAt(line), line);
        EXPECT_EQ(barStartAt(line + 1), line);
        EXPECT_EQ(barStartAt(line + 900), line);
        if (bar > 0) {
            EXPECT_EQ(barStartAt(line - 1), msOfBeats((bar - 1) * 4.0)) << bar;
        }
    }
    EXPECT_EQ(barStartAt(msOfBeats(10 * 4 + 3.99)), msOfBeats(40));
}

TEST(LiveTransport, SeeksFromBetweenLinesGoToTheNeighbours) {
    const int64_t midBar = msOfBeats(10 * 4 + 2.5); // b10:2.5
    EXPECT_EQ(seekTarget(midBar, SeekUnit::Beat, +1), msOfBeats(43));
    EXPECT_EQ(seekTarget(midBar, SeekUnit::Beat, -1), msOfBeats(42));
    EXPECT_EQ(seekTarget(midBar, SeekUnit::Bar, +1), msOfBeats(44));
    EXPECT_EQ(seekTarget(midBar, SeekUnit::Bar, -1), msOfBeats(40));
    EXPECT_EQ(seekTarget(midBar, SeekUnit::Section, +1), msOfBeats(64));
    EXPECT_EQ(seekTarget(midBar, SeekUnit::Section, -1), msOfBeats(32));
    EXPECT_EQ(seekTarget(0, SeekUnit::Section, -1), 0);
    EXPECT_EQ(barBeatText(midBar), "b10:2.50");
}

TEST(LiveTransport, LoopAndStatusLine) {
    LoopRange loop{1000, 2000, true};
    EXPECT_FALSE(loop.wraps(1999));
    EXPECT_TRUE(loop.wraps(2000));
    EXPECT_FALSE(loop.wraps(500)); // a seek before the range is the person's choice
    loop.on = false;
    EXPECT_FALSE(loop.wraps(5000));
    EXPECT_EQ(statusLine(39724, true, "seek +1 bar"), "live: 39724 ms b24:0.00 paused seek +1 bar");
    EXPECT_EQ(statusLine(0, false, "start"), "live: 0 ms b0:0.00 playing start");
}

TEST(LiveOptions, FlagsAndTheirMistakes) {
    auto parse = [](std::vector<const char*> args, LiveOptions& o) {
        args.insert(args.begin(), "demolive");
        return parseLiveOptions(int(args.size()), const_cast<char**>(args.data()), o);
    };
    LiveOptions o;
    ASSERT_EQ(parse({"--start", "b24", "--loop", "b88", "b92", "--solo", "march_scene", "--paused",
                     "--no-panel", "--timeline", "x.timeline"},
                    o),
              CommandLine::Run);
    EXPECT_EQ(o.startMs, 39724);
    EXPECT_TRUE(o.loop && o.paused && !o.panel);
    EXPECT_EQ(o.loopFromMs, msOfBeats(88 * 4));
    EXPECT_EQ(o.loopToMs, msOfBeats(92 * 4));
    EXPECT_EQ(o.solo, "march_scene");
    EXPECT_EQ(o.timeline, "x.timeline");
    for (std::vector<const char*> bad :
         std::vector<std::vector<const char*>>{{"--start"},
                                               {"--start", "soon"},
                                               {"--loop", "b2"},
                                               {"--loop", "b4", "b2"},
                                               {"--loop", "b4", "b4"},
                                               {"--fast"},
                                               {"--solo"}}) {
        LiveOptions x;
        EXPECT_EQ(parse(bad, x), CommandLine::Misuse) << bad[0];
    }
    // --help and --version end the reading where they stand: a mistake after them is not read,
    // one before them still counts.
    EXPECT_EQ(parse({"--start", "b2", "--help", "--fast"}, o), CommandLine::Help);
    EXPECT_EQ(parse({"-h"}, o), CommandLine::Help);
    EXPECT_EQ(parse({"--version", "--start"}, o), CommandLine::Version);
    EXPECT_EQ(parse({"--fast", "--help"}, o), CommandLine::Misuse);
    EXPECT_EQ(parse({}, o), CommandLine::Run);
}

class LiveSyncTest : public ::testing::Test {
  protected:
    TempDir dir{"live_sync"};
    std::string path = dir.path() + "/demo.timeline";
    LiveSync sync;
    std::string error;
    size_t count = 0;
    float at(const char* name, int64_t ms) { return sync.getValue(name, &ms); }
};

TEST_F(LiveSyncTest, AGoodTextReplacesEveryTrackABrokenOneChangesNothing) {
    writeFile(path, "a b0 1 step\na b1 2 linear\na b2 4 step\nscene b0 1 step\n");
    ASSERT_TRUE(sync.load(path, error, count)) << error;
    EXPECT_EQ(count, 2u);
    EXPECT_NEAR(at("a", msOfBeats(6)), 3.0f, 1e-3); // half-way along the linear segment
    EXPECT_FLOAT_EQ(at("scene", 0), 1.0f);
    EXPECT_FLOAT_EQ(at("nothing", 0), 0.0f);

    writeFile(path, "a b0 7 step\nscene b0 1 step\nscene b0 2 step\na b1 x step\n");
    EXPECT_FALSE(sync.load(path, error, count));
    EXPECT_NE(error.find(path + ":3: "), std::string::npos) << error;
    EXPECT_NE(error.find(path + ":4: "), std::string::npos) << error;
    EXPECT_NEAR(at("a", msOfBeats(6)), 3.0f, 1e-3); // the last good tracks, all of them
    EXPECT_FLOAT_EQ(at("scene", 0), 1.0f);

    writeFile(path, "b b0 5 step\n");
    ASSERT_TRUE(sync.load(path, error, count));
    EXPECT_FLOAT_EQ(at("b", 0), 5.0f);
    EXPECT_FLOAT_EQ(at("a", msOfBeats(6)), 0.0f); // gone with the text

    EXPECT_FALSE(sync.load(dir.path() + "/missing.timeline", error, count));
    EXPECT_NE(error.find("missing.timeline: cannot read"), std::string::npos) << error;
    EXPECT_FLOAT_EQ(at("b", 0), 5.0f);
}

// Pulses on an onset list compile from a second file; the source names it for the watch, also
// when the text fails because of it, so fixing the onset file is what brings the text back.
TEST_F(LiveSyncTest, PulsesOnOnsetsAndTheOnsetFileToWatch) {
    const std::string onsets = dir.path() + "/music.onsets";
    writeFile(onsets, "kick 0\nkick 827.6\n");
    writeFile(path, "onsets music.onsets\npulse hit b0 b1 onsets kick base 0 peak 2 decay 4\n");
    ASSERT_TRUE(sync.load(path, error, count)) << error;
    EXPECT_EQ(sync.onsetFile(), onsets);
    EXPECT_NEAR(at("hit", msOfBeats(2)), 2.0f, 0.01f); // 827.6 ms is beat 2 at 145 BPM
    EXPECT_FLOAT_EQ(at("hit", msOfBeats(1)), 0.0f);

    writeFile(onsets, "kick later\n");
    EXPECT_FALSE(sync.load(path, error, count));
    EXPECT_NE(error.find("music.onsets:1: "), std::string::npos) << error;
    EXPECT_EQ(sync.onsetFile(), onsets);
    EXPECT_NEAR(at("hit", msOfBeats(2)), 2.0f, 0.01f); // the last good tracks stay
}

TEST_F(LiveSyncTest, SoloOverridesSceneVisibilityOnly) {
    writeFile(path, "one b0 1 step\ntwo b0 0 step\nfade b0 0.5 step\n");
    ASSERT_TRUE(sync.load(path, error, count));
    sync.setSceneNames({"one", "two"});
    sync.setSolo("two");
    EXPECT_FLOAT_EQ(at("one", 0), 0.0f);
    EXPECT_FLOAT_EQ(at("two", 0), 1.0f);
    EXPECT_FLOAT_EQ(at("fade", 0), 0.5f);
    sync.setSolo("");
    EXPECT_FLOAT_EQ(at("one", 0), 1.0f);
}

TEST_F(LiveSyncTest, TracksReadInAFrameAreListedOnce) {
    writeFile(path, "a b0 1 step\nb b0 2 step\n");
    ASSERT_TRUE(sync.load(path, error, count));
    sync.beginFrame();
    at("b", 0);
    at("a", 0);
    at("b", 10);
    at("unknown", 0);
    ASSERT_EQ(sync.readThisFrame().size(), 2u);
    EXPECT_EQ(sync.readThisFrame()[0]->name, "b");
    EXPECT_EQ(sync.readThisFrame()[1]->name, "a");
    sync.beginFrame();
    EXPECT_TRUE(sync.readThisFrame().empty());
    sync.setRecording(false); // dispatch looking at visibility, between the scenes
    at("a", 0);
    sync.setRecording(true);
    at("b", 0);
    ASSERT_EQ(sync.readThisFrame().size(), 1u);
    EXPECT_EQ(sync.readThisFrame()[0]->name, "b");
}

TEST(LiveSpans, StepsAndSlidesOpenAndCloseSpans) {
    auto ms = [](int row) { return int64_t(row * 1000.0 / (145.0 / 60.0 * 8.0) + 0.5); };
    // Visible from the start, hidden at row 64, sliding back in from row 128, on to the end.
    const std::vector<TrackKey> keys = {
        {0, 1, INTERP_STEP}, {64, 0, INTERP_STEP}, {128, 0, INTERP_LINEAR}, {160, 1, INTERP_STEP}};
    const std::vector<SceneSpan> spans = spansOfTrack("s", keys);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].fromMs, 0);
    EXPECT_EQ(spans[0].toMs, ms(64));
    EXPECT_EQ(spans[1].fromMs, ms(128));
    EXPECT_EQ(spans[1].toMs, -1);
    // Zero before a later first key: hidden until then.
    const std::vector<SceneSpan> late =
        spansOfTrack("s", {{0, 0, INTERP_STEP}, {32, 1, INTERP_STEP}, {64, 0, INTERP_STEP}});
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].fromMs, ms(32));
    EXPECT_TRUE(spansOfTrack("s", {}).empty());
    EXPECT_TRUE(spansOfTrack("s", {{0, -1, INTERP_STEP}}).empty());
}

TEST(LiveFileWatch, WritesRenamesAndReturns) {
    TempDir dir("live_watch");
    const std::string file = dir.path() + "/x.txt";
    writeFile(file, "one");
    FileWatch watch;
    watch.add(file);
    watch.add(file); // once only
    EXPECT_TRUE(watch.poll().empty());

    writeFile(file, "two!"); // in place
    EXPECT_EQ(watch.poll(), std::vector<std::string>{file});
    EXPECT_TRUE(watch.poll().empty());

    writeFile(file + ".tmp", "four"); // same size, new inode, renamed over
    std::rename((file + ".tmp").c_str(), file.c_str());
    EXPECT_EQ(watch.poll(), std::vector<std::string>{file});

    std::remove(file.c_str());
    EXPECT_TRUE(watch.poll().empty()); // gone: nothing to act on yet
    writeFile(file, "back");
    EXPECT_EQ(watch.poll(), std::vector<std::string>{file});
}

TEST(LiveShaderMessages, PositionsOfTheFileStringBecomeFileLineColumn) {
    // Mesa, file as the only string and after a defines string; NVIDIA's form; other text.
    EXPECT_EQ(placeMessages("0:12(3): error: `x' undeclared\n", "a.frag", 0),
              "a.frag:12:3: error: `x' undeclared\n");
    EXPECT_EQ(placeMessages("1:4(10): error: syntax error\n0:1(1): warning: w\n", "a.frag", 1),
              "a.frag:4:10: error: syntax error\na.frag: 0:1(1): warning: w\n");
    EXPECT_EQ(placeMessages("0(7) : error C0000: syntax error", "b.vert", 0),
              "b.vert:7: error C0000: syntax error\n");
    EXPECT_EQ(placeMessages("link failed\n\n", "c.frag", 0), "c.frag: link failed\n");
}
