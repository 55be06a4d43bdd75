// module_input.h - the host's module input: hands its services to scenes (imodule_input.h).
//
// The host makes one, stores the graphics context, the sync source, the MIDI source and the
// sound module into it in that order before any scene exists, and never destroys it. It owns
// only its spectrum buffer (16384 floats, made and cleared on the first getBandEnergy).
#pragma once

#include "imodule_input.h"

class cSoundModule_bass;

class cModuleInput final : public iModuleInput {
  public:
    static constexpr int32_t kSpectrumSize = 16384;

    cModuleInput() = default;
    cModuleInput(const cModuleInput&) = delete;
    cModuleInput& operator=(const cModuleInput&) = delete;
    ~cModuleInput() override;

    void setGfx(igfxContext* gfx) { gfx_ = gfx; }
    void setSync(iSync* sync) { sync_ = sync; }
    void setMidi(iMidi* midi) { midi_ = midi; }
    void setSound(cSoundModule_bass* sound) { sound_ = sound; }
    // The offline renderer's clock: from now on the music time reads `ms`, whatever the sound
    // module's clock says. The player never sets it.
    void setFixedTimeMs(int64_t ms) {
        fixedTimeMs_ = ms;
        fixed_ = true;
    }

    igfxContext* getGfx() override { return gfx_; }
    iSync* getSync() override { return sync_; }
    iMidi* getMidi() override { return midi_; }
    int64_t getTimeMs() override;
    float getTimeSeconds() override;
    float getBandEnergy(int32_t first, int32_t last, float threshold, int32_t count) override;
    int32_t getFft(float* buffer, int32_t& count, bool windowed) override;

  private:
    igfxContext* gfx_ = nullptr;
    iSync* sync_ = nullptr;
    iMidi* midi_ = nullptr;
    cSoundModule_bass* sound_ = nullptr;
    float* spectrum_ = nullptr;
    int64_t fixedTimeMs_ = 0;
    bool fixed_ = false;
};
