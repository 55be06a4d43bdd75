// gpu_fence.cpp - see gpu_fence.h.
#include "gpu_fence.h"

#include "gl_loader.h"

void gpuFenceWait() {
    if (!glFenceSync || !glWaitSync || !glClientWaitSync || !glGetInteger64v || !glDeleteSync)
        return;
    GLsync fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    GLint64 timeout = 0;
    glGetInteger64v(GL_MAX_SERVER_WAIT_TIMEOUT, &timeout);
    // Flush with the wait: without it a driver may keep the fence queued and the wait would
    // only end at the timeout.
    glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, static_cast<GLuint64>(timeout));
    glDeleteSync(fence);
}
