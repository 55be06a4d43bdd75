// post_radial_blur.cpp - see post_radial_blur.h.
#include "post_radial_blur.h"

#include "pass.h"

#include <string>

namespace {

const std::string kRadialBlur = "radialblur";
const std::string kTimeS = "time_s";
const std::string kDist = "dist";
const std::string kMultiplier = "multiplier";

// Clear until the first call registers the program, then set for as long as the plug-in is
// loaded: each module registers its own passes once.
bool g_radialBlurRegistered = false;

} // namespace

void postRadialBlur(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                    float time, float distance, float multiplier) {
    postRegister(gfx, g_radialBlurRegistered, "radialblur", "post_radialblur.vert",
                 "post_radialblur.frag");
    if (!source) return;
    beginPass(gfx, kRadialBlur, destination);
    gfx->setTexture(kRadialBlur, kTex0, source);
    setTextureSize(gfx, kRadialBlur, source);
    setScalar(gfx, kRadialBlur, kTimeS, time);
    setScalar(gfx, kRadialBlur, kDist, distance);
    setScalar(gfx, kRadialBlur, kMultiplier, multiplier);
    endPass(gfx, destination);
}
