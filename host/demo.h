// demo.h - the host's start-up and frame loop, called in this order by main():
//
//   demoInitialise()  window, GL context, graphics context, first cleared frame, sound (music
//                     loaded, output paused), sync and MIDI sources, module input, scene
//                     plug-ins (bin/render*.so, loaded from copies in bin/dll_cache/), each
//                     scene initialised with the loading bar moving on, fade-out
//   demoMainLoop()    starts the music, then demoFrame() until the music position passes
//                     184000 ms; then "out of demo..."
//
// The offline renderer (demorender) runs the same start-up with `offline` set: a hidden
// window instead of the full-screen one, no loading screen, the music loaded but never heard.
// It then draws frames at chosen music times with demoFrame instead of the loop.
//
// The development player (demolive) runs the same start-up through demoInitialiseWith: a
// window it shows and may resize, no loading screen, its own sync source.
//
// The host's objects are created here once and never destroyed; the process ends with them.
#pragma once

#include <cstdint>
#include <vector>

class cGLWindow;
class cSoundModule_bass;
class gfxContext;
class iSync;
struct ModuleRecord;

constexpr int32_t kScreenWidth = 1280;
constexpr int32_t kScreenHeight = 720;
constexpr int64_t kDemoEndMs = 184000;

void demoInitialise(bool offline = false);
void demoMainLoop();

// What a start-up may choose beyond the player's and the offline renderer's fixed choices.
struct DemoSetup {
    bool fullScreen = true;
    bool show = true;
    bool loadingScreen = true;
    // The scenes' sync source; null gives the player's (tracks read once from data/sync/).
    iSync* sync = nullptr;
};
void demoInitialiseWith(const DemoSetup& setup);

// The host's objects after start-up, for the tools that drive them between frames.
struct DemoParts {
    cGLWindow* window;
    gfxContext* gfx;
    cSoundModule_bass* sound;
    const std::vector<ModuleRecord>* modules;
};
DemoParts demoParts();

// What differs between the players in one frame. Every player draws its frames with
// demoFrame, so the order of a frame's steps lives in one place:
//   messages -> music time -> sync update -> frame counter -> scene dispatch -> sound update
//   -> GPU fence -> read-back -> present
// and a player only chooses which of the optional steps run.
struct FrameSettings {
    // The window's queued messages first; the key handler may end the process.
    bool pumpMessages = true;
    // Set: the music is positioned at `timeMs` and the scenes' clock held there until the
    // next frame says otherwise (any time, negative ones included). Clear: the frame is drawn
    // wherever the playing music is.
    bool fixedTime = false;
    int64_t timeMs = 0;
    // Feeds the audio output; only a player whose music is heard needs it.
    bool updateSound = true;
    // The CPU waits until the GPU has executed the frame before presenting it.
    bool waitForGpu = true;
    // When set, the finished frame is read into it (kScreenWidth x kScreenHeight pixels,
    // 4 bytes each, bottom row first) before it is presented.
    uint8_t* readBack = nullptr;
    // Clear: the frame is left in the back buffer unshown, for a tool that draws over it or
    // shows it its own way and swaps itself.
    bool present = true;
};

// The player's frame: the defaults above.
inline FrameSettings playerFrame() {
    return FrameSettings();
}
// An offline frame at music time `ms`, read into `rgba`: no messages, no sound update, no
// fence (the read-back waits for the GPU anyway).
inline FrameSettings offlineFrame(int64_t ms, uint8_t* rgba) {
    FrameSettings frame;
    frame.pumpMessages = false;
    frame.fixedTime = true;
    frame.timeMs = ms;
    frame.updateSound = false;
    frame.waitForGpu = false;
    frame.readBack = rgba;
    return frame;
}

// Draws and presents one frame after demoInitialise.
void demoFrame(const FrameSettings& frame);

// The frame counter wraps to 0 after 2^31 - 1 so that it always fits a signed 32-bit value.
inline uint32_t advanceFrameCounter(uint32_t counter) {
    return (counter + 1u) & 0x7fffffffu;
}
