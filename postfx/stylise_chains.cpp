// stylise_chains.cpp - the stylising effects built from other passes: vignette, unsharp
// masking, bloom and horizontal streaks.
//
// Chains borrow their temporary targets from the context's pool. The handles are locals
// declared in borrowing order, so leaving the function gives them back in reverse order.
// Bloom and unsharp stay within the sizes the pool is pre-filled with (half, quarter and
// eighth of a screen-sized source), so they never make a target at run time.
#include "pass.h"
#include "postfx.h"

#include <string>

namespace {

const std::string kUnsharp = "unsharp";
const std::string kTex = "tex";
const std::string kTexBlurred = "tex_blurred";

bool g_vignetteRegistered = false;
TextureHandle* g_vignetteTexture = nullptr;
bool g_unsharpRegistered = false;

} // namespace

void postVignette(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                  float amount) {
    if (!g_vignetteRegistered) {
        g_vignetteRegistered = true;
        g_vignetteTexture = gfx->loadTexture("data/textures/vignette02.png", false, 2, false, 0);
    }
    postComposite(gfx, g_vignetteTexture, source, destination, kCompositeModulate, amount);
}

void postUnsharp(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                 float amount) {
    postRegister(gfx, g_unsharpRegistered, "unsharp", "post_unsharp.vert", "post_unsharp.frag");
    if (!source) return;

    // Blurring at an eighth of the screen makes a wide, cheap mask: the sharpening lifts
    // local contrast rather than single-pixel noise.
    RenderTargetHandle half = gfx->acquireScreenRenderTarget(2);
    postDownsample(gfx, source, &half.target);
    RenderTargetHandle quarter = gfx->acquireScreenRenderTarget(4);
    postDownsample(gfx, half->texture(), &quarter.target);
    RenderTargetHandle eighth = gfx->acquireScreenRenderTarget(8);
    postDownsample(gfx, quarter->texture(), &eighth.target);
    postDirBlur(gfx, eighth->texture(), &eighth.target);

    beginPass(gfx, kUnsharp, destination);
    gfx->setTexture(kUnsharp, kTex, source);
    gfx->setTexture(kUnsharp, kTexBlurred, eighth->texture());
    setScalar(gfx, kUnsharp, kOpacity, amount);
    endPass(gfx, destination);
}

void postBloom(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
               float threshold, float white, float gamma) {
    if (!source) return;
    const int w = source->width, h = source->height;

    // Bright parts only, at half size, softened.
    RenderTargetHandle a = gfx->acquireRenderTarget(w / 2, h / 2);
    RenderTargetHandle b = gfx->acquireRenderTarget(w / 2, h / 2);
    postDownsample(gfx, source, &a.target);
    const float cut[5] = {threshold, 255.0f, 1.3f, 0.0f, 255.0f};
    postLevels(gfx, a->texture(), &b.target, cut);
    postDirBlur(gfx, b->texture(), &a.target);

    // Each halving widens the blur cheaply.
    RenderTargetHandle c = gfx->acquireRenderTarget(w / 4, h / 4);
    postDownsample(gfx, a->texture(), &c.target);
    postDirBlur(gfx, c->texture(), &c.target);

    RenderTargetHandle d = gfx->acquireRenderTarget(w / 8, h / 8);
    postDownsample(gfx, c->texture(), &d.target);
    postDirBlur(gfx, d->texture(), &d.target);
    postDirBlur(gfx, d->texture(), &d.target);

    // The glow's strength, then added over the untouched source.
    RenderTargetHandle e = gfx->acquireRenderTarget(w / 8, h / 8);
    const float glow[5] = {0.0f, white, gamma, 0.0f, 255.0f};
    postLevels(gfx, d->texture(), &e.target, glow);
    postComposite(gfx, e->texture(), source, destination, kCompositeAdd, 1.0f);
}

void postStreaks(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination, float time,
                 const float* streak) {
    if (!source) return;
    const int w = source->width, h = source->height;
    RenderTargetHandle a = gfx->acquireRenderTarget(w, h);
    RenderTargetHandle b = gfx->acquireRenderTarget(w, h);

    const float cut[5] = {streak[0], 255.0f, 1.3f, 0.0f, 255.0f};
    postLevels(gfx, source, &b.target, cut);

    // Growing steps: each pass smears the previous result further, so five passes give
    // streaks over a hundred pixels long without a hundred taps.
    postDirBlurRnd(gfx, b->texture(), &a.target, 1.0f, 0.0f, time);
    postDirBlurRnd(gfx, a->texture(), &b.target, 5.0f, 0.0f, time);
    postDirBlurRnd(gfx, b->texture(), &a.target, 20.0f, 0.0f, time);
    postDirBlurRnd(gfx, a->texture(), &b.target, 40.0f, 0.0f, time);
    postDirBlurRnd(gfx, b->texture(), &a.target, 80.0f, 0.0f, time);

    const float out[5] = {0.0f, streak[1], streak[2], 0.0f, 255.0f};
    postLevels(gfx, a->texture(), destination, out);
}

void postStreaksAdd(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                    float time, const float* streak, float opacity) {
    if (!source) return;
    RenderTargetHandle t = gfx->acquireRenderTarget(source->width, source->height);
    postStreaks(gfx, source, &t.target, time, streak);
    postComposite(gfx, t->texture(), source, destination, kCompositeAdd, opacity);
}
