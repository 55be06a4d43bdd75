// imodule_input.h - everything a scene gets from the host, through one object.
//
// The host makes one module input at start-up and passes it to every scene's initialise and
// render. Through it a scene reaches the graphics context, the sync source, the MIDI source,
// the music time and the music spectrum. Plug-ins are built separately and call it through
// its table of virtual operations: the order of the operations and their arguments are a
// binary contract (a test pins the slots); never reorder, insert or remove. The objects it
// hands out belong to the host and live for the whole run; scenes never destroy them.
#pragma once

#include <cstdint>

class igfxContext;
class iSync;
class iMidi;

class iModuleInput {
  public:
    // clang-format off
    virtual igfxContext* getGfx() = 0;                                              // slot 0
    virtual iSync* getSync() = 0;                                                   // 1
    virtual iMidi* getMidi() = 0;                                                   // 2
    virtual int64_t getTimeMs() = 0;          /* music position, not a wall clock      3 */
    virtual float getTimeSeconds() = 0;                                             // 4
    // Energy of spectrum bins first..last (both included) of a `count`-bin spectrum: the
    // square root of the sum of (bin - threshold)^2, each term clamped to 0..1. count must be
    // a power of two 128..8192; bins outside 0..count-1 are not summed.
    virtual float getBandEnergy(int32_t first, int32_t last, float threshold,
                                int32_t count) = 0;                                 // 5
    // `count` magnitudes into `buffer`; see cSoundModule_bass::get_fft.
    virtual int32_t getFft(float* buffer, int32_t& count, bool windowed) = 0;       // 6
    virtual ~iModuleInput() {}                                                      // 7
    // clang-format on
};
