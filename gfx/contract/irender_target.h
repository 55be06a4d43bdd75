// irender_target.h - an off-screen surface: draw into it, then sample its texture.
//
// A binary contract between the host and separately built plug-ins: the order of the virtual
// operations below must never change (a test pins it). The one implementation is
// cRenderTarget_fbo (render_target.h); plug-ins only ever call through this table.
#pragma once

struct TextureHandle;
class igfxContext;

class iRenderTarget {
  public:
    // Builds the framebuffer around `texture`: a depth-format texture becomes the depth
    // attachment, anything else colour attachment 0. `hasDepth` adds a shared depth-stencil buffer.
    virtual void initWithTexture(igfxContext* gfx, TextureHandle* texture, bool hasDepth) = 0;
    // Makes its own RGBA8 colour texture of this size (clamped, no mipmaps), then as above.
    virtual void initWithSize(igfxContext* gfx, int width, int height, bool hasDepth) = 0;
    // Makes the target current with a viewport of its size and clears per `clearFlags`
    // (1 colour, 2 depth, 4 stencil, 0 keeps the contents). Not nested: unbind first.
    virtual void bind(igfxContext* gfx, int clearFlags) = 0;
    // Back to the framebuffer, draw buffer and viewport that were current at bind().
    virtual void unbind(igfxContext* gfx) = 0;
    virtual TextureHandle* texture() = 0;
    virtual ~iRenderTarget() {}
};
