// Track files and curves: what a file turns into (also when it lies about itself), the four
// interpolations against hand-computed values, and the track set's one read per name.
#include "track.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <string>
#include <vector>

namespace {

// A key as it sits in a file, written out byte by byte (little-endian, 9 bytes).
void putKey(std::vector<uint8_t>& out, int32_t row, float value, int8_t interpolation) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    for (uint32_t v : {uint32_t(row), bits})
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    out.push_back(uint8_t(interpolation));
}

std::vector<uint8_t> fileWith(int32_t count) {
    std::vector<uint8_t> out;
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(count) >> (8 * i)));
    return out;
}

struct Track {
    KeyTrack* t = keytrack_create("test");
    ~Track() { keytrack_destroy(t); }
    void parse(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(keytrack_parse(t, bytes.data(), bytes.size()), 0);
    }
    float at(double row) const { return keytrack_value(t, row); }
};

// Keys at rows 0 (value 0) and 10 (value 1), the first with the given interpolation.
void twoKeys(Track& track, int8_t interpolation) {
    std::vector<uint8_t> f = fileWith(2);
    putKey(f, 0, 0.0f, interpolation);
    putKey(f, 10, 1.0f, INTERP_STEP);
    track.parse(f);
}

} // namespace

// ---- interpolation --------------------------------------------------------------------------

TEST(Interpolation, Linear) {
    Track track;
    twoKeys(track, INTERP_LINEAR);
    EXPECT_FLOAT_EQ(track.at(5.0), 0.5f);
    EXPECT_FLOAT_EQ(track.at(9.5), 0.95f); // floor(9.5) = 9 is still in the segment 0..10
    EXPECT_FLOAT_EQ(track.at(-3.0), 0.0f);
    EXPECT_FLOAT_EQ(track.at(12.0), 1.0f);
}

TEST(Interpolation, SmoothIsFlatAtBothKeys) {
    Track track;
    twoKeys(track, INTERP_SMOOTH);
    EXPECT_FLOAT_EQ(track.at(5.0), 0.5f);
    EXPECT_FLOAT_EQ(track.at(2.5), 0.15625f);
    EXPECT_FLOAT_EQ(track.at(7.5), 0.84375f);
}

TEST(Interpolation, RampAccelerates) {
    Track track;
    twoKeys(track, INTERP_RAMP);
    EXPECT_FLOAT_EQ(track.at(5.0), 0.25f);
    EXPECT_FLOAT_EQ(track.at(2.5), 0.0625f);
}

TEST(Interpolation, StepJumpsAtTheNextKey) {
    Track track;
    twoKeys(track, INTERP_STEP);
    EXPECT_FLOAT_EQ(track.at(9.999), 0.0f);
    EXPECT_FLOAT_EQ(track.at(10.0), 1.0f);
}

TEST(Interpolation, UnknownInterpolationGivesZeroInItsSegmentOnly) {
    for (int8_t bad : {int8_t(4), int8_t(-1)}) {
        Track track;
        twoKeys(track, bad);
        EXPECT_EQ(track.t->keys[0].interpolation, bad); // sign-extended
        EXPECT_FLOAT_EQ(track.at(5.0), 0.0f);
        EXPECT_FLOAT_EQ(track.at(10.0), 1.0f);
        EXPECT_FLOAT_EQ(track.at(-1.0), 0.0f);
    }
}

TEST(Interpolation, OneKeyAndNoKeys) {
    Track one;
    std::vector<uint8_t> f = fileWith(1);
    putKey(f, 7, 3.5f, INTERP_LINEAR);
    one.parse(f);
    for (double row : {-1e9, 0.0, 7.0, 7.5, 1e9}) EXPECT_FLOAT_EQ(one.at(row), 3.5f);

    Track none;
    for (double row : {-1.0, 0.0, 100.0}) EXPECT_FLOAT_EQ(none.at(row), 0.0f);
}

TEST(Interpolation, FloorKeySearch) {
    Track track;
    std::vector<uint8_t> f = fileWith(4);
    for (int row : {0, 10, 20, 30}) putKey(f, row, float(row), INTERP_LINEAR);
    track.parse(f);
    EXPECT_EQ(keytrack_floor_key(track.t, -1), -1);
    EXPECT_EQ(keytrack_floor_key(track.t, 0), 0);
    EXPECT_EQ(keytrack_floor_key(track.t, 19), 1);
    EXPECT_EQ(keytrack_floor_key(track.t, 20), 2);
    EXPECT_EQ(keytrack_floor_key(track.t, 1000), 3);
    EXPECT_FLOAT_EQ(track.at(25.0), 25.0f); // the segment is found, not the first one
}

TEST(Interpolation, RowsAtTheEndsOfTheRange) {
    Track track;
    std::vector<uint8_t> f = fileWith(2);
    putKey(f, INT32_MIN, 0.0f, INTERP_LINEAR);
    putKey(f, INT32_MAX, 1.0f, INTERP_LINEAR);
    track.parse(f);
    EXPECT_NEAR(track.at(0.0), 0.5f, 1e-6); // the difference does not overflow
    EXPECT_FLOAT_EQ(track.at(1e300), 1.0f);
    EXPECT_FLOAT_EQ(track.at(-1e300), 0.0f);
    EXPECT_FLOAT_EQ(track.at(NAN), 0.0f);
}

// ---- reading files --------------------------------------------------------------------------

TEST(TrackFile, LayoutIsPackedLittleEndian) {
    Track track;
    const std::vector<uint8_t> f = {2,    0,    0,    0,                               // count
                                    0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 1, // 16, 1.0
                                    0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0xc0, 3, // -1, -2.0
                                    0xaa};                                             // ignored
    track.parse(f);
    ASSERT_EQ(track.t->key_count, 2);
    EXPECT_EQ(track.t->keys[0].row, -1); // sorted by row
    EXPECT_EQ(track.t->keys[0].value, -2.0f);
    EXPECT_EQ(track.t->keys[0].interpolation, INTERP_RAMP);
    EXPECT_EQ(track.t->keys[1].row, 16);
    EXPECT_EQ(track.t->keys[1].value, 1.0f);
}

TEST(TrackFile, ShortFileKeepsOnlyCompleteKeys) {
    Track track;
    std::vector<uint8_t> f = fileWith(5);
    putKey(f, 0, 1.0f, INTERP_LINEAR);
    putKey(f, 4, 2.0f, INTERP_LINEAR);
    putKey(f, 8, 3.0f, INTERP_LINEAR);
    f.resize(f.size() - 1); // the third key is cut
    track.parse(f);
    EXPECT_EQ(track.t->key_count, 2);
    EXPECT_FLOAT_EQ(track.at(100.0), 2.0f);
}

TEST(TrackFile, CountsThatCannotBeTrusted) {
    for (int32_t count : {0, -1, INT32_MIN}) {
        Track track;
        std::vector<uint8_t> f = fileWith(count);
        putKey(f, 0, 1.0f, INTERP_LINEAR);
        track.parse(f);
        EXPECT_EQ(track.t->key_count, 0) << count;
    }
    Track huge; // would be 19 GiB of keys if believed
    std::vector<uint8_t> f = fileWith(INT32_MAX);
    putKey(f, 3, 1.0f, INTERP_LINEAR);
    huge.parse(f);
    EXPECT_EQ(huge.t->key_count, 1);

    Track tiny;
    tiny.parse({1, 0});
    EXPECT_EQ(tiny.t->key_count, 0);
}

TEST(TrackFile, KeysOutOfOrderAreSortedAndDuplicatesCollapse) {
    Track track;
    std::vector<uint8_t> f = fileWith(4);
    putKey(f, 20, 2.0f, INTERP_LINEAR);
    putKey(f, 0, 0.0f, INTERP_LINEAR);
    putKey(f, 10, 5.0f, INTERP_LINEAR); // overridden by the later key on the same row
    putKey(f, 10, 1.0f, INTERP_LINEAR);
    track.parse(f);
    ASSERT_EQ(track.t->key_count, 3);
    EXPECT_FLOAT_EQ(track.at(5.0), 0.5f);
    EXPECT_FLOAT_EQ(track.at(10.0), 1.0f);
    EXPECT_FLOAT_EQ(track.at(15.0), 1.5f);
    for (double row = -5; row < 30; row += 0.25) EXPECT_TRUE(std::isfinite(track.at(row)));
}

// ---- track sets -----------------------------------------------------------------------------

class TrackSetTest : public testing::Test {
  protected:
    void TearDown() override { trackset_destroy(set); }
    void writeTrack(const std::string& path, float value) {
        std::vector<uint8_t> f = fileWith(1);
        putKey(f, 0, value, INTERP_STEP);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr) << path;
        std::fwrite(f.data(), 1, f.size(), file);
        std::fclose(file);
    }
    TempDir tempDir{"track_test"};
    std::string dir = tempDir.path();
    TrackSet* set = nullptr;
};

TEST_F(TrackSetTest, ReadsOncePerNameFromBackslashPath) {
    writeTrack(dir + "/_cam_x.track", 4.0f);
    set = trackset_create((dir + "\\").c_str());
    KeyTrack* first = trackset_get(set, "cam_x");
    ASSERT_NE(first, nullptr);
    EXPECT_FLOAT_EQ(keytrack_value(first, 0), 4.0f);

    writeTrack(dir + "/_cam_x.track", 9.0f); // not seen: the track is read once
    EXPECT_EQ(trackset_get(set, "cam_x"), first);
    EXPECT_FLOAT_EQ(keytrack_value(first, 0), 4.0f);
    EXPECT_EQ(set->track_count, 1);
    EXPECT_EQ(trackset_find(set, "cam_x"), 0);
    EXPECT_EQ(trackset_find(set, "cam_y"), -1);
}

TEST_F(TrackSetTest, MissingFileIsASilentEmptyTrack) {
    set = trackset_create((dir + "/").c_str());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    KeyTrack* t = trackset_get(set, "nothing_here");
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->key_count, 0);
    EXPECT_FLOAT_EQ(keytrack_value(t, 3.0), 0.0f);
    EXPECT_EQ(keytrack_read(t, (dir + "/_nothing_here.track").c_str()), 1);
}

TEST_F(TrackSetTest, PathsLongerThan260Characters) {
    std::string deep = dir;
    while (deep.size() < 300) {
        deep += "/abcdefghijklmnopqrstuvwxyz0123456789";
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    }
    writeTrack(deep + "/_far.track", 2.5f);
    set = trackset_create((deep + "/").c_str());
    EXPECT_FLOAT_EQ(keytrack_value(trackset_get(set, "far"), 0), 2.5f);
}

// A damaged file is there but wrong: unlike a missing one it is reported, in one line that
// names the file and says what is wrong, when the track is first read (and never again).
TEST_F(TrackSetTest, DamagedFilesAreReportedOnceEach) {
    auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        std::FILE* file = std::fopen((dir + "/_" + name + ".track").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    };
    std::vector<uint8_t> cut = fileWith(3);
    putKey(cut, 0, 1.0f, INTERP_LINEAR);
    putKey(cut, 8, 2.0f, INTERP_LINEAR);
    write("cut", cut);
    write("empty", {});
    write("short", {7, 0});
    std::vector<uint8_t> negative = fileWith(INT32_MIN);
    putKey(negative, 0, 1.0f, INTERP_LINEAR);
    write("negative", negative);
    std::vector<uint8_t> sound = fileWith(1);
    putKey(sound, 0, 1.0f, INTERP_LINEAR);
    sound.push_back(0xff); // bytes after the last key are ignored, as designed
    write("sound", sound);
    ASSERT_EQ(mkdir((dir + "/_folder.track").c_str(), 0755), 0);

    set = trackset_create((dir + "/").c_str());
    testing::internal::CaptureStderr();
    for (int pass = 0; pass < 2; ++pass)
        for (const char* name : {"cut", "empty", "short", "negative", "sound", "folder"})
            trackset_get(set, name);
    const std::string log = testing::internal::GetCapturedStderr();
    const std::string file = "## WARNING: sync track \"" + dir + "/_";
    EXPECT_EQ(log, file + "cut.track\" announces 3 keys but holds only 2; keys used: 2\n" + file +
                       "empty.track\" is empty, without even a key count; keys used: 0\n" + file +
                       "short.track\" is 2 bytes, too short for its key count; keys used: 0\n" +
                       file +
                       "negative.track\" announces -2147483648 keys, a negative count; keys "
                       "used: 0\n" +
                       file + "folder.track\" cannot be read: Is a directory; it reads 0\n");
    EXPECT_EQ(trackset_get(set, "cut")->key_count, 2);
    EXPECT_EQ(trackset_get(set, "sound")->key_count, 1);
}
