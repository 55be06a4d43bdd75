// The sound module over the real audio layer: log lines, length, a clock that follows real
// time, seeking, volume, spectra, and music files that cannot be played.
#include "audio_layer.h"
#include "mp3_fixture.h"
#include "sound_module.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

// A bin's centre frequency for a 2048-point spectrum (1024 bins) at 44100 Hz.
constexpr int kBin = 100;
constexpr double kBinHz = kBin * 44100.0 / 2048.0;

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

double msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// How far the silent clock (the one that runs without music, or after it) strays from real
// time: the smallest of `tries` stretches of `ms` each. That clock reads the monotonic clock, so
// a stretch only goes wrong when this thread is held up, and the best one is held to the full
// tolerance; a clock at the wrong rate or standing still misses on every stretch.
double smallestDriftMs(cSoundModule_bass& sound, int tries, int ms) {
    double best = 1e9;
    for (int i = 0; i < tries && best > 60.0; ++i) {
        const int before = sound.get_time_ms();
        const auto t0 = std::chrono::steady_clock::now();
        sleepMs(ms);
        const int played = sound.get_time_ms() - before;
        best = std::min(best, std::abs(played - msSince(t0)));
    }
    return best;
}

// How far the music clock strays from the output device's own clock (the frames it has taken)
// while it plays: the smallest of `tries` stretches of `ms`. Positions follow what the device
// plays, so this holds on any machine, however late a busy machine runs the silent test
// device; a clock that runs at the wrong rate, stands still or jumps misses on every stretch.
// Each stretch is also checked against real time, loosely: the device must really play.
double smallestDeviceDriftMs(cSoundModule_bass& sound, int tries, int ms) {
    double best = 1e9;
    for (int i = 0; i < tries && best > 30.0; ++i) {
        const int before = sound.get_time_ms();
        const QWORD device0 = audioDeviceFrames();
        const auto t0 = std::chrono::steady_clock::now();
        sleepMs(ms);
        const int played = sound.get_time_ms() - before;
        const double deviceMs = double(audioDeviceFrames() - device0) * 1000.0 / 44100.0;
        const double wall = msSince(t0);
        EXPECT_GE(deviceMs, 0.5 * wall) << "the device hardly plays";
        EXPECT_LE(deviceMs, wall + 50.0) << "the device runs ahead of real time";
        best = std::min(best, std::abs(played - deviceMs));
    }
    return best;
}

struct Captured {
    std::string out, err;
};

template <typename F> Captured capture(F&& f) {
    CaptureStdout();
    CaptureStderr();
    f();
    std::fflush(stdout);
    std::string out = GetCapturedStdout();
    return {out, GetCapturedStderr()};
}

// Each test opens the device through init and closes the audio layer again.
class Sound : public testing::Test {
  protected:
    void SetUp() override {
        dir = tempDir.path();
        const Captured c = capture([&] { sound.init(nullptr); });
        initLog = c.err;
    }
    void TearDown() override { BASS_Free(); }
    std::string fixture(const std::string& name, double seconds, double hz = kBinHz,
                        int rate = 44100, int channels = 2) {
        const std::string path = dir + "/" + name;
        EXPECT_TRUE(writeBytes(path, makeSineMp3(seconds, hz, 0.5f, rate, channels)));
        return path;
    }
    Captured load(const std::string& path) {
        return capture([&] { sound.load(path.c_str()); });
    }

    cSoundModule_bass sound;
    TempDir tempDir{"sound_test"};
    std::string dir, initLog;
};

} // namespace

// ---- free functions -------------------------------------------------------------------------

TEST(SoundErrors, NamesAndUnknownCodes) {
    EXPECT_STREQ(bass_error_name(0), "BASS_OK");
    EXPECT_STREQ(bass_error_name(5), "BASS_ERROR_HANDLE");
    EXPECT_STREQ(bass_error_name(41), "BASS_ERROR_FILEFORM");
    EXPECT_STREQ(bass_error_name(46), "BASS_ERROR_BUSY");
    for (int code : {10, 26, 47, -1, 1000})
        EXPECT_STREQ(bass_error_name(code), "BASS_ERROR_UNKNOWN");
}

TEST(SoundErrors, CheckErrorReportsOnlyFailures) {
    BASS_ChannelGetLength(4242, BASS_POS_BYTE); // no such stream
    EXPECT_EQ(capture([] { bass_check_error(""); }).err,
              "# ERROR: whoops, bass failed . Errorcode: 5 BASS_ERROR_HANDLE\n");
    BASS_SetConfig(BASS_CONFIG_UPDATEPERIOD, 15);
    EXPECT_EQ(capture([] { bass_check_error(""); }).err, "");
}

TEST(SoundErrors, FatalEndsWithZeroAfterItsLine) {
    EXPECT_EXIT(bass_fatal("boom"), testing::ExitedWithCode(0),
                "## ERROR: bass: Error\\([0-9]+\\): boom");
}

TEST(SoundErrors, NoAudioDeviceIsFatal) {
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            cSoundModule_bass s;
            s.init(nullptr);
        },
        testing::ExitedWithCode(0), "## ERROR: bass: Error\\(3\\): Can't initialize device");
}

TEST(SoundErrors, FftFlagsPerCount) {
    EXPECT_EQ(bass_fft_flags(4096, true), 0xC0000005u);
    EXPECT_EQ(bass_fft_flags(4096, false), 0xC0000025u);
    EXPECT_EQ(bass_fft_flags(128, true), 0xC0000000u);
    EXPECT_EQ(bass_fft_flags(8192, false), 0xC0000026u);
    for (int count : {100, 16384, 64, 0, -128, 129}) EXPECT_EQ(bass_fft_flags(count, true), 0u);
}

// ---- loading --------------------------------------------------------------------------------

TEST_F(Sound, InitReportsLatency) {
    EXPECT_GE(sound.latency_ms, 0);
    EXPECT_EQ(initLog, "# info: bass latency: " + std::to_string(sound.latency_ms) + "ms\n");
    EXPECT_EQ(sound.get_latency(), sound.latency_ms);
}

TEST_F(Sound, LoadReportsSizeAndLength) {
    const std::string path = fixture("a.mp3", 3.5);
    const Captured c = load(path);
    ASSERT_NE(sound.stream, 0u);
    EXPECT_EQ(c.err, "");
    EXPECT_EQ(c.out, "# bass streaming file \"" + path + "\" [size: " +
                         std::to_string(sound.length_bytes) + " bytes]# [length: 0m3s]\n");
    EXPECT_EQ(sound.length_seconds, 3);
    // 16-bit stereo; the encoder's delay and padding are removed by the decoder.
    EXPECT_NEAR(double(sound.length_bytes), 3.5 * 44100 * 4, 1152 * 4);
    EXPECT_EQ(sound.length_bytes % 4, 0u);
}

TEST_F(Sound, MinutesAndSecondsOfALongFile) {
    // 8 kHz mono keeps a 200 s fixture quick to encode; bytes follow the file's format.
    const Captured c = load(fixture("long.mp3", 200.0, 440.0, 8000, 1));
    EXPECT_NE(c.out.find("# [length: 3m20s]\n"), std::string::npos) << c.out;
    EXPECT_EQ(sound.length_seconds, 200);
    EXPECT_NEAR(double(sound.length_bytes), 200.0 * 8000 * 2, 1152 * 2);
}

struct BadFile {
    const char* name;
    const char* content; // null: the file does not exist; "/": a directory of that name
    const char* cause;   // the reason given before the designed lines, or null for none
};

class SoundBadFile : public Sound, public testing::WithParamInterface<BadFile> {};

TEST_P(SoundBadFile, ReportedAndTheClockStillRuns) {
    const std::string path = dir + "/" + GetParam().name;
    const char* content = GetParam().content;
    if (content && std::string(content) == "/") {
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    } else if (content) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs(content, f);
        std::fclose(f);
    }
    const Captured c = load(path);
    EXPECT_EQ(sound.stream, 0u);
    EXPECT_EQ(sound.length_seconds, -1);
    const std::string cause = GetParam().cause
                                  ? "## ERROR: cSoundModule_bass::load cannot read \"" + path +
                                        "\": " + GetParam().cause + "\n"
                                  : "";
    EXPECT_EQ(c.err, cause +
                         "# ERROR: whoops, bass failed . Errorcode: 41 BASS_ERROR_FILEFORM\n"
                         "# bass didn't recognize the filetype: \"" +
                         path + "\"\n");
    EXPECT_EQ(c.out, "\n# note: no music, the demo clock runs in real time in silence\n");

    // Silent but in real time, so a demo that ends at a fixed time still ends.
    EXPECT_EQ(sound.get_time_ms(), 0);
    const auto t0 = std::chrono::steady_clock::now();
    sound.start();
    sleepMs(300);
    const int t = sound.get_time_ms();
    EXPECT_GE(t, 290);
    EXPECT_LE(t, msSince(t0) + 2); // never ahead of real time, however late this thread woke
    sound.pause();
    const int paused = sound.get_time_ms();
    sleepMs(100);
    EXPECT_EQ(sound.get_time_ms(), paused);
    EXPECT_FALSE(sound.is_playing());
    float buffer[1024] = {3.0f};
    int32_t count = 1024;
    EXPECT_EQ(sound.get_fft(buffer, count, true), -1);
    EXPECT_EQ(buffer[0], 3.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SoundBadFile,
    testing::Values(BadFile{"missing.mp3", nullptr, "No such file or directory"},
                    BadFile{"empty.mp3", "", "the file is empty"},
                    BadFile{"dir.mp3", "/", "it is a directory"},
                    BadFile{"text.mp3", "this is not music at all\n", nullptr}),
    [](const auto& info) {
        const std::string name = info.param.name;
        return name.substr(0, name.find('.'));
    });

TEST_F(Sound, LoadingAgainReplacesTheStream) {
    load(fixture("a.mp3", 1.0));
    const uint32_t first = sound.stream;
    load(fixture("b.mp3", 2.5));
    EXPECT_NE(sound.stream, first);
    EXPECT_EQ(BASS_ChannelIsActive(first), BASS_ACTIVE_STOPPED);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE); // freed, not left playing
    EXPECT_EQ(sound.length_seconds, 2);
}

// ---- the clock ------------------------------------------------------------------------------

class SoundRate : public Sound, public testing::WithParamInterface<int> {};

TEST_P(SoundRate, PositionFollowsRealTimeOnceStarted) {
    load(fixture("a.mp3", 3.5, 440.0, GetParam(), 2));
    sleepMs(200);
    EXPECT_LE(sound.get_time_ms(), 25); // output paused after load: at most one buffer
    EXPECT_FALSE(sound.is_playing());

    sound.start();
    EXPECT_TRUE(sound.is_playing());
    EXPECT_LE(smallestDeviceDriftMs(sound, 3, 1000), 30.0); // one device buffer is 23 ms
}

INSTANTIATE_TEST_SUITE_P(Rates, SoundRate, testing::Values(44100, 22050));

TEST_F(Sound, PauseHoldsTheClockAndStartResumes) {
    load(fixture("a.mp3", 3.5));
    sound.start();
    sleepMs(300);
    sound.pause();
    sleepMs(50); // the buffer already handed over plays out
    const int held = sound.get_time_ms();
    sleepMs(300);
    EXPECT_EQ(sound.get_time_ms(), held);

    // It resumes where it stopped: right after start it has moved at most as long as start took.
    const auto t0 = std::chrono::steady_clock::now();
    sound.start();
    const int resumed = sound.get_time_ms();
    EXPECT_GE(resumed, held);
    EXPECT_LE(resumed, held + 2 + msSince(t0));
    EXPECT_LE(smallestDeviceDriftMs(sound, 3, 300), 30.0);
}

TEST_F(Sound, SeekingPastTheEndLandsOnTheLastByte) {
    load(fixture("a.mp3", 2.0));
    sound.set_time_ms(10'000'000);
    const QWORD last = sound.length_bytes - 4; // the frame that holds the last byte
    EXPECT_EQ(BASS_ChannelGetPosition(sound.stream, BASS_POS_BYTE), last);
    EXPECT_EQ(sound.get_time_ms(), int(last / 4 * 1000 / 44100));

    sound.set_time_ms(1250);
    EXPECT_EQ(sound.get_time_ms(), 1250);
    sound.set_time_ms(-500);
    EXPECT_EQ(sound.get_time_ms(), 0);
}

TEST_F(Sound, TimeGoesOnAfterTheMusicEnds) {
    load(fixture("short.mp3", 0.4));
    const auto t0 = std::chrono::steady_clock::now();
    sound.start();
    sleepMs(900);
    const int t = sound.get_time_ms();
    EXPECT_GE(t, 400); // past the end of the music
    EXPECT_LE(t, msSince(t0) + 2);
    EXPECT_FALSE(sound.is_playing());
    // From here on the clock is real time alone.
    EXPECT_LE(smallestDriftMs(sound, 3, 300), 60.0);
}

TEST_F(Sound, VolumeIsTheValueOver255) {
    load(fixture("a.mp3", 1.0));
    float v = -1;
    for (int volume : {0, 128, 255}) {
        sound.set_volume(volume);
        ASSERT_TRUE(BASS_ChannelGetAttribute(sound.stream, BASS_ATTRIB_VOL, &v));
        EXPECT_FLOAT_EQ(v, float(volume / 255.0));
    }
}

TEST_F(Sound, ShutdownSlidesThenFreesTheLibrary) {
    // 300 ms tape stop, then a 200 ms fade: never shorter, and on one of a few tries (a loaded
    // machine may hold this thread up once) not much longer.
    const std::string music = fixture("a.mp3", 3.0);
    double fastest = 1e9;
    for (int i = 0; i < 3 && fastest >= 800; ++i) {
        if (i > 0) sound.init(nullptr);
        load(music);
        sound.start();
        const auto t0 = std::chrono::steady_clock::now();
        sound.shutdown();
        const double ms = msSince(t0);
        EXPECT_GE(ms, 490);
        fastest = std::min(fastest, ms);
    }
    EXPECT_LT(fastest, 800);
    BASS_INFO info;
    EXPECT_FALSE(BASS_GetInfo(&info));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

// ---- spectrum -------------------------------------------------------------------------------

TEST_F(Sound, SpectrumOfASinePeaksInItsBin) {
    load(fixture("sine.mp3", 2.0));
    sound.set_time_ms(1000); // paused: the spectrum is of a fixed position
    for (bool windowed : {true, false}) {
        float bins[1024];
        int32_t count = 1024;
        EXPECT_EQ(sound.get_fft(bins, count, windowed), int32_t(1024 * sizeof(float)));
        const int peak = int(std::max_element(bins, bins + 1024) - bins);
        EXPECT_EQ(peak, kBin) << "windowed " << windowed;
        EXPECT_NEAR(bins[kBin], 0.5f, 0.05f) << "windowed " << windowed; // amplitude 0.5
        EXPECT_LT(bins[3 * kBin], 0.01f);
    }
}

TEST_F(Sound, RefusedCountLeavesTheBufferAsItWas) {
    load(fixture("sine.mp3", 1.0));
    for (int32_t count : {100, 16384}) {
        float buffer[16384];
        std::fill(buffer, buffer + 16384, 7.0f);
        int32_t result = 0;
        const Captured c = capture([&] { result = sound.get_fft(buffer, count, true); });
        EXPECT_EQ(c.err, "## ERROR: fft-window must be 2^n\n");
        EXPECT_EQ(result, -1);
        EXPECT_TRUE(std::all_of(buffer, buffer + 16384, [](float v) { return v == 7.0f; }));
    }
}
