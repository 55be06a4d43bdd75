// imidi.h - the MIDI controller source as scenes see it: controller values 0..127 as floats.
//
// The host owns the one implementation (cSyncMidi) and hands it to scenes through the module
// input. A binary contract with plug-ins, like isync.h. Scenes never destroy it.
#pragma once

#include <cstdint>

class iMidi {
  public:
    // The controller's value / 127: 1.0 at 127.
    virtual float getValue(uint8_t controller) = 0; // slot 0

  protected:
    ~iMidi() = default; // not deleted through the interface
};
