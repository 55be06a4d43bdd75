// postfx.h - the post-processing library: image-space passes over full-screen quads.
//
// Linked into the host and into every scene plug-in; each module keeps its own once-only state
// (shader registration flags, cached textures, the random table and grain cursor). Every pass
// draws through igfxContext only, registers its shader(s) on its first call, leaves the
// requested render state as it found it and leaves no target bound.
//
// Conventions: a texture argument is a TextureHandle* (usually a target's texture); a
// destination is the address of an iRenderTarget pointer, so a RenderTargetHandle can be
// passed as &handle. Chains borrow temporary targets from the context's pool and give them back
// in reverse order. "A -> B" below means: from A's colour texture into target B.
//
// Null inputs, the same for every pass:
// - A null texture argument (source, over, under or mask; for postDof a null source target
//   or one without a texture; for postBlurTarget a null target or one without a texture)
//   makes the pass draw nothing: it registers its shaders as on any first call and returns,
//   touching no pixel, no render state, no pool target and no grain cursor. A null texture is
//   a load that already failed and was reported where it failed; the library reports nothing
//   itself, and a half-drawn frame from an unbound sampler would be worse.
// - A null look-up table is the identity grade: postRgbLut copies its source unchanged into
//   the destination, so the passes after it still work on this frame.
// - A null destination (a null address, or the address of a null target pointer) means no
//   destination: the pass draws into whatever framebuffer is bound, the screen or a target
//   the caller has bound, as the passes without a destination argument always do.
#pragma once

#include <cstdint>

struct TextureHandle;
class igfxContext;
class iRenderTarget;

// ---- framework ------------------------------------------------------------------------------

// Edits the requested state word: depth write off, depth ALWAYS, no culling, blending
// (ONE, ZERO) for colour and alpha (the output replaces the target), all channels written.
void postSetDefault2DState(igfxContext* gfx);

// ---- basic passes ---------------------------------------------------------------------------

// Draws the texture over the bound framebuffer with the caller's blend and depth state.
void postPassthrough(igfxContext* gfx, TextureHandle* texture);
// The texture replaces the bound framebuffer's contents.
void postBlit(igfxContext* gfx, TextureHandle* texture);
// Shows texture coordinates 0..u, 0..v over the bound framebuffer (replacing).
void postCopy(igfxContext* gfx, TextureHandle* texture, float u, float v);
// Premultiplied "over" of 0..u, 0..v, clamped half a texel short of the edge.
void postCopyClamp(igfxContext* gfx, TextureHandle* texture, float u, float v);
// Separable blur: x into a borrowed target of the source's size, then y into the destination.
void postDirBlur(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination);
// Blurs a target in place.
void postBlurTarget(igfxContext* gfx, iRenderTarget** target);
// Averages the source into a (smaller) destination.
void postDownsample(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination);
// Edge-detecting anti-aliasing in two passes (luma prepass, then the filter).
void postFxaa(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination, float subpixel);

// ---- compositing ----------------------------------------------------------------------------

enum CompositeMode : int32_t {
    kCompositeOverlay = 0,
    kCompositeAdd = 1,
    kCompositeAddMultAlpha = 2,
    kCompositeScreen = 3,
    kCompositeDodge = 4,
    kCompositeModulate = 5,
    kCompositeBurn = 6,
};

// Every other line kept; the destination is cleared first. `fill` fills the dropped lines.
void postInterlace(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination, bool fill);
// levels: input low, input high, gamma, output low, output high (0..255 scale).
void postLevels(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                const float* levels);
void postComposite(igfxContext* gfx, TextureHandle* over, TextureHandle* under,
                   iRenderTarget** destination, CompositeMode mode, float opacity);
// Only the overlay mode exists; other modes report "not yet implemented".
void postCompositeMasked(igfxContext* gfx, TextureHandle* over, TextureHandle* under,
                         TextureHandle* mask, iRenderTarget** destination, CompositeMode mode,
                         float opacity);
// A textured rectangle (normalised device coordinates) over the destination, with the
// caller's blending.
void screenOverlayMasked(igfxContext* gfx, TextureHandle* over, TextureHandle* mask,
                         iRenderTarget** destination, float x0, float y0, float x1, float y1,
                         float opacity);
void screenOverlayTextured(igfxContext* gfx, TextureHandle* over, iRenderTarget** destination,
                           float x0, float y0, float x1, float y1, float opacity);

// ---- stylising ------------------------------------------------------------------------------

void postVignette(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                  float amount);
void postGrain(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination, float opacity,
               float time);
void postColOffset(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination);
void postUnsharp(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                 float amount);
void postBloom(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
               float threshold, float white, float gamma);
// The source target must have a depth buffer: its depth is copied with depthTexture().
void postDof(igfxContext* gfx, iRenderTarget* source, iRenderTarget** destination, float a,
             float b);
void postVertOffset(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                    const float& amount, const float& scale);
void postDistNoise(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination, float time,
                   float strength);
void postBarrel(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination);
void postDigitalGlitch(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                       float a, float b);
void postDigitalGlitch2(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                        float time, float glitch);
// streak: input low of the first levels step; input high and gamma of the last.
void postStreaks(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination, float time,
                 const float* streak);
void postStreaksAdd(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                    float time, const float* streak, float opacity);
void postRgbLut(igfxContext* gfx, TextureHandle* source, TextureHandle* lut,
                iRenderTarget** destination, float opacity);
void postDirBlurRnd(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination, float dx,
                    float dy, float time);

// ---- the module's random table (grain) ------------------------------------------------------

constexpr int kRandomTableSize = 131072;
float postRandomEntry(int index); // the table, filled at module start
int postGrainCursor();            // 0 at start; advanced by 2 per postGrain call
// Moves the cursor (taken modulo the table size), for a scene that draws from the table itself
// and leaves the grain a fixed place to continue from.
void postSetGrainCursor(int cursor);
