// render_target.cpp - see render_target.h.
//
// Ownership: a target deletes the colour texture (GL name and handle) that it made itself in
// initWithSize; a texture handed to initWithTexture stays its caller's, GL name included.
// Depth-stencil renderbuffers are shared by size and counted: the last target of a size that
// lets go of one deletes it.
#include "render_target.h"

#include "assert_failed.h"
#include "gl_loader.h"
#include "texture_handle.h"

#include <cstdio>
#include <unordered_map>

// ---- shared depth-stencil buffers ---------------------------------------------------------

namespace {

struct SharedDepthBuffer {
    GLuint name = 0;
    int users = 0;
};

// Process-wide, like the GL context the names belong to.
std::unordered_map<int64_t, SharedDepthBuffer>& sharedDepthBuffers() {
    static std::unordered_map<int64_t, SharedDepthBuffer> buffers;
    return buffers;
}

GLuint acquireDepthBuffer(int width, int height) {
    SharedDepthBuffer& shared = sharedDepthBuffers()[renderTargetSizeKey(width, height)];
    if (shared.name == 0) {
        glGenRenderbuffers(1, &shared.name);
        glBindRenderbuffer(GL_RENDERBUFFER, shared.name);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    }
    ++shared.users;
    return shared.name;
}

void releaseDepthBuffer(int64_t key) {
    auto& buffers = sharedDepthBuffers();
    auto it = buffers.find(key);
    if (it == buffers.end()) return;
    if (--it->second.users > 0) return;
    glDeleteRenderbuffers(1, &it->second.name);
    buffers.erase(it);
}

// ---- diagnostics --------------------------------------------------------------------------

const char* formatName(int code) {
    switch (code) {
    case 0:
        return "R8";
    case 1:
        return "RG8";
    case 2:
        return "RGB8";
    case 3:
        return "RGBA8";
    case 4:
        return "BGR8";
    case 5:
        return "BGRA8";
    case 6:
        return "RGB8_COMPRESSED";
    case 7:
        return "RGBA8_COMPRESSED";
    case 8:
        return "R16";
    case 10:
        return "RGB16";
    case 11:
        return "RGBA16";
    case 12:
        return "DEPTH";
    case 13:
        return "DEPTH16";
    case 14:
        return "DEPTH24";
    case 15:
        return "DEPTH24_STENCIL8";
    }
    return "UNKNOWN";
}

// Checks the bound framebuffer; prints why it is incomplete.
bool framebufferComplete() {
    switch (glCheckFramebufferStatus(GL_FRAMEBUFFER)) {
    case GL_FRAMEBUFFER_COMPLETE:
        return true;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT:
        std::fputs("FRAMEBUFFER_INCOMPLETE_ATTACHMENT\n", stderr);
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT:
        std::fputs("GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT\n", stderr);
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER:
        std::fputs("GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER\n", stderr);
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER:
        std::fputs("GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER\n", stderr);
        break;
    case GL_FRAMEBUFFER_UNSUPPORTED:
        std::fputs("## ERROR, recieved GL_FRAMEBUFFER_UNSUPPORTED\n", stderr);
        std::fputs("(if you programmed this, you should probably choose a different "
                   "fbo-format!\n... if not, your graphics-card probably just plain sucks)\n",
                   stderr);
        break;
    default:
        std::fputs("## ERROR, FBO error\n", stderr);
        break;
    }
    return false;
}

void printTargetReport(GLuint framebuffer, GLuint depthBuffer, const TextureHandle& texture,
                       bool hasDepth) {
    std::fprintf(stderr, "\nframebuffer_gl: %u\n", framebuffer);
    std::fprintf(stderr, "renderbuffer_gl: %u\n", depthBuffer);
    std::fputs("texture:\n", stderr);
    std::fprintf(stderr, "\ttextarget: %s\n",
                 texture.target == GL_TEXTURE_2D ? "GL_TEXTURE_2D" : "UNKNOWN");
    std::fprintf(stderr, "\tsize: %dx%d\n", texture.width, texture.height);
    std::fprintf(stderr, "\tinternal_format: %s\n", formatName(texture.format));
    std::fprintf(stderr, "\ttexid_gl: %u\n", texture.name);
    std::fprintf(stderr, "\tsrgb: %s\n", texture.srgb ? "true" : "false");
    std::fprintf(stderr, "\twith%s depth\n", hasDepth ? "" : "out");
}

} // namespace

// ---- cRenderTarget_fbo --------------------------------------------------------------------

cRenderTarget_fbo::cRenderTarget_fbo() {}

void cRenderTarget_fbo::releaseGlObjects() {
    if (framebuffer_ == 0 && !texture_) return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (texture_) glBindTexture(texture_->target, 0);
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (depthBuffer_) releaseDepthBuffer(depthKey_);
    if (ownsTexture_ && texture_) {
        glDeleteTextures(1, &texture_->name);
        delete texture_;
    }
    framebuffer_ = 0;
    depthBuffer_ = 0;
    texture_ = nullptr;
    hasDepth_ = false;
    ownsTexture_ = false;
}

void cRenderTarget_fbo::initWithTexture(igfxContext*, TextureHandle* texture, bool hasDepth) {
    releaseGlObjects(); // a second init replaces the first
    if (!texture) {
        // Typically a failed loadTexture upstream; the target stays inert rather than crash.
        assertFailed("render target without texture");
        return;
    }

    // Made while a post pass draws into a target its caller bound (the pool makes a target of
    // a size it lacks at that moment): that target has to stay bound.
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    texture_ = texture;
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);

    const bool depthTexture = isDepthFormat(texture->format);
    glFramebufferTexture2D(GL_FRAMEBUFFER,
                           depthTexture ? GL_DEPTH_ATTACHMENT : GL_COLOR_ATTACHMENT0,
                           texture->target, texture->name, 0);
    // With no colour attachment, drivers that still apply the draw/read-buffer completeness
    // rules would call the framebuffer incomplete; bind() sets the same again.
    if (depthTexture) {
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
    }
    if (!framebufferComplete()) printTargetReport(framebuffer_, depthBuffer_, *texture, hasDepth_);

    // A depth texture already is the depth attachment: a shared renderbuffer attached at the
    // same point would replace it and the texture would never receive anything.
    if (hasDepth && !depthTexture) {
        depthKey_ = renderTargetSizeKey(texture->width, texture->height);
        depthBuffer_ = acquireDepthBuffer(texture->width, texture->height);
        hasDepth_ = true;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  depthBuffer_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  depthBuffer_);
        if (!framebufferComplete())
            printTargetReport(framebuffer_, depthBuffer_, *texture, hasDepth_);
    }

    hasDepth_ = depthBuffer_ != 0;
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    glBindTexture(texture->target, 0);
}

void cRenderTarget_fbo::initWithSize(igfxContext* gfx, int width, int height, bool hasDepth) {
    TextureHandle* texture =
        gfx->createTexture2D(width, height, kFormatBGRA, kFormatRGBA8, 2, nullptr);
    initWithTexture(gfx, texture, hasDepth);
    ownsTexture_ = texture != nullptr;
}

void cRenderTarget_fbo::bind(igfxContext* gfx, int clearFlags) {
    if (!texture_) return;
    // Bound inside another target (a post pass drawing into "whatever is bound" borrows
    // targets of its own), unbind goes back to that target rather than to the screen, whose
    // draw buffer the saved one would not fit. Bound again while already bound, the target
    // keeps what its first bind saved, or its unbind would never leave it.
    GLint framebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    if (static_cast<GLuint>(framebuffer) != framebuffer_) {
        GLint drawBuffer = 0;
        glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
        savedDrawBuffer_ = drawBuffer;
        savedFramebuffer_ = framebuffer;
        const int32_t* viewport = gfx->viewport();
        for (int i = 0; i < 4; ++i) savedViewport_[i] = viewport[i];
    }

    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    const int zero = 0;
    gfx->setViewport(zero, zero, texture_->width, texture_->height);

    const GLenum buffer = isDepthFormat(texture_->format) ? GL_NONE : GL_COLOR_ATTACHMENT0;
    glDrawBuffer(buffer);
    glReadBuffer(buffer);
    gfx->clear(clearFlags);
}

void cRenderTarget_fbo::unbind(igfxContext* gfx) {
    if (!texture_) return; // never bound: nothing to restore
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(savedFramebuffer_));
    glDrawBuffer(static_cast<GLenum>(savedDrawBuffer_));
    glReadBuffer(static_cast<GLenum>(savedDrawBuffer_));
    gfx->setViewport(savedViewport_[0], savedViewport_[1], savedViewport_[2], savedViewport_[3]);
}

cRenderTarget_fbo::~cRenderTarget_fbo() {
    releaseGlObjects();
}

// ---- RenderTargetPool ---------------------------------------------------------------------

RenderTargetPool::~RenderTargetPool() {
    if (outstanding_ != 0)
        std::fputs("## ERROR, rendertargetmanager: rendertarget still bound while exiting...\n",
                   stderr);
    std::printf("# rrt-manager: number of tmp-rt allocated: %zu\n", free_.size());
    std::printf("# rtt-manager: maximum concurrently allocated RTs: %d\n", maxOutstanding_);
    std::fflush(stdout);
    for (auto& entry : free_) delete entry.second;
    free_.clear();
}

RenderTargetHandle RenderTargetPool::acquire(igfxContext* gfx, int width, int height) {
    ++outstanding_;
    if (outstanding_ > maxOutstanding_) maxOutstanding_ = outstanding_;

    const int64_t key = renderTargetSizeKey(width, height);
    for (auto it = free_.begin(); it != free_.end(); ++it) {
        if (it->first != key) continue;
        iRenderTarget* target = it->second;
        free_.erase(it);
        return RenderTargetHandle(target, gfx);
    }

    if (warnOnAllocation_) {
        std::printf("# performance-warning: allocated rendertarget runtime: %dx%d\n", width,
                    height);
        std::fflush(stdout);
    }
    cRenderTarget_fbo* target = new cRenderTarget_fbo();
    target->initWithSize(gfx, width, height, true);
    return RenderTargetHandle(target, gfx);
}

void RenderTargetPool::release(RenderTargetHandle* handle) {
    if (!handle || !handle->target) return;
    --outstanding_;
    const TextureHandle* texture = handle->target->texture();
    const int64_t key = texture ? renderTargetSizeKey(texture->width, texture->height) : -1;
    free_.emplace_back(key, handle->target);
    handle->target = nullptr;
}

void RenderTargetPool::prefill(igfxContext* gfx, int screenWidth, int screenHeight) {
    RenderTargetHandle handles[10];
    int n = 0;
    for (int i = 0; i < 3; ++i) handles[n++] = acquire(gfx, screenWidth, screenHeight);
    for (int i = 0; i < 3; ++i) handles[n++] = acquire(gfx, screenWidth / 2, screenHeight / 2);
    for (int i = 0; i < 2; ++i) handles[n++] = acquire(gfx, screenWidth / 4, screenHeight / 4);
    if (screenWidth % 8 != 0 || screenHeight % 8 != 0)
        std::fputs("# WARNING: rtsiz not div by 8\n", stderr);
    for (int i = 0; i < 2; ++i) handles[n++] = acquire(gfx, screenWidth / 8, screenHeight / 8);
    warnOnAllocation_ = true;
    while (n > 0) release(&handles[--n]);
}
