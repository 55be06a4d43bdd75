// gpu_timer.cpp - see gpu_timer.h.
#include "gpu_timer.h"

#include <SDL.h>
#include <SDL_opengl.h>

namespace {

// Our own pointers, not the graphics context's loader: the player's loader resolves what the
// scenes may use and nothing more.
PFNGLGENQUERIESPROC genQueries = nullptr;
PFNGLQUERYCOUNTERPROC queryCounter = nullptr;
PFNGLGETQUERYOBJECTIVPROC getQueryObjectiv = nullptr;
PFNGLGETQUERYOBJECTUI64VPROC getQueryObjectui64v = nullptr;

template <class T> void resolve(T& pointer, const char* name) {
    pointer = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
}

} // namespace

bool GpuTimer::init() {
    // GLX hands out a pointer for any name: the extension list decides.
    const bool listed = SDL_GL_ExtensionSupported("GL_ARB_timer_query") == SDL_TRUE;
    resolve(genQueries, "glGenQueries");
    resolve(queryCounter, "glQueryCounter");
    resolve(getQueryObjectiv, "glGetQueryObjectiv");
    resolve(getQueryObjectui64v, "glGetQueryObjectui64v");
    ok_ = listed && genQueries && queryCounter && getQueryObjectiv && getQueryObjectui64v;
    if (!ok_) return false;
    for (Slot& slot : slots_) genQueries(kStretches * 2, slot.queries);
    return true;
}

void GpuTimer::beginFrame() {
    current_ = -1;
    open_ = -1;
    if (!ok_ || slots_[next_].busy) return; // every slot still waits for the GPU
    current_ = next_;
    next_ = (next_ + 1) % kSlots;
    Slot& slot = slots_[current_];
    slot.busy = true;
    slot.count = 0;
}

void GpuTimer::begin(const void* key) {
    if (current_ < 0 || open_ >= 0) return;
    Slot& slot = slots_[current_];
    if (slot.count == kStretches) return;
    open_ = slot.count++;
    slot.keys[open_] = key;
    queryCounter(slot.queries[open_ * 2], GL_TIMESTAMP);
}

void GpuTimer::end() {
    if (current_ < 0 || open_ < 0) return;
    queryCounter(slots_[current_].queries[open_ * 2 + 1], GL_TIMESTAMP);
    open_ = -1;
}

void GpuTimer::endFrame() {
    if (current_ >= 0 && open_ >= 0) end();
    current_ = -1;
}

bool GpuTimer::readOldest(bool wait) {
    Slot& slot = slots_[oldest_];
    if (!slot.busy || oldest_ == current_) return false;
    if (slot.count > 0 && !wait) {
        GLint available = 0;
        getQueryObjectiv(slot.queries[slot.count * 2 - 1], GL_QUERY_RESULT_AVAILABLE, &available);
        if (!available) return false;
    }
    results_.clear();
    for (int i = 0; i < slot.count; ++i) {
        GLuint64 from = 0, to = 0;
        getQueryObjectui64v(slot.queries[i * 2], GL_QUERY_RESULT, &from);
        getQueryObjectui64v(slot.queries[i * 2 + 1], GL_QUERY_RESULT, &to);
        results_.push_back({slot.keys[i], to > from ? double(to - from) / 1e6 : 0.0});
    }
    slot.busy = false;
    oldest_ = (oldest_ + 1) % kSlots;
    return true;
}
