// render_state_cache.h - the graphics context's lazy cache of the render state word.
//
// The requested word (render_state.h) is what callers edit; the applied word mirrors GL. Only
// the graphics context owns a cache, so this stays inside gfx/.
#pragma once

#include "render_state.h"

#include <cstdint>
#include <vector>

// The applied word mirrors GL; the requested word is what callers edit.
struct RenderStateCache {
    uint64_t applied = 0;
    uint64_t requested = 0;
    std::vector<uint64_t> stack;

    // Sends the changed fields of `requested` to GL, in a fixed order, then applied = requested.
    void apply();
    void push() { stack.push_back(requested); }
    // Takes effect at the next apply. An unmatched pop keeps the requested word.
    void pop();
    // The default word, pushed to GL in full (applied starts as its complement).
    void reset();
};
