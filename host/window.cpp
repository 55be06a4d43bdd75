// window.cpp - see window.h. The failure texts are the system's own and are kept as they are.
#include "window.h"

#include <SDL_opengl.h>
#include <cstdio>
#include <cstdlib>

static WindowProc g_windowProc = nullptr;
static bool g_videoStarted = false;

void setWindowProc(WindowProc proc) {
    g_windowProc = proc;
}

// The log always gets the text; the box is for the person in front of the screen. Where no
// box can open (no display, or SDL found no way to show one), stdout says why, so a box that
// never appeared can be told from one nobody saw; stderr keeps the failure text as its last line.
static void errorBox(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, nullptr) != 0)
        std::fprintf(stdout, "# note: no message box: %s\n", SDL_GetError());
}

// True when the display can be switched to exactly width x height.
static bool displayModeAvailable(int width, int height) {
    SDL_DisplayMode want = {SDL_PIXELFORMAT_RGB888, width, height, 0, nullptr};
    SDL_DisplayMode got;
    if (!SDL_GetClosestDisplayMode(0, &want, &got)) return false;
    return got.w == width && got.h == height;
}

SDL_Window* createGLWindow(const char* title, int x, int y, int width, int height, bool fullScreen,
                           int extraGlFlags) {
    if (!g_videoStarted) {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            errorBox("RegisterClass() failed: Cannot register window class.");
            return nullptr;
        }
        g_videoStarted = true;
    }

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (fullScreen) {
        if (!displayModeAvailable(width, height)) {
            std::fputs("failed creating window, exiting\n", stderr);
            return nullptr;
        }
        flags |= SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS;
        SDL_ShowCursor(SDL_DISABLE);
    }

    requestGlPixelFormat(extraGlFlags);

    // SDL sizes the client area, so no frame adjustment is needed for windowed mode.
    SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags);
    if (window) return window;

    // Tell a missing GL visual (no suitable pixel format) from a window that cannot exist at all.
    SDL_Window* plain = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_HIDDEN);
    if (plain) {
        std::fputs("ChoosePixelFormat() failed: Cannot find a suitable pixel format.\n", stderr);
        return nullptr; // like the original, the plain window stays until the process ends
    }
    errorBox("CreateWindow() failed:  Cannot create a window.");
    return nullptr;
}

cGLWindow::cGLWindow() : WindowDesc{}, window_(nullptr), context_(nullptr) {}

void cGLWindow::openWindow(const WindowDesc& desc) {
    window_ =
        createGLWindow("OpenGL", 0, 0, desc.windowWidth, desc.windowHeight, desc.fullScreen, 0);
    if (!window_) std::exit(1);

    context_ = SDL_GL_CreateContext(window_);
    if (!context_ || SDL_GL_MakeCurrent(window_, context_) != 0) {
        std::fprintf(stderr, "CreateContext() failed: Cannot create an OpenGL context: %s\n",
                     SDL_GetError());
        std::exit(1);
    }

    auto glText = [](GLenum name) {
        const GLubyte* s = glGetString(name);
        return s ? reinterpret_cast<const char*>(s) : "";
    };
    std::printf("# glinfo: Vendor:   %s\n", glText(GL_VENDOR));
    std::printf("#         Renderer: %s\n", glText(GL_RENDERER));
    std::printf("#         Version:  %s\n", glText(GL_VERSION));

    if (desc.show) SDL_ShowWindow(window_);
    static_cast<WindowDesc&>(*this) = desc;
}

void cGLWindow::pumpMessages() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (g_windowProc) g_windowProc(event);
    }
}

void cGLWindow::swapBuffers() {
    SDL_GL_SwapWindow(window_);
}
