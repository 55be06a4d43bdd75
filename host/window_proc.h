// window_proc.h - what the host does with window events and keys.
//
//   close button, Escape, text 'q' or 'Q'  -> quit at once with exit code 0
//   Home                                   -> "fft-window on|off" on the standard output
//   text 'm'                               -> mute toggle, "mute"/"unmute" on the standard error
//   text 'l'                               -> frame-limit toggle, "limited"/"unlimited" likewise
// Text keys are case-sensitive: 'M' and 'L' do nothing. Everything else is ignored.
#pragma once

#include <SDL.h>

// The three settings that only the keys change and report.
struct KeySettings {
    bool mute = false;
    bool frameLimit = true;
    bool fftWindow = true;
    // Called with 0 when muting and 255 when unmuting; may be null.
    void (*setVolume)(int volume) = nullptr;
};

enum class WindowAction { None, Quit };

// Applies one event to `keys`, writes the event's report line, and says whether to quit.
WindowAction windowProc(const SDL_Event& event, KeySettings& keys);
