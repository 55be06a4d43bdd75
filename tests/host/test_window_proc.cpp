// Keys and window events: what each one changes, prints and whether it ends the program.
#include "demo.h"
#include "window_proc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

static SDL_Event keyDown(SDL_Keycode key) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    return e;
}

static SDL_Event text(const char* s) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::strncpy(e.text.text, s, sizeof e.text.text - 1);
    return e;
}

static std::vector<int> g_volumes;
static void recordVolume(int v) {
    g_volumes.push_back(v);
}

struct Output {
    WindowAction action;
    std::string out, err;
};

static Output send(const SDL_Event& e, KeySettings& keys) {
    CaptureStdout();
    CaptureStderr();
    WindowAction a = windowProc(e, keys);
    std::fflush(stdout);
    std::string out = GetCapturedStdout();
    return {a, out, GetCapturedStderr()};
}

TEST(WindowProc, QuitEvents) {
    KeySettings keys;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    for (const SDL_Event& e : {quit, close, keyDown(SDLK_ESCAPE), text("q"), text("Q")}) {
        Output o = send(e, keys);
        EXPECT_EQ(o.action, WindowAction::Quit);
        EXPECT_EQ(o.out + o.err, "");
    }
}

TEST(WindowProc, MuteTogglesAndSetsTheVolume) {
    KeySettings keys;
    keys.setVolume = recordVolume;
    g_volumes.clear();
    EXPECT_EQ(send(text("m"), keys).err, "mute\n");
    EXPECT_TRUE(keys.mute);
    EXPECT_EQ(send(text("m"), keys).err, "unmute\n");
    EXPECT_FALSE(keys.mute);
    EXPECT_EQ(g_volumes, (std::vector<int>{0, 255}));
}

TEST(WindowProc, FrameLimitAndSpectrumWindowReport) {
    KeySettings keys;
    EXPECT_EQ(send(text("l"), keys).err, "unlimited\n");
    EXPECT_EQ(send(text("l"), keys).err, "limited\n");
    EXPECT_EQ(send(keyDown(SDLK_HOME), keys).out, "fft-window off\n");
    EXPECT_EQ(send(keyDown(SDLK_HOME), keys).out, "fft-window on\n");
}

TEST(WindowProc, UppercaseAndOtherKeysDoNothing) {
    KeySettings keys;
    SDL_Event resized{};
    resized.type = SDL_WINDOWEVENT;
    resized.window.event = SDL_WINDOWEVENT_RESIZED;
    for (const SDL_Event& e : {text("M"), text("L"), text("x"), keyDown(SDLK_m), keyDown(SDLK_q),
                               keyDown(SDLK_F1), resized}) {
        Output o = send(e, keys);
        EXPECT_EQ(o.action, WindowAction::None);
        EXPECT_EQ(o.out + o.err, "");
    }
    EXPECT_FALSE(keys.mute);
    EXPECT_TRUE(keys.frameLimit);
    EXPECT_TRUE(keys.fftWindow);
}

TEST(WindowProc, EveryCharacterOfComposedTextCounts) {
    KeySettings keys;
    Output o = send(text("mlq"), keys);
    EXPECT_EQ(o.err, "mute\nunlimited\n");
    EXPECT_EQ(o.action, WindowAction::Quit);
}

TEST(FrameCounter, WrapsAfterTheLargestSigned32BitValue) {
    EXPECT_EQ(advanceFrameCounter(0), 1u);
    EXPECT_EQ(advanceFrameCounter(2147483646u), 2147483647u);
    EXPECT_EQ(advanceFrameCounter(2147483647u), 0u);
}
