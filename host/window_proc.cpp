// window_proc.cpp - see window_proc.h.
#include "window_proc.h"

#include <cstdio>

static WindowAction onKeyDown(SDL_Keycode key, KeySettings& keys) {
    if (key == SDLK_ESCAPE) return WindowAction::Quit;
    if (key == SDLK_HOME) {
        keys.fftWindow = !keys.fftWindow;
        std::printf("fft-window %s\n", keys.fftWindow ? "on" : "off");
    }
    return WindowAction::None;
}

static WindowAction onChar(char c, KeySettings& keys) {
    switch (c) {
    case 'q':
    case 'Q':
        return WindowAction::Quit;
    case 'm':
        keys.mute = !keys.mute;
        if (keys.setVolume) keys.setVolume(keys.mute ? 0 : 255);
        std::fputs(keys.mute ? "mute\n" : "unmute\n", stderr);
        break;
    case 'l':
        keys.frameLimit = !keys.frameLimit;
        std::fputs(keys.frameLimit ? "limited\n" : "unlimited\n", stderr);
        break;
    }
    return WindowAction::None;
}

WindowAction windowProc(const SDL_Event& event, KeySettings& keys) {
    switch (event.type) {
    case SDL_QUIT:
        return WindowAction::Quit;
    case SDL_WINDOWEVENT:
        return event.window.event == SDL_WINDOWEVENT_CLOSE ? WindowAction::Quit
                                                           : WindowAction::None;
    case SDL_KEYDOWN:
        return onKeyDown(event.key.keysym.sym, keys);
    case SDL_TEXTINPUT:
        // One character per message, as a keyboard delivers them; composed text is rare here.
        for (const char* c = event.text.text; *c; ++c)
            if (onChar(*c, keys) == WindowAction::Quit) return WindowAction::Quit;
        return WindowAction::None;
    default:
        return WindowAction::None;
    }
}
