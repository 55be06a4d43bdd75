// slot_probe.h - what the slot-probe plug-in (test_slot_probe.cpp) hands back to its test.
//
// Shared by a test and a plug-in built separately from it: plain data only.
#pragma once

#include <cstdint>

class iModuleInput;

// What each call through the host's objects returned, as the plug-in saw it.
struct SlotProbeResults {
    void* gfx;         // iModuleInput slot 0
    void* sync;        // 1
    void* midi;        // 2
    int64_t timeMs;    // 3
    float timeSeconds; // 4
    float bandEnergy;  // 5
    int32_t fftResult; // 6
    int32_t fftCount;  // 6, the count it passed back by reference
    float fftFirst;    // 6, the first value it wrote
    float syncValue;   // iSync slot 0
    float midiValue;   // iMidi slot 0
};

// The arguments the probe passes, so the test can check they arrived unchanged.
constexpr int32_t kProbeBandFirst = 3;
constexpr int32_t kProbeBandLast = 9;
constexpr float kProbeThreshold = 0.125f;
constexpr int32_t kProbeBandCount = 512;
constexpr int32_t kProbeFftCount = 1024;
constexpr const char* kProbeTrack = "probe";
constexpr uint8_t kProbeController = 42;

extern "C" {
// Calls every slot of the module input in slot order, then the sync source's and the MIDI
// source's, and writes what came back.
typedef void (*ProbeHostSlotsFn)(iModuleInput* input, SlotProbeResults* out);
// The scene operations that ran so far, in order, each followed by a blank.
typedef const char* (*SceneJournalFn)();
// The module input the scene was last given.
typedef iModuleInput* (*LastSceneInputFn)();
}
