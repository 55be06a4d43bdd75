// demo.cpp - see demo.h.
#include "demo.h"

#include "dispatch_scenes.h"
#include "file_utils.h"
#include "gfx_context.h"
#include "gl_loader.h"
#include "gpu_fence.h"
#include "loading_screen.h"
#include "module_input.h"
#include "module_loader.h"
#include "sound_module.h"
#include "sync_midi.h"
#include "sync_rocket.h"
#include "window.h"
#include "window_proc.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kMusicFile = "data/muzak/Kelpmoor - Vantaloid Tides_demoedit02.mp3";
constexpr const char* kPluginDir = "bin/";
constexpr const char* kPluginCacheDir = "bin/dll_cache/";
constexpr const char* kPluginPattern = "render*.so";

// The host's objects, made once in the order of the initialisation steps, never destroyed.
cGLWindow g_window;
gfxContext* g_gfx = nullptr;
cSoundModule_bass* g_sound = nullptr;
iSync* g_sync = nullptr;
cSyncRocket* g_rocket = nullptr; // the player's source; null when a tool gave its own
cSyncMidi* g_midi = nullptr;
cModuleInput* g_input = nullptr;
cModuleLoader* g_loader = nullptr;
DispatchOverflow g_dispatchOverflow;
KeySettings g_keys;

// Quitting skips the rest of the frame and all clean-up; the logs are already on disk.
void hostWindowProc(const SDL_Event& event) {
    if (windowProc(event, g_keys) == WindowAction::Quit) std::exit(0);
}

// The mute key's volume: 0 muted, 255 not.
void setMusicVolume(int volume) {
    if (g_sound) g_sound->set_volume(volume);
}

// ---- initialisation steps -------------------------------------------------------------------

// Ends the process with exit code 1 when the window or its context cannot be had. Offline,
// the window is an ordinary hidden one: frames are read back, never shown.
void openMainWindow(bool fullScreen, bool show) {
    setWindowProc(hostWindowProc);
    g_keys.setVolume = setMusicVolume;
    const WindowDesc desc = {kScreenWidth,
                             kScreenHeight,
                             kScreenWidth,
                             kScreenHeight,
                             fullScreen,
                             /*useWindowHeight*/ false,
                             show};
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
    g_sound->init(g_window.handle());
    g_sound->load(kMusicFile);
}

// A false init has already said "failed creating rocket"; tracks then read 0.
void makeSyncSource(iSync* given) {
    if (given) {
        g_sync = given;
        return;
    }
    g_rocket = new cSyncRocket();
    g_rocket->init(kSyncPath, g_sound);
    g_sync = g_rocket;
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

// Both directories absolute, so every path the loader reports is absolute too.
void loadSceneModules() {
    g_loader = new cModuleLoader(absolute_path(kPluginDir), absolute_path(kPluginCacheDir),
                                 kPluginPattern);
    g_loader->loadAll();
}

// The bar measures initialised scenes: plug-ins that gave no scene (reported by the loader)
// are left out of the count, so the bar still fills evenly. Returns the number of scenes.
int initialiseScenes(bool showProgress) {
    int sceneCount = 0;
    for (const ModuleRecord& module : g_loader->modules())
        if (module.scene) ++sceneCount;

    int index = 0;
    for (const ModuleRecord& module : g_loader->modules()) {
        cRenderModuleBase* scene = module.scene;
        if (!scene) continue;
        std::printf("loading \"%s\"...\n", scene->name());
        scene->initialise(g_input);
        const LoadingRange step = sceneLoadingRange(index++, sceneCount);
        if (showProgress) drawLoadingProgress(g_gfx, &g_window, step.from, step.to);
    }
    return sceneCount;
}

void finishLoadingBar(int sceneCount) {
    const LoadingRange last = finalLoadingRange(sceneCount);
    drawLoadingProgress(g_gfx, &g_window, last.from, last.to);
}

} // namespace

void demoInitialise(bool offline) {
    DemoSetup setup;
    setup.fullScreen = setup.show = setup.loadingScreen = !offline;
    demoInitialiseWith(setup);
}

void demoInitialiseWith(const DemoSetup& setup) {
    const bool bar = setup.loadingScreen;
    openMainWindow(setup.fullScreen, setup.show);     // 1. window and OpenGL context
    makeGraphicsContext();                            // 2. graphics context, first clear
    if (bar) showFirstLoadingFrame(g_gfx, &g_window); // 3. the loading screen, at once
    loadMusic();                                      // 4. music stream, output paused
    makeSyncSource(setup.sync);                       // 5. sync tracks from data/sync/
    makeMidiSource();                                 // 6. MIDI controllers
    makeModuleInput();                                // 7. what scenes are given
    loadSceneModules();                               // 8. plug-in copies, one scene each
    const int scenes = initialiseScenes(bar);         // 9. each scene set up, bar moving on
    if (bar) finishLoadingBar(scenes);                // 10. the bar fills up
    if (bar) fadeOutLoadingScreen(g_gfx, &g_window);  // 11. and the screen fades out
}

DemoParts demoParts() {
    return {&g_window, g_gfx, g_sound, g_loader ? &g_loader->modules() : nullptr};
}

void demoFrame(const FrameSettings& frame) {
    if (frame.pumpMessages) g_window.pumpMessages(); // may end the process
    if (frame.fixedTime) {
        // The music is positioned too, so scenes reading the spectrum see this moment's.
        if (g_sound->stream) g_sound->set_time_ms(frame.timeMs);
        g_input->setFixedTimeMs(frame.timeMs);
    }
    if (g_rocket) g_rocket->update(g_sound);
    g_gfx->frameCounter =
        static_cast<int32_t>(advanceFrameCounter(static_cast<uint32_t>(g_gfx->frameCounter)));
    dispatchScenes(g_loader->modules(), g_input, g_gfx, g_dispatchOverflow);
    if (frame.updateSound) g_sound->update();
    if (frame.waitForGpu) gpuFenceWait();
    if (frame.readBack) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, kScreenWidth, kScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, frame.readBack);
    }
    if (frame.present) g_window.swapBuffers();
}

void demoMainLoop() {
    g_sound->start(); // the music is heard from here on
    do {
        demoFrame(playerFrame());
    } while (g_sound->get_time_ms() <= kDemoEndMs);
    std::fputs("out of demo...\n", stderr);
}
