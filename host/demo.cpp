// demo.cpp - see demo.h.
#include "demo.h"

#include "clock.h"
#include "gfx_context.h"
#include "gpu_fence.h"
#include "window.h"
#include "window_proc.h"

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
gfxContext* g_gfx = nullptr; // made once the window exists; never destroyed
KeySettings g_keys;
MusicClock g_music;

// Quitting skips the rest of the frame and all clean-up; the logs are already on disk.
void hostWindowProc(const SDL_Event& event) {
    if (windowProc(event, g_keys) == WindowAction::Quit) std::exit(0);
}

// The frame's one clear; the visible scenes draw over it.
void clearFrame() {
    g_gfx->setClearDepth(1.0f);
    g_gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    g_gfx->clear(3);
}

} // namespace

void demoInitialise() {
    setWindowProc(hostWindowProc);
    const WindowDesc desc = {kScreenWidth,        kScreenHeight,
                             kScreenWidth,        kScreenHeight,
                             /*fullScreen*/ true, /*useWindowHeight*/ false,
                             /*show*/ true};
    g_window.openWindow(desc);

    g_gfx = new gfxContext();
    g_gfx->init(&g_window);
    g_gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    g_gfx->clear(3);
}

void demoMainLoop() {
    g_music.start();
    for (;;) {
        g_window.pumpMessages();
        g_gfx->frameCounter =
            static_cast<int32_t>(advanceFrameCounter(static_cast<uint32_t>(g_gfx->frameCounter)));
        clearFrame();
        gpuFenceWait();
        g_window.swapBuffers();
        if (g_music.get_time_ms() > kDemoEndMs) break;
    }
    std::fputs("out of demo...\n", stderr);
}
