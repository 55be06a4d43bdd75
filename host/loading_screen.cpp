// loading_screen.cpp - see loading_screen.h.
#include "loading_screen.h"

#include "igfx_context.h"
#include "postfx.h"
#include "render_state.h"
#include "window.h"

#include <chrono>
#include <string>
#include <thread>

namespace {

const std::string kImageFile = "data/textures/loadscreen.jpg";
const std::string kUnlit = "unlit";
const std::string kColor = "color";
const std::string kMvp = "mvp";

constexpr int kFramesPerStep = 16;
constexpr float kStepFraction = 0.0625f;
constexpr int kFadeFrames = 30;
constexpr auto kFramePause = std::chrono::milliseconds(10);

// The bars' rows in normalised device coordinates, mirrored about the centre.
constexpr float kBarInner = 0.6f;
constexpr float kBarOuter = 0.6125f;

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

bool g_unlitRegistered = false;

void registerUnlit(igfxContext* gfx) {
    if (g_unlitRegistered) return;
    g_unlitRegistered = true;
    gfx->loadShader(kUnlit, "data/shaders/unlit.vert", "data/shaders/unlit.frag");
}

// The texture manager keeps the picture after the first load and returns it from then on.
TextureHandle* loadingImage(igfxContext* gfx) {
    return gfx->loadTexture(kImageFile, false, 2, false, 0);
}

void present(cGLWindow* window) {
    if (window) window->swapBuffers();
}

// One whole frame under the default 2-D state. The picture is drawn anew every frame: after a
// buffer swap the back buffer's contents are undefined, so bars over an old frame could show
// garbage or an older step.
void drawProgressFrame(igfxContext* gfx, TextureHandle* image, float progress) {
    gfx->clear(3);
    postBlit(gfx, image);
    gfx->useShader(kUnlit);
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    gfx->setVector(kUnlit, kColor, white);
    gfx->setMatrix(kUnlit, kMvp, kIdentity);
    const float left = -1.0f, right = 2.0f * progress - 1.0f, extent = 1.0f;
    const float bottomLow = -kBarOuter, bottomHigh = -kBarInner;
    gfx->drawQuad(left, bottomLow, right, bottomHigh, extent, extent);
    gfx->drawQuad(left, kBarInner, right, kBarOuter, extent, extent);
}

} // namespace

LoadingRange sceneLoadingRange(int index, int count) {
    if (count <= 0) return {0.0f, 0.0f};
    const float n = static_cast<float>(count);
    const int previous = index > 0 ? index - 1 : 0;
    return {static_cast<float>(previous) / n, static_cast<float>(index) / n};
}

LoadingRange finalLoadingRange(int count) {
    // (count - 1) / count with no scenes would start the bar at minus infinity.
    if (count <= 0) return {0.0f, 1.0f};
    const float n = static_cast<float>(count);
    return {static_cast<float>(count - 1) / n, 1.0f};
}

void showFirstLoadingFrame(igfxContext* gfx, cGLWindow* window) {
    postBlit(gfx, loadingImage(gfx));
    present(window);
}

void drawLoadingProgress(igfxContext* gfx, cGLWindow* window, float from, float to) {
    registerUnlit(gfx);
    gfx->pushRenderState();
    postSetDefault2DState(gfx);
    TextureHandle* image = loadingImage(gfx);
    for (int k = 0; k < kFramesPerStep; ++k) {
        float t = static_cast<float>(k) * kStepFraction;
        t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
        drawProgressFrame(gfx, image, (1.0f - t) * from + t * to);
        present(window);
        std::this_thread::sleep_for(kFramePause);
    }
    gfx->popRenderState();
}

void fadeOutLoadingScreen(igfxContext* gfx, cGLWindow* window) {
    registerUnlit(gfx); // already done by the progress steps in the start-up order
    TextureHandle* image = loadingImage(gfx);
    gfx->pushRenderState();
    for (int j = 0; j < kFadeFrames; ++j) {
        gfx->clear(3);
        postBlit(gfx, image);
        // The quad's colour is ignored (ZERO); its alpha darkens what is there by 1 - alpha.
        postSetDefault2DState(gfx);
        rs::setBlend(*gfx->renderState(), kBlendZero, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOne);
        gfx->useShader(kUnlit);
        gfx->setMatrix(kUnlit, kMvp, kIdentity);
        const float a = static_cast<float>(j) / 30.0f;
        const float colour[4] = {a, a, a, a};
        gfx->setVector(kUnlit, kColor, colour);
        const float lo = -1.0f, hi = 1.0f, extent = 1.0f;
        gfx->drawQuad(lo, lo, hi, hi, extent, extent);
        present(window);
        std::this_thread::sleep_for(kFramePause);
    }
    gfx->popRenderState();
}

void drawLoadingFrame(igfxContext* gfx, float progress) {
    registerUnlit(gfx);
    gfx->pushRenderState();
    postSetDefault2DState(gfx);
    drawProgressFrame(gfx, loadingImage(gfx), progress);
    gfx->popRenderState();
}
