// sync_midi.h - the MIDI controller source: 256 controller bytes, all 0 until set.
//
// The host makes one and hands it to scenes as iMidi. Nothing in the demo feeds it; setValue
// is there for a controller input (and tests).
#pragma once

#include "imidi.h"

class cSyncMidi final : public iMidi {
  public:
    void init() {}
    void setValue(uint8_t controller, uint8_t value) { controllers_[controller] = value; }
    float getValue(uint8_t controller) override { return controllers_[controller] / 127.0f; }

  private:
    uint8_t controllers_[256] = {};
};
