// The sync sources: time to rows on the soundtrack's grid, the registry's one disk read per
// name, and the MIDI bank.
#include "sync_midi.h"
#include "sync_rocket.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class Rocket : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(rocket.init((dir + "\\").c_str(), nullptr)); }
    // A linear track from (row0, value0) to (row1, value1).
    void writeTrack(const std::string& name, int32_t row0, float value0, int32_t row1,
                    float value1) {
        const TrackKey keys[2] = {{row0, value0, INTERP_LINEAR}, {row1, value1, INTERP_STEP}};
        uint8_t image[64];
        const size_t n = keytrack_encode(keys, 2, image, sizeof image);
        std::FILE* f = std::fopen((dir + "/_" + name + ".track").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(image, 1, n, f);
        std::fclose(f);
    }
    float at(const char* name, int64_t ms) { return rocket.getValue(name, &ms); }

    TempDir tempDir{"rocket_test"};
    std::string dir = tempDir.path();
    cSyncRocket rocket;
};

} // namespace

TEST(SyncGrid, MillisecondsToRows) {
    cSyncRocket rocket;
    EXPECT_NEAR(rocket.row_rate, 145.0 / 60.0 * 8.0, 1e-12);
    EXPECT_DOUBLE_EQ(rocket.rowAt(0), 0.0);
    EXPECT_NEAR(rocket.rowAt(3000), 58.0, 1e-9);
    EXPECT_NEAR(rocket.rowAt(60000), 1160.0, 1e-9); // 145 beats of 8 rows
    EXPECT_LT(rocket.rowAt(-1), 0.0);
}

// Every source reading a track (the player's, the development player's) must land on the
// same row to the bit, or a key edge shows a frame early in one of them.
TEST(SyncGrid, TrackRowIsThePlayersRowToTheBit) {
    cSyncRocket rocket;
    for (int64_t ms = -2000; ms <= 200000; ms += 7)
        ASSERT_EQ(trackRowAtMs(ms), rocket.rowAt(ms)) << ms;
    for (int64_t ms : {int64_t(INT32_MAX), int64_t(INT32_MIN), int64_t(1) << 40})
        ASSERT_EQ(trackRowAtMs(ms), rocket.rowAt(ms)) << ms;
}

TEST_F(Rocket, ValueAtTheMusicTime) {
    writeTrack("fade", 0, 0.0f, 58, 1.0f);
    EXPECT_FLOAT_EQ(at("fade", 1500), 0.5f); // row 29 of 58
    EXPECT_FLOAT_EQ(at("fade", 3000), 1.0f);
    EXPECT_FLOAT_EQ(at("fade", -5000), 0.0f); // negative rows take the first key
}

TEST_F(Rocket, EachNameTouchesTheDiskOnce) {
    writeTrack("scene", 0, 2.0f, 100, 2.0f);
    EXPECT_FLOAT_EQ(at("scene", 0), 2.0f);
    writeTrack("scene", 0, 7.0f, 100, 7.0f);
    EXPECT_FLOAT_EQ(at("scene", 0), 2.0f); // from the registry, not the new file

    EXPECT_FLOAT_EQ(at("later", 0), 0.0f); // missing: 0 and remembered
    writeTrack("later", 0, 3.0f, 100, 3.0f);
    EXPECT_FLOAT_EQ(at("later", 0), 0.0f);
}

TEST_F(Rocket, RegisteringTwiceWarnsAndKeepsTheFirst) {
    writeTrack("twice", 0, 1.0f, 10, 1.0f);
    EXPECT_TRUE(rocket.registerTrack("twice"));
    testing::internal::CaptureStderr();
    EXPECT_TRUE(rocket.registerTrack("twice"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "# warning: twice registered multiple times, skipping...\n");
    EXPECT_FLOAT_EQ(at("twice", 0), 1.0f);
}

TEST_F(Rocket, NamesAreComparedByContentNotAddress) {
    writeTrack("cam", 0, 6.0f, 10, 6.0f);
    char a[] = "cam";
    EXPECT_FLOAT_EQ(at(a, 0), 6.0f);
    std::strcpy(a, "cab"); // the caller's buffer is reused for another name
    EXPECT_FLOAT_EQ(at(a, 0), 0.0f);
    EXPECT_FLOAT_EQ(at("cam", 0), 6.0f);
}

TEST(Midi, ControllersReadAsFractionsOf127) {
    cSyncMidi midi;
    midi.init();
    EXPECT_FLOAT_EQ(midi.getValue(5), 0.0f); // nothing feeds it: all start at 0
    midi.setValue(5, 127);
    midi.setValue(6, 64);
    midi.setValue(255, 254);
    iMidi& m = midi;
    EXPECT_FLOAT_EQ(m.getValue(5), 1.0f);
    EXPECT_FLOAT_EQ(m.getValue(6), 64.0f / 127.0f);
    EXPECT_FLOAT_EQ(m.getValue(255), 2.0f);
}
