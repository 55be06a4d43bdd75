// gl_loader.cpp - see gl_loader.h. The groups run in a fixed order and print exactly what is
// missing, so a log from a user's driver tells us what it lacks.
#include "gl_loader.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// ---- entry-point lists, in the order they are resolved -------------------------------------
//
// Each name comes with what offers it under exactly that name: the core version that includes
// it, and the extension that defines it (nullptr: none does; the suffixed ARB/EXT variants
// have other names). The context offers a name when its version is at least that core version
// or the extension is listed. Nothing else can be trusted: GLX hands out a pointer for any
// name at all, even one the driver has never heard of.

#define CORE(major, minor) ((major)*100 + (minor))
#define NOT_CORE 0x7fffffff // an ARB name: offered by its extension only, never by a version

// clang-format off
#define GROUP_VBO(X) \
    X(glBindBufferARB, NOT_CORE, "GL_ARB_vertex_buffer_object") \
    X(glBufferDataARB, NOT_CORE, "GL_ARB_vertex_buffer_object") \
    X(glGenBuffersARB, NOT_CORE, "GL_ARB_vertex_buffer_object") \
    X(glDeleteBuffersARB, NOT_CORE, "GL_ARB_vertex_buffer_object") \
    X(glMapBufferARB, NOT_CORE, "GL_ARB_vertex_buffer_object") \
    X(glUnmapBufferARB, NOT_CORE, "GL_ARB_vertex_buffer_object")
// clang-format on

// clang-format off
#define GROUP_MULTITEXTURE(X) \
    X(glActiveTexture, CORE(1, 3), nullptr) \
    X(glClientActiveTexture, CORE(1, 3), nullptr) \
    X(glActiveTextureARB, NOT_CORE, "GL_ARB_multitexture") \
    X(glClientActiveTextureARB, NOT_CORE, "GL_ARB_multitexture")
// clang-format on

// clang-format off
#define GROUP_TEX3D(X) \
    X(glTexImage3D, CORE(1, 2), nullptr) \
    X(glTexSubImage3D, CORE(1, 2), nullptr) \
    X(glCopyTexSubImage3D, CORE(1, 2), nullptr)
// clang-format on

// clang-format off
#define GROUP_COMPRESSION(X) \
    X(glCompressedTexImage3D, CORE(1, 3), nullptr) \
    X(glCompressedTexImage2D, CORE(1, 3), nullptr) \
    X(glCompressedTexImage1D, CORE(1, 3), nullptr) \
    X(glCompressedTexSubImage3D, CORE(1, 3), nullptr) \
    X(glCompressedTexSubImage2D, CORE(1, 3), nullptr) \
    X(glCompressedTexSubImage1D, CORE(1, 3), nullptr) \
    X(glGetCompressedTexImage, CORE(1, 3), nullptr)
// clang-format on

// clang-format off
#define GROUP_BLEND(X) \
    X(glBlendEquation, CORE(1, 4), "GL_ARB_imaging") \
    X(glBlendFuncSeparate, CORE(1, 4), nullptr)
// clang-format on

// clang-format off
#define GROUP_SHADERS(X) \
    X(glAttachShader, CORE(2, 0), nullptr) \
    X(glBindAttribLocation, CORE(2, 0), nullptr) \
    X(glCompileShader, CORE(2, 0), nullptr) \
    X(glCreateProgram, CORE(2, 0), nullptr) \
    X(glCreateShader, CORE(2, 0), nullptr) \
    X(glDeleteProgram, CORE(2, 0), nullptr) \
    X(glDeleteShader, CORE(2, 0), nullptr) \
    X(glDetachShader, CORE(2, 0), nullptr) \
    X(glDisableVertexAttribArray, CORE(2, 0), nullptr) \
    X(glEnableVertexAttribArray, CORE(2, 0), nullptr) \
    X(glGetActiveAttrib, CORE(2, 0), nullptr) \
    X(glGetActiveUniform, CORE(2, 0), nullptr) \
    X(glGetAttachedShaders, CORE(2, 0), nullptr) \
    X(glGetAttribLocation, CORE(2, 0), nullptr) \
    X(glGetProgramiv, CORE(2, 0), nullptr) \
    X(glGetProgramInfoLog, CORE(2, 0), nullptr) \
    X(glGetShaderiv, CORE(2, 0), nullptr) \
    X(glGetShaderInfoLog, CORE(2, 0), nullptr) \
    X(glGetShaderSource, CORE(2, 0), nullptr) \
    X(glGetUniformLocation, CORE(2, 0), nullptr) \
    X(glGetUniformfv, CORE(2, 0), nullptr) \
    X(glGetUniformiv, CORE(2, 0), nullptr) \
    X(glGetVertexAttribdv, CORE(2, 0), nullptr) \
    X(glGetVertexAttribfv, CORE(2, 0), nullptr) \
    X(glGetVertexAttribiv, CORE(2, 0), nullptr) \
    X(glGetVertexAttribPointerv, CORE(2, 0), nullptr) \
    X(glIsProgram, CORE(2, 0), nullptr) \
    X(glIsShader, CORE(2, 0), nullptr) \
    X(glLinkProgram, CORE(2, 0), nullptr) \
    X(glShaderSource, CORE(2, 0), nullptr) \
    X(glUseProgram, CORE(2, 0), nullptr) \
    X(glUniform1f, CORE(2, 0), nullptr) \
    X(glUniform2f, CORE(2, 0), nullptr) \
    X(glUniform3f, CORE(2, 0), nullptr) \
    X(glUniform4f, CORE(2, 0), nullptr) \
    X(glUniform1i, CORE(2, 0), nullptr) \
    X(glUniform2i, CORE(2, 0), nullptr) \
    X(glUniform3i, CORE(2, 0), nullptr) \
    X(glUniform4i, CORE(2, 0), nullptr) \
    X(glUniform1fv, CORE(2, 0), nullptr) \
    X(glUniform2fv, CORE(2, 0), nullptr) \
    X(glUniform3fv, CORE(2, 0), nullptr) \
    X(glUniform4fv, CORE(2, 0), nullptr) \
    X(glUniform1iv, CORE(2, 0), nullptr) \
    X(glUniform2iv, CORE(2, 0), nullptr) \
    X(glUniform3iv, CORE(2, 0), nullptr) \
    X(glUniform4iv, CORE(2, 0), nullptr) \
    X(glUniformMatrix2fv, CORE(2, 0), nullptr) \
    X(glUniformMatrix3fv, CORE(2, 0), nullptr) \
    X(glUniformMatrix4fv, CORE(2, 0), nullptr) \
    X(glValidateProgram, CORE(2, 0), nullptr) \
    X(glVertexAttrib1d, CORE(2, 0), nullptr) \
    X(glVertexAttrib1dv, CORE(2, 0), nullptr) \
    X(glVertexAttrib1f, CORE(2, 0), nullptr) \
    X(glVertexAttrib1fv, CORE(2, 0), nullptr) \
    X(glVertexAttrib1s, CORE(2, 0), nullptr) \
    X(glVertexAttrib1sv, CORE(2, 0), nullptr) \
    X(glVertexAttrib2d, CORE(2, 0), nullptr) \
    X(glVertexAttrib2dv, CORE(2, 0), nullptr) \
    X(glVertexAttrib2f, CORE(2, 0), nullptr) \
    X(glVertexAttrib2fv, CORE(2, 0), nullptr) \
    X(glVertexAttrib2s, CORE(2, 0), nullptr) \
    X(glVertexAttrib2sv, CORE(2, 0), nullptr) \
    X(glVertexAttrib3d, CORE(2, 0), nullptr) \
    X(glVertexAttrib3dv, CORE(2, 0), nullptr) \
    X(glVertexAttrib3f, CORE(2, 0), nullptr) \
    X(glVertexAttrib3fv, CORE(2, 0), nullptr) \
    X(glVertexAttrib3s, CORE(2, 0), nullptr) \
    X(glVertexAttrib3sv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4Nbv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4Niv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4Nsv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4Nub, CORE(2, 0), nullptr) \
    X(glVertexAttrib4Nubv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4Nuiv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4Nusv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4bv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4d, CORE(2, 0), nullptr) \
    X(glVertexAttrib4dv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4f, CORE(2, 0), nullptr) \
    X(glVertexAttrib4fv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4iv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4s, CORE(2, 0), nullptr) \
    X(glVertexAttrib4sv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4ubv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4uiv, CORE(2, 0), nullptr) \
    X(glVertexAttrib4usv, CORE(2, 0), nullptr) \
    X(glVertexAttribPointer, CORE(2, 0), nullptr)
// clang-format on

// clang-format off
#define GROUP_FBO(X) \
    X(glIsRenderbuffer, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glBindRenderbuffer, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glDeleteRenderbuffers, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glGenRenderbuffers, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glRenderbufferStorage, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glGetRenderbufferParameteriv, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glIsFramebuffer, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glBindFramebuffer, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glDeleteFramebuffers, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glGenFramebuffers, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glCheckFramebufferStatus, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glFramebufferTexture1D, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glFramebufferTexture2D, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glFramebufferTexture3D, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glFramebufferRenderbuffer, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glGetFramebufferAttachmentParameteriv, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glGenerateMipmap, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glBlitFramebuffer, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glRenderbufferStorageMultisample, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glFramebufferTextureLayer, CORE(3, 0), "GL_ARB_framebuffer_object") \
    X(glDrawBuffers, CORE(2, 0), nullptr) \
    X(glGetInteger64i_v, CORE(3, 2), nullptr) \
    X(glGetBufferParameteri64v, CORE(3, 2), nullptr) \
    X(glFramebufferTexture, CORE(3, 2), nullptr)
// clang-format on

// clang-format off
#define GROUP_SYNC(X) \
    X(glFenceSync, CORE(3, 2), "GL_ARB_sync") \
    X(glIsSync, CORE(3, 2), "GL_ARB_sync") \
    X(glDeleteSync, CORE(3, 2), "GL_ARB_sync") \
    X(glClientWaitSync, CORE(3, 2), "GL_ARB_sync") \
    X(glWaitSync, CORE(3, 2), "GL_ARB_sync") \
    X(glGetInteger64v, CORE(3, 2), "GL_ARB_sync") \
    X(glGetSynciv, CORE(3, 2), "GL_ARB_sync")
// clang-format on

// clang-format off
#define GROUP_STENCIL(X) \
    X(glStencilOpSeparate, CORE(2, 0), nullptr) \
    X(glStencilFuncSeparate, CORE(2, 0), nullptr) \
    X(glStencilMaskSeparate, CORE(2, 0), nullptr)
// clang-format on

// ---- internal -------------------------------------------------------------------------------

namespace {

GlProcResolver g_resolve = nullptr;
int g_version = 0;
const char* g_extensions = nullptr;

bool has(const char* name) {
    return hasGlExtensionIn(g_extensions, name);
}

bool offered(int coreVersion, const char* extension) {
    return g_version >= coreVersion || (extension && has(extension));
}

// Asks the resolver only for what the context offers and trusts its answer then; anything
// else stays null. Says when the pointer ends up null.
template <typename T>
void resolve(T& pointer, const char* name, int coreVersion, const char* extension,
             bool quiet = false) {
    pointer = offered(coreVersion, extension) ? reinterpret_cast<T>(g_resolve(name)) : nullptr;
    if (!pointer && !quiet) std::fprintf(stderr, "%s not initialized\n", name);
}

#define RESOLVE(name, coreVersion, extension) resolve(name, #name, coreVersion, extension);
#define IS_NULL(name, coreVersion, extension) !name ||

int swapIntervalOverSdl(int interval) {
    return SDL_GL_SetSwapInterval(interval) == 0;
}

// From 3.0 on the list is read name by name; the single string is gone from core profiles.
std::string contextExtensions(int version) {
    if (version >= CORE(3, 0)) {
        auto getStringi = reinterpret_cast<PFNGLGETSTRINGIPROC>(glLoaderResolve("glGetStringi"));
        GLint count = 0;
        glGetIntegerv(GL_NUM_EXTENSIONS, &count);
        if (getStringi && count > 0) {
            std::string list;
            for (GLint i = 0; i < count; ++i) {
                const char* name = reinterpret_cast<const char*>(getStringi(GL_EXTENSIONS, i));
                if (!name) continue;
                if (!list.empty()) list += ' ';
                list += name;
            }
            return list;
        }
    }
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return list ? list : "";
}

const char* contextVersion() {
    return reinterpret_cast<const char*>(glGetString(GL_VERSION));
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
    resolve(glPointParameterfARB, "glPointParameterfARB", NOT_CORE, "GL_ARB_point_parameters",
            /*quiet*/ true);
    resolve(glPointParameterfvARB, "glPointParameterfvARB", NOT_CORE, "GL_ARB_point_parameters",
            /*quiet*/ true);
    RESOLVE(glDrawRangeElements, CORE(1, 2), nullptr)
    // Ours, over SDL, whatever the driver: there is no WGL extension list to consult.
    RESOLVE(wglSwapIntervalEXT, CORE(1, 1), nullptr)
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
    return hasGlExtensionIn(contextExtensions(glVersionNumber(contextVersion())).c_str(), name);
}

int glVersionNumber(const char* version) {
    if (!version || *version < '0' || *version > '9') return 0;
    char* end = nullptr;
    long major = std::strtol(version, &end, 10);
    if (*end != '.' || end[1] < '0' || end[1] > '9') return 0;
    long minor = std::strtol(end + 1, nullptr, 10);
    if (major > 99 || minor > 99) return 0;
    return static_cast<int>(CORE(major, minor));
}

void* glLoaderResolve(const char* name) {
    // There is no WGL here: the swap interval goes through SDL under the same name.
    if (std::strcmp(name, "wglSwapIntervalEXT") == 0)
        return reinterpret_cast<void*>(&swapIntervalOverSdl);
    return SDL_GL_GetProcAddress(name);
}

void loadGlExtensionsWith(const char* version, const char* extensions, GlProcResolver resolver) {
    g_version = glVersionNumber(version);
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
    const char* version = contextVersion();
    std::string extensions = contextExtensions(glVersionNumber(version));
    loadGlExtensionsWith(version, extensions.c_str(), glLoaderResolve);
}
