// gfx_context.cpp - see gfx_context.h.
#include "gfx_context.h"

#include "driver_heap.h"
#include "file_utils.h"
#include "gl_loader.h"
#include "load_obj_model.h"
#include "obj_loader.h"
#include "window_desc.h"

#include <cstdio>

namespace {

// Vertex attribute locations every program of the system uses.
enum : GLuint { kAttribPosition = 0, kAttribUV = 2, kAttribUV2 = 3 };

void setAttrib(GLuint index, GLint components, const float* data) {
    glVertexAttribPointer(index, components, GL_FLOAT, GL_FALSE, 0, data);
    glEnableVertexAttribArray(index);
}

// The graphics state the rest of the system takes for granted, in the order GL gets it.
void setDefaultGlState() {
    glEnable(GL_BLEND);
    glAlphaFunc(GL_ALWAYS, 0.0f);
    glClearColor(0.5f, 0.6f, 0.7f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glActiveTextureARB(GL_TEXTURE0);
    for (GLenum target : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D}) {
        glBindTexture(target, 0);
        glDisable(target);
    }
    glDisable(GL_LIGHTING);
    const GLfloat ambient[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glEnable(GL_COLOR_SUM);
    glDisable(GL_COLOR_MATERIAL);
}

} // namespace

// ---- life -----------------------------------------------------------------------------------

gfxContext::gfxContext() = default;

gfxContext::~gfxContext() = default;

int gfxContext::screenWidth() const {
    return desc_ ? desc_->renderWidth : 0;
}

int gfxContext::screenHeight() const {
    if (!desc_) return 0;
    return desc_->useWindowHeight ? desc_->windowHeight : desc_->renderHeight;
}

void gfxContext::init(const WindowDesc* desc) {
    desc_ = desc;
    keepDriverHeapBetweenFrames();
    loadGlExtensions();
    setDefaultGlState();
    state_.reset();
    setViewport(0, 0, screenWidth(), screenHeight());
    setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    clear(3);
    pool_.prefill(this, screenWidth(), screenHeight());
    for (const auto& entry : pool_.freeTargets()) makeDepthCopy(entry.second);
    shaders_.init();
    loadShader("debugcol", "data/shaders/debugcol.vert", "data/shaders/debugcol.frag");
    if (wglSwapIntervalEXT) wglSwapIntervalEXT(1);
}

// ---- clearing and viewport ------------------------------------------------------------------

void gfxContext::setClearColor(float r, float g, float b, float a) {
    glClearColor(r, g, b, a);
}

void gfxContext::setClearDepth(float depth) {
    glClearDepth(static_cast<double>(depth));
}

void gfxContext::setClearStencil(uint8_t value) {
    glClearStencil(value);
}

void gfxContext::clear(int flags) {
    if (flags <= 0) return;
    // Clearing honours the depth and colour write masks, so they must be current.
    state_.apply();
    GLbitfield bits = 0;
    if (flags & 1) bits |= GL_COLOR_BUFFER_BIT;
    if (flags & 2) bits |= GL_DEPTH_BUFFER_BIT;
    if (flags & 4) bits |= GL_STENCIL_BUFFER_BIT;
    glClear(bits);
}

void gfxContext::setViewport(const int& x, const int& y, const int& width, const int& height) {
    viewportRect[0] = x;
    viewportRect[1] = y;
    viewportRect[2] = width;
    viewportRect[3] = height;
    glViewport(x, y, width, height);
}

// ---- drawing from client arrays -------------------------------------------------------------

void gfxContext::drawTriangles(const float* positions, int vertexCount) {
    setAttrib(kAttribPosition, 4, positions);
    state_.apply();
    glDrawArrays(GL_TRIANGLES, 0, vertexCount);
    glDisableVertexAttribArray(kAttribPosition);
}

void gfxContext::drawIndexedTrianglesUV2(const uint32_t* indices, const float* positions,
                                         const float* uv, const float* uv2, int indexCount) {
    setAttrib(kAttribUV2, 2, uv2);
    gfxContext::drawIndexedTrianglesUV(indices, positions, uv, indexCount);
    glDisableVertexAttribArray(kAttribUV2);
}

void gfxContext::drawIndexedTrianglesUV(const uint32_t* indices, const float* positions,
                                        const float* uv, int indexCount) {
    setAttrib(kAttribUV, 2, uv);
    gfxContext::drawIndexedTriangles(indices, positions, indexCount);
    glDisableVertexAttribArray(kAttribUV);
}

void gfxContext::drawIndexedTriangles(const uint32_t* indices, const float* positions,
                                      int indexCount) {
    setAttrib(kAttribPosition, 4, positions);
    state_.apply();
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, indices);
    glDisableVertexAttribArray(kAttribPosition);
}

void gfxContext::drawPoints3(const float* positions, int count) {
    setAttrib(kAttribPosition, 3, positions);
    state_.apply();
    glDrawArrays(GL_POINTS, 0, count);
    glDisableVertexAttribArray(kAttribPosition);
}

void gfxContext::drawPoints(const float* positions, int count) {
    setAttrib(kAttribPosition, 4, positions);
    state_.apply();
    glDrawArrays(GL_POINTS, 0, count);
    glDisableVertexAttribArray(kAttribPosition);
}

void gfxContext::drawLines(const float* positions, int vertexCount) {
    setAttrib(kAttribPosition, 4, positions);
    state_.apply();
    glDrawArrays(GL_LINES, 0, vertexCount);
    glDisableVertexAttribArray(kAttribPosition);
}

void gfxContext::drawQuad(const float& x0, const float& y0, const float& x1, const float& y1,
                          const float& u, const float& v) {
    const float positions[16] = {x0, y0, 0, 1, x1, y0, 0, 1, x1, y1, 0, 1, x0, y1, 0, 1};
    const float uv[8] = {0, 0, u, 0, u, v, 0, v};
    static const uint32_t indices[6] = {0, 1, 2, 2, 3, 0};
    gfxContext::drawIndexedTrianglesUV(indices, positions, uv, 6);
}

void gfxContext::drawFullscreenQuad() {
    gfxContext::drawFullscreenQuadUV(1.0f, 1.0f);
}

void gfxContext::drawFullscreenQuadUV(const float& u, const float& v) {
    gfxContext::drawQuad(-1.0f, -1.0f, 1.0f, 1.0f, u, v);
}

void gfxContext::drawBox(const float* b) {
    // The eight corners, bit 0 of the index picks max x, bit 1 max y, bit 2 max z.
    float corner[8][4];
    for (int i = 0; i < 8; ++i) {
        corner[i][0] = (i & 1) ? b[3] : b[0];
        corner[i][1] = (i & 2) ? b[4] : b[1];
        corner[i][2] = (i & 4) ? b[5] : b[2];
        corner[i][3] = 1.0f;
    }
    static const int edges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7},  // along x
                                     {0, 2}, {1, 3}, {4, 6}, {5, 7},  // along y
                                     {0, 4}, {1, 5}, {2, 6}, {3, 7}}; // along z
    float lines[24 * 4];
    for (int e = 0; e < 12; ++e)
        for (int end = 0; end < 2; ++end)
            for (int c = 0; c < 4; ++c) lines[(e * 2 + end) * 4 + c] = corner[edges[e][end]][c];
    gfxContext::drawLines(lines, 24);
}

// ---- shaders --------------------------------------------------------------------------------

void gfxContext::loadShaderOnce(const std::string& name, const std::string& vertexFile,
                                const std::string& geometryFile, const std::string& fragmentFile,
                                const char* defines) {
    if (shaders_.hasShader(name, defines)) return;
    const std::string key = name + '\n' + (defines ? defines : "");
    if (refusedShaders_.count(key)) return;
    shaders_.load(name, vertexFile, geometryFile, fragmentFile, defines);
    if (!shaders_.hasShader(name, defines)) refusedShaders_.insert(key);
}

void gfxContext::loadShaderDefines(const std::string& name, const std::string& vertexFile,
                                   const std::string& fragmentFile, const char* defines) {
    loadShaderOnce(name, vertexFile, std::string(), fragmentFile, defines);
}

void gfxContext::loadShaderGeometry(const std::string& name, const std::string& vertexFile,
                                    const std::string& geometryFile,
                                    const std::string& fragmentFile) {
    loadShaderOnce(name, vertexFile, geometryFile, fragmentFile, nullptr);
}

void gfxContext::loadShader(const std::string& name, const std::string& vertexFile,
                            const std::string& fragmentFile) {
    loadShaderOnce(name, vertexFile, std::string(), fragmentFile, nullptr);
}

bool gfxContext::hasShader(const std::string& name, const char* defines) {
    return shaders_.hasShader(name, defines);
}

uint32_t gfxContext::useShader(const std::string& name) {
    return shaders_.useShader(name);
}

void gfxContext::setTexture(const std::string& shader, const std::string& sampler,
                            TextureHandle* texture) {
    shaders_.setTexture(shader, sampler, texture);
}

void gfxContext::setMatrix(const std::string& shader, const std::string& uniform,
                           const float* m16) {
    shaders_.setMatrix(shader, uniform, m16);
}

void gfxContext::setVector(const std::string& shader, const std::string& uniform, const float* v4) {
    shaders_.setVector(shader, uniform, v4);
}

// ---- models ---------------------------------------------------------------------------------

// A name counts as registered only with a model: model() enters names it does not know with
// none, and a lookup before the load must not keep the model from ever loading.
iModel* gfxContext::loadModel(const std::string& name, const std::string& file) {
    auto found = models_.find(name);
    if (found != models_.end() && found->second) {
        std::fprintf(stderr, "# already inserted model %s\n", name.c_str());
        return found->second;
    }
    if (is_obj_extension(file_extension(file))) {
        cModel* loaded = load_obj_model(file);
        loaded->upload(true);
        models_[name] = loaded;
    }
    return model(name);
}

iModel* gfxContext::model(const std::string& name) {
    return models_[name];
}

// ---- textures -------------------------------------------------------------------------------

// A refused file stays refused for the run. It was reported when it was first asked for, and
// callers ask every frame (the loading screen, scene logos): each would otherwise repeat the
// report and its assertion, and read the file again, in every frame.
TextureHandle* gfxContext::loadTexture(const std::string& file, bool mipmaps, int wrap,
                                       bool compress, int dimensions) {
    if (refusedTextures_.count(file)) return nullptr;
    TextureHandle* texture = textures_.loadTexture(file, mipmaps, wrap, compress, dimensions);
    if (!texture) refusedTextures_.insert(file);
    return texture;
}

TextureHandle* gfxContext::createTexture1D(int width, int pixelFormat, int internalFormat,
                                           const void* pixels) {
    return textures_.createTexture(width, 0, 0, 1, 2, pixelFormat, internalFormat, false, pixels);
}

TextureHandle* gfxContext::createTexture2D(int width, int height, int pixelFormat,
                                           int internalFormat, int wrap, const void* pixels) {
    return textures_.createTexture(width, height, 0, 2, wrap, pixelFormat, internalFormat, false,
                                   pixels);
}

TextureHandle* gfxContext::createTexture3D(int width, int height, int depth, int pixelFormat,
                                           int internalFormat, const void* pixels) {
    return textures_.createTexture(width, height, depth, 3, 2, pixelFormat, internalFormat, false,
                                   pixels);
}

void gfxContext::updateTexture(TextureHandle* texture, int x, int y, int width, int height,
                               int pixelFormat, const void* pixels) {
    textures_.updateTexture(texture, x, y, width, height, pixelFormat, pixels);
}

// ---- render targets -------------------------------------------------------------------------

RenderTargetHandle gfxContext::acquireRenderTarget(int width, int height) {
    const size_t pooled = pool_.freeCount() + size_t(pool_.outstanding());
    RenderTargetHandle handle = pool_.acquire(this, width, height);
    if (pool_.freeCount() + size_t(pool_.outstanding()) > pooled) makeDepthCopy(handle.target);
    return handle;
}

RenderTargetHandle gfxContext::acquireScreenRenderTarget(int divisor) {
    // Qualified like the other forwarding calls here: a context that records what is borrowed
    // (the post-processing tests) must see one borrowing, not two.
    return gfxContext::acquireRenderTarget(screenWidth() / divisor, screenHeight() / divisor);
}

iRenderTarget* gfxContext::createRenderTarget(TextureHandle* texture, bool hasDepth) {
    cRenderTarget_fbo* target = new cRenderTarget_fbo();
    target->initWithTexture(this, texture, hasDepth);
    return target;
}

void gfxContext::releaseRenderTarget(RenderTargetHandle* handle) {
    pool_.release(handle);
}

void gfxContext::makeDepthCopy(iRenderTarget* target) {
    TextureHandle* colour = target ? target->texture() : nullptr;
    if (!colour) return;
    TextureHandle*& depth = depthTextures_[target];
    if (!depth)
        depth = createTexture2D(colour->width, colour->height, kFormatDepth, kFormatDepth16, 2,
                                nullptr);
}

TextureHandle* gfxContext::depthTexture(iRenderTarget* target) {
    TextureHandle* colour = target ? target->texture() : nullptr;
    if (!colour) return nullptr;
    TextureHandle*& depth = depthTextures_[target];
    if (!depth)
        depth = createTexture2D(colour->width, colour->height, kFormatDepth, kFormatDepth16, 2,
                                nullptr);
    target->bind(this, 0);
    glBindTexture(GL_TEXTURE_2D, depth->name);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, 0, 0, colour->width, colour->height, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    target->unbind(this);
    return depth;
}
