// gl_loader.h - OpenGL entry points beyond version 1.1, fetched at run time.
//
// The platform's GL library is only guaranteed to export OpenGL 1.1; everything newer (buffer
// objects, multitexture, 3D and compressed textures, GLSL, framebuffer objects, sync objects,
// separate stencil, swap interval) is a function pointer filled by loadGlExtensions() once a
// context is current. Callers use the GL names (glUseProgram, glBindFramebuffer, ...): each
// is a macro for this module's own pointer, so the host and every plug-in that links this
// library keep separate pointers, and no pointer ever shadows a symbol of libGL.
// A pointer is only resolved when the current context offers its function (its GL version, or
// an extension listed for it): GLX answers every name with a pointer, supported or not. One
// that is not offered or could not be resolved stays null; calling it is the caller's fault.
//
// Include this header instead of any GL header.
#pragma once

#include <SDL_opengl.h>

typedef int (*PFNWGLSWAPINTERVALEXTPROC)(int interval);
// A compatibility-profile entry point the bundled glext.h has no typedef for.
typedef void(APIENTRYP PFNGLCLIENTACTIVETEXTUREPROC)(GLenum texture);

// Pointers are hidden: a plug-in's copy must never bind to the host's (or the reverse).
#define DPGL_PTR(type, name) extern __attribute__((visibility("hidden"))) type dpgl_##name;

DPGL_PTR(PFNGLBINDBUFFERARBPROC, glBindBufferARB)
DPGL_PTR(PFNGLBUFFERDATAARBPROC, glBufferDataARB)
DPGL_PTR(PFNGLGENBUFFERSARBPROC, glGenBuffersARB)
DPGL_PTR(PFNGLDELETEBUFFERSARBPROC, glDeleteBuffersARB)
DPGL_PTR(PFNGLMAPBUFFERARBPROC, glMapBufferARB)
DPGL_PTR(PFNGLUNMAPBUFFERARBPROC, glUnmapBufferARB)
DPGL_PTR(PFNGLACTIVETEXTUREPROC, glActiveTexture)
DPGL_PTR(PFNGLCLIENTACTIVETEXTUREPROC, glClientActiveTexture)
DPGL_PTR(PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB)
DPGL_PTR(PFNGLCLIENTACTIVETEXTUREARBPROC, glClientActiveTextureARB)
DPGL_PTR(PFNGLTEXIMAGE3DPROC, glTexImage3D)
DPGL_PTR(PFNGLTEXSUBIMAGE3DPROC, glTexSubImage3D)
DPGL_PTR(PFNGLCOPYTEXSUBIMAGE3DPROC, glCopyTexSubImage3D)
DPGL_PTR(PFNGLCOMPRESSEDTEXIMAGE3DPROC, glCompressedTexImage3D)
DPGL_PTR(PFNGLCOMPRESSEDTEXIMAGE2DPROC, glCompressedTexImage2D)
DPGL_PTR(PFNGLCOMPRESSEDTEXIMAGE1DPROC, glCompressedTexImage1D)
DPGL_PTR(PFNGLCOMPRESSEDTEXSUBIMAGE3DPROC, glCompressedTexSubImage3D)
DPGL_PTR(PFNGLCOMPRESSEDTEXSUBIMAGE2DPROC, glCompressedTexSubImage2D)
DPGL_PTR(PFNGLCOMPRESSEDTEXSUBIMAGE1DPROC, glCompressedTexSubImage1D)
DPGL_PTR(PFNGLGETCOMPRESSEDTEXIMAGEPROC, glGetCompressedTexImage)
DPGL_PTR(PFNGLBLENDEQUATIONPROC, glBlendEquation)
DPGL_PTR(PFNGLBLENDFUNCSEPARATEPROC, glBlendFuncSeparate)
DPGL_PTR(PFNGLATTACHSHADERPROC, glAttachShader)
DPGL_PTR(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)
DPGL_PTR(PFNGLCOMPILESHADERPROC, glCompileShader)
DPGL_PTR(PFNGLCREATEPROGRAMPROC, glCreateProgram)
DPGL_PTR(PFNGLCREATESHADERPROC, glCreateShader)
DPGL_PTR(PFNGLDELETEPROGRAMPROC, glDeleteProgram)
DPGL_PTR(PFNGLDELETESHADERPROC, glDeleteShader)
DPGL_PTR(PFNGLDETACHSHADERPROC, glDetachShader)
DPGL_PTR(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray)
DPGL_PTR(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)
DPGL_PTR(PFNGLGETACTIVEATTRIBPROC, glGetActiveAttrib)
DPGL_PTR(PFNGLGETACTIVEUNIFORMPROC, glGetActiveUniform)
DPGL_PTR(PFNGLGETATTACHEDSHADERSPROC, glGetAttachedShaders)
DPGL_PTR(PFNGLGETATTRIBLOCATIONPROC, glGetAttribLocation)
DPGL_PTR(PFNGLGETPROGRAMIVPROC, glGetProgramiv)
DPGL_PTR(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)
DPGL_PTR(PFNGLGETSHADERIVPROC, glGetShaderiv)
DPGL_PTR(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)
DPGL_PTR(PFNGLGETSHADERSOURCEPROC, glGetShaderSource)
DPGL_PTR(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)
DPGL_PTR(PFNGLGETUNIFORMFVPROC, glGetUniformfv)
DPGL_PTR(PFNGLGETUNIFORMIVPROC, glGetUniformiv)
DPGL_PTR(PFNGLGETVERTEXATTRIBDVPROC, glGetVertexAttribdv)
DPGL_PTR(PFNGLGETVERTEXATTRIBFVPROC, glGetVertexAttribfv)
DPGL_PTR(PFNGLGETVERTEXATTRIBIVPROC, glGetVertexAttribiv)
DPGL_PTR(PFNGLGETVERTEXATTRIBPOINTERVPROC, glGetVertexAttribPointerv)
DPGL_PTR(PFNGLISPROGRAMPROC, glIsProgram)
DPGL_PTR(PFNGLISSHADERPROC, glIsShader)
DPGL_PTR(PFNGLLINKPROGRAMPROC, glLinkProgram)
DPGL_PTR(PFNGLSHADERSOURCEPROC, glShaderSource)
DPGL_PTR(PFNGLUSEPROGRAMPROC, glUseProgram)
DPGL_PTR(PFNGLUNIFORM1FPROC, glUniform1f)
DPGL_PTR(PFNGLUNIFORM2FPROC, glUniform2f)
DPGL_PTR(PFNGLUNIFORM3FPROC, glUniform3f)
DPGL_PTR(PFNGLUNIFORM4FPROC, glUniform4f)
DPGL_PTR(PFNGLUNIFORM1IPROC, glUniform1i)
DPGL_PTR(PFNGLUNIFORM2IPROC, glUniform2i)
DPGL_PTR(PFNGLUNIFORM3IPROC, glUniform3i)
DPGL_PTR(PFNGLUNIFORM4IPROC, glUniform4i)
DPGL_PTR(PFNGLUNIFORM1FVPROC, glUniform1fv)
DPGL_PTR(PFNGLUNIFORM2FVPROC, glUniform2fv)
DPGL_PTR(PFNGLUNIFORM3FVPROC, glUniform3fv)
DPGL_PTR(PFNGLUNIFORM4FVPROC, glUniform4fv)
DPGL_PTR(PFNGLUNIFORM1IVPROC, glUniform1iv)
DPGL_PTR(PFNGLUNIFORM2IVPROC, glUniform2iv)
DPGL_PTR(PFNGLUNIFORM3IVPROC, glUniform3iv)
DPGL_PTR(PFNGLUNIFORM4IVPROC, glUniform4iv)
DPGL_PTR(PFNGLUNIFORMMATRIX2FVPROC, glUniformMatrix2fv)
DPGL_PTR(PFNGLUNIFORMMATRIX3FVPROC, glUniformMatrix3fv)
DPGL_PTR(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv)
DPGL_PTR(PFNGLVALIDATEPROGRAMPROC, glValidateProgram)
DPGL_PTR(PFNGLVERTEXATTRIB1DPROC, glVertexAttrib1d)
DPGL_PTR(PFNGLVERTEXATTRIB1DVPROC, glVertexAttrib1dv)
DPGL_PTR(PFNGLVERTEXATTRIB1FPROC, glVertexAttrib1f)
DPGL_PTR(PFNGLVERTEXATTRIB1FVPROC, glVertexAttrib1fv)
DPGL_PTR(PFNGLVERTEXATTRIB1SPROC, glVertexAttrib1s)
DPGL_PTR(PFNGLVERTEXATTRIB1SVPROC, glVertexAttrib1sv)
DPGL_PTR(PFNGLVERTEXATTRIB2DPROC, glVertexAttrib2d)
DPGL_PTR(PFNGLVERTEXATTRIB2DVPROC, glVertexAttrib2dv)
DPGL_PTR(PFNGLVERTEXATTRIB2FPROC, glVertexAttrib2f)
DPGL_PTR(PFNGLVERTEXATTRIB2FVPROC, glVertexAttrib2fv)
DPGL_PTR(PFNGLVERTEXATTRIB2SPROC, glVertexAttrib2s)
DPGL_PTR(PFNGLVERTEXATTRIB2SVPROC, glVertexAttrib2sv)
DPGL_PTR(PFNGLVERTEXATTRIB3DPROC, glVertexAttrib3d)
DPGL_PTR(PFNGLVERTEXATTRIB3DVPROC, glVertexAttrib3dv)
DPGL_PTR(PFNGLVERTEXATTRIB3FPROC, glVertexAttrib3f)
DPGL_PTR(PFNGLVERTEXATTRIB3FVPROC, glVertexAttrib3fv)
DPGL_PTR(PFNGLVERTEXATTRIB3SPROC, glVertexAttrib3s)
DPGL_PTR(PFNGLVERTEXATTRIB3SVPROC, glVertexAttrib3sv)
DPGL_PTR(PFNGLVERTEXATTRIB4NBVPROC, glVertexAttrib4Nbv)
DPGL_PTR(PFNGLVERTEXATTRIB4NIVPROC, glVertexAttrib4Niv)
DPGL_PTR(PFNGLVERTEXATTRIB4NSVPROC, glVertexAttrib4Nsv)
DPGL_PTR(PFNGLVERTEXATTRIB4NUBPROC, glVertexAttrib4Nub)
DPGL_PTR(PFNGLVERTEXATTRIB4NUBVPROC, glVertexAttrib4Nubv)
DPGL_PTR(PFNGLVERTEXATTRIB4NUIVPROC, glVertexAttrib4Nuiv)
DPGL_PTR(PFNGLVERTEXATTRIB4NUSVPROC, glVertexAttrib4Nusv)
DPGL_PTR(PFNGLVERTEXATTRIB4BVPROC, glVertexAttrib4bv)
DPGL_PTR(PFNGLVERTEXATTRIB4DPROC, glVertexAttrib4d)
DPGL_PTR(PFNGLVERTEXATTRIB4DVPROC, glVertexAttrib4dv)
DPGL_PTR(PFNGLVERTEXATTRIB4FPROC, glVertexAttrib4f)
DPGL_PTR(PFNGLVERTEXATTRIB4FVPROC, glVertexAttrib4fv)
DPGL_PTR(PFNGLVERTEXATTRIB4IVPROC, glVertexAttrib4iv)
DPGL_PTR(PFNGLVERTEXATTRIB4SPROC, glVertexAttrib4s)
DPGL_PTR(PFNGLVERTEXATTRIB4SVPROC, glVertexAttrib4sv)
DPGL_PTR(PFNGLVERTEXATTRIB4UBVPROC, glVertexAttrib4ubv)
DPGL_PTR(PFNGLVERTEXATTRIB4UIVPROC, glVertexAttrib4uiv)
DPGL_PTR(PFNGLVERTEXATTRIB4USVPROC, glVertexAttrib4usv)
DPGL_PTR(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)
DPGL_PTR(PFNGLISRENDERBUFFERPROC, glIsRenderbuffer)
DPGL_PTR(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)
DPGL_PTR(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)
DPGL_PTR(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)
DPGL_PTR(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)
DPGL_PTR(PFNGLGETRENDERBUFFERPARAMETERIVPROC, glGetRenderbufferParameteriv)
DPGL_PTR(PFNGLISFRAMEBUFFERPROC, glIsFramebuffer)
DPGL_PTR(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)
DPGL_PTR(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)
DPGL_PTR(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)
DPGL_PTR(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)
DPGL_PTR(PFNGLFRAMEBUFFERTEXTURE1DPROC, glFramebufferTexture1D)
DPGL_PTR(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)
DPGL_PTR(PFNGLFRAMEBUFFERTEXTURE3DPROC, glFramebufferTexture3D)
DPGL_PTR(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)
DPGL_PTR(PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC, glGetFramebufferAttachmentParameteriv)
DPGL_PTR(PFNGLGENERATEMIPMAPPROC, glGenerateMipmap)
DPGL_PTR(PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer)
DPGL_PTR(PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC, glRenderbufferStorageMultisample)
DPGL_PTR(PFNGLFRAMEBUFFERTEXTURELAYERPROC, glFramebufferTextureLayer)
DPGL_PTR(PFNGLDRAWBUFFERSPROC, glDrawBuffers)
DPGL_PTR(PFNGLGETINTEGER64I_VPROC, glGetInteger64i_v)
DPGL_PTR(PFNGLGETBUFFERPARAMETERI64VPROC, glGetBufferParameteri64v)
DPGL_PTR(PFNGLFRAMEBUFFERTEXTUREPROC, glFramebufferTexture)
DPGL_PTR(PFNGLPOINTPARAMETERFARBPROC, glPointParameterfARB)
DPGL_PTR(PFNGLPOINTPARAMETERFVARBPROC, glPointParameterfvARB)
DPGL_PTR(PFNGLDRAWRANGEELEMENTSPROC, glDrawRangeElements)
DPGL_PTR(PFNWGLSWAPINTERVALEXTPROC, wglSwapIntervalEXT)
DPGL_PTR(PFNGLFENCESYNCPROC, glFenceSync)
DPGL_PTR(PFNGLISSYNCPROC, glIsSync)
DPGL_PTR(PFNGLDELETESYNCPROC, glDeleteSync)
DPGL_PTR(PFNGLCLIENTWAITSYNCPROC, glClientWaitSync)
DPGL_PTR(PFNGLWAITSYNCPROC, glWaitSync)
DPGL_PTR(PFNGLGETINTEGER64VPROC, glGetInteger64v)
DPGL_PTR(PFNGLGETSYNCIVPROC, glGetSynciv)
DPGL_PTR(PFNGLSTENCILOPSEPARATEPROC, glStencilOpSeparate)
DPGL_PTR(PFNGLSTENCILFUNCSEPARATEPROC, glStencilFuncSeparate)
DPGL_PTR(PFNGLSTENCILMASKSEPARATEPROC, glStencilMaskSeparate)
#undef DPGL_PTR

// clang-format off
#define glBindBufferARB dpgl_glBindBufferARB
#define glBufferDataARB dpgl_glBufferDataARB
#define glGenBuffersARB dpgl_glGenBuffersARB
#define glDeleteBuffersARB dpgl_glDeleteBuffersARB
#define glMapBufferARB dpgl_glMapBufferARB
#define glUnmapBufferARB dpgl_glUnmapBufferARB
#define glActiveTexture dpgl_glActiveTexture
#define glClientActiveTexture dpgl_glClientActiveTexture
#define glActiveTextureARB dpgl_glActiveTextureARB
#define glClientActiveTextureARB dpgl_glClientActiveTextureARB
#define glTexImage3D dpgl_glTexImage3D
#define glTexSubImage3D dpgl_glTexSubImage3D
#define glCopyTexSubImage3D dpgl_glCopyTexSubImage3D
#define glCompressedTexImage3D dpgl_glCompressedTexImage3D
#define glCompressedTexImage2D dpgl_glCompressedTexImage2D
#define glCompressedTexImage1D dpgl_glCompressedTexImage1D
#define glCompressedTexSubImage3D dpgl_glCompressedTexSubImage3D
#define glCompressedTexSubImage2D dpgl_glCompressedTexSubImage2D
#define glCompressedTexSubImage1D dpgl_glCompressedTexSubImage1D
#define glGetCompressedTexImage dpgl_glGetCompressedTexImage
#define glBlendEquation dpgl_glBlendEquation
#define glBlendFuncSeparate dpgl_glBlendFuncSeparate
#define glAttachShader dpgl_glAttachShader
#define glBindAttribLocation dpgl_glBindAttribLocation
#define glCompileShader dpgl_glCompileShader
#define glCreateProgram dpgl_glCreateProgram
#define glCreateShader dpgl_glCreateShader
#define glDeleteProgram dpgl_glDeleteProgram
#define glDeleteShader dpgl_glDeleteShader
#define glDetachShader dpgl_glDetachShader
#define glDisableVertexAttribArray dpgl_glDisableVertexAttribArray
#define glEnableVertexAttribArray dpgl_glEnableVertexAttribArray
#define glGetActiveAttrib dpgl_glGetActiveAttrib
#define glGetActiveUniform dpgl_glGetActiveUniform
#define glGetAttachedShaders dpgl_glGetAttachedShaders
#define glGetAttribLocation dpgl_glGetAttribLocation
#define glGetProgramiv dpgl_glGetProgramiv
#define glGetProgramInfoLog dpgl_glGetProgramInfoLog
#define glGetShaderiv dpgl_glGetShaderiv
#define glGetShaderInfoLog dpgl_glGetShaderInfoLog
#define glGetShaderSource dpgl_glGetShaderSource
#define glGetUniformLocation dpgl_glGetUniformLocation
#define glGetUniformfv dpgl_glGetUniformfv
#define glGetUniformiv dpgl_glGetUniformiv
#define glGetVertexAttribdv dpgl_glGetVertexAttribdv
#define glGetVertexAttribfv dpgl_glGetVertexAttribfv
#define glGetVertexAttribiv dpgl_glGetVertexAttribiv
#define glGetVertexAttribPointerv dpgl_glGetVertexAttribPointerv
#define glIsProgram dpgl_glIsProgram
#define glIsShader dpgl_glIsShader
#define glLinkProgram dpgl_glLinkProgram
#define glShaderSource dpgl_glShaderSource
#define glUseProgram dpgl_glUseProgram
#define glUniform1f dpgl_glUniform1f
#define glUniform2f dpgl_glUniform2f
#define glUniform3f dpgl_glUniform3f
#define glUniform4f dpgl_glUniform4f
#define glUniform1i dpgl_glUniform1i
#define glUniform2i dpgl_glUniform2i
#define glUniform3i dpgl_glUniform3i
#define glUniform4i dpgl_glUniform4i
#define glUniform1fv dpgl_glUniform1fv
#define glUniform2fv dpgl_glUniform2fv
#define glUniform3fv dpgl_glUniform3fv
#define glUniform4fv dpgl_glUniform4fv
#define glUniform1iv dpgl_glUniform1iv
#define glUniform2iv dpgl_glUniform2iv
#define glUniform3iv dpgl_glUniform3iv
#define glUniform4iv dpgl_glUniform4iv
#define glUniformMatrix2fv dpgl_glUniformMatrix2fv
#define glUniformMatrix3fv dpgl_glUniformMatrix3fv
#define glUniformMatrix4fv dpgl_glUniformMatrix4fv
#define glValidateProgram dpgl_glValidateProgram
#define glVertexAttrib1d dpgl_glVertexAttrib1d
#define glVertexAttrib1dv dpgl_glVertexAttrib1dv
#define glVertexAttrib1f dpgl_glVertexAttrib1f
#define glVertexAttrib1fv dpgl_glVertexAttrib1fv
#define glVertexAttrib1s dpgl_glVertexAttrib1s
#define glVertexAttrib1sv dpgl_glVertexAttrib1sv
#define glVertexAttrib2d dpgl_glVertexAttrib2d
#define glVertexAttrib2dv dpgl_glVertexAttrib2dv
#define glVertexAttrib2f dpgl_glVertexAttrib2f
#define glVertexAttrib2fv dpgl_glVertexAttrib2fv
#define glVertexAttrib2s dpgl_glVertexAttrib2s
#define glVertexAttrib2sv dpgl_glVertexAttrib2sv
#define glVertexAttrib3d dpgl_glVertexAttrib3d
#define glVertexAttrib3dv dpgl_glVertexAttrib3dv
#define glVertexAttrib3f dpgl_glVertexAttrib3f
#define glVertexAttrib3fv dpgl_glVertexAttrib3fv
#define glVertexAttrib3s dpgl_glVertexAttrib3s
#define glVertexAttrib3sv dpgl_glVertexAttrib3sv
#define glVertexAttrib4Nbv dpgl_glVertexAttrib4Nbv
#define glVertexAttrib4Niv dpgl_glVertexAttrib4Niv
#define glVertexAttrib4Nsv dpgl_glVertexAttrib4Nsv
#define glVertexAttrib4Nub dpgl_glVertexAttrib4Nub
#define glVertexAttrib4Nubv dpgl_glVertexAttrib4Nubv
#define glVertexAttrib4Nuiv dpgl_glVertexAttrib4Nuiv
#define glVertexAttrib4Nusv dpgl_glVertexAttrib4Nusv
#define glVertexAttrib4bv dpgl_glVertexAttrib4bv
#define glVertexAttrib4d dpgl_glVertexAttrib4d
#define glVertexAttrib4dv dpgl_glVertexAttrib4dv
#define glVertexAttrib4f dpgl_glVertexAttrib4f
#define glVertexAttrib4fv dpgl_glVertexAttrib4fv
#define glVertexAttrib4iv dpgl_glVertexAttrib4iv
#define glVertexAttrib4s dpgl_glVertexAttrib4s
#define glVertexAttrib4sv dpgl_glVertexAttrib4sv
#define glVertexAttrib4ubv dpgl_glVertexAttrib4ubv
#define glVertexAttrib4uiv dpgl_glVertexAttrib4uiv
#define glVertexAttrib4usv dpgl_glVertexAttrib4usv
#define glVertexAttribPointer dpgl_glVertexAttribPointer
#define glIsRenderbuffer dpgl_glIsRenderbuffer
#define glBindRenderbuffer dpgl_glBindRenderbuffer
#define glDeleteRenderbuffers dpgl_glDeleteRenderbuffers
#define glGenRenderbuffers dpgl_glGenRenderbuffers
#define glRenderbufferStorage dpgl_glRenderbufferStorage
#define glGetRenderbufferParameteriv dpgl_glGetRenderbufferParameteriv
#define glIsFramebuffer dpgl_glIsFramebuffer
#define glBindFramebuffer dpgl_glBindFramebuffer
#define glDeleteFramebuffers dpgl_glDeleteFramebuffers
#define glGenFramebuffers dpgl_glGenFramebuffers
#define glCheckFramebufferStatus dpgl_glCheckFramebufferStatus
#define glFramebufferTexture1D dpgl_glFramebufferTexture1D
#define glFramebufferTexture2D dpgl_glFramebufferTexture2D
#define glFramebufferTexture3D dpgl_glFramebufferTexture3D
#define glFramebufferRenderbuffer dpgl_glFramebufferRenderbuffer
#define glGetFramebufferAttachmentParameteriv dpgl_glGetFramebufferAttachmentParameteriv
#define glGenerateMipmap dpgl_glGenerateMipmap
#define glBlitFramebuffer dpgl_glBlitFramebuffer
#define glRenderbufferStorageMultisample dpgl_glRenderbufferStorageMultisample
#define glFramebufferTextureLayer dpgl_glFramebufferTextureLayer
#define glDrawBuffers dpgl_glDrawBuffers
#define glGetInteger64i_v dpgl_glGetInteger64i_v
#define glGetBufferParameteri64v dpgl_glGetBufferParameteri64v
#define glFramebufferTexture dpgl_glFramebufferTexture
#define glPointParameterfARB dpgl_glPointParameterfARB
#define glPointParameterfvARB dpgl_glPointParameterfvARB
#define glDrawRangeElements dpgl_glDrawRangeElements
#define wglSwapIntervalEXT dpgl_wglSwapIntervalEXT
#define glFenceSync dpgl_glFenceSync
#define glIsSync dpgl_glIsSync
#define glDeleteSync dpgl_glDeleteSync
#define glClientWaitSync dpgl_glClientWaitSync
#define glWaitSync dpgl_glWaitSync
#define glGetInteger64v dpgl_glGetInteger64v
#define glGetSynciv dpgl_glGetSynciv
#define glStencilOpSeparate dpgl_glStencilOpSeparate
#define glStencilFuncSeparate dpgl_glStencilFuncSeparate
#define glStencilMaskSeparate dpgl_glStencilMaskSeparate
// clang-format on

// Whether `name` is a whole token of the context's extension list (read with glGetStringi on
// GL 3.0 and later, otherwise the GL_EXTENSIONS string).
bool hasGlExtension(const char* name);
// The same test on a given extension string (null or empty: nothing is supported).
bool hasGlExtensionIn(const char* extensions, const char* name);
// A GL_VERSION string as major * 100 + minor ("4.5 (Compatibility Profile) Mesa" gives 405);
// 0 when it does not start with "major.minor" (null, or an OpenGL ES string).
int glVersionNumber(const char* version);

// Fills every pointer, in ten groups, printing what is missing. Ends the process when vertex
// buffer objects (exit status 0) or multitexturing (exit status -1) are not supported.
void loadGlExtensions();

// The load-all for a context of the given GL_VERSION string and extension list (names separated
// by blanks), asking the given resolver; loadGlExtensions() passes the current context's and the
// platform resolver. Lets a test play a driver that lacks things.
typedef void* (*GlProcResolver)(const char* name);
void loadGlExtensionsWith(const char* version, const char* extensions, GlProcResolver resolve);

// The platform resolver: SDL_GL_GetProcAddress, and our own wglSwapIntervalEXT over SDL.
void* glLoaderResolve(const char* name);
