// basic.cpp - drawing, copying, blurring, downsampling and anti-aliasing passes.
//
// Each pass registers its shader on its first call in this module (flags below) and otherwise
// only binds, sets uniforms and draws. Null inputs follow postfx.h.
#include "pass.h"
#include "postfx.h"
#include "render_state.h"

#include <string>

namespace {

// ---- shader names and uniforms --------------------------------------------------------------

const std::string kPassthrough = "passthrough";
const std::string kPassthroughClamp = "passthrough_clamp";
const std::string kDirBlur = "dir_blur";
const std::string kDownsample = "downsample";
const std::string kDownsampleTexel = "downsample_texel";
const std::string kFxaaPrepass = "fxaa_prepass";
const std::string kFxaa = "fxaa";

const std::string kTexelSize = "texelsiz";
const std::string kBlurDir = "blurdir";
const std::string kRcpFrame = "fxaaQualityRcpFrame";
const std::string kSubpix = "fxaaQualitySubpix";
const std::string kEdgeThreshold = "fxaaQualityEdgeThreshold";
const std::string kEdgeThresholdMin = "fxaaQualityEdgeThresholdMin";

// ---- registration flags, one per pass -------------------------------------------------------

bool g_passthroughRegistered = false;
bool g_copyRegistered = false;
bool g_copyClampRegistered = false;
bool g_dirBlurRegistered = false;
bool g_downsampleRegistered = false;
bool g_fxaaRegistered = false;

void registerPassthrough(igfxContext* gfx, bool& flag) {
    postRegister(gfx, flag, "passthrough", "post_passthrough.vert", "post_passthrough.frag");
}

// One axis of the blur from `source` into `target` (null: the bound framebuffer); w, h are
// the size of the blur's original source, which both axes step by.
void blurAxis(igfxContext* gfx, TextureHandle* source, iRenderTarget* target, float dx, float dy,
              float w, float h) {
    if (target) target->bind(gfx, 0);
    gfx->useShader(kDirBlur);
    gfx->setTexture(kDirBlur, kTex0, source);
    setVec4(gfx, kDirBlur, kBlurDir, dx, dy, 0.0f, 0.0f);
    setVec4(gfx, kDirBlur, kTex0Size, w, h, 1.0f / w, 1.0f / h);
    gfx->drawFullscreenQuad();
    if (target) target->unbind(gfx);
}

} // namespace

// ---- drawing and copying --------------------------------------------------------------------

void postPassthrough(igfxContext* gfx, TextureHandle* texture) {
    registerPassthrough(gfx, g_passthroughRegistered);
    registerTexelCopy(gfx);
    if (!texture) return;
    // A texture of the viewport's size is copied texel for texel; another size is filtered.
    const std::string& shader =
        sameSizeAsDestination(gfx, texture, nullptr) ? kPassthroughTexel : kPassthrough;
    gfx->pushRenderState();
    gfx->useShader(shader);
    gfx->setTexture(shader, kTex0, texture);
    gfx->drawFullscreenQuad();
    gfx->popRenderState();
}

void postBlit(igfxContext* gfx, TextureHandle* texture) {
    if (!texture) return postPassthrough(gfx, texture); // registers, draws nothing
    gfx->pushRenderState();
    postSetDefault2DState(gfx);
    postPassthrough(gfx, texture);
    gfx->popRenderState();
}

void postCopy(igfxContext* gfx, TextureHandle* texture, float u, float v) {
    registerPassthrough(gfx, g_copyRegistered);
    if (!texture) return;
    beginPass(gfx, kPassthrough, nullptr);
    gfx->setTexture(kPassthrough, kTex0, texture);
    gfx->drawFullscreenQuadUV(u, v);
    gfx->popRenderState();
}

void postCopyClamp(igfxContext* gfx, TextureHandle* texture, float u, float v) {
    postRegister(gfx, g_copyClampRegistered, "passthrough_clamp", "post_passthrough_clamp.vert",
                 "post_passthrough_clamp.frag");
    registerTexelCopy(gfx);
    if (!texture) return;
    gfx->pushRenderState();
    postSetDefault2DState(gfx);
    rs::setBlend(*gfx->renderState(), kBlendOne, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOne);
    // The whole of a texture of the viewport's size: every read sits on a texel's centre, well
    // inside the limit, so the copy is texel for texel (the distance field's march, each frame).
    if (u == 1.0f && v == 1.0f && sameSizeAsDestination(gfx, texture, nullptr)) {
        gfx->useShader(kPassthroughTexel);
        gfx->setTexture(kPassthroughTexel, kTex0, texture);
        gfx->drawFullscreenQuadUV(u, v);
        gfx->popRenderState();
        return;
    }
    gfx->useShader(kPassthroughClamp);
    gfx->setTexture(kPassthroughClamp, kTex0, texture);
    const float w = static_cast<float>(texture->width), h = static_cast<float>(texture->height);
    setVec4(gfx, kPassthroughClamp, kTexelSize, u - 0.06125f / (w * u), v - 0.06125f / (h * v),
            0.0f, 0.0f);
    gfx->drawFullscreenQuadUV(u, v);
    gfx->popRenderState();
}

// ---- blurring and downsampling --------------------------------------------------------------

void postDirBlur(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination) {
    postRegister(gfx, g_dirBlurRegistered, "dir_blur", "post_dir_blur.vert", "post_dir_blur.frag");
    if (!source) return;
    gfx->pushRenderState();
    postSetDefault2DState(gfx);
    const float w = static_cast<float>(source->width), h = static_cast<float>(source->height);
    { // the borrowed target goes back at the end of this scope, after the state is popped
        RenderTargetHandle across = gfx->acquireRenderTarget(source->width, source->height);
        blurAxis(gfx, source, across.target, 1.0f, 0.0f, w, h);
        // The source is not read again, so the destination may be the source's own target.
        blurAxis(gfx, across->texture(), destination ? *destination : nullptr, 0.0f, 1.0f, w, h);
        gfx->popRenderState();
    }
}

void postBlurTarget(igfxContext* gfx, iRenderTarget** target) {
    postDirBlur(gfx, target && *target ? (*target)->texture() : nullptr, target);
}

void postDownsample(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination) {
    postRegisterWithVariants(gfx, g_downsampleRegistered, "downsample", "post_downsample.vert",
                             "post_downsample.frag",
                             {{"downsample_texel", "post_downsample_texel.frag"}});
    if (!source) return;
    // Halving on both axes (every chain's step) reads its 2 x 2 texels as they are.
    int w = 0, h = 0;
    destinationSize(gfx, destination, w, h);
    const bool halves = source->width == 2 * w && source->height == 2 * h;
    const std::string& shader = halves ? kDownsampleTexel : kDownsample;
    beginPass(gfx, shader, destination);
    gfx->setTexture(shader, kTex0, source);
    endPass(gfx, destination);
}

// ---- anti-aliasing --------------------------------------------------------------------------

void postFxaa(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
              float subpixel) {
    if (!g_fxaaRegistered) {
        // Both programs under the pass's one flag, the prepass first.
        bool prepass = false, filter = false;
        postRegister(gfx, prepass, "fxaa_prepass", "fxaa_prepass.vert", "fxaa_prepass.frag");
        postRegister(gfx, filter, "fxaa", "Fxaa3_11.vert", "Fxaa3_11.frag");
        g_fxaaRegistered = true;
    }
    if (!source) return;

    gfx->pushRenderState();
    postSetDefault2DState(gfx);
    { // the borrowed target goes back at the end of this scope, after the state is popped
        RenderTargetHandle luma = gfx->acquireRenderTarget(source->width, source->height);
        luma->bind(gfx, 0);
        gfx->useShader(kFxaaPrepass);
        gfx->setTexture(kFxaaPrepass, kTex0, source);
        gfx->drawFullscreenQuad();
        luma->unbind(gfx);

        const bool toTarget = destination && *destination;
        if (toTarget) (*destination)->bind(gfx, 0);
        gfx->useShader(kFxaa);
        gfx->setTexture(kFxaa, kTex0, luma->texture());
        setVec4(gfx, kFxaa, kRcpFrame, 1.0f / static_cast<float>(source->width),
                1.0f / static_cast<float>(source->height), 0.0f, 0.0f);
        setScalar(gfx, kFxaa, kSubpix, subpixel);
        setScalar(gfx, kFxaa, kEdgeThreshold, 0.166f);
        setScalar(gfx, kFxaa, kEdgeThresholdMin, 0.0833f);
        gfx->drawFullscreenQuad();
        if (toTarget) (*destination)->unbind(gfx);
        gfx->popRenderState();
    }
}
