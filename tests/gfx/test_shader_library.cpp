// Shader library against a real GL context: what it prints, what it registers, and what ends
// up in GL state and in pixels.
#include "gl_test_context.h"
#include "shader_library.h"
#include "texture_handle.h"
#include "temp_dir.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const kVert = "#version 330 compatibility\n"
                          "layout(location = 0) in vec4 position;\n"
                          "void main() { gl_Position = position; }\n";
const char* const kTintFrag = "#version 330 compatibility\n"
                              "uniform vec4 tint;\n"
                              "out vec4 colour;\n"
                              "void main() { colour = tint; }\n";
// No #version: these get theirs from the defines text. The blank first line keeps the vertex
// stage apart from a defines text that does not end its last line.
const char* const kBareVert = "\n"
                              "layout(location = 0) in vec4 position;\n"
                              "void main() { gl_Position = position; }\n";
const char* const kDefinesFrag = "out vec4 colour;\n"
                                 "void main() {\n"
                                 "#if defined(REDDISH)\n"
                                 "    colour = vec4(1.0, 1.0, 0.0, 1.0);\n"
                                 "#elif defined(RED)\n"
                                 "    colour = vec4(1.0, 0.0, 0.0, 1.0);\n"
                                 "#elif defined(BROKEN)\n"
                                 "    colour = syntax error;\n"
                                 "#else\n"
                                 "    colour = vec4(0.0, 0.0, 1.0, 1.0);\n"
                                 "#endif\n"
                                 "}\n";

using Rgb = std::array<int, 3>;
const Rgb kMagenta = {255, 0, 255};

struct Output {
    std::string out, err;
};

template <typename F> Output capture(F&& run) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    run();
    Output o;
    o.out = testing::internal::GetCapturedStdout();
    o.err = testing::internal::GetCapturedStderr();
    return o;
}

GLint getInt(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

GLint boundOnUnit(int unit, GLenum binding) {
    glActiveTexture(GL_TEXTURE0 + unit);
    GLint name = getInt(binding);
    glActiveTexture(GL_TEXTURE0);
    return name;
}

TextureHandle makeTexture(GLenum target) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(target, name); // gives the name its target
    glBindTexture(target, 0);
    return TextureHandle{target, name, 1, 1, kFormatRGBA8, false};
}

class ShaderLibraryTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = tempDir_.path();
        vert_ = write("plain.vert", kVert);
        tint_ = write("tint.frag", kTintFrag);
        bareVert_ = write("bare.vert", kBareVert);
        glUseProgram(0); // a new library believes nothing is bound
        capture([&] { lib_.init(); });
        ASSERT_TRUE(lib_.hasShader("default_shader", nullptr));
        forgetLastMissingUniforms();

        glGenFramebuffers(1, &fbo_);
        glGenRenderbuffers(1, &colour_);
        glBindRenderbuffer(GL_RENDERBUFFER, colour_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 16, 16);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, 16, 16);
    }
    void TearDown() override {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo_);
        glDeleteRenderbuffers(1, &colour_);
    }

    // The repeat filter is process-wide: report a name no test uses, so that every test starts
    // from a clean slate whatever ran before it.
    void forgetLastMissingUniforms() {
        static int resets = 0;
        const std::string name = "reset " + std::to_string(++resets);
        const float v[16] = {};
        capture([&] {
            lib_.setVector("default_shader", name, v);
            lib_.setMatrix("default_shader", name, v);
            lib_.setTexture("default_shader", name, nullptr);
        });
    }

    std::string write(const std::string& file, const std::string& text) {
        std::string path = (dir_ / file).string();
        std::ofstream(path) << text;
        return path;
    }

    // A full-viewport quad through attribute 0 (and attribute 2 when given); the centre pixel.
    Rgb draw(const float* uv = nullptr) {
        static const float quad[] = {-1, -1, 0, 1, 1, -1, 0, 1, 1, 1, 0, 1, -1, 1, 0, 1};
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, quad);
        glEnableVertexAttribArray(0);
        if (uv) {
            glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 0, uv);
            glEnableVertexAttribArray(2);
        }
        glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
        glDisableVertexAttribArray(2);
        glDisableVertexAttribArray(0);
        unsigned char px[4];
        readPixel(8, 8, px);
        return {px[0], px[1], px[2]};
    }

    ShaderLibrary lib_;
    TempDir tempDir_{"shaderlib"};
    std::filesystem::path dir_;
    std::string vert_, tint_, bareVert_;
    GLuint fbo_ = 0, colour_ = 0;
};

// ---- loading --------------------------------------------------------------------------------

TEST_F(ShaderLibraryTest, MissingFileIsReportedFirstInVertexFragmentGeometryOrder) {
    const std::string none = (dir_ / "none").string();
    struct Case {
        std::string vertex, geometry, fragment, reported;
    } cases[] = {
        {none + ".vert", none + ".geom", none + ".frag", none + ".vert"},
        {vert_, none + ".geom", none + ".frag", none + ".frag"},
        {vert_, none + ".geom", tint_, none + ".geom"},
    };
    for (const Case& c : cases) {
        Output o = capture([&] { lib_.load("missing", c.vertex, c.geometry, c.fragment, "X"); });
        EXPECT_EQ(o.err, "## ERROR: shader-file not found \"" + c.reported + "\"\n");
        EXPECT_EQ(o.out, "") << "nothing may be compiled";
        EXPECT_FALSE(lib_.hasShader("missing", nullptr));
    }
}

TEST_F(ShaderLibraryTest, EmptyFileFailsLikeACompileErrorNamingTheFile) {
    const std::string empty = write("empty.frag", "");
    Output o = capture([&] { lib_.load("hollow", vert_, "", empty, nullptr); });
    EXPECT_EQ(o.err, "read empty file...\n## ERROR: compilation of " + empty + " failed\n");
    EXPECT_FALSE(lib_.hasShader("hollow", nullptr));
    capture([&] { lib_.useShader("hollow"); }); // falls back instead of crashing
    GLint bound = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), lib_.useShader("default_shader"));
}

TEST_F(ShaderLibraryTest, LoadsTwoOrThreeStagesAndNotesTheFiles) {
    Output o = capture([&] { lib_.load("two", vert_, "", tint_, nullptr); });
    EXPECT_EQ(o.out, "# note: compiled " + vert_ + " " + tint_ + "\n");
    EXPECT_EQ(o.err, "");
    GLuint two = lib_.useShader("two");
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), GLint(two));
    GLint stages = 0;
    glGetProgramiv(two, GL_ATTACHED_SHADERS, &stages);
    EXPECT_EQ(stages, 2);

    std::string geom = write("pass.geom", "#version 330 compatibility\n"
                                          "layout(triangles) in;\n"
                                          "layout(triangle_strip, max_vertices = 3) out;\n"
                                          "void main() {\n"
                                          "    for (int i = 0; i < 3; ++i) {\n"
                                          "        gl_Position = gl_in[i].gl_Position;\n"
                                          "        EmitVertex();\n"
                                          "    }\n"
                                          "}\n");
    capture([&] { lib_.load("three", vert_, geom, tint_, nullptr); });
    GLuint three = lib_.useShader("three");
    glGetProgramiv(three, GL_ATTACHED_SHADERS, &stages);
    EXPECT_EQ(stages, 3);
    const float green[] = {0, 1, 0, 1};
    lib_.setVector("three", "tint", green);
    EXPECT_EQ(draw(), (Rgb{0, 255, 0}));
}

TEST_F(ShaderLibraryTest, CompileErrorsReportEveryStageAndLeaveTheNameSilent) {
    std::string badVert = write("bad.vert", "#version 330 compatibility\nvoid main() { oops }\n");
    std::string badFrag = write("bad.frag", "#version 330 compatibility\nuniform vec4 tint;\n"
                                            "void main() { gl_FragColor = tint * nope; }\n");
    Output o = capture([&] { lib_.load("broken", badVert, "", badFrag, nullptr); });
    EXPECT_EQ(o.err, "## ERROR: compilation of " + badVert + " failed\n## ERROR: compilation of " +
                         badFrag + " failed\n");
    const std::string vertLog = "# GL_VERTEX_SHADER_ARB\n## InfoLog:";
    const std::string fragLog = "# GL_FRAGMENT_SHADER_ARB\n## InfoLog:";
    ASSERT_EQ(o.out.compare(0, vertLog.size(), vertLog), 0) << o.out;
    EXPECT_NE(o.out.find("\n" + fragLog), std::string::npos) << o.out;
    EXPECT_EQ(o.out.back(), '\n');
    EXPECT_EQ(o.out.find("# note"), std::string::npos);
    EXPECT_FALSE(lib_.hasShader("broken", nullptr));

    // A failed program stays quiet in the setters; its draws fall back to default_shader.
    const float v[16] = {};
    TextureHandle tex = makeTexture(GL_TEXTURE_3D);
    o = capture([&] {
        lib_.setVector("broken", "tint", v);
        lib_.setMatrix("broken", "mvp", v);
        lib_.setTexture("broken", "image", &tex);
    });
    EXPECT_EQ(o.err, "");
    o = capture([&] { EXPECT_EQ(lib_.useShader("broken"), lib_.useShader("default_shader")); });
    EXPECT_NE(o.err.find("## ASSERT FAILED: \"shader not found\"\n"), std::string::npos);
    EXPECT_EQ(draw(), kMagenta);
    glDeleteTextures(1, &tex.name);
}

TEST_F(ShaderLibraryTest, LinkErrorNamesAllThreePathsAndPrintsTheProgramLog) {
    std::string noMain = write("nomain.vert", "#version 330 compatibility\n"
                                              "layout(location = 0) in vec4 position;\n"
                                              "vec4 helper() { return position; }\n");
    Output o = capture([&] { lib_.load("unlinked", noMain, "", tint_, nullptr); });
    const std::string head = "## ERROR: linking of \n\t" + noMain + "\t\t" + tint_ + "\nfailed\n";
    ASSERT_EQ(o.out.compare(0, head.size(), head), 0) << o.out;
    EXPECT_EQ(o.out.substr(head.size(), 18), "Linking## InfoLog:") << o.out;
    EXPECT_EQ(o.err, "");
    EXPECT_FALSE(lib_.hasShader("unlinked", nullptr));

    // The geometry and fragment stages disagree on the type of a uniform.
    std::string geom = write("g.geom", "#version 330 compatibility\n"
                                       "layout(points) in;\nlayout(points, max_vertices = 1) out;\n"
                                       "uniform float tint;\n"
                                       "void main() { gl_Position = vec4(tint); EmitVertex(); }\n");
    o = capture([&] { lib_.load("mismatch", vert_, geom, tint_, nullptr); });
    EXPECT_EQ(
        o.out.rfind("## ERROR: linking of \n\t" + vert_ + "\t" + geom + "\t" + tint_ + "\nfailed\n",
                    0),
        0u)
        << o.out;
    EXPECT_FALSE(lib_.hasShader("mismatch", nullptr));
}

// ---- defines --------------------------------------------------------------------------------

TEST_F(ShaderLibraryTest, DefinesAreTheFirstSourceStringWithNothingAdded) {
    std::string frag = write("defines.frag", kDefinesFrag);
    const std::string version = "#version 330 compatibility\n";
    capture([&] {
        lib_.load("red", bareVert_, "", frag, (version + "#define RED\n").c_str());
        lib_.load("plain", bareVert_, "", frag, version.c_str());
        // Without a line end of its own the defines text runs on into the file's first token.
        lib_.load("joined", bareVert_, "",
                  write("joined.frag", std::string("DISH\n") + kDefinesFrag),
                  (version + "#define RED").c_str());
    });
    lib_.useShader("red");
    EXPECT_EQ(draw(), (Rgb{255, 0, 0}));
    lib_.useShader("plain");
    EXPECT_EQ(draw(), (Rgb{0, 0, 255}));
    lib_.useShader("joined");
    EXPECT_EQ(draw(), (Rgb{255, 255, 0}));

    EXPECT_TRUE(lib_.hasShader("red", nullptr));
    EXPECT_TRUE(lib_.hasShader("red", (version + "#define RED\n").c_str()));
    EXPECT_FALSE(lib_.hasShader("red", (version + "#define RED").c_str()));
    EXPECT_FALSE(lib_.hasShader("red", ""));
    EXPECT_FALSE(lib_.hasShader("never loaded", nullptr));
}

// Shaders loaded with defines carry no #version; the attribute convention still has to hold.
TEST_F(ShaderLibraryTest, VersionlessShaderPlacesAttributesThroughTheExtension) {
    std::string vert = write("uv.vert", "#extension GL_ARB_explicit_attrib_location : require\n"
                                        "layout(location = 0) in vec4 position;\n"
                                        "layout(location = 2) in vec2 uv;\n"
                                        "varying vec2 v_uv;\n"
                                        "void main() { v_uv = uv; gl_Position = position; }\n");
    std::string frag = write("uv.frag", "varying vec2 v_uv;\n"
                                        "void main() { gl_FragColor = vec4(v_uv, 0.0, 1.0); }\n");
    Output o = capture([&] { lib_.load("uv", vert, "", frag, "#define SCENE00\n"); });
    ASSERT_TRUE(lib_.hasShader("uv", "#define SCENE00\n")) << o.err << o.out;
    lib_.useShader("uv");
    const float uv[] = {1, 0, 1, 0, 1, 0, 1, 0};
    EXPECT_EQ(draw(uv), (Rgb{255, 0, 0}));
}

TEST_F(ShaderLibraryTest, TheFirstRegistrationOfANameStands) {
    std::string frag = write("defines.frag", kDefinesFrag);
    capture([&] {
        lib_.load("swap", bareVert_, "", frag, "#version 330 compatibility\n#define RED\n");
    });
    GLuint first = lib_.useShader("swap");
    GLint programsBefore = 0;
    for (GLuint p = 1; p < first + 64; ++p) programsBefore += glIsProgram(p) ? 1 : 0;

    // Asked for again with other defines: compiled, but the registry keeps the first program.
    capture([&] { lib_.load("swap", bareVert_, "", frag, "#version 330 compatibility\n"); });
    EXPECT_FALSE(lib_.hasShader("swap", "#version 330 compatibility\n"));
    EXPECT_TRUE(lib_.hasShader("swap", "#version 330 compatibility\n#define RED\n"));
    EXPECT_EQ(lib_.useShader("swap"), first);
    EXPECT_EQ(draw(), (Rgb{255, 0, 0}));
    GLint programsAfter = 0;
    for (GLuint p = 1; p < first + 64; ++p) programsAfter += glIsProgram(p) ? 1 : 0;
    EXPECT_EQ(programsAfter, programsBefore) << "the unused second program is deleted";

    capture([&] {
        lib_.load("swap", bareVert_, "", frag, "#version 330 compatibility\n#define BROKEN\n");
    });
    EXPECT_EQ(lib_.useShader("swap"), first);
}

// ---- uniforms -------------------------------------------------------------------------------

TEST_F(ShaderLibraryTest, UniformsAreFiledByKindAndSetOnTheBoundProgram) {
    std::string frag =
        write("many.frag", "#version 330 compatibility\n"
                           "uniform vec4 tint;\nuniform mat4 xform;\n"
                           "uniform int count;\nuniform vec4 unused;\n"
                           "out vec4 colour;\n"
                           "void main() { colour = xform * tint * float(count); }\n");
    Output o = capture([&] { lib_.load("many", vert_, "", frag, nullptr); });
    EXPECT_EQ(o.err, "## ASSERT FAILED: \"unknown uniform-type\"\nattach debugger\n");
    GLuint program = lib_.useShader("many");

    const float tint[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    float matrix[16];
    for (int i = 0; i < 16; ++i) matrix[i] = float(i);
    o = capture([&] {
        lib_.setVector("many", "tint", tint);
        lib_.setMatrix("many", "xform", matrix);
    });
    EXPECT_EQ(o.err, "");
    float read[16] = {};
    glGetUniformfv(program, glGetUniformLocation(program, "tint"), read);
    EXPECT_EQ(std::vector<float>(read, read + 4), std::vector<float>(tint, tint + 4));
    glGetUniformfv(program, glGetUniformLocation(program, "xform"), read);
    EXPECT_EQ(std::vector<float>(read, read + 16), std::vector<float>(matrix, matrix + 16));

    // Each table answers only for its own kind; skipped types and dead uniforms are missing.
    o = capture([&] {
        lib_.setMatrix("many", "tint", matrix);
        lib_.setVector("many", "xform", tint);
        lib_.setVector("many", "count", tint);
        lib_.setVector("many", "unused", tint);
    });
    EXPECT_EQ(o.err, "## warning: matrix-uniform missing \"tint\" in many\n"
                     "## warning: vector-uniform missing \"xform\" in many\n"
                     "## warning: vector-uniform missing \"count\" in many\n"
                     "## warning: vector-uniform missing \"unused\" in many\n");
}

TEST_F(ShaderLibraryTest, MissingUniformIsReportedOnceUntilAnotherIs) {
    capture([&] { lib_.load("tinted", vert_, "", tint_, nullptr); });
    lib_.useShader("tinted");
    const float v[16] = {};
    Output o = capture([&] {
        lib_.setVector("tinted", "first", v);
        lib_.setVector("tinted", "first", v);
        lib_.setVector("tinted", "second", v);
        lib_.setVector("tinted", "first", v);
        lib_.setMatrix("tinted", "first", v); // another kind remembers its own
        lib_.setMatrix("tinted", "first", v);
        lib_.setTexture("tinted", "first", nullptr);
    });
    EXPECT_EQ(o.err, "## warning: vector-uniform missing \"first\" in tinted\n"
                     "## warning: vector-uniform missing \"second\" in tinted\n"
                     "## warning: vector-uniform missing \"first\" in tinted\n"
                     "## warning: matrix-uniform missing \"first\" in tinted\n"
                     "## warning: sampler-uniform missing \"first\" in tinted\n");
    o = capture([&] { lib_.setVector("never loaded", "other", v); });
    EXPECT_EQ(o.err, "");
}

// ---- textures -------------------------------------------------------------------------------

const char* const kSamplersFrag =
    "#version 330 compatibility\n"
    "uniform sampler1D line;\nuniform sampler2D image;\n"
    "uniform sampler2DShadow shadow;\nuniform sampler3D volume;\n"
    "uniform samplerCube sky;\nout vec4 colour;\n"
    "void main() {\n"
    "    colour = texture(line, 0.5) + texture(image, vec2(0.5))\n"
    "           + texture(shadow, vec3(0.5)) + texture(volume, vec3(0.5))\n"
    "           + texture(sky, vec3(1.0));\n"
    "}\n";

TEST_F(ShaderLibraryTest, SamplersTakeUnitsInEnumerationOrder) {
    capture([&] { lib_.load("samplers", vert_, "", write("s.frag", kSamplersFrag), nullptr); });
    GLuint program = lib_.useShader("samplers");
    struct Sampler {
        const char* name;
        GLenum target, binding;
    } samplers[] = {
        {"line", GL_TEXTURE_1D, GL_TEXTURE_BINDING_1D},
        {"image", GL_TEXTURE_2D, GL_TEXTURE_BINDING_2D},
        {"shadow", GL_TEXTURE_2D, GL_TEXTURE_BINDING_2D}, // a plain 2D texture is accepted
        {"volume", GL_TEXTURE_3D, GL_TEXTURE_BINDING_3D},
        {"sky", GL_TEXTURE_CUBE_MAP, GL_TEXTURE_BINDING_CUBE_MAP},
    };
    // The order in which GL lists the samplers decides their units.
    std::vector<std::string> order;
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[64];
        GLint size;
        GLenum type;
        glGetActiveUniform(program, GLuint(i), sizeof name, nullptr, &size, &type, name);
        order.push_back(name);
    }
    ASSERT_EQ(order.size(), 5u);

    for (const Sampler& s : samplers) {
        TextureHandle tex = makeTexture(s.target);
        Output o = capture([&] { lib_.setTexture("samplers", s.name, &tex); });
        EXPECT_EQ(o.err, "") << s.name;
        GLint unit = int(std::find(order.begin(), order.end(), s.name) - order.begin());
        GLint uniform = -1;
        glGetUniformiv(program, glGetUniformLocation(program, s.name), &uniform);
        EXPECT_EQ(uniform, unit) << s.name;
        EXPECT_EQ(getInt(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
        EXPECT_EQ(boundOnUnit(unit, s.binding), GLint(tex.name)) << s.name;
        glDeleteTextures(1, &tex.name);
    }
}

TEST_F(ShaderLibraryTest, TextureOfTheWrongTargetIsReportedAndNotBound) {
    capture([&] { lib_.load("samplers", vert_, "", write("s.frag", kSamplersFrag), nullptr); });
    lib_.useShader("samplers");
    TextureHandle volume = makeTexture(GL_TEXTURE_3D);
    TextureHandle flat = makeTexture(GL_TEXTURE_2D);
    Output o = capture([&] {
        lib_.setTexture("samplers", "image", &volume);
        lib_.setTexture("samplers", "sky", &flat);
        lib_.setTexture("samplers", "image", nullptr);
    });
    EXPECT_EQ(o.err, "# ERROR: texture-target mismatch in samplers\n"
                     "#        parm:      image\n"
                     "#        sampler:   GL_SAMPLER_2D\n"
                     "#        textarget: GL_TEXTURE_3D\n"
                     "# ERROR: texture-target mismatch in samplers\n"
                     "#        parm:      sky\n"
                     "#        sampler:   GL_SAMPLER_CUBE\n"
                     "#        textarget: GL_TEXTURE_2D\n");
    for (int unit = 0; unit < 5; ++unit) {
        EXPECT_EQ(boundOnUnit(unit, GL_TEXTURE_BINDING_3D), 0);
        EXPECT_EQ(boundOnUnit(unit, GL_TEXTURE_BINDING_2D), 0);
    }
    glDeleteTextures(1, &volume.name);
    glDeleteTextures(1, &flat.name);
}

// ---- binding --------------------------------------------------------------------------------

TEST_F(ShaderLibraryTest, UnknownNameBindsTheMagentaFallback) {
    GLuint program = 0;
    Output o = capture([&] { program = lib_.useShader("never loaded"); });
    EXPECT_EQ(o.err, "## ASSERT FAILED: \"shader not found\"\nattach debugger\n");
    EXPECT_NE(program, 0u);
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), GLint(program));
    EXPECT_EQ(draw(), kMagenta);

    // Without even the fallback there is nothing but fixed function.
    ShaderLibrary empty;
    capture([&] { EXPECT_EQ(empty.useShader("never loaded"), 0u); });
}

TEST_F(ShaderLibraryTest, RebindingTheBoundProgramTouchesNoGlState) {
    capture([&] { lib_.load("tinted", vert_, "", tint_, nullptr); });
    GLuint program = lib_.useShader("tinted");
    TextureHandle tex = makeTexture(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, tex.name);
    glUseProgram(0); // behind the library's back: it trusts what it bound last
    EXPECT_EQ(lib_.useShader("tinted"), program);
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), GLint(tex.name));
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &tex.name);
}

TEST_F(ShaderLibraryTest, SwitchingProgramsUnbindsTexturesOfUnitsZeroToSeven) {
    capture([&] { lib_.load("tinted", vert_, "", tint_, nullptr); });
    lib_.useShader("tinted");
    const GLenum targets[] = {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP};
    const GLenum bindings[] = {GL_TEXTURE_BINDING_1D, GL_TEXTURE_BINDING_2D, GL_TEXTURE_BINDING_3D,
                               GL_TEXTURE_BINDING_CUBE_MAP};
    std::vector<TextureHandle> textures;
    for (int unit = 0; unit <= 8; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        for (GLenum target : targets) {
            textures.push_back(makeTexture(target));
            glBindTexture(target, textures.back().name);
        }
    }
    glActiveTexture(GL_TEXTURE5);

    lib_.useShader("default_shader");
    EXPECT_EQ(getInt(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    for (int unit = 0; unit < 8; ++unit)
        for (GLenum binding : bindings) EXPECT_EQ(boundOnUnit(unit, binding), 0) << unit;
    EXPECT_EQ(boundOnUnit(8, GL_TEXTURE_BINDING_2D), GLint(textures[8 * 4 + 1].name))
        << "unit 8 is not the library's";
    for (TextureHandle& t : textures) glDeleteTextures(1, &t.name);
}

TEST_F(ShaderLibraryTest, DebugColourShaderDrawsItsColourThroughMvp) {
    capture([&] {
        lib_.load("debugcol", "data/shaders/debugcol.vert", "", "data/shaders/debugcol.frag",
                  nullptr);
    });
    ASSERT_TRUE(lib_.hasShader("debugcol", nullptr));
    lib_.useShader("debugcol");
    float mvp[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float green[4] = {0, 1, 0, 1};
    Output o = capture([&] {
        lib_.setMatrix("debugcol", "mvp", mvp);
        lib_.setVector("debugcol", "debug_color", green);
    });
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(draw(), (Rgb{0, 255, 0}));
    mvp[12] = 3; // moved off screen
    lib_.setMatrix("debugcol", "mvp", mvp);
    EXPECT_EQ(draw(), (Rgb{0, 0, 0}));
}

} // namespace
