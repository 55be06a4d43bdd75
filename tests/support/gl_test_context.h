// gl_test_context.h - a real GL context for tests (Xvfb or a desktop; llvmpipe in CI).
//
// Include it in a test file and the whole test binary gets, before its first test, a hidden
// 1280x720 SDL window with a current compatibility context, the entry points loaded, and the
// working directory at the project root (so data/ is found as at run time).
#pragma once

#include "gfx_context.h"
#include "gl_loader.h"
#include "window.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

class GlTestContext : public testing::Environment {
  public:
    void SetUp() override {
        ASSERT_EQ(chdir(DEMO_ROOT), 0);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        requestGlPixelFormat(0); // the player's own pixel format
        window =
            SDL_CreateWindow("gl test", 0, 0, 1280, 720, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        context = SDL_GL_CreateContext(window);
        ASSERT_NE(context, nullptr) << SDL_GetError();
        testing::internal::CaptureStderr(); // the loader's warnings about this driver
        loadGlExtensions();
        testing::internal::GetCapturedStderr();
    }
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
};

// One per test binary; `inline` keeps it single across translation units.
inline GlTestContext* const g_glTestContext =
    static_cast<GlTestContext*>(testing::AddGlobalTestEnvironment(new GlTestContext));

// Reads one RGBA pixel of the current read framebuffer.
inline void readPixel(int x, int y, unsigned char rgba[4]) {
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

// A graphics context initialised as the host does it, with its start-up lines kept out of the
// test's output (and handed to `out` / `err` when given). `desc` must outlive the context.
inline gfxContext* makeTestGfx(const WindowDesc* desc, std::string* out = nullptr,
                               std::string* err = nullptr) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    gfxContext* gfx = new gfxContext();
    gfx->init(desc);
    std::string o = testing::internal::GetCapturedStdout();
    std::string e = testing::internal::GetCapturedStderr();
    if (out) *out = o;
    if (err) *err = e;
    return gfx;
}
