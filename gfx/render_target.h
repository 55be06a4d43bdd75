// render_target.h - render targets on framebuffer objects, and the pool that lends them.
//
// cRenderTarget_fbo is the one iRenderTarget. Targets of one size that want depth share one
// depth-stencil renderbuffer, kept alive while any target of that size uses it.
// RenderTargetPool is owned by the graphics context: effects borrow targets by size every
// frame; after the start-up pre-fill no GL object is made unless a new size or more targets
// at once are asked for, and each such creation prints a performance warning.
#pragma once

#include "igfx_context.h"
#include "irender_target.h"

#include <cstdint>
#include <utility>
#include <vector>

class cRenderTarget_fbo : public iRenderTarget {
  public:
    cRenderTarget_fbo();
    void initWithTexture(igfxContext* gfx, TextureHandle* texture, bool hasDepth) override;
    void initWithSize(igfxContext* gfx, int width, int height, bool hasDepth) override;
    void bind(igfxContext* gfx, int clearFlags) override;
    void unbind(igfxContext* gfx) override;
    TextureHandle* texture() override { return texture_; }
    ~cRenderTarget_fbo() override;

    bool hasDepth() const { return hasDepth_; }

  private:
    // Deletes the framebuffer, lets go of the shared depth buffer and of an own texture.
    void releaseGlObjects();

    uint32_t framebuffer_ = 0;
    uint32_t depthBuffer_ = 0;
    int64_t depthKey_ = 0; // size key the shared depth buffer was taken under
    TextureHandle* texture_ = nullptr;
    bool hasDepth_ = false;
    bool ownsTexture_ = false; // made by initWithSize
    int32_t savedViewport_[4] = {-1, -1, -1, -1};
    int32_t savedDrawBuffer_ = 0;
    int32_t savedFramebuffer_ = 0; // the framebuffer bound at the last bind
};

// Size key of the pool and of the shared depth buffers: width * 2^30 + height.
inline int64_t renderTargetSizeKey(int width, int height) {
    return static_cast<int64_t>(width) * (int64_t(1) << 30) + height;
}

class RenderTargetPool {
  public:
    ~RenderTargetPool(); // prints the report, destroys every pooled target

    RenderTargetHandle acquire(igfxContext* gfx, int width, int height);
    void release(RenderTargetHandle* handle);
    // Three (w,h), three (w/2,h/2), two (w/4,h/4), two (w/8,h/8), all released again; from
    // then on a run-time creation prints the performance warning.
    void prefill(igfxContext* gfx, int screenWidth, int screenHeight);

    int outstanding() const { return outstanding_; }
    int maxOutstanding() const { return maxOutstanding_; }
    size_t freeCount() const { return free_.size(); }
    const std::vector<std::pair<int64_t, iRenderTarget*>>& freeTargets() const { return free_; }

  private:
    std::vector<std::pair<int64_t, iRenderTarget*>> free_; // in release order
    int32_t outstanding_ = 0;
    int32_t maxOutstanding_ = 0;
    bool warnOnAllocation_ = false;
};
