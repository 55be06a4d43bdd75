// gpu_fence.cpp - see gpu_fence.h.
#include "gpu_fence.h"

#include <SDL.h>
#include <SDL_opengl.h>

static PFNGLFENCESYNCPROC pFenceSync;
static PFNGLWAITSYNCPROC pWaitSync;
static PFNGLCLIENTWAITSYNCPROC pClientWaitSync;
static PFNGLDELETESYNCPROC pDeleteSync;
static PFNGLGETINTEGER64VPROC pGetInteger64v;

template <typename T> static T lookup(const char* name) {
    return reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
}

bool gpuFenceInit() {
    pFenceSync = lookup<PFNGLFENCESYNCPROC>("glFenceSync");
    pWaitSync = lookup<PFNGLWAITSYNCPROC>("glWaitSync");
    pClientWaitSync = lookup<PFNGLCLIENTWAITSYNCPROC>("glClientWaitSync");
    pDeleteSync = lookup<PFNGLDELETESYNCPROC>("glDeleteSync");
    pGetInteger64v = lookup<PFNGLGETINTEGER64VPROC>("glGetInteger64v");
    return pFenceSync && pWaitSync && pClientWaitSync && pDeleteSync && pGetInteger64v;
}

void gpuFenceWait() {
    if (!(pFenceSync && pWaitSync && pClientWaitSync && pDeleteSync && pGetInteger64v)) return;
    GLsync fence = pFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    GLint64 timeout = 0;
    pGetInteger64v(GL_MAX_SERVER_WAIT_TIMEOUT, &timeout);
    // Flush with the wait: without it a driver may keep the fence queued and the wait would
    // only end at the timeout.
    pClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, static_cast<GLuint64>(timeout));
    pDeleteSync(fence);
}
