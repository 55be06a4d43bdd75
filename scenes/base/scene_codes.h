// scene_codes.h - names for the numbers a scene passes to the graphics context.
//
// The context's operations take plain ints and bools, fixed by the binary contract with the
// host (igfx_context.h, irender_target.h), so a call such as loadTexture(file, true, 2, true,
// 0) or bind(gfx, 3) is correct but unreadable. Scenes write these names instead. Texture and
// pixel format codes are FormatCode in texture_handle.h; blend factors and depth functions
// are in render_state.h.
#pragma once

#include "render_state.h"

// Texture wrap modes (loadTexture, createTexture2D).
enum TextureWrap : int {
    kWrapRepeat = 1,
    kWrapClamp = 2, // clamp to edge
};

// Texture dimensionality for loadTexture. From the image: a height of 1 gives a 1D texture,
// anything else 2D (and a 2D image that is not a power of two in both directions gets no
// mipmaps, whatever was asked).
enum TextureDims : int {
    kDimsFromImage = 0,
    kDims1D = 1,
    kDims2D = 2,
    kDims3D = 3,
};

// Filter choice of loadTexture: with mipmaps a texture minifies with LINEAR_MIPMAP_LINEAR,
// without it plain LINEAR; magnification is always LINEAR.
constexpr bool kMipmaps = true;
constexpr bool kNoMipmaps = false;
// Storage of loadTexture: the driver's compressed RGB(A), or 8 bits per channel.
constexpr bool kCompressed = true;
constexpr bool kUncompressed = false;

// What to clear: igfxContext::clear and iRenderTarget::bind (0 keeps the contents).
enum ClearFlags : int {
    kClearNone = 0,
    kClearColour = 1,
    kClearDepth = 2,
    kClearColourDepth = kClearColour | kClearDepth,
    kClearStencil = 4,
};

// acquireScreenRenderTarget divides the screen's width and height by this.
enum ScreenDivisor : int {
    kScreenFull = 1,
    kScreenHalf = 2,
    kScreenQuarter = 4, // a quarter of the width and of the height
};

// The options of one loadTexture call (kit_helpers.h: loadTexture(gfx, file, options)).
// Every scene loads its images compressed, with the dimensionality taken from the image, so
// three sets cover them all.
struct TextureLoad {
    bool mipmaps;
    int wrap;
    bool compress;
    int dimensions;
};
// Drawn at about their own size or sampled by coordinates the shader works out itself:
// full-screen pictures, masks, gradients, noise.
constexpr TextureLoad kLoadClamped{kNoMipmaps, kWrapClamp, kCompressed, kDimsFromImage};
// Drawn smaller than they are stored (logos, panels in the distance): mipmapped.
constexpr TextureLoad kLoadClampedMipmapped{kMipmaps, kWrapClamp, kCompressed, kDimsFromImage};
// Tiled across a surface.
constexpr TextureLoad kLoadRepeatedMipmapped{kMipmaps, kWrapRepeat, kCompressed, kDimsFromImage};

// Blend factors of the render state: source colour, destination colour, source alpha,
// destination alpha (setBlend(gfx, preset) in kit_helpers.h).
struct BlendFactors {
    uint32_t srcColour, dstColour, srcAlpha, dstAlpha;
};
// Premultiplied colour drawn over what is there; alpha accumulates.
constexpr BlendFactors kBlendOver{kBlendOne, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOne};
// Colour added to what is there (light, glow, logos on black); the destination's alpha is
// replaced by the source's.
constexpr BlendFactors kBlendAdd{kBlendOne, kBlendOne, kBlendOne, kBlendZero};
