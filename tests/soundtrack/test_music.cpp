// The soundtrack as the player hears it: the MP3 that the build makes, decoded by the audio
// layer, its spectrum read as the title scene reads it; and the synthesiser's determinism.
#include "audio_layer.h"
#include "module_input.h"
#include "mp3_fixture.h"
#include "song.h"
#include "sound_module.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const char* const kMusic = DEMO_DATA "/muzak/Kelpmoor - Vantaloid Tides_demoedit02.mp3";
constexpr double kBeatMs = 60000.0 / song::kBpm;

// The title scene's shake input: bins 20..28 of a 4096-bin spectrum over 0.05.
float lowBandAt(cSoundModule_bass& sound, cModuleInput& input, double ms) {
    sound.set_time_ms(int64_t(std::lround(ms)));
    return input.getBandEnergy(20, 28, 0.05f, 4096);
}

double rmsDb(const std::vector<int16_t>& pcm, size_t firstFrame, size_t endFrame) {
    double sum = 0;
    for (size_t i = firstFrame * 2; i < endFrame * 2; ++i) sum += double(pcm[i]) * pcm[i];
    return 10 * std::log10(sum / double((endFrame - firstFrame) * 2) / (32768.0 * 32768.0));
}

} // namespace

TEST(SoundtrackFile, DecodesAsLongStereo44100) {
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    const HSTREAM h = BASS_StreamCreateFile(FALSE, kMusic, 0, 0, BASS_STREAM_PRESCAN);
    ASSERT_NE(h, 0u) << "no music at " << kMusic << ", error " << BASS_ErrorGetCode();
    float rate = 0;
    ASSERT_TRUE(BASS_ChannelGetAttribute(h, BASS_ATTRIB_FREQ, &rate));
    EXPECT_EQ(rate, 44100.0f);
    const QWORD bytes = BASS_ChannelGetLength(h, BASS_POS_BYTE);
    const double seconds = BASS_ChannelBytes2Seconds(h, bytes);
    EXPECT_GE(seconds, 186.0);
    EXPECT_NEAR(seconds, song::kBars * 4 * 60 / song::kBpm, 0.01); // the encoder's padding is gone
    EXPECT_NEAR(double(bytes) / seconds, 44100.0 * 2 * 2, 1.0);    // 16-bit stereo

    // Decoded whole: never at full scale (no clipping), and a mix that sits around -13 dBFS
    // in the full sections, clearly quieter in the break, and fades to silence at the end.
    std::vector<int16_t> pcm(bytes / 2);
    const DWORD chunk = 1 << 20;
    for (QWORD pos = 0; pos < bytes; pos += chunk) {
        ASSERT_TRUE(BASS_ChannelSetPosition(h, pos, BASS_POS_BYTE));
        const DWORD want = DWORD(std::min<QWORD>(chunk, bytes - pos));
        ASSERT_EQ(BASS_ChannelGetData(h, reinterpret_cast<uint8_t*>(pcm.data()) + pos, want), want);
    }
    size_t atFullScale = 0;
    for (int16_t s : pcm) atFullScale += s >= 32767 || s <= -32767;
    EXPECT_EQ(atFullScale, 0u);
    auto bars = [](int from, int to) {
        return std::make_pair(size_t(song::beatFrame(from * 4)), size_t(song::beatFrame(to * 4)));
    };
    const auto [dropA, dropB] = bars(32, 48);
    const auto [breakA, breakB] = bars(48, 56);
    const auto [endA, endB] = bars(115, 116);
    const double drop = rmsDb(pcm, dropA, dropB);
    EXPECT_GT(drop, -18.0);
    EXPECT_LT(drop, -9.0);
    EXPECT_LT(rmsDb(pcm, breakA, breakB), drop - 6.0);
    EXPECT_LT(rmsDb(pcm, endA, endB), -40.0);
    BASS_StreamFree(h);
    BASS_Free();
}

// Across the piece (so the grid has not drifted by bar 106, 175 s in), the low band is up
// shortly after every beat and down again before the next one; in the break it stays down.
TEST(SoundtrackFile, LowBandPulsesOnTheBeats) {
    cSoundModule_bass sound;
    sound.init(nullptr);
    sound.load(kMusic);
    cModuleInput input;
    input.setSound(&sound);
    for (int bar : {2, 12, 20, 36, 60, 76, 92, 106}) {
        for (int beat = 0; beat < 4; ++beat) {
            const double at = (bar * 4 + beat) * kBeatMs;
            const float on = lowBandAt(sound, input, at + 120);
            const float between = lowBandAt(sound, input, at + 330);
            EXPECT_GT(on, 0.08f) << "bar " << bar << " beat " << beat;
            EXPECT_LT(between, on * 0.25f) << "bar " << bar << " beat " << beat;
        }
    }
    for (int beat = 0; beat < 16; ++beat)
        EXPECT_LT(lowBandAt(sound, input, (50 * 4 + beat) * kBeatMs + 120), 0.02f) << beat;
    sound.shutdown();
}

TEST(SoundtrackSynth, SameSourceSameBytes) {
    const std::vector<int16_t> a = song::render(8), b = song::render(8);
    EXPECT_EQ(a, b);
    // A longer render starts with the same samples: nothing depends on where rendering stops.
    const std::vector<int16_t> longer = song::render(12);
    ASSERT_GT(longer.size(), a.size());
    EXPECT_TRUE(std::equal(a.begin(), a.end(), longer.begin()));
    const auto mp3a = encodeMp3(a.data(), int(a.size() / 2), song::kRate, 2);
    const auto mp3b = encodeMp3(b.data(), int(b.size() / 2), song::kRate, 2);
    ASSERT_FALSE(mp3a.empty());
    EXPECT_EQ(mp3a, mp3b);
}

TEST(SoundtrackSynth, BarsLieOnTheTempoGrid) {
    // 145 BPM is not a whole number of frames a beat; the grid must not accumulate rounding.
    EXPECT_EQ(song::beatFrame(0), 0);
    EXPECT_EQ(song::beatFrame(145), 60 * 44100); // one minute
    EXPECT_EQ(song::beatFrame(4 * 116), 192 * 44100);
    EXPECT_EQ(song::beatFrame(1), 18248);
    // The plan: the kick runs through every section but the break and the tail.
    for (int bar = 0; bar < song::kBars; ++bar) {
        const bool inBreak = bar >= 48 && bar < 56, tail = bar >= 112;
        EXPECT_EQ(song::barPlan(bar).kick, !inBreak && !tail) << bar;
    }
}
