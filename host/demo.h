// demo.h - the host's start-up and frame loop, called in this order by main():
//
//   demoInitialise()  window, GL context, graphics context, first cleared frame, sound (music
//                     loaded, output paused), sync and MIDI sources, module input
//   demoMainLoop()    starts the music; per frame: messages -> sync update -> frame counter ->
//                     compose -> sound update -> GPU fence -> swap, until the music position
//                     passes 184000 ms; then "out of demo..."
//
// The host's objects are created here once and never destroyed; the process ends with them.
#pragma once

#include <cstdint>

constexpr int32_t kScreenWidth = 1280;
constexpr int32_t kScreenHeight = 720;
constexpr int64_t kDemoEndMs = 184000;

void demoInitialise();
void demoMainLoop();

// The frame counter wraps to 0 after 2^31 - 1 so that it always fits a signed 32-bit value.
inline uint32_t advanceFrameCounter(uint32_t counter) {
    return (counter + 1u) & 0x7fffffffu;
}
