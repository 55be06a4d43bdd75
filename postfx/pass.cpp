// pass.cpp - see pass.h.
#include "pass.h"

#include "postfx.h"
#include "render_state.h"

#include <string>

const std::string kTex0 = "tex0";
const std::string kTex0Size = "tex0siz";
const std::string kOpacity = "opasity";
const std::string kPassthroughTexel = "passthrough_texel";

namespace {
bool g_texelCopyRegistered = false;
} // namespace

void postSetDefault2DState(igfxContext* gfx) {
    uint64_t& w = *gfx->renderState();
    rs::setDepthWrite(w, false);
    rs::setDepthFunc(w, kDepthAlways);
    rs::setCulling(w, false);
    rs::setBlend(w, kBlendOne, kBlendZero, kBlendOne, kBlendZero);
    rs::setColorMask(w, 0xf);
}

void postRegister(igfxContext* gfx, bool& registered, const char* name, const char* vertexFile,
                  const char* fragmentFile) {
    if (registered) return;
    registered = true;
    gfx->loadShader(name, std::string("data/shaders/") + vertexFile,
                    std::string("data/shaders/") + fragmentFile);
}

void postRegisterWithVariants(igfxContext* gfx, bool& registered, const char* name,
                              const char* vertexFile, const char* fragmentFile,
                              std::initializer_list<PostVariant> variants) {
    if (registered) return;
    bool pass = false;
    postRegister(gfx, pass, name, vertexFile, fragmentFile);
    for (const PostVariant& v : variants) {
        bool variant = false;
        postRegister(gfx, variant, v.name, vertexFile, v.fragmentFile);
    }
    registered = true;
}

void destinationSize(igfxContext* gfx, iRenderTarget** destination, int& width, int& height) {
    const TextureHandle* out = destination && *destination ? (*destination)->texture() : nullptr;
    const int32_t* viewport = gfx->viewport();
    width = out ? out->width : viewport[2];
    height = out ? out->height : viewport[3];
}

bool sameSizeAsDestination(igfxContext* gfx, const TextureHandle* texture,
                           iRenderTarget** destination) {
    int width = 0, height = 0;
    destinationSize(gfx, destination, width, height);
    return texture->width == width && texture->height == height;
}

void beginPass(igfxContext* gfx, const std::string& shader, iRenderTarget** destination,
               int clearFlags) {
    gfx->pushRenderState();
    postSetDefault2DState(gfx);
    if (destination && *destination) {
        // A clear honours the depth write mask, which the 2-D state has just turned off:
        // without this a pooled target's depth would keep whatever its last user left there.
        const bool clearsDepth = (clearFlags & 2) != 0;
        if (clearsDepth) rs::setDepthWrite(*gfx->renderState(), true);
        (*destination)->bind(gfx, clearFlags);
        if (clearsDepth) rs::setDepthWrite(*gfx->renderState(), false);
    }
    gfx->useShader(shader);
}

void endPass(igfxContext* gfx, iRenderTarget** destination) {
    gfx->drawFullscreenQuad();
    if (destination && *destination) (*destination)->unbind(gfx);
    gfx->popRenderState();
}

void setScalar(igfxContext* gfx, const std::string& shader, const std::string& uniform,
               float value) {
    const float v[4] = {value, value, value, value};
    gfx->setVector(shader, uniform, v);
}

void setVec4(igfxContext* gfx, const std::string& shader, const std::string& uniform, float x,
             float y, float z, float w) {
    const float v[4] = {x, y, z, w};
    gfx->setVector(shader, uniform, v);
}

void setTextureSize(igfxContext* gfx, const std::string& shader, const TextureHandle* texture,
                    const std::string& uniform) {
    const float w = static_cast<float>(texture->width), h = static_cast<float>(texture->height);
    setVec4(gfx, shader, uniform, w, h, 1.0f / w, 1.0f / h);
}

void registerTexelCopy(igfxContext* gfx) {
    postRegister(gfx, g_texelCopyRegistered, "passthrough_texel", "post_passthrough.vert",
                 "post_passthrough_texel.frag");
}

void texelCopyPass(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination) {
    registerTexelCopy(gfx);
    beginPass(gfx, kPassthroughTexel, destination);
    gfx->setTexture(kPassthroughTexel, kTex0, source);
    endPass(gfx, destination);
}
