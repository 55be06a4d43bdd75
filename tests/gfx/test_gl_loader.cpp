// The entry-point loader: the extension-string test, and the load-all played against drivers
// that lack things (a made-up version and extension string, and a resolver that withholds chosen
// names or, as GLX does, answers every name).
#include "gl_test_context.h"

#include <set>
#include <sstream>
#include <string>

namespace {

TEST(GlExtensionString, MatchesWholeTokensOnly) {
    EXPECT_TRUE(hasGlExtensionIn("GL_ARB_multitexture", "GL_ARB_multitexture"));
    EXPECT_TRUE(hasGlExtensionIn("GL_A GL_ARB_multitexture", "GL_ARB_multitexture"));
    EXPECT_TRUE(hasGlExtensionIn("GL_A GL_ARB_multitexture ", "GL_ARB_multitexture"));
    EXPECT_TRUE(hasGlExtensionIn("GL_A  GL_B", "GL_B"));
    // A longer token that starts with the name, or a shorter one the name starts with.
    EXPECT_FALSE(hasGlExtensionIn("GL_ARB_multitexture_plus GL_A", "GL_ARB_multitexture"));
    EXPECT_FALSE(hasGlExtensionIn("GL_A GL_ARB_multi", "GL_ARB_multitexture"));
    EXPECT_FALSE(hasGlExtensionIn("XGL_A", "GL_A"));
    EXPECT_FALSE(hasGlExtensionIn("", "GL_A"));
    EXPECT_FALSE(hasGlExtensionIn(nullptr, "GL_A"));
    EXPECT_FALSE(hasGlExtensionIn("GL_A", nullptr));
    EXPECT_TRUE(hasGlExtension("GL_ARB_vertex_buffer_object"));
    // A 3.0+ context lists its extensions one by one: the last one counts too.
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    ASSERT_GT(count, 0);
    auto getStringi = reinterpret_cast<PFNGLGETSTRINGIPROC>(glLoaderResolve("glGetStringi"));
    EXPECT_TRUE(
        hasGlExtension(reinterpret_cast<const char*>(getStringi(GL_EXTENSIONS, count - 1))));
    EXPECT_FALSE(hasGlExtension("GL_XYZ_invented"));
}

TEST(GlVersion, ReadsMajorAndMinorFromTheStart) {
    EXPECT_EQ(glVersionNumber("4.5 (Compatibility Profile) Mesa 22.3.6"), 405);
    EXPECT_EQ(glVersionNumber("2.1.2 NVIDIA 340.108"), 201);
    EXPECT_EQ(glVersionNumber("3.0"), 300);
    EXPECT_EQ(glVersionNumber("1.5 Mesa"), 105);
    EXPECT_EQ(glVersionNumber("10.2"), 1002);
    // Nothing trustworthy: no core function is taken for offered.
    EXPECT_EQ(glVersionNumber("OpenGL ES 3.2 Mesa"), 0);
    EXPECT_EQ(glVersionNumber("4"), 0);
    EXPECT_EQ(glVersionNumber("4."), 0);
    EXPECT_EQ(glVersionNumber(".5"), 0);
    EXPECT_EQ(glVersionNumber(""), 0);
    EXPECT_EQ(glVersionNumber(nullptr), 0);
}

// Every extension the loader asks about.
const char* const kAllExtensions[] = {
    "GL_ARB_vertex_buffer_object",
    "GL_ARB_multitexture",
    "GL_ARB_texture_compression",
    "GL_ARB_framebuffer_object",
    "GL_ARB_draw_buffers",
    "GL_SGIS_texture_lod",
    "GL_SGIS_generate_mipmap",
    "GL_ARB_texture_env_add",
    "GL_EXT_texture_lod_bias",
    "GL_ARB_texture_float",
    "GL_ARB_multisample",
    "GL_ARB_texture_non_power_of_two",
    "GL_ARB_pixel_buffer_object",
    "GL_ARB_point_sprite",
    "GL_ARB_point_parameters",
    "GL_ARB_sync",
    "GL_ARB_imaging",
};

std::string extensionsWithout(const std::set<std::string>& missing) {
    std::ostringstream s;
    for (const char* e : kAllExtensions)
        if (!missing.count(e)) s << e << ' ';
    std::string text = s.str();
    if (!text.empty()) text.pop_back();
    return text;
}

std::set<std::string> g_withheld;

void* withholdingResolver(const char* name) {
    return g_withheld.count(name) ? nullptr : glLoaderResolve(name);
}

void glxStub() {
    ADD_FAILURE() << "a stub for a function the context does not offer was called";
}

// What SDL_GL_GetProcAddress does on GLX: a pointer for any name, offered or not.
void* anyNameResolver(const char*) {
    return reinterpret_cast<void*>(&glxStub);
}

const char* contextVersion() {
    return reinterpret_cast<const char*>(glGetString(GL_VERSION));
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int countLines(const std::string& text, const std::string& ending) {
    int count = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (endsWith(line, ending)) ++count;
    return count;
}

class GlLoaderTest : public testing::Test {
  protected:
    void TearDown() override {
        g_withheld.clear();
        // Later tests in this binary draw through the real pointers.
        testing::internal::CaptureStderr();
        loadGlExtensions();
        testing::internal::GetCapturedStderr();
    }
    // This context's own version, a made-up extension list, the real resolver less g_withheld.
    std::string load(const std::set<std::string>& missingExtensions) {
        return load(contextVersion(), missingExtensions, withholdingResolver);
    }
    std::string load(const char* version, const std::set<std::string>& missingExtensions,
                     GlProcResolver resolver) {
        std::string extensions = extensionsWithout(missingExtensions);
        testing::internal::CaptureStderr();
        loadGlExtensionsWith(version, extensions.c_str(), resolver);
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(GlLoaderTest, CompleteDriverLoadsSilently) {
    EXPECT_EQ(load({}), "");
}

TEST_F(GlLoaderTest, WithoutTextureCompressionTheGroupStaysNullAndLaterGroupsLoad) {
    glCompressedTexImage3D = nullptr;
    glCompressedTexImage2D = nullptr;
    glCompressedTexImage1D = nullptr;
    glCompressedTexSubImage3D = nullptr;
    glCompressedTexSubImage2D = nullptr;
    glCompressedTexSubImage1D = nullptr;
    glGetCompressedTexImage = nullptr;
    glBlendEquation = nullptr;
    glUseProgram = nullptr;
    glBindFramebuffer = nullptr;
    glDrawRangeElements = nullptr;
    glFenceSync = nullptr;
    glStencilMaskSeparate = nullptr;

    EXPECT_EQ(load({"GL_ARB_texture_compression"}),
              "# WARNING: GL_ARB_texture_compression not supported\n");
    EXPECT_EQ(glCompressedTexImage3D, nullptr);
    EXPECT_EQ(glCompressedTexImage2D, nullptr);
    EXPECT_EQ(glCompressedTexImage1D, nullptr);
    EXPECT_EQ(glCompressedTexSubImage3D, nullptr);
    EXPECT_EQ(glCompressedTexSubImage2D, nullptr);
    EXPECT_EQ(glCompressedTexSubImage1D, nullptr);
    EXPECT_EQ(glGetCompressedTexImage, nullptr);
    EXPECT_NE(glBlendEquation, nullptr);
    EXPECT_NE(glUseProgram, nullptr);
    EXPECT_NE(glBindFramebuffer, nullptr);
    EXPECT_NE(glDrawRangeElements, nullptr);
    EXPECT_NE(glFenceSync, nullptr);
    EXPECT_NE(glStencilMaskSeparate, nullptr);
}

TEST_F(GlLoaderTest, MissingEntryPointsAreNamedAndTheirGroupWarnsOnce) {
    g_withheld = {"glGetSynciv"};
    EXPECT_EQ(load({}), "glGetSynciv not initialized\n# WARNING: sync-objects not supported...\n");
    EXPECT_EQ(glGetSynciv, nullptr);
    EXPECT_NE(glFenceSync, nullptr);

    g_withheld = {"glStencilOpSeparate", "glStencilMaskSeparate", "glPointParameterfARB"};
    EXPECT_EQ(load({}), "glStencilOpSeparate not initialized\n"
                        "glStencilMaskSeparate not initialized\n"
                        "# WARNING: stencil functions not supported...\n");
    EXPECT_EQ(glPointParameterfARB, nullptr) << "stored, but without a message";
}

TEST_F(GlLoaderTest, CapabilityWarningsComeInOrderAndNeverStopLoading) {
    glDrawRangeElements = nullptr;
    wglSwapIntervalEXT = nullptr;
    EXPECT_EQ(load({"GL_SGIS_texture_lod", "GL_SGIS_generate_mipmap", "GL_ARB_texture_env_add",
                    "GL_EXT_texture_lod_bias", "GL_ARB_texture_float", "GL_ARB_multisample",
                    "GL_ARB_texture_non_power_of_two", "GL_ARB_pixel_buffer_object",
                    "GL_ARB_point_sprite"}),
              "# WARNING: GL_SGIS_texture_lod not supported\n"
              "# WARNING: GL_SGIS_generate_mipmap not supported\n"
              "# WARNING: GL_ARB_texture_env_add not supported\n"
              "# WARNING: EXT_texture_lod_bias not supported\n"
              "# WARNING: GL_ARB_texture_float not supported\n"
              "# WARNING: GL_ARB_multisample not supported\n"
              "# WARNING: GL_ARB_texture_non_power_of_two not supported!\n"
              "# WARNING: \tGL_ARB_pixel_buffer_object not supported! (go bug your "
              "hardware-vendor)\n"
              "# WARNING: \tGL_ARB_point_sprite not supported! (go bug your hardware-vendor)\n");
    EXPECT_NE(glDrawRangeElements, nullptr);
    EXPECT_NE(wglSwapIntervalEXT, nullptr);
}

TEST_F(GlLoaderTest, FramebufferWarningsEachStandAlone) {
    glGenFramebuffers = nullptr;
    EXPECT_EQ(load({"GL_ARB_framebuffer_object", "GL_ARB_draw_buffers"}),
              "# WARNING: GL_ARB_framebuffer_object not supported\n"
              "# WARNING: GL_ARB_draw_buffers not supported\n");
    EXPECT_NE(glGenFramebuffers, nullptr) << "resolved regardless";
}

// Played with a resolver that answers every name, as GLX does: what the context does not offer
// must stay null and be reported, not become a stub that crashes when called.
TEST_F(GlLoaderTest, OnGlxUnofferedSyncObjectsStayNullAndAreReported) {
    EXPECT_EQ(load("3.1 Mesa", {"GL_ARB_sync"}, anyNameResolver),
              "glGetInteger64i_v not initialized\n"
              "glGetBufferParameteri64v not initialized\n"
              "glFramebufferTexture not initialized\n"
              "glFenceSync not initialized\n"
              "glIsSync not initialized\n"
              "glDeleteSync not initialized\n"
              "glClientWaitSync not initialized\n"
              "glWaitSync not initialized\n"
              "glGetInteger64v not initialized\n"
              "glGetSynciv not initialized\n"
              "# WARNING: sync-objects not supported...\n");
    EXPECT_EQ(glFenceSync, nullptr);
    EXPECT_EQ(glWaitSync, nullptr);
    EXPECT_EQ(glGetSynciv, nullptr);
    EXPECT_EQ(glFramebufferTexture, nullptr);
    EXPECT_NE(glBindFramebuffer, nullptr) << "core in 3.0";
    EXPECT_NE(glStencilOpSeparate, nullptr) << "core in 2.0";

    // The extension offers them below 3.2.
    EXPECT_EQ(load("3.1 Mesa", {}, anyNameResolver), "glGetInteger64i_v not initialized\n"
                                                     "glGetBufferParameteri64v not initialized\n"
                                                     "glFramebufferTexture not initialized\n");
    EXPECT_NE(glFenceSync, nullptr);
    EXPECT_NE(glGetSynciv, nullptr);
}

TEST_F(GlLoaderTest, OnGlxAnOldContextGetsOnlyWhatItsVersionAndExtensionsOffer) {
    std::string err = load("1.5 Mesa",
                           {"GL_ARB_framebuffer_object", "GL_ARB_draw_buffers", "GL_ARB_sync",
                            "GL_ARB_point_parameters"},
                           anyNameResolver);
    EXPECT_TRUE(endsWith(err, "glStencilOpSeparate not initialized\n"
                              "glStencilFuncSeparate not initialized\n"
                              "glStencilMaskSeparate not initialized\n"
                              "# WARNING: stencil functions not supported...\n"))
        << err;
    EXPECT_TRUE(contains(err, "glGetSynciv not initialized\n"
                              "# WARNING: sync-objects not supported...\n"))
        << err;
    EXPECT_TRUE(contains(err, "# WARNING: GL_ARB_framebuffer_object not supported\n"
                              "# WARNING: GL_ARB_draw_buffers not supported\n"
                              "glIsRenderbuffer not initialized\n"))
        << err;
    // 88 shader, 24 framebuffer, 7 sync and 3 stencil entry points, each named once.
    EXPECT_EQ(countLines(err, " not initialized"), 88 + 24 + 7 + 3);
    EXPECT_EQ(countLines(err, "..."), 2);
    EXPECT_EQ(glUseProgram, nullptr);
    EXPECT_EQ(glVertexAttribPointer, nullptr);
    EXPECT_EQ(glBindFramebuffer, nullptr);
    EXPECT_EQ(glDrawBuffers, nullptr);
    EXPECT_EQ(glFenceSync, nullptr);
    EXPECT_EQ(glStencilMaskSeparate, nullptr);
    EXPECT_EQ(glPointParameterfARB, nullptr) << "null, but without a message";
    // Up to 1.5, or by their listed extension.
    EXPECT_NE(glBindBufferARB, nullptr);
    EXPECT_NE(glActiveTexture, nullptr);
    EXPECT_NE(glActiveTextureARB, nullptr);
    EXPECT_NE(glTexImage3D, nullptr);
    EXPECT_NE(glCompressedTexImage2D, nullptr);
    EXPECT_NE(glBlendFuncSeparate, nullptr);
    EXPECT_NE(glDrawRangeElements, nullptr);
    EXPECT_NE(wglSwapIntervalEXT, nullptr);
}

TEST_F(GlLoaderTest, OnGlxNamesBeyondTheVersionNeedTheExtensionThatDefinesThem) {
    // 1.2 has multitexture and the imaging subset only as extensions; the core names of 1.3
    // (glActiveTexture) and 1.4 (glBlendFuncSeparate) are not offered.
    std::string err = load("1.2", {"GL_ARB_point_parameters"}, anyNameResolver);
    EXPECT_TRUE(startsWith(err, "glActiveTexture not initialized\n"
                                "glClientActiveTexture not initialized\n"
                                "glCompressedTexImage3D not initialized\n"))
        << err;
    EXPECT_TRUE(contains(err, "glBlendFuncSeparate not initialized\n")) << err;
    EXPECT_FALSE(contains(err, "glBlendEquation ")) << err;
    EXPECT_NE(glActiveTextureARB, nullptr);
    EXPECT_NE(glClientActiveTextureARB, nullptr);
    EXPECT_NE(glBlendEquation, nullptr) << "GL_ARB_imaging";
    EXPECT_EQ(glBlendFuncSeparate, nullptr);
    EXPECT_EQ(glPointParameterfARB, nullptr);
    EXPECT_EQ(glPointParameterfvARB, nullptr);
}

TEST_F(GlLoaderTest, AFullContextGetsEverything) {
    // A 4.5 context like llvmpipe's, played over GLX's resolver and then for real.
    EXPECT_EQ(load("4.5 (Compatibility Profile) Mesa 22.3.6", {}, anyNameResolver), "");
    EXPECT_NE(glPointParameterfARB, nullptr);

    testing::internal::CaptureStderr();
    loadGlExtensions();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_GE(glVersionNumber(contextVersion()), 405) << contextVersion();
    EXPECT_NE(glPointParameterfARB, nullptr);
    EXPECT_NE(glFramebufferTexture, nullptr);
    // The real functions, not stubs: a fence goes through.
    ASSERT_NE(glFenceSync, nullptr);
    GLsync fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    ASSERT_NE(fence, nullptr);
    EXPECT_TRUE(glIsSync(fence));
    GLenum waited = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 5000000000ull);
    EXPECT_TRUE(waited == GL_ALREADY_SIGNALED || waited == GL_CONDITION_SATISFIED) << waited;
    glDeleteSync(fence);
    GLint64 maxWait = -1;
    glGetInteger64v(GL_MAX_SERVER_WAIT_TIMEOUT, &maxWait);
    EXPECT_GE(maxWait, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

using GlLoaderDeathTest = GlLoaderTest;

// The only two drivers the program refuses to run on.
TEST_F(GlLoaderDeathTest, MissingVertexBuffersOrMultitextureEndTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // llvmpipe runs threads: no bare fork
    std::string noVbo = extensionsWithout({"GL_ARB_vertex_buffer_object"});
    EXPECT_EXIT(loadGlExtensionsWith(contextVersion(), noVbo.c_str(), glLoaderResolve),
                testing::ExitedWithCode(0),
                "^# WARNING: GL_ARB_vertex_buffer_object not supported\n$");
    std::string noMultitexture = extensionsWithout({"GL_ARB_multitexture"});
    EXPECT_EXIT(loadGlExtensionsWith(contextVersion(), noMultitexture.c_str(), glLoaderResolve),
                testing::ExitedWithCode(255), "^# WARNING: GL_ARB_multitexture not supported\n$");
}

} // namespace
