// render_state.cpp - see render_state_cache.h.
#include "render_state_cache.h"

#include "assert_failed.h"
#include "gl_loader.h"

namespace {

GLenum depthFuncGl(uint64_t index) {
    static const GLenum table[] = {GL_LESS, GL_LEQUAL, GL_GREATER, GL_EQUAL, GL_GEQUAL, GL_ALWAYS};
    if (index < 6) return table[index];
    assertFailed("unknown depth function");
    return GL_LESS;
}

GLenum polygonModeGl(uint64_t index) {
    static const GLenum table[] = {GL_FILL, GL_POINT, GL_LINE};
    if (index < 3) return table[index];
    assertFailed("unknown polygon fill mode");
    return table[0];
}

GLenum blendFactorGl(uint64_t index, GLenum fallback) {
    static const GLenum table[] = {GL_ZERO,      GL_ONE,
                                   GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                   GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                   GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA};
    if (index < 8) return table[index];
    assertFailed("unknown blend factor");
    return fallback;
}

void enable(GLenum cap, bool on) {
    on ? glEnable(cap) : glDisable(cap);
}

} // namespace

void RenderStateCache::apply() {
    using namespace rs;
    const uint64_t w = requested;
    const uint64_t diff = applied ^ w;
    if (diff == 0) return;

    if (diff & kDepthWrite) glDepthMask((w & kDepthWrite) ? GL_TRUE : GL_FALSE);
    if (diff & kDepthFuncMask) glDepthFunc(depthFuncGl(field(w, kDepthFuncShift, kDepthFuncMask)));
    if (diff & kPolygonMask)
        glPolygonMode(GL_FRONT_AND_BACK, polygonModeGl(field(w, kPolygonShift, kPolygonMask)));
    if (diff & kCullBack) glCullFace((w & kCullBack) ? GL_BACK : GL_FRONT);
    if (diff & kCullEnable) enable(GL_CULL_FACE, w & kCullEnable);
    if (diff & kFrontCCW) glFrontFace((w & kFrontCCW) ? GL_CCW : GL_CW);
    if (diff & kMultisample) enable(GL_MULTISAMPLE, w & kMultisample);
    if (diff & kAlphaTest) enable(GL_ALPHA_TEST, w & kAlphaTest);
    if (diff & kBlendMask) {
        glBlendFuncSeparate(blendFactorGl(field(w, kBlendSrcColorShift, 0xfull << 12), GL_ONE),
                            blendFactorGl(field(w, kBlendDstColorShift, 0xfull << 16), GL_ZERO),
                            blendFactorGl(field(w, kBlendSrcAlphaShift, 0xfull << 20), GL_ONE),
                            blendFactorGl(field(w, kBlendDstAlphaShift, 0xfull << 24), GL_ZERO));
    }
    if (diff & kColorMask) {
        uint64_t m = field(w, kColorMaskShift, kColorMask);
        glColorMask(m & 1 ? GL_TRUE : GL_FALSE, m & 2 ? GL_TRUE : GL_FALSE,
                    m & 4 ? GL_TRUE : GL_FALSE, m & 8 ? GL_TRUE : GL_FALSE);
    }
    applied = w;
}

void RenderStateCache::pop() {
    if (stack.empty()) {
        assertFailed("render state stack empty");
        return;
    }
    requested = stack.back();
    stack.pop_back();
}

void RenderStateCache::reset() {
    requested = rs::defaultWord();
    applied = ~requested;
    apply();
}
