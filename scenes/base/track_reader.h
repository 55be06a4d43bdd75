// track_reader.h - sync track values for a scene, by name.
//
//     const TrackReader track(input);
//     const float vofs = track("mch_vofs");
//
// Each read takes the music time from the module input at that moment and asks the sync
// source for the track's value then, so a read late in a frame sees the music where it is
// now, as the host's own reads do. A pass that must see one instant for all its inputs takes
// the time once and reads with track(name, timeMs). The reader holds only the module input;
// make one where it is needed.
#pragma once

#include <cstdint>

class iModuleInput;

class TrackReader {
  public:
    explicit TrackReader(iModuleInput* input) : input_(input) {}

    // The value of track `name` at the current music time.
    float operator()(const char* name) const;
    // The value of track `name` at `timeMs`.
    float operator()(const char* name, int64_t timeMs) const;

  private:
    iModuleInput* input_;
};
