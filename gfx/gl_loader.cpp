// gl_loader.cpp - see gl_loader.h. The groups run in a fixed order and print exactly what is
// missing, so a log from a user's driver tells us what it lacks.
#include "gl_loader.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---- entry-point lists, in the order they are resolved -------------------------------------

// clang-format off
#define GROUP_VBO(X) \
    X(glBindBufferARB) \
    X(glBufferDataARB) \
    X(glGenBuffersARB) \
    X(glDeleteBuffersARB) \
    X(glMapBufferARB) \
    X(glUnmapBufferARB)
// clang-format on

// clang-format off
#define GROUP_MULTITEXTURE(X) \
    X(glActiveTexture) \
    X(glClientActiveTexture) \
    X(glActiveTextureARB) \
    X(glClientActiveTextureARB)
// clang-format on

// clang-format off
#define GROUP_TEX3D(X) \
    X(glTexImage3D) \
    X(glTexSubImage3D) \
    X(glCopyTexSubImage3D)
// clang-format on

// clang-format off
#define GROUP_COMPRESSION(X) \
    X(glCompressedTexImage3D) \
    X(glCompressedTexImage2D) \
    X(glCompressedTexImage1D) \
    X(glCompressedTexSubImage3D) \
    X(glCompressedTexSubImage2D) \
    X(glCompressedTexSubImage1D) \
    X(glGetCompressedTexImage)
// clang-format on

// clang-format off
#define GROUP_BLEND(X) \
    X(glBlendEquation) \
    X(glBlendFuncSeparate)
// clang-format on

// clang-format off
#define GROUP_SHADERS(X) \
    X(glAttachShader) \
    X(glBindAttribLocation) \
    X(glCompileShader) \
    X(glCreateProgram) \
    X(glCreateShader) \
    X(glDeleteProgram) \
    X(glDeleteShader) \
    X(glDetachShader) \
    X(glDisableVertexAttribArray) \
    X(glEnableVertexAttribArray) \
    X(glGetActiveAttrib) \
    X(glGetActiveUniform) \
    X(glGetAttachedShaders) \
    X(glGetAttribLocation) \
    X(glGetProgramiv) \
    X(glGetProgramInfoLog) \
    X(glGetShaderiv) \
    X(glGetShaderInfoLog) \
    X(glGetShaderSource) \
    X(glGetUniformLocation) \
    X(glGetUniformfv) \
    X(glGetUniformiv) \
    X(glGetVertexAttribdv) \
    X(glGetVertexAttribfv) \
    X(glGetVertexAttribiv) \
    X(glGetVertexAttribPointerv) \
    X(glIsProgram) \
    X(glIsShader) \
    X(glLinkProgram) \
    X(glShaderSource) \
    X(glUseProgram) \
    X(glUniform1f) \
    X(glUniform2f) \
    X(glUniform3f) \
    X(glUniform4f) \
    X(glUniform1i) \
    X(glUniform2i) \
    X(glUniform3i) \
    X(glUniform4i) \
    X(glUniform1fv) \
    X(glUniform2fv) \
    X(glUniform3fv) \
    X(glUniform4fv) \
    X(glUniform1iv) \
    X(glUniform2iv) \
    X(glUniform3iv) \
    X(glUniform4iv) \
    X(glUniformMatrix2fv) \
    X(glUniformMatrix3fv) \
    X(glUniformMatrix4fv) \
    X(glValidateProgram) \
    X(glVertexAttrib1d) \
    X(glVertexAttrib1dv) \
    X(glVertexAttrib1f) \
    X(glVertexAttrib1fv) \
    X(glVertexAttrib1s) \
    X(glVertexAttrib1sv) \
    X(glVertexAttrib2d) \
    X(glVertexAttrib2dv) \
    X(glVertexAttrib2f) \
    X(glVertexAttrib2fv) \
    X(glVertexAttrib2s) \
    X(glVertexAttrib2sv) \
    X(glVertexAttrib3d) \
    X(glVertexAttrib3dv) \
    X(glVertexAttrib3f) \
    X(glVertexAttrib3fv) \
    X(glVertexAttrib3s) \
    X(glVertexAttrib3sv) \
    X(glVertexAttrib4Nbv) \
    X(glVertexAttrib4Niv) \
    X(glVertexAttrib4Nsv) \
    X(glVertexAttrib4Nub) \
    X(glVertexAttrib4Nubv) \
    X(glVertexAttrib4Nuiv) \
    X(glVertexAttrib4Nusv) \
    X(glVertexAttrib4bv) \
    X(glVertexAttrib4d) \
    X(glVertexAttrib4dv) \
    X(glVertexAttrib4f) \
    X(glVertexAttrib4fv) \
    X(glVertexAttrib4iv) \
    X(glVertexAttrib4s) \
    X(glVertexAttrib4sv) \
    X(glVertexAttrib4ubv) \
    X(glVertexAttrib4uiv) \
    X(glVertexAttrib4usv) \
    X(glVertexAttribPointer)
// clang-format on

// clang-format off
#define GROUP_FBO(X) \
    X(glIsRenderbuffer) \
    X(glBindRenderbuffer) \
    X(glDeleteRenderbuffers) \
    X(glGenRenderbuffers) \
    X(glRenderbufferStorage) \
    X(glGetRenderbufferParameteriv) \
    X(glIsFramebuffer) \
    X(glBindFramebuffer) \
    X(glDeleteFramebuffers) \
    X(glGenFramebuffers) \
    X(glCheckFramebufferStatus) \
    X(glFramebufferTexture1D) \
    X(glFramebufferTexture2D) \
    X(glFramebufferTexture3D) \
    X(glFramebufferRenderbuffer) \
    X(glGetFramebufferAttachmentParameteriv) \
    X(glGenerateMipmap) \
    X(glBlitFramebuffer) \
    X(glRenderbufferStorageMultisample) \
    X(glFramebufferTextureLayer) \
    X(glDrawBuffers) \
    X(glGetInteger64i_v) \
    X(glGetBufferParameteri64v) \
    X(glFramebufferTexture)
// clang-format on

// clang-format off
#define GROUP_MISC(X) \
    X(glPointParameterfARB) \
    X(glPointParameterfvARB) \
    X(glDrawRangeElements) \
    X(wglSwapIntervalEXT)
// clang-format on

// clang-format off
#define GROUP_SYNC(X) \
    X(glFenceSync) \
    X(glIsSync) \
    X(glDeleteSync) \
    X(glClientWaitSync) \
    X(glWaitSync) \
    X(glGetInteger64v) \
    X(glGetSynciv)
// clang-format on

// clang-format off
#define GROUP_STENCIL(X) \
    X(glStencilOpSeparate) \
    X(glStencilFuncSeparate) \
    X(glStencilMaskSeparate)
// clang-format on
// ---- internal -------------------------------------------------------------------------------

namespace {

GlProcResolver g_resolve = nullptr;
const char* g_extensions = nullptr;

bool has(const char* name) {
    return hasGlExtensionIn(g_extensions, name);
}

// Stores whatever the resolver answers, null included, and says when it is null.
template <typename T> void resolve(T& pointer, const char* name, bool quiet = false) {
    pointer = reinterpret_cast<T>(g_resolve(name));
    if (!pointer && !quiet) std::fprintf(stderr, "%s not initialized\n", name);
}

#define RESOLVE(name) resolve(name, #name);
#define IS_NULL(name) !name ||

int swapIntervalOverSdl(int interval) {
    return SDL_GL_SetSwapInterval(interval) == 0;
}

void loadVertexBufferObjects() {
    if (!has("GL_ARB_vertex_buffer_object")) {
        std::fputs("# WARNING: GL_ARB_vertex_buffer_object not supported\n", stderr);
        std::exit(0);
    }
    GROUP_VBO(RESOLVE)
}

void loadMultitexture() {
    if (!has("GL_ARB_multitexture")) {
        std::fputs("# WARNING: GL_ARB_multitexture not supported\n", stderr);
        std::exit(-1);
    }
    GROUP_MULTITEXTURE(RESOLVE)
}

void loadTexture3D() {
    GROUP_TEX3D(RESOLVE)
}

void loadTextureCompression() {
    if (!has("GL_ARB_texture_compression")) {
        std::fputs("# WARNING: GL_ARB_texture_compression not supported\n", stderr);
        return;
    }
    GROUP_COMPRESSION(RESOLVE)
}

void loadBlending() {
    GROUP_BLEND(RESOLVE)
}

void loadShaders() {
    GROUP_SHADERS(RESOLVE)
}

void loadFramebufferObjects() {
    if (!has("GL_ARB_framebuffer_object"))
        std::fputs("# WARNING: GL_ARB_framebuffer_object not supported\n", stderr);
    if (!has("GL_ARB_draw_buffers"))
        std::fputs("# WARNING: GL_ARB_draw_buffers not supported\n", stderr);
    GROUP_FBO(RESOLVE)
}

void loadMiscellaneous() {
    static const struct {
        const char* extension;
        const char* warning;
    } capabilities[] = {
        {"GL_SGIS_texture_lod", "# WARNING: GL_SGIS_texture_lod not supported"},
        {"GL_SGIS_generate_mipmap", "# WARNING: GL_SGIS_generate_mipmap not supported"},
        {"GL_ARB_texture_env_add", "# WARNING: GL_ARB_texture_env_add not supported"},
        {"GL_EXT_texture_lod_bias", "# WARNING: EXT_texture_lod_bias not supported"},
        {"GL_ARB_texture_float", "# WARNING: GL_ARB_texture_float not supported"},
        {"GL_ARB_multisample", "# WARNING: GL_ARB_multisample not supported"},
        {"GL_ARB_texture_non_power_of_two",
         "# WARNING: GL_ARB_texture_non_power_of_two not supported!"},
        {"GL_ARB_pixel_buffer_object",
         "# WARNING: \tGL_ARB_pixel_buffer_object not supported! (go bug your hardware-vendor)"},
        {"GL_ARB_point_sprite",
         "# WARNING: \tGL_ARB_point_sprite not supported! (go bug your hardware-vendor)"},
    };
    for (const auto& c : capabilities)
        if (!has(c.extension)) std::fprintf(stderr, "%s\n", c.warning);
    resolve(glPointParameterfARB, "glPointParameterfARB", /*quiet*/ true);
    resolve(glPointParameterfvARB, "glPointParameterfvARB", /*quiet*/ true);
    RESOLVE(glDrawRangeElements)
    RESOLVE(wglSwapIntervalEXT)
}

void loadSyncObjects() {
    GROUP_SYNC(RESOLVE)
    if (GROUP_SYNC(IS_NULL) false) std::fputs("# WARNING: sync-objects not supported...\n", stderr);
}

void loadSeparateStencil() {
    GROUP_STENCIL(RESOLVE)
    if (GROUP_STENCIL(IS_NULL) false)
        std::fputs("# WARNING: stencil functions not supported...\n", stderr);
}

#undef RESOLVE
#undef IS_NULL

} // namespace

// ---- public ---------------------------------------------------------------------------------

bool hasGlExtensionIn(const char* extensions, const char* name) {
    if (!extensions || !*extensions || !name) return false;
    size_t nameLength = std::strlen(name);
    const char* p = extensions;
    const char* end = extensions + std::strlen(extensions);
    while (p < end) {
        size_t tokenLength = std::strcspn(p, " ");
        if (tokenLength == nameLength && std::strncmp(p, name, tokenLength) == 0) return true;
        p += tokenLength + 1;
    }
    return false;
}

bool hasGlExtension(const char* name) {
    return hasGlExtensionIn(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

void* glLoaderResolve(const char* name) {
    // There is no WGL here: the swap interval goes through SDL under the same name.
    if (std::strcmp(name, "wglSwapIntervalEXT") == 0)
        return reinterpret_cast<void*>(&swapIntervalOverSdl);
    return SDL_GL_GetProcAddress(name);
}

void loadGlExtensionsWith(const char* extensions, GlProcResolver resolver) {
    g_extensions = extensions;
    g_resolve = resolver;
    loadVertexBufferObjects();
    loadMultitexture();
    loadTexture3D();
    loadTextureCompression();
    loadBlending();
    loadShaders();
    loadFramebufferObjects();
    loadMiscellaneous();
    loadSyncObjects();
    loadSeparateStencil();
    g_extensions = nullptr;
}

void loadGlExtensions() {
    loadGlExtensionsWith(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)),
                         glLoaderResolve);
}
