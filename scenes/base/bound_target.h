// bound_target.h - a render target bound for one block of drawing.
//
//     {
//         BoundTarget bound(gfx, a, kClearColourDepth); // bind A, clear colour and depth
//         if (!model) return;                           // A is unbound here too
//         model->draw(gfx);
//     }                                                 // and here
//
// The guard binds in its constructor and unbinds in its destructor, so the framebuffer and
// viewport that were current before come back on every path out of the block, as a lease
// (RenderTargetHandle) goes back to the pool. unbind() ends it early (before a pass that
// binds targets of its own); the destructor then does nothing.
//
// A scene draws into one target at a time, so a guard made while another is still bound is
// almost always a missing unbind(): it reports the assertion "render target bound inside
// another" and binds all the same (its unbind then returns to the outer target).
#pragma once

struct RenderTargetHandle;
class iRenderTarget;
class igfxContext;

class BoundTarget {
  public:
    // `clearFlags`: ClearFlags of scene_codes.h. A null target binds nothing.
    BoundTarget(igfxContext* gfx, iRenderTarget* target, int clearFlags);
    BoundTarget(igfxContext* gfx, const RenderTargetHandle& lease, int clearFlags);
    ~BoundTarget() { unbind(); }
    BoundTarget(const BoundTarget&) = delete;
    BoundTarget& operator=(const BoundTarget&) = delete;

    void unbind();

  private:
    igfxContext* gfx_;
    iRenderTarget* target_; // null once unbound
};
