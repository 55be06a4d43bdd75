// The real SDL window and GL context under the test display (Xvfb or a desktop).
#include "window.h"

#include <gtest/gtest.h>

#include <SDL_opengl.h>

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST(Window, WindowedClientAreaIsTheRequestedSize) {
    SDL_Window* w = createGLWindow("windowed", 0, 0, 640, 360, false, 0);
    ASSERT_NE(w, nullptr);
    int cw = 0, ch = 0;
    SDL_GetWindowSize(w, &cw, &ch);
    EXPECT_EQ(cw, 640);
    EXPECT_EQ(ch, 360);
    EXPECT_FALSE(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    SDL_DestroyWindow(w);
}

static int g_events = 0;
static void countEvent(const SDL_Event& e) {
    if (e.type == SDL_USEREVENT) ++g_events;
}

// Everything that needs the one full-screen window and its context, in the order the host
// uses them.
TEST(Window, FullScreenWindowWithCurrentContext) {
    const WindowDesc desc = {1280, 720, 1280, 720, true, false, true};
    cGLWindow window;
    CaptureStdout();
    window.openWindow(desc);
    std::fflush(stdout);
    std::string out = GetCapturedStdout();

    // The GL information lines, with aligned values.
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    EXPECT_NE(out.find("# glinfo: Vendor:   "), std::string::npos) << out;
    EXPECT_NE(out.find("#         Renderer: "), std::string::npos) << out;
    EXPECT_NE(out.find(std::string("#         Version:  ") + version + "\n"), std::string::npos);

    // The description is the leading part of the window object.
    const WindowDesc* asDesc = &window;
    EXPECT_EQ(static_cast<const void*>(asDesc), static_cast<const void*>(&window));
    EXPECT_EQ(window.windowWidth, 1280);
    EXPECT_EQ(window.renderHeight, 720);
    EXPECT_TRUE(window.fullScreen && window.show && !window.useWindowHeight);

    // Full screen: no border, the whole 1280x720 display, no cursor.
    Uint32 flags = SDL_GetWindowFlags(window.handle());
    EXPECT_TRUE(flags & SDL_WINDOW_FULLSCREEN);
    EXPECT_TRUE(flags & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window.handle(), &dw, &dh);
    EXPECT_EQ(dw, 1280);
    EXPECT_EQ(dh, 720);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    // The pixel format asked for.
    int depth = 0, stencil = 0, doubleBuffer = 0, red = 0;
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &red);
    EXPECT_GE(depth, 24);
    EXPECT_EQ(stencil, 8);
    EXPECT_EQ(doubleBuffer, 1);
    EXPECT_EQ(red, 8);

    // The context is current and draws: clear to a colour and read it back.
    glViewport(0, 0, 1280, 720);
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    glReadPixels(640, 360, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_NEAR(px[1], 128, 1);
    EXPECT_EQ(px[2], 0);
    window.swapBuffers();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // pumpMessages hands every queued event to the window procedure, then returns.
    setWindowProc(countEvent);
    for (int i = 0; i < 3; ++i) {
        SDL_Event e{};
        e.type = SDL_USEREVENT;
        SDL_PushEvent(&e);
    }
    window.pumpMessages();
    EXPECT_EQ(g_events, 3);
    setWindowProc(nullptr);
}
