// demo.cpp - see demo.h.
#include "demo.h"

#include "clock.h"
#include "gpu_fence.h"
#include "window.h"
#include "window_proc.h"

#include <SDL_opengl.h>
#include <cstdio>
#include <cstdlib>

namespace {

// The demo clock. The music position drives everything; until the sound module plays the
// music, the monotonic clock since start() stands in for it, with the same two operations.
struct MusicClock {
    int64_t startedAt = 0;
    void start() { startedAt = tick_count_ms(); }
    int64_t get_time_ms() const { return tick_count_ms() - startedAt; }
};

cGLWindow g_window;
KeySettings g_keys;
MusicClock g_music;
uint32_t g_frameCounter = 0;

// Quitting skips the rest of the frame and all clean-up; the logs are already on disk.
void hostWindowProc(const SDL_Event& event) {
    if (windowProc(event, g_keys) == WindowAction::Quit) std::exit(0);
}

void clearFrame() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

} // namespace

void demoInitialise() {
    setWindowProc(hostWindowProc);
    const WindowDesc desc = {kScreenWidth,        kScreenHeight,
                             kScreenWidth,        kScreenHeight,
                             /*fullScreen*/ true, /*useWindowHeight*/ false,
                             /*show*/ true};
    g_window.openWindow(desc);
    gpuFenceInit();
    clearFrame();
}

void demoMainLoop() {
    g_music.start();
    for (;;) {
        g_window.pumpMessages();
        g_frameCounter = advanceFrameCounter(g_frameCounter);
        clearFrame(); // the frame's one clear; the visible scenes draw over it
        gpuFenceWait();
        g_window.swapBuffers();
        if (g_music.get_time_ms() > kDemoEndMs) break;
    }
    std::fputs("out of demo...\n", stderr);
}
