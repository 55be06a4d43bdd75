// stylise_passes.cpp - the single-pass stylising effects: colour offset, depth of field,
// vertical offset, noise distortion, barrel, the two digital glitches, 3D-LUT grading and
// the jittered directional blur the streaks are made of.
//
// Each is one standard pass (pass.h); the shader decides the look, this file only fixes what
// it is fed. Names are constants so that a call allocates nothing.
#include "pass.h"
#include "postfx.h"

#include <string>

namespace {

const std::string kColOffset = "coloffset";
const std::string kDof = "dof";
const std::string kVertOffset = "vertoffset";
const std::string kVertOffsetTexel = "vertoffset_texel";
const std::string kDistNoise = "distnoise";
const std::string kBarrel = "post_barrel";
const std::string kDigiGlitch = "digiglitch";
const std::string kDigiGlitch2 = "digiglitch2";
const std::string kRgbLut = "post_rgb_lut";
const std::string kPassthrough = "passthrough";
const std::string kDirBlurRnd = "dir_blur_rnd";
const std::string kDirBlurRndTexel = "dir_blur_rnd_texel";
const std::string kDirBlurRndX = "dir_blur_rnd_x";

const std::string kAspect = "aspect";
const std::string kParms = "parms";
const std::string kDepthTex = "depthtex";
const std::string kTime = "time";
const std::string kDistVal = "distval";
const std::string kTimeS = "time_s";
const std::string kGlitch = "glitch";
const std::string kTex = "tex";
const std::string kLut = "rgb_lut";
const std::string kBlurDir = "blurdir";

bool g_colOffsetRegistered = false;
bool g_dofRegistered = false;
bool g_vertOffsetRegistered = false;
bool g_distNoiseRegistered = false;
bool g_barrelRegistered = false;
bool g_digiGlitchRegistered = false;
bool g_digiGlitch2Registered = false;
bool g_rgbLutRegistered = false;
bool g_rgbLutCopyRegistered = false;
bool g_dirBlurRndRegistered = false;

} // namespace

void postColOffset(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination) {
    postRegister(gfx, g_colOffsetRegistered, "coloffset", "post_coloffset.vert",
                 "post_coloffset.frag");
    if (!source) return;
    beginPass(gfx, kColOffset, destination);
    gfx->setTexture(kColOffset, kTex0, source);
    setScalar(gfx, kColOffset, kAspect,
              static_cast<float>(source->width) / static_cast<float>(source->height));
    setTextureSize(gfx, kColOffset, source);
    endPass(gfx, destination);
}

void postDof(igfxContext* gfx, iRenderTarget* source, iRenderTarget** destination, float a,
             float b) {
    postRegister(gfx, g_dofRegistered, "dof", "post_dof.vert", "post_dof.frag");
    if (!source || !source->texture()) return;
    // The depth copy binds the source itself, so it has to happen before the destination is
    // bound.
    TextureHandle* depth = gfx->depthTexture(source);
    TextureHandle* colour = source->texture();
    beginPass(gfx, kDof, destination);
    gfx->setTexture(kDof, kTex0, colour);
    setVec4(gfx, kDof, kParms, a, b, 0.0f, 0.0f);
    gfx->setTexture(kDof, kDepthTex, depth);
    setTextureSize(gfx, kDof, colour);
    endPass(gfx, destination);
}

void postVertOffset(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                    const float& amount, const float& scale) {
    postRegisterWithVariants(gfx, g_vertOffsetRegistered, "vertoffset", "post_vertoffset.vert",
                             "post_vertoffset.frag",
                             {{"vertoffset_texel", "post_vertoffset_texel.frag"}});
    if (!source) return;
    // Without a smear (the distance field's whole part, the reactor between its pulses) one
    // read per pixel gives what the smear's nine reads of one row would.
    const std::string& shader = scale == 0.0f ? kVertOffsetTexel : kVertOffset;
    // Cleared first: the shader leaves the rows the shifted image no longer covers untouched.
    beginPass(gfx, shader, destination, 3);
    gfx->setTexture(shader, kTex0, source);
    // The blur length is given in pixels of a 1280-wide frame and follows the destination;
    // without one the pass draws into the bound framebuffer, whose width the viewport holds.
    int width = 0, height = 0;
    destinationSize(gfx, destination, width, height);
    setVec4(gfx, shader, kParms, amount, static_cast<float>(width) * scale / 1280.0f, 0.0f, 0.0f);
    endPass(gfx, destination);
}

void postDistNoise(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination, float time,
                   float strength) {
    postRegister(gfx, g_distNoiseRegistered, "distnoise", "post_distort_noise_rgb.vert",
                 "post_distort_noise_rgb.frag");
    if (!source) return;
    beginPass(gfx, kDistNoise, destination);
    gfx->setTexture(kDistNoise, kTex0, source);
    setScalar(gfx, kDistNoise, kTime, time);
    setTextureSize(gfx, kDistNoise, source);
    setScalar(gfx, kDistNoise, kDistVal, strength);
    endPass(gfx, destination);
}

void postBarrel(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination) {
    postRegister(gfx, g_barrelRegistered, "post_barrel", "post_barrel.vert", "post_barrel.frag");
    if (!source) return;
    beginPass(gfx, kBarrel, destination);
    gfx->setTexture(kBarrel, kTex0, source);
    endPass(gfx, destination);
}

void postDigitalGlitch(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                       float a, float b) {
    postRegister(gfx, g_digiGlitchRegistered, "digiglitch", "post_comp.vert",
                 "post_digital_glitch.frag");
    registerTexelCopy(gfx);
    if (!source) return;
    // No strength: no block can be hit, and every pixel reads its own texel.
    if (!(b > 0.0f)) return texelCopyPass(gfx, source, destination);
    beginPass(gfx, kDigiGlitch, destination);
    setVec4(gfx, kDigiGlitch, kParms, a, b, 0.0f, 0.0f);
    gfx->setTexture(kDigiGlitch, kTex0, source);
    endPass(gfx, destination);
}

void postDigitalGlitch2(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                        float time, float glitch) {
    postRegister(gfx, g_digiGlitch2Registered, "digiglitch2", "post_comp.vert",
                 "post_digital_glitch2.frag");
    registerTexelCopy(gfx);
    if (!source) return;
    // No strength: no band moves and the three channels come from one texel, the pixel's own.
    if (!(glitch > 0.0f)) return texelCopyPass(gfx, source, destination);
    beginPass(gfx, kDigiGlitch2, destination);
    setScalar(gfx, kDigiGlitch2, kTimeS, time);
    setScalar(gfx, kDigiGlitch2, kGlitch, glitch);
    gfx->setTexture(kDigiGlitch2, kTex, source);
    endPass(gfx, destination);
}

void postRgbLut(igfxContext* gfx, TextureHandle* source, TextureHandle* lut,
                iRenderTarget** destination, float opacity) {
    postRegister(gfx, g_rgbLutRegistered, "post_rgb_lut", "post_rgb_lut.vert", "post_rgb_lut.frag");
    // Both programs on the first call, whatever it is given, so that what the pass registers
    // never depends on whether a table file loaded.
    postRegister(gfx, g_rgbLutCopyRegistered, "passthrough", "post_passthrough.vert",
                 "post_passthrough.frag");
    if (!source) return;
    if (!lut) {
        // No table (its load failed and was reported there) grades as the identity. Drawing
        // nothing would leave the destination holding an older picture, which the passes
        // after this one would then work over again, frame after frame.
        beginPass(gfx, kPassthrough, destination);
        gfx->setTexture(kPassthrough, kTex0, source);
        endPass(gfx, destination);
        return;
    }
    beginPass(gfx, kRgbLut, destination);
    gfx->setTexture(kRgbLut, kTex0, source);
    gfx->setTexture(kRgbLut, kLut, lut);
    setScalar(gfx, kRgbLut, kOpacity, opacity);
    endPass(gfx, destination);
}

void postDirBlurRnd(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination, float dx,
                    float dy, float time) {
    postRegisterWithVariants(gfx, g_dirBlurRndRegistered, "dir_blur_rnd", "post_dir_blur.vert",
                             "post_dir_blur_rnd.frag",
                             {{"dir_blur_rnd_x", "post_dir_blur_rnd_x.frag"},
                              {"dir_blur_rnd_texel", "post_dir_blur_rnd_texel.frag"}});
    if (!source) return;
    // A reach of exactly one texel along an axis lands the jittered taps the same way at every
    // jitter (post_dir_blur_rnd_texel.frag), so three fetches give the same picture; a blur
    // along x (every streak) keeps its taps on the pixel's row.
    const bool oneTexel = (dx == 1.0f && dy == 0.0f) || (dx == 0.0f && dy == 1.0f);
    const std::string& shader = oneTexel     ? kDirBlurRndTexel
                                : dy == 0.0f ? kDirBlurRndX
                                             : kDirBlurRnd;
    beginPass(gfx, shader, destination);
    gfx->setTexture(shader, kTex0, source);
    setVec4(gfx, shader, kBlurDir, dx, dy, 0.0f, 0.0f);
    setTextureSize(gfx, shader, source);
    if (!oneTexel) setScalar(gfx, shader, kTimeS, time);
    endPass(gfx, destination);
}
