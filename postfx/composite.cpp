// composite.cpp - passes that combine images: blend modes, masked overlay, screen-space
// rectangles, levels and interlacing.
//
// The blend-mode shaders are registered together on the first postComposite; every other pass
// registers its own on its first call. Each pass is the standard pass of pass.h unless noted.
#include "assert_failed.h"
#include "pass.h"
#include "postfx.h"
#include "render_state.h"

#include <string>

namespace {

// ---- shader names and uniforms --------------------------------------------------------------

const std::string kInterlace = "interlace";
const std::string kLevels = "levels";
const std::string kOverlayMasked = "overlay_comp_masked";
const std::string kScreenOverlayMasked = "ss_overlay_masked";
const std::string kScreenOverlayTextured = "ss_overlay_textured";

const std::string kFill = "fill";
const std::string kLevelsInOut = "levels_inout";
const std::string kGamma = "gamma";
const std::string kTexOver = "tex_over";
const std::string kTexUnder = "tex_under";
const std::string kTexMask = "tex_mask";

// One program per CompositeMode, indexed by the mode.
constexpr int kModeCount = 7;
const std::string kModeShader[kModeCount] = {
    "overlay_comp", "add_comp",      "add_comp_multalpha", "screen_comp",
    "dodge_comp",   "modulate_comp", "burn_comp",
};
const char* const kModeFragment[kModeCount] = {
    "post_comp_overlay.frag", "post_comp_add.frag",   "post_comp_add_multalpha.frag",
    "post_comp_screen.frag",  "post_comp_dodge.frag", "post_comp_modulate.frag",
    "post_comp_burn.frag",
};
// Adding an over layer of the under layer's size (the streaks' own picture) reads both at the
// pixel's texel; every other case, smaller glows above all, keeps the filtered over layer.
const std::string kAddTexel = "add_comp_texel";

// ---- registration flags, one per pass -------------------------------------------------------

bool g_interlaceRegistered = false;
bool g_levelsRegistered = false;
bool g_compositeRegistered = false;
bool g_compositeMaskedRegistered = false;
bool g_screenMaskedRegistered = false;
bool g_screenTexturedRegistered = false;

// Screen overlays draw a rectangle with the caller's blending: only depth, culling and the
// colour mask are made safe for 2-D.
void beginScreenOverlay(igfxContext* gfx, const std::string& shader, iRenderTarget** destination) {
    gfx->pushRenderState();
    uint64_t& word = *gfx->renderState();
    rs::setDepthWrite(word, false);
    rs::setDepthFunc(word, kDepthAlways);
    rs::setCulling(word, false);
    rs::setColorMask(word, 0xf);
    if (destination && *destination) (*destination)->bind(gfx, 0);
    gfx->useShader(shader);
}

void endScreenOverlay(igfxContext* gfx, iRenderTarget** destination, float x0, float y0, float x1,
                      float y1) {
    const float extent = 1.0f;
    gfx->drawQuad(x0, y0, x1, y1, extent, extent);
    if (destination && *destination) (*destination)->unbind(gfx);
    gfx->popRenderState();
}

} // namespace

// ---- levels and interlacing -----------------------------------------------------------------

void postInterlace(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                   bool fill) {
    postRegister(gfx, g_interlaceRegistered, "interlace", "post_interlace.vert",
                 "post_interlace.frag");
    if (!source) return; // the destination is not even cleared
    beginPass(gfx, kInterlace, destination, 3);
    gfx->setTexture(kInterlace, kTex0, source);
    setScalar(gfx, kInterlace, kFill, fill ? 1.0f : 0.0f);
    endPass(gfx, destination);
}

void postLevels(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                const float* levels) {
    postRegister(gfx, g_levelsRegistered, "levels", "post_levels.vert", "post_levels.frag");
    if (!source) return;
    beginPass(gfx, kLevels, destination);
    setVec4(gfx, kLevels, kLevelsInOut, levels[0], levels[1], levels[3], levels[4]);
    setScalar(gfx, kLevels, kGamma, levels[2]);
    gfx->setTexture(kLevels, kTex0, source);
    endPass(gfx, destination);
}

// ---- blending two images --------------------------------------------------------------------

void postComposite(igfxContext* gfx, TextureHandle* over, TextureHandle* under,
                   iRenderTarget** destination, CompositeMode mode, float opacity) {
    if (!g_compositeRegistered) {
        g_compositeRegistered = true;
        for (int i = 0; i < kModeCount; ++i)
            gfx->loadShader(kModeShader[i], "data/shaders/post_comp.vert",
                            std::string("data/shaders/") + kModeFragment[i]);
        gfx->loadShader(kAddTexel, "data/shaders/post_comp.vert",
                        "data/shaders/post_comp_add_texel.frag");
    }
    // Indexing the table with a bad mode would read past it; the destination keeps its image.
    if (mode < 0 || mode >= kModeCount) {
        assertFailed("unknown composite mode");
        return;
    }
    if (!over || !under) return;
    const bool sameSize = over->width == under->width && over->height == under->height;
    const std::string& shader = mode == kCompositeAdd && sameSize ? kAddTexel : kModeShader[mode];
    beginPass(gfx, shader, destination);
    gfx->setTexture(shader, kTexOver, over);
    gfx->setTexture(shader, kTexUnder, under);
    setScalar(gfx, shader, kOpacity, opacity);
    endPass(gfx, destination);
}

void postCompositeMasked(igfxContext* gfx, TextureHandle* over, TextureHandle* under,
                         TextureHandle* mask, iRenderTarget** destination, CompositeMode mode,
                         float opacity) {
    postRegister(gfx, g_compositeMaskedRegistered, "overlay_comp_masked", "post_comp.vert",
                 "post_comp_overlay_masked.frag");
    // Only the overlay has a masked program; drawing another mode with it would lie.
    if (mode != kCompositeOverlay) {
        assertFailed("not yet implemented");
        return;
    }
    if (!over || !under || !mask) return;
    beginPass(gfx, kOverlayMasked, destination);
    gfx->setTexture(kOverlayMasked, kTexOver, over);
    gfx->setTexture(kOverlayMasked, kTexUnder, under);
    gfx->setTexture(kOverlayMasked, kTexMask, mask);
    setScalar(gfx, kOverlayMasked, kOpacity, opacity);
    endPass(gfx, destination);
}

// ---- screen-space rectangles ----------------------------------------------------------------

void screenOverlayMasked(igfxContext* gfx, TextureHandle* over, TextureHandle* mask,
                         iRenderTarget** destination, float x0, float y0, float x1, float y1,
                         float opacity) {
    postRegister(gfx, g_screenMaskedRegistered, "ss_overlay_masked", "ss_overlay_masked.vert",
                 "ss_overlay_masked.frag");
    if (!over || !mask) return;
    beginScreenOverlay(gfx, kScreenOverlayMasked, destination);
    gfx->setTexture(kScreenOverlayMasked, kTexOver, over);
    gfx->setTexture(kScreenOverlayMasked, kTexMask, mask);
    setScalar(gfx, kScreenOverlayMasked, kOpacity, opacity);
    endScreenOverlay(gfx, destination, x0, y0, x1, y1);
}

void screenOverlayTextured(igfxContext* gfx, TextureHandle* over, iRenderTarget** destination,
                           float x0, float y0, float x1, float y1, float opacity) {
    postRegister(gfx, g_screenTexturedRegistered, "ss_overlay_textured", "ss_overlay_textured.vert",
                 "ss_overlay_textured.frag");
    if (!over) return;
    beginScreenOverlay(gfx, kScreenOverlayTextured, destination);
    gfx->setTexture(kScreenOverlayTextured, kTexOver, over);
    setScalar(gfx, kScreenOverlayTextured, kOpacity, opacity);
    endScreenOverlay(gfx, destination, x0, y0, x1, y1);
}
