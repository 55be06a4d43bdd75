// render_module_distfield.cpp - see render_module_distfield.h.
#include "render_module_distfield.h"

#include "distfield_rules.h"
#include "imodule_input.h"
#include "irender_target.h"
#include "isync.h"
#include "postfx.h"

namespace {

const char* const kMarchShaders[4] = {"raymarch00", "raymarch01", "raymarch02", "raymarch03"};
const char* const kMarchDefines[4] = {"#define SCENE00\n", "#define SCENE01\n", "#define SCENE02\n",
                                      "#define SCENE03\n"};

// Additive, keeping the destination's alpha out of it: logos light the frame up.
void overlayLogo(igfxContext* gfx, iSync* sync, const int64_t& t, RenderTargetHandle& a,
                 const char* track, const char* file, float scale) {
    const float opacity = sync->getValue(track, &t);
    TextureHandle* logo = gfx->loadTexture(file, true, 2, true, 0);
    rs::setBlend(*gfx->renderState(), kBlendOne, kBlendOne, kBlendOne, kBlendZero);
    // A missing image loads as null; its size cannot place a rectangle.
    if (!logo) return;
    const distfield::HalfExtent e = distfield::logoHalfExtent(logo->width, logo->height, scale);
    screenOverlayTextured(gfx, logo, &a.target, -e.w, -e.h, e.w, e.h, opacity);
}

} // namespace

void cRenderModuleDistfield::initialise(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    for (int i = 0; i < 4; ++i)
        gfx->loadShaderDefines(kMarchShaders[i], "data/shaders/raymarch.vert",
                               "data/shaders/raymarch.frag", kMarchDefines[i]);
    wobble_ = gfx->loadTexture("data/textures/tlv_wobble.png", false, 2, true, 0);
    background_ = gfx->loadTexture("data/textures/stripeback02.png", false, 2, true, 0);
    const int64_t zero = 0;
    input->getSync()->getValue("march_scenenum", &zero); // creates the track; value unused
}

void cRenderModuleDistfield::render(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    iSync* sync = input->getSync();
    const int64_t t = input->getTimeMs();

    // Premultiplied "over" for everything drawn with the scene's own state.
    rs::setBlend(*gfx->renderState(), kBlendOne, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOne);

    const float scenever = sync->getValue("mch_scenever", &t);
    const bool full = distfield::resolutionDivisor(scenever) == 1;
    RenderTargetHandle a = gfx->acquireScreenRenderTarget(distfield::resolutionDivisor(scenever));
    RenderTargetHandle b = gfx->acquireScreenRenderTarget(distfield::resolutionDivisor(scenever));

    const int scene = distfield::sceneNumber(sync->getValue("march_scenenum", &t));

    // Background: empty, or the stripes behind the logo scene.
    gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    b->bind(gfx, 3);
    if (scene == 3) postBlit(gfx, background_);
    b->unbind(gfx);

    postVignette(gfx, b->texture(), &a.target, 1.75f);

    marchPass(input, sync, a, b, t, scene);

    // Glow, colour offset and the first logo only at full size.
    if (full) {
        postBloom(gfx, a->texture(), &b.target, 190.0f, 200.0f, 1.3f);
        postColOffset(gfx, b->texture(), &a.target);
        overlayLogo(gfx, sync, t, a, "tlvits", "data/textures/tolvane_logo.jpg", 2.5f);
    }
    overlayLogo(gfx, sync, t, a, "kelp_its", "data/textures/logo_kelpmoor.png", 1.5f);
    overlayLogo(gfx, sync, t, a, "pruxa_its", "data/textures/pruxa_logo.jpg", 1.15f);

    const float vofs = sync->getValue("mch_vofs", &t);
    const float vblur = sync->getValue("mch_vblur", &t);
    postVertOffset(gfx, a->texture(), &b.target, vofs, vblur);

    postBlit(gfx, b->texture());
    // b, then a, go back to the pool as the handles leave scope.
}

void cRenderModuleDistfield::marchPass(iModuleInput* input, iSync* sync, RenderTargetHandle& a,
                                       RenderTargetHandle& b, int64_t t, int scene) {
    igfxContext* gfx = input->getGfx();
    const float seconds = static_cast<float>(static_cast<double>(t) / 1000.0);
    const float morph = sync->getValue("blob_morph", &t);
    const float distort = sync->getValue("blob_distort", &t);
    const float matmorph = sync->getValue("blob_matmorph", &t);
    const float logodistort = sync->getValue("blob_logodistort", &t);
    const float sliceOffset = sync->getValue("slice_offset", &t);
    const float glow = sync->getValue("glowintensity", &t);

    const char* shader = kMarchShaders[scene];
    gfx->useShader(shader);
    const float time[4] = {seconds, seconds, seconds, seconds};
    gfx->setVector(shader, "time", time);
    gfx->setTexture(shader, "tex0", wobble_);
    const float parms[4] = {distort, morph, matmorph, logodistort};
    gfx->setVector(shader, "parms", parms);
    const float parms2[4] = {sliceOffset, glow, 0.0f, 0.0f};
    gfx->setVector(shader, "parms2", parms2);

    // The pool starts with three full-size targets but only two of a quarter size, so a third
    // quarter-size lease would create a target in the middle of the demo. At a quarter size
    // the march draws into B instead: its contents are dead from the vignette (which read
    // them) until the vertical offset (which clears it first).
    const int divisor = distfield::resolutionDivisor(sync->getValue("mch_scenever", &t));
    RenderTargetHandle leased;
    if (divisor == 1) leased = gfx->acquireScreenRenderTarget(divisor);
    iRenderTarget* c = divisor == 1 ? leased.target : b.target;

    gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    c->bind(gfx, 3);
    const int zero = 0, width = c->texture()->width, height = c->texture()->height;
    gfx->setViewport(zero, zero, width, height);
    gfx->drawFullscreenQuad();
    gfx->setViewport(zero, zero, width, height);
    c->unbind(gfx);

    a->bind(gfx, 0);
    postCopyClamp(gfx, c->texture(), 1.0f, 1.0f);
    a->unbind(gfx);
}

DEMO_EXPORT_SCENE(cRenderModuleDistfield)
