// The module input: the slot order plug-ins are built against, the services it hands out,
// the music time, and band energies of a real spectrum (a sine in one bin).
#include "audio_layer.h"
#include "imidi.h"
#include "isync.h"
#include "module_input.h"
#include "mp3_fixture.h"
#include "sound_module.h"
#include "sync_midi.h"
#include "sync_rocket.h"

#include <gtest/gtest.h>

#include "slot_of.h"
#include "temp_dir.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kBin = 100; // of 1024: a sine at its centre frequency lands in it alone

} // namespace

TEST(ModuleContracts, SlotOrder) {
    using M = iModuleInput;
    EXPECT_EQ(slotOf(&M::getGfx), 0);
    EXPECT_EQ(slotOf(&M::getSync), 1);
    EXPECT_EQ(slotOf(&M::getMidi), 2);
    EXPECT_EQ(slotOf(&M::getTimeMs), 3);
    EXPECT_EQ(slotOf(&M::getTimeSeconds), 4);
    EXPECT_EQ(slotOf(&M::getBandEnergy), 5);
    EXPECT_EQ(slotOf(&M::getFft), 6);
    EXPECT_EQ(sizeof(iModuleInput), sizeof(void*)); // no data: only the table pointer
    EXPECT_EQ(slotOf(&iSync::getValue), 0);
    EXPECT_EQ(slotOf(&iMidi::getValue), 0);
}

TEST(ModuleInput, HandsOutTheSameServicesEveryTime) {
    cModuleInput input;
    cSyncRocket sync;
    cSyncMidi midi;
    auto* gfx = reinterpret_cast<igfxContext*>(&sync); // only compared, never called
    input.setGfx(gfx);
    input.setSync(&sync);
    input.setMidi(&midi);
    iModuleInput& scene = input;
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(scene.getGfx(), gfx);
        EXPECT_EQ(scene.getSync(), &sync);
        EXPECT_EQ(scene.getMidi(), &midi);
    }
    EXPECT_EQ(scene.getTimeMs(), 0); // no sound module yet
}

class ModuleInputSound : public testing::Test {
  protected:
    void SetUp() override {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        path = tempDir.file("sine.mp3");
        ASSERT_TRUE(writeBytes(path, makeSineMp3(3.0, kBin * 44100.0 / 2048.0, 0.5f)));
        sound.init(nullptr);
        sound.load(path.c_str());
        sound.set_time_ms(1000); // paused: a fixed spectrum
        std::fflush(stdout);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        input.setSound(&sound);
    }
    void TearDown() override { BASS_Free(); }
    TempDir tempDir{"module_input"};
    std::string path;
    cSoundModule_bass sound;
    cModuleInput input;
};

TEST_F(ModuleInputSound, MusicTime) {
    sound.set_time_ms(2500);
    EXPECT_EQ(input.getTimeMs(), 2500);
    EXPECT_FLOAT_EQ(input.getTimeSeconds(), 2.5f);
}

TEST_F(ModuleInputSound, BandEnergy) {
    float bins[1024];
    int32_t count = 1024;
    ASSERT_GT(input.getFft(bins, count, false), 0);
    const float peak = bins[kBin];
    EXPECT_NEAR(peak, 0.5f, 0.05f);

    EXPECT_NEAR(input.getBandEnergy(kBin, kBin, 0.0f, 1024), peak, 1e-6);
    EXPECT_NEAR(input.getBandEnergy(kBin - 2, kBin + 2, 0.0f, 1024), peak, 0.02);
    EXPECT_EQ(input.getBandEnergy(kBin, kBin, 0.6f, 1024), 0.0f);   // all below threshold
    EXPECT_FLOAT_EQ(input.getBandEnergy(0, 15, -1.0f, 1024), 4.0f); // 16 bins of 1: sqrt 16
    EXPECT_EQ(input.getBandEnergy(10, 9, -1.0f, 1024), 0.0f);       // empty band
    // Bins outside the spectrum are not summed: the band is clipped to 0..count-1.
    EXPECT_FLOAT_EQ(input.getBandEnergy(-50, 100000, -1.0f, 1024), 32.0f);
    EXPECT_FLOAT_EQ(input.getBandEnergy(-50, 100000, -1.0f, 128), std::sqrt(128.0f));
}

TEST_F(ModuleInputSound, RefusedCountOnFirstUseReadsAClearedBuffer) {
    testing::internal::CaptureStderr();
    const float e = input.getBandEnergy(0, 99, -0.5f, 100); // 100 is not a power of two
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "## ERROR: fft-window must be 2^n\n");
    EXPECT_FLOAT_EQ(e, std::sqrt(100 * 0.25f)); // 100 cleared bins, each 0.5 over threshold
}
