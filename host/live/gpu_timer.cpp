// gpu_timer.cpp - see gpu_timer.h.
#include "gpu_timer.h"

#include <SDL.h>
#include <SDL_opengl.h>

namespace {

using GenQueries = void(APIENTRY*)(GLsizei, GLuint*);
using QueryCounter = void(APIENTRY*)(GLuint, GLenum);
using GetQueryObjectiv = void(APIENTRY*)(GLuint, GLenum, GLint*);
using GetQueryObjectui64v = void(APIENTRY*)(GLuint, GLenum, GLuint64*);

GenQueries genQueries = nullptr;
QueryCounter queryCounter = nullptr;
GetQueryObjectiv getQueryObjectiv = nullptr;
GetQueryObjectui64v getQueryObjectui64v = nullptr;

constexpr GLenum kTimestamp = 0x8E28;
constexpr GLenum kQueryResult = 0x8866;
constexpr GLenum kQueryResultAvailable = 0x8867;

} // namespace

bool GpuTimer::init() {
    const bool core = SDL_GL_ExtensionSupported("GL_ARB_timer_query") == SDL_TRUE;
    genQueries = reinterpret_cast<GenQueries>(SDL_GL_GetProcAddress("glGenQueries"));
    queryCounter = reinterpret_cast<QueryCounter>(SDL_GL_GetProcAddress("glQueryCounter"));
    getQueryObjectiv =
        reinterpret_cast<GetQueryObjectiv>(SDL_GL_GetProcAddress("glGetQueryObjectiv"));
    getQueryObjectui64v =
        reinterpret_cast<GetQueryObjectui64v>(SDL_GL_GetProcAddress("glGetQueryObjectui64v"));
    ok_ = core && genQueries && queryCounter && getQueryObjectiv && getQueryObjectui64v;
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
    queryCounter(slot.queries[open_ * 2], kTimestamp);
}

void GpuTimer::end() {
    if (current_ < 0 || open_ < 0) return;
    queryCounter(slots_[current_].queries[open_ * 2 + 1], kTimestamp);
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
        getQueryObjectiv(slot.queries[slot.count * 2 - 1], kQueryResultAvailable, &available);
        if (!available) return false;
    }
    results_.clear();
    for (int i = 0; i < slot.count; ++i) {
        GLuint64 from = 0, to = 0;
        getQueryObjectui64v(slot.queries[i * 2], kQueryResult, &from);
        getQueryObjectui64v(slot.queries[i * 2 + 1], kQueryResult, &to);
        results_.push_back({slot.keys[i], to > from ? double(to - from) / 1e6 : 0.0});
    }
    slot.busy = false;
    oldest_ = (oldest_ + 1) % kSlots;
    return true;
}
