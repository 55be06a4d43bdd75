// window.h - the host's one window and its OpenGL context (SDL2).
//
// The host fills a WindowDesc, calls cGLWindow::openWindow once at start-up and keeps the
// window and context for the whole run; nothing here is ever torn down. Failures end the
// process with exit code 1 after telling the user why (a message box where one can be shown,
// and always a line on the standard error, which is the log file).
// pumpMessages hands every queued SDL event to the procedure set with setWindowProc; the host's
// procedure handles the keys. All of this runs on the main thread, which owns the context.
#pragma once

#include "window_desc.h"

#include <SDL.h>

using WindowProc = void (*)(const SDL_Event& event);

// Sets the procedure pumpMessages dispatches to; the host sets it before opening the window.
void setWindowProc(WindowProc proc);

// Asks SDL for the pixel format and context every window of ours uses: RGBA 8-8-8-8, depth 24,
// stencil 8, double buffered, compatibility profile; `extraGlFlags` go to SDL_GL_CONTEXT_FLAGS.
inline void requestGlPixelFormat(int extraGlFlags) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, extraGlFlags);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// Creates the window with a GL-capable pixel format (RGBA 8-8-8-8, depth 24, stencil 8, double
// buffered, compatibility profile). Returns null after reporting the failure. `extraGlFlags` is
// passed to SDL_GL_CONTEXT_FLAGS (0 for none).
SDL_Window* createGLWindow(const char* title, int x, int y, int width, int height, bool fullScreen,
                           int extraGlFlags);

// WindowDesc is the leading part, so a cGLWindow* also serves as a WindowDesc*.
class cGLWindow : public WindowDesc {
  public:
    cGLWindow();
    // Creates window and context and makes it current; on failure ends the process (code 1).
    void openWindow(const WindowDesc& desc);
    // Dispatches every event waiting in the queue, then returns.
    void pumpMessages();
    void swapBuffers();

    SDL_Window* handle() const { return window_; }
    SDL_GLContext context() const { return context_; }

  private:
    SDL_Window* window_;
    SDL_GLContext context_;
};
