// gpu_timer.h - GPU time of stretches of a frame, read a few frames later without waiting.
//
// Timestamp queries (GL 3.3 / ARB_timer_query). The graphics context gives scenes no timer
// queries, and the tools that want them resolve the entry points here themselves through SDL,
// so the player's loader and context are untouched. Each frame gets a slot of a small ring; a
// stretch is two timestamps. A slot is read only once the driver says its last result is
// available, so nothing ever waits for the GPU; when every slot is still busy, the frame goes
// unmeasured rather than stalling. Needs the context current.
#pragma once

#include <cstdint>
#include <vector>

class GpuTimer {
  public:
    // False, and every later call does nothing, when the context has no timer queries.
    bool init();

    // Opens the frame's slot.
    void beginFrame();
    // A stretch labelled `key` (a scene, or null for the whole frame).
    void begin(const void* key);
    void end();
    void endFrame();

    struct Result {
        const void* key;
        double ms;
    };
    // Calls `sink(results)` for every finished frame, oldest first. With `wait` set the frames
    // still running are waited for (the offline profiler, which has nothing else to do).
    template <class Sink> void collect(Sink sink, bool wait = false) {
        while (readOldest(wait)) sink(results_);
    }

  private:
    static constexpr int kSlots = 4;
    static constexpr int kStretches = 32; // per frame; more go unmeasured
    struct Slot {
        bool busy = false;
        int count = 0;
        const void* keys[kStretches];
        uint32_t queries[kStretches * 2];
    };
    // Replaces results_ with the oldest finished frame's stretches.
    bool readOldest(bool wait);

    bool ok_ = false;
    Slot slots_[kSlots];
    int current_ = -1;            // slot of the frame being recorded
    int next_ = 0;                // slot the next frame takes
    int oldest_ = 0;              // slot read next
    int open_ = -1;               // stretch begun, not ended
    std::vector<Result> results_; // kept, so that reading a frame allocates nothing
};
