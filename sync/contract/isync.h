// isync.h - the sync source as scenes see it: the value of a named track at a music time.
//
// The host owns the one implementation (cSyncRocket) and hands it to scenes through the
// module input. Plug-ins are built separately and call it through its table of virtual
// operations, so this one operation and its arguments are a binary contract. Scenes never
// destroy it.
#pragma once

#include <cstdint>

class iSync {
  public:
    // `name`: the track; `timeMs`: address of the music time in milliseconds.
    virtual float getValue(const char* name, const int64_t* timeMs) = 0; // slot 0

  protected:
    ~iSync() = default; // not deleted through the interface
};
