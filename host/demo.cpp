// demo.cpp - see demo.h.
#include "demo.h"

#include "gfx_context.h"
#include "gpu_fence.h"
#include "loading_screen.h"
#include "module_input.h"
#include "sound_module.h"
#include "sync_midi.h"
#include "sync_rocket.h"
#include "window.h"
#include "window_proc.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kMusicFile = "data/muzak/Kelpmoor - Vantaloid Tides_demoedit02.mp3";
constexpr const char* kSyncPath = "data\\sync\\";

// The host's objects, made once in the order of the initialisation steps, never destroyed.
cGLWindow g_window;
gfxContext* g_gfx = nullptr;
cSoundModule_bass* g_sound = nullptr;
cSyncRocket* g_sync = nullptr;
cSyncMidi* g_midi = nullptr;
cModuleInput* g_input = nullptr;
KeySettings g_keys;

// Quitting skips the rest of the frame and all clean-up; the logs are already on disk.
void hostWindowProc(const SDL_Event& event) {
    if (windowProc(event, g_keys) == WindowAction::Quit) std::exit(0);
}

// The mute key's volume: 0 muted, 255 not.
void setMusicVolume(int volume) {
    if (g_sound) g_sound->set_volume(volume);
}

// The frame's one clear; the visible scenes draw over it.
void clearFrame() {
    g_gfx->setClearDepth(1.0f);
    g_gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    g_gfx->clear(3);
}

// ---- initialisation steps -------------------------------------------------------------------

// Ends the process with exit code 1 when the window or its context cannot be had.
void openMainWindow() {
    setWindowProc(hostWindowProc);
    g_keys.setVolume = setMusicVolume;
    const WindowDesc desc = {kScreenWidth,        kScreenHeight,
                             kScreenWidth,        kScreenHeight,
                             /*fullScreen*/ true, /*useWindowHeight*/ false,
                             /*show*/ true};
    g_window.openWindow(desc);
}

void makeGraphicsContext() {
    g_gfx = new gfxContext();
    g_gfx->init(&g_window);
    g_gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    g_gfx->clear(3);
}

// Afterwards the music stream exists but the output is paused until the main loop starts it.
// Without a usable music file the clock runs silently (sound_module.h).
void loadMusic() {
    g_sound = new cSoundModule_bass();
    g_sound->init(&g_window);
    g_sound->load(kMusicFile);
}

// A false init has already said "failed creating rocket"; tracks then read 0.
void makeSyncSource() {
    g_sync = new cSyncRocket();
    g_sync->init(kSyncPath, g_sound);
}

void makeMidiSource() {
    g_midi = new cSyncMidi();
    g_midi->init();
}

void makeModuleInput() {
    g_input = new cModuleInput();
    g_input->setGfx(g_gfx);
    g_input->setSync(g_sync);
    g_input->setMidi(g_midi);
    g_input->setSound(g_sound);
}

} // namespace

void demoInitialise() {
    openMainWindow();                        // 1. window and OpenGL context
    makeGraphicsContext();                   // 2. graphics context, first clear
    showFirstLoadingFrame(g_gfx, &g_window); // 3. the loading screen, at once
    loadMusic();                             // 4. sound: device, music stream, output paused
    makeSyncSource();                        // 5. sync tracks from data/sync/
    makeMidiSource();                        // 6. MIDI controllers
    makeModuleInput();                       // 7. what scenes are given, filled in this order
    const int sceneCount = 0;                // 8-9. plug-ins and their scenes (to come)
    const LoadingRange last = finalLoadingRange(sceneCount);
    drawLoadingProgress(g_gfx, &g_window, last.from, last.to); // 10. the bar fills up
    fadeOutLoadingScreen(g_gfx, &g_window);                    // 11. and the screen fades out
}

void demoMainLoop() {
    g_sound->start(); // the music is heard from here on
    for (;;) {
        g_window.pumpMessages(); // may end the process
        g_sync->update(g_sound);
        g_gfx->frameCounter =
            static_cast<int32_t>(advanceFrameCounter(static_cast<uint32_t>(g_gfx->frameCounter)));
        clearFrame(); // scene dispatch draws over it (to come)
        g_sound->update();
        gpuFenceWait();
        g_window.swapBuffers();
        if (g_sound->get_time_ms() > kDemoEndMs) break;
    }
    std::fputs("out of demo...\n", stderr);
}
