// The entry-point loader: the extension-string test, and the load-all played against drivers
// that lack things (a made-up extension string and a resolver that withholds chosen names).
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
}

// Every extension the loader asks about.
const char* const kAllExtensions[] = {
    "GL_ARB_vertex_buffer_object", "GL_ARB_multitexture",    "GL_ARB_texture_compression",
    "GL_ARB_framebuffer_object",   "GL_ARB_draw_buffers",    "GL_SGIS_texture_lod",
    "GL_SGIS_generate_mipmap",     "GL_ARB_texture_env_add", "GL_EXT_texture_lod_bias",
    "GL_ARB_texture_float",        "GL_ARB_multisample",     "GL_ARB_texture_non_power_of_two",
    "GL_ARB_pixel_buffer_object",  "GL_ARB_point_sprite",
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

class GlLoaderTest : public testing::Test {
  protected:
    void TearDown() override {
        g_withheld.clear();
        // Later tests in this binary draw through the real pointers.
        testing::internal::CaptureStderr();
        loadGlExtensions();
        testing::internal::GetCapturedStderr();
    }
    std::string load(const std::set<std::string>& missingExtensions) {
        std::string extensions = extensionsWithout(missingExtensions);
        testing::internal::CaptureStderr();
        loadGlExtensionsWith(extensions.c_str(), withholdingResolver);
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

using GlLoaderDeathTest = GlLoaderTest;

// The only two drivers the program refuses to run on.
TEST_F(GlLoaderDeathTest, MissingVertexBuffersOrMultitextureEndTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // llvmpipe runs threads: no bare fork
    std::string noVbo = extensionsWithout({"GL_ARB_vertex_buffer_object"});
    EXPECT_EXIT(loadGlExtensionsWith(noVbo.c_str(), glLoaderResolve), testing::ExitedWithCode(0),
                "^# WARNING: GL_ARB_vertex_buffer_object not supported\n$");
    std::string noMultitexture = extensionsWithout({"GL_ARB_multitexture"});
    EXPECT_EXIT(loadGlExtensionsWith(noMultitexture.c_str(), glLoaderResolve),
                testing::ExitedWithCode(255), "^# WARNING: GL_ARB_multitexture not supported\n$");
}

} // namespace
