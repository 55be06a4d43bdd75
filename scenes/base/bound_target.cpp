// bound_target.cpp - see bound_target.h.
#include "bound_target.h"

#include "assert_failed.h"
#include "igfx_context.h"
#include "irender_target.h"

namespace {

// How many guards are bound now. Each plug-in has its own count, which is right: binding goes
// through one GL context, and only the plug-in being rendered binds at a time. A count, not a
// pointer to the innermost guard, so guards unbound out of order leave nothing stale.
int g_bound = 0;

} // namespace

BoundTarget::BoundTarget(igfxContext* gfx, iRenderTarget* target, int clearFlags)
    : gfx_(gfx), target_(target) {
    if (!target_) return;
    if (g_bound > 0) assertFailed("render target bound inside another");
    target_->bind(gfx_, clearFlags);
    ++g_bound;
}

BoundTarget::BoundTarget(igfxContext* gfx, const RenderTargetHandle& lease, int clearFlags)
    : BoundTarget(gfx, lease.target, clearFlags) {}

void BoundTarget::unbind() {
    if (!target_) return;
    target_->unbind(gfx_);
    target_ = nullptr;
    --g_bound;
}
