// demolive's key editor without a window: the keys a demo maker presses, the text they leave
// behind in the timeline file, and the loudness strip's measure.
#include "file_text.h"
#include "key_editor.h"
#include "music_energy.h"
#include "sync_grid.h"
#include "temp_dir.h"

#include <SDL_keycode.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

const char* kText = "tempo 145 8\n"
                    "# ---- cylinders_scene ----\n"
                    "cyl_fade      b0     0.0   linear   # fades in\n"
                    "cyl_fade      b2     255   step\n"
                    "\n"
                    "# ---- tunnel_scene ----\n"
                    "tnl_speed     b0     1.0   step\n";

struct EditorFixture : ::testing::Test {
    TempDir dir;
    std::string path;
    KeyEditor ed;
    std::vector<TrackReader> read;

    void SetUp() override {
        path = dir.path() + "/demo.timeline";
        std::ofstream(path, std::ios::binary) << kText;
        keyEditorOpen(ed, path);
        read = {{"cyl_fade", "cylinders_scene"}, {"tnl_speed", "tunnel_scene"}};
        keyEditorSetColumns(ed, read);
    }
    EditorAction press(int32_t key, int64_t ms, bool ctrl = false, bool alt = false,
                       bool shift = false) {
        return keyEditorKey(ed, {key, shift, ctrl, alt}, ms);
    }
};

const int64_t kBar1 = int64_t(std::llround(msAtBar(1)));

} // namespace

TEST_F(EditorFixture, TypedValueInsertsOneLineAndUndoGivesTheFileBack) {
    ASSERT_TRUE(ed.writable);
    EXPECT_EQ(keyEditorTrack(ed), "cyl_fade");
    for (int32_t k : {SDLK_1, SDLK_2, SDLK_PERIOD, SDLK_5}) EXPECT_TRUE(press(k, kBar1).handled);
    EXPECT_EQ(ed.typing, "12.5");
    const EditorAction a = press(SDLK_RETURN, kBar1);
    EXPECT_TRUE(a.wrote);
    // The status line names the track, the row and the value.
    EXPECT_NE(a.status.find("cyl_fade row 32"), std::string::npos) << a.status;
    EXPECT_NE(a.status.find("= 12.5"), std::string::npos) << a.status;
    const std::string after = contentOf(path);
    EXPECT_NE(after.find("fades in\ncyl_fade"), std::string::npos) << after; // in row order
    EXPECT_NE(after.find("12.5"), std::string::npos);
    // The new key splits a linear segment, so it is linear too.
    EXPECT_NE(a.status.find("linear"), std::string::npos) << a.status;

    EXPECT_TRUE(press(SDLK_z, kBar1, /*ctrl*/ true).wrote);
    EXPECT_EQ(contentOf(path), kText);
    EXPECT_TRUE(press(SDLK_y, kBar1, true).wrote);
    EXPECT_EQ(contentOf(path), after);
}

TEST_F(EditorFixture, StepsInterpolationMoveAndDeleteAtThePlayhead) {
    const int64_t bar2 = int64_t(std::llround(msAtBar(2)));
    EXPECT_EQ(press(SDLK_3, bar2, true).status, "step 10");
    EXPECT_NE(press(SDLK_DOWN, bar2, true).status.find("= 245 step"), std::string::npos);
    EXPECT_NE(press(SDLK_i, bar2).status.find("= 245 linear"), std::string::npos);
    // A move by a beat takes the playhead with the key.
    press(SDLK_g, bar2);
    EXPECT_EQ(ed.snap, Snap::Beat);
    const EditorAction moved = press(SDLK_RIGHT, bar2, false, /*alt*/ true);
    ASSERT_TRUE(moved.wrote) << moved.status;
    ASSERT_TRUE(moved.seek);
    EXPECT_EQ(editRowAt(ed, moved.seekMs), 64 + 8);
    EXPECT_NE(contentOf(path).find("b2:1"), std::string::npos) << contentOf(path);
    EXPECT_TRUE(press(SDLK_DELETE, moved.seekMs).wrote);
    EXPECT_EQ(contentOf(path).find("b2"), std::string::npos);
    // Enter alone on an empty row holds the curve's value there.
    EXPECT_NE(press(SDLK_RETURN, kBar1).status.find("= 0 linear"), std::string::npos);
    for (int i = 0; i < 6; ++i) press(SDLK_z, 0, true);
    EXPECT_EQ(contentOf(path), kText);
}

TEST_F(EditorFixture, ADragIsOneUndoStep) {
    for (float v : {3.0f, 4.0f, 5.5f}) EXPECT_TRUE(keyEditorDragValue(ed, v, kBar1).wrote);
    keyEditorEndDrag(ed);
    EXPECT_NE(contentOf(path).find("5.5"), std::string::npos);
    EXPECT_TRUE(press(SDLK_z, 0, true).wrote);                              // the drag's steps
    EXPECT_NE(contentOf(path).find("cyl_fade      b1"), std::string::npos); // the key it inserted
    EXPECT_TRUE(press(SDLK_z, 0, true).wrote);
    EXPECT_EQ(contentOf(path), kText);
}

TEST_F(EditorFixture, ColumnsFollowTheScenesAndPastedKeysLandOnAnotherTrack) {
    EXPECT_EQ(ed.columns[0].group, "cylinders_scene");
    EXPECT_NE(press(SDLK_PERIOD, 0).status.find("tnl_speed"), std::string::npos);
    EXPECT_NE(press(SDLK_PERIOD, 0).status.find("cyl_fade"), std::string::npos); // wraps
    std::string why;
    EXPECT_FALSE(keyEditorPin(ed, "bad name!", why));
    EXPECT_FALSE(why.empty());
    ASSERT_TRUE(keyEditorPin(ed, "new_track", why));
    keyEditorSetColumns(ed, {read[1]}); // the title is gone: its track leaves, the pinned stays
    ASSERT_EQ(ed.columns.size(), 2u);
    EXPECT_EQ(keyEditorTrack(ed), "new_track");

    // Copy the tunnel's key at bar 0 and paste it onto the pinned track at bar 1.
    ed.current = 0;
    EXPECT_NE(press(SDLK_c, 0, true).status.find("copied 1"), std::string::npos);
    ed.current = 1;
    const EditorAction pasted = press(SDLK_v, kBar1, true);
    ASSERT_TRUE(pasted.wrote) << pasted.status;
    EXPECT_NE(contentOf(path).find("new_track"), std::string::npos);
    EXPECT_TRUE(press(SDLK_z, 0, true).wrote);
    EXPECT_EQ(contentOf(path), kText);
}

TEST_F(EditorFixture, BookmarksAreAddedAndReached) {
    const int64_t bar3 = int64_t(std::llround(msAtBar(3)));
    ASSERT_TRUE(press(SDLK_b, bar3).wrote);
    EXPECT_NE(contentOf(path).find("mark"), std::string::npos);
    const EditorAction jump = press(SDLK_QUOTE, 0);
    ASSERT_TRUE(jump.seek) << jump.status;
    EXPECT_EQ(editRowAt(ed, jump.seekMs), 96);
    EXPECT_FALSE(press(SDLK_QUOTE, jump.seekMs).seek); // nothing after it
    EXPECT_TRUE(press(SDLK_SEMICOLON, int64_t(msAtBar(5))).seek);
}

TEST(KeyEditor, APulsesKeysAreEditedThroughItsStatement) {
    TempDir dir;
    const std::string path = dir.path() + "/pulse.timeline";
    const std::string text = "tempo 145 8\n"
                             "pulse  glow  b4 b6  every 1  base 0 peak 1  decay 4  # kicks\n";
    std::ofstream(path, std::ios::binary) << text;
    KeyEditor ed;
    keyEditorOpen(ed, path);
    keyEditorSetColumns(ed, {{"glow", "a_scene"}});
    const int64_t bar4 = int64_t(std::llround(msAtBar(4)));
    const EditorAction typed = keyEditorKey(ed, {SDLK_RETURN}, bar4);
    EXPECT_FALSE(typed.wrote);
    EXPECT_NE(typed.status.find("made by the pulse of line 2"), std::string::npos) << typed.status;

    EXPECT_TRUE(keyEditorKey(ed, {SDLK_UP, false, true}, bar4).wrote);
    std::string now = contentOf(path);
    EXPECT_NE(now.find("base 1 peak 2"), std::string::npos) << now;
    EXPECT_NE(now.find("# kicks"), std::string::npos); // the statement, not keys
    keyEditorKey(ed, {SDLK_g}, bar4);
    keyEditorKey(ed, {SDLK_g}, bar4); // snap: bar
    const EditorAction moved = keyEditorKey(ed, {SDLK_RIGHT, false, false, true}, bar4);
    ASSERT_TRUE(moved.wrote) << moved.status;
    now = contentOf(path);
    EXPECT_NE(now.find("b5 b7"), std::string::npos) << now;
    EXPECT_TRUE(keyEditorKey(ed, {SDLK_DELETE}, moved.seekMs).wrote);
    EXPECT_EQ(contentOf(path).find("pulse"), std::string::npos);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(keyEditorKey(ed, {SDLK_z, false, true}, 0).wrote);
    EXPECT_EQ(contentOf(path), text);
}

TEST(KeyEditor, WithoutATimelineTheViewIsReadOnlyAndSaysWhy) {
    KeyEditor ed;
    keyEditorOpen(ed, "/nonexistent/demo.timeline");
    EXPECT_FALSE(ed.writable);
    EXPECT_NE(ed.readOnlyWhy.find("read-only"), std::string::npos);
    keyEditorSetColumns(ed, {{"cam_x", "some_scene"}});
    const EditorAction a = keyEditorKey(ed, {SDLK_RETURN}, 0);
    EXPECT_TRUE(a.handled);
    EXPECT_FALSE(a.wrote);
    EXPECT_NE(a.status.find("edit refused"), std::string::npos);
    // Looking still works: picking columns and moving between keys.
    EXPECT_TRUE(keyEditorKey(ed, {SDLK_PERIOD}, 0).handled);
}

TEST(MusicEnergy, TheLowBandHearsAThumpAndNotAHiss) {
    const int rate = 44100;
    std::vector<int16_t> thump(rate), hiss(rate);
    for (int i = 0; i < rate; ++i) {
        thump[size_t(i)] = int16_t(16000 * std::sin(2 * M_PI * 50 * i / rate));
        hiss[size_t(i)] = int16_t(16000 * std::sin(2 * M_PI * 6000 * i / rate));
    }
    const MusicEnergy a = measureEnergy(thump.data(), thump.size(), 1, rate);
    const MusicEnergy b = measureEnergy(hiss.data(), hiss.size(), 1, rate);
    ASSERT_EQ(a.level.size(), 100u); // 10 ms bins
    EXPECT_NEAR(a.level[50], 0.345f, 0.02f);
    EXPECT_GT(a.low[50], 0.8f * a.level[50]);
    EXPECT_LT(b.low[50], 0.05f * b.level[50]);
}
