// window_desc.h - the description of the host's window.
//
// The host fills one at start-up and opens its window with it (window.h); the graphics
// context reads the screen size from it (igfxContext::init). The window object keeps a copy
// as its leading part, so a pointer to the window also serves as a pointer to its description.
#pragma once

#include <cstdint>

struct WindowDesc {
    int32_t windowWidth; // client size; also the display mode in full screen
    int32_t windowHeight;
    int32_t renderWidth; // size the graphics context renders the screen at
    int32_t renderHeight;
    bool fullScreen;      // switch the display mode and make a borderless window
    bool useWindowHeight; // graphics context takes windowHeight instead of renderHeight
    bool show;            // show the window once the context exists
};
