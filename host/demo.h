// demo.h - the host's start-up and frame loop, called in this order by main():
//
//   demoInitialise()  window, GL context, graphics context, first cleared frame, sound (music
//                     loaded, output paused), sync and MIDI sources, module input, scene
//                     plug-ins (bin/render*.so, loaded from copies in bin/dll_cache/), each
//                     scene initialised with the loading bar moving on, fade-out
//   demoMainLoop()    starts the music; per frame: messages -> sync update -> frame counter ->
//                     scene dispatch -> sound update -> GPU fence -> swap, until the music
//                     position passes 184000 ms; then "out of demo..."
//
// The offline renderer (demorender) runs the same start-up with `offline` set: a hidden
// window instead of the full-screen one, no loading screen, the music loaded but never heard.
// It then draws frames at chosen music times with demoRenderFrameAt instead of the loop.
//
// The host's objects are created here once and never destroyed; the process ends with them.
#pragma once

#include <cstdint>

constexpr int32_t kScreenWidth = 1280;
constexpr int32_t kScreenHeight = 720;
constexpr int64_t kDemoEndMs = 184000;

void demoInitialise(bool offline = false);
void demoMainLoop();

// One frame at music time `ms` (the clock stays there until the next call): sync update,
// frame counter, scene dispatch; the finished frame is read into `rgba` (kScreenWidth x
// kScreenHeight pixels, 4 bytes each, bottom row first) and then presented.
void demoRenderFrameAt(int64_t ms, uint8_t* rgba);

// The frame counter wraps to 0 after 2^31 - 1 so that it always fits a signed 32-bit value.
inline uint32_t advanceFrameCounter(uint32_t counter) {
    return (counter + 1u) & 0x7fffffffu;
}
