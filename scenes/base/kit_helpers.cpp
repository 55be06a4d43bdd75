// kit_helpers.cpp - see kit_helpers.h.
#include "kit_helpers.h"

#include "igfx_context.h"

TextureHandle* loadTexture(igfxContext* gfx, const char* file, const TextureLoad& how) {
    return gfx->loadTexture(file, how.mipmaps, how.wrap, how.compress, how.dimensions);
}

TextureHandle* loadTexture(igfxContext* gfx, const std::string& file, const TextureLoad& how) {
    return gfx->loadTexture(file, how.mipmaps, how.wrap, how.compress, how.dimensions);
}

void setBlend(igfxContext* gfx, const BlendFactors& blend) {
    rs::setBlend(*gfx->renderState(), blend.srcColour, blend.dstColour, blend.srcAlpha,
                 blend.dstAlpha);
}

float viewportAspect(igfxContext* gfx) {
    const int32_t* viewport = gfx->viewport();
    if (viewport[2] <= 0 || viewport[3] <= 0) return 16.0f / 9.0f;
    return static_cast<float>(viewport[2]) / static_cast<float>(viewport[3]);
}

int trackInteger(float value, int lo, int hi) {
    // In double every int is exact, so the limits compare without rounding.
    const double v = value;
    if (!(v >= lo)) return lo; // NaN too
    if (v >= hi) return hi;
    return static_cast<int>(v);
}
