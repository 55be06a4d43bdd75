// render_module_distfield.cpp - see render_module_distfield.h.
#include "render_module_distfield.h"

#include "distfield_rules.h"
#include "imodule_input.h"
#include "irender_target.h"
#include "postfx.h"

#include <string>

namespace {

// Names for the context, made once (shader_names.h); the logos are looked up in the context's
// texture cache every frame.
const std::string kMarchShaders[4] = {"raymarch00", "raymarch01", "raymarch02", "raymarch03"};
const char* const kMarchDefines[4] = {"#define SCENE00\n", "#define SCENE01\n", "#define SCENE02\n",
                                      "#define SCENE03\n"};
const std::string kTime = "time";
const std::string kWobbleTex = "tex0";
const std::string kParms2 = "parms2";
const std::string kTolvaneLogo = "data/textures/tolvane_logo.jpg";
const std::string kKelpmoorLogo = "data/textures/logo_kelpmoor.png";
const std::string kPruxaLogo = "data/textures/pruxa_logo.jpg";

// Logos sit on black and are added to the frame, keeping the destination's alpha out of it.
void overlayLogo(igfxContext* gfx, RenderTargetHandle& a, float opacity, const std::string& file,
                 float scale) {
    TextureHandle* logo = loadTexture(gfx, file, kLoadClampedMipmapped);
    setBlend(gfx, kBlendAdd);
    // A missing image loads as null; its size cannot place a rectangle.
    if (!logo) return;
    // Added at no strength the logo would leave every colour of A as it is (only A's alpha
    // under it would go to 0, and nothing after reads it): each logo is on screen for two to
    // four bars, and the first one costs as much as a full-screen pass.
    if (opacity <= 0.0f) return;
    const distfield::HalfExtent e = distfield::logoHalfExtent(logo->width, logo->height, scale);
    screenOverlayTextured(gfx, logo, &a.target, -e.w, -e.h, e.w, e.h, opacity);
}

} // namespace

void cRenderModuleDistfield::initialise(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    for (int i = 0; i < 4; ++i)
        gfx->loadShaderDefines(kMarchShaders[i], "data/shaders/raymarch.vert",
                               "data/shaders/raymarch.frag", kMarchDefines[i]);
    wobble_ = loadTexture(gfx, "data/textures/tlv_wobble.png", kLoadClamped);
    background_ = loadTexture(gfx, "data/textures/stripeback02.png", kLoadClamped);
    const TrackReader track(input);
    track("march_scenenum", 0); // creates the track; value unused
}

void cRenderModuleDistfield::render(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);
    const int64_t t = input->getTimeMs(); // the march pass sees this one instant

    // Premultiplied "over" for everything drawn with the scene's own state.
    setBlend(gfx, kBlendOver);

    // Full size, or a quarter of the width and height for slower machines.
    const int divisor = distfield::resolutionDivisor(track("mch_scenever"));
    RenderTargetHandle a = gfx->acquireScreenRenderTarget(divisor);
    RenderTargetHandle b = gfx->acquireScreenRenderTarget(divisor);

    const int scene = distfield::sceneNumber(track("march_scenenum"));

    // B: empty, or the stripes behind the emblem of scene 3.
    gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    {
        BoundTarget bound(gfx, b, kClearColourDepth);
        if (scene == 3) postBlit(gfx, background_);
    }

    // B -> A: darkened corners, under the march.
    postVignette(gfx, b->texture(), &a.target, 1.75f);

    // Over A: the ray-marched scene.
    marchPass(input, a, b, t, scene, divisor);

    // Glow, colour offset and the first logo only at full size.
    if (divisor == kScreenFull) {
        postBloom(gfx, a->texture(), &b.target, 190.0f, 200.0f, 1.3f); // A -> B
        postColOffset(gfx, b->texture(), &a.target);                   // B -> A
        overlayLogo(gfx, a, track("tlvits"), kTolvaneLogo, 2.5f);
    }
    overlayLogo(gfx, a, track("kelp_its"), kKelpmoorLogo, 1.5f);
    overlayLogo(gfx, a, track("pruxa_its"), kPruxaLogo, 1.15f);

    // A -> B: the vertical offset, then B into the framebuffer the host bound.
    const float vofs = track("mch_vofs");
    const float vblur = track("mch_vblur");
    postVertOffset(gfx, a->texture(), &b.target, vofs, vblur);
    postBlit(gfx, b->texture());
    // B, then A, go back to the pool as the leases leave scope.
}

void cRenderModuleDistfield::marchPass(iModuleInput* input, RenderTargetHandle& a,
                                       RenderTargetHandle& b, int64_t t, int scene, int divisor) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);
    const float seconds = static_cast<float>(static_cast<double>(t) / 1000.0);
    const float morph = track("blob_morph", t);
    const float distort = track("blob_distort", t);
    const float matmorph = track("blob_matmorph", t);
    const float logodistort = track("blob_logodistort", t);
    const float sliceOffset = track("slice_offset", t);
    const float glow = track("glowintensity", t);

    const std::string& shader = kMarchShaders[scene];
    gfx->useShader(shader);
    const float time[4] = {seconds, seconds, seconds, seconds};
    gfx->setVector(shader, kTime, time);
    gfx->setTexture(shader, kWobbleTex, wobble_);
    const float parms[4] = {distort, morph, matmorph, logodistort};
    gfx->setVector(shader, kParms, parms);
    const float parms2[4] = {sliceOffset, glow, 0.0f, 0.0f};
    gfx->setVector(shader, kParms2, parms2);

    // The pool starts with three full-size targets but only two of a quarter size, so a third
    // quarter-size lease would create a target in the middle of the demo. At a quarter size
    // the march draws into B instead: its contents are dead from the vignette (which read
    // them) until the vertical offset (which clears it first).
    RenderTargetHandle leased;
    if (divisor == kScreenFull) leased = gfx->acquireScreenRenderTarget(divisor);
    iRenderTarget* c = divisor == kScreenFull ? leased.target : b.target;

    // C: the full-screen quad with the selected variant.
    gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    {
        BoundTarget bound(gfx, c, kClearColourDepth);
        const int zero = 0, width = c->texture()->width, height = c->texture()->height;
        gfx->setViewport(zero, zero, width, height);
        gfx->drawFullscreenQuad();
        gfx->setViewport(zero, zero, width, height);
    }

    // C -> A, clamped, over what the vignette left there.
    BoundTarget bound(gfx, a, kClearNone);
    postCopyClamp(gfx, c->texture(), 1.0f, 1.0f);
}

DEMO_EXPORT_SCENE(cRenderModuleDistfield)
