// Models on a real GL context: OBJ files loaded through the graphics context, drawn whole, by
// group and by group list into a render target and checked by their pixels; the GL calls a
// draw makes; attribute and buffer state around bind and unbind.
//
// The programs draw positions as given (normalised device coordinates) in a colour made from
// the texture coordinate or the normal, so each group of a test model shows in its own colour.
#include "gfx_context.h"
#include "gl_test_context.h"
#include "load_obj_model.h"
#include "window.h"
#include "temp_dir.h"

#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// ---- glDrawElements recording ---------------------------------------------------------------

struct DrawCall {
    GLsizei count;
    uintptr_t offset;
};
static std::vector<DrawCall> g_draws;

// GL 1.1 is linked directly, so this definition takes the gfx library's calls; it records and
// forwards to libGL's own.
extern "C" void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    g_draws.push_back(DrawCall{count, reinterpret_cast<uintptr_t>(indices)});
    static auto real = reinterpret_cast<void (*)(GLenum, GLsizei, GLenum, const void*)>(
        dlsym(RTLD_NEXT, "glDrawElements"));
    real(mode, count, type, indices);
}

// ---- test models ----------------------------------------------------------------------------

namespace {

// One directory for the binary, removed at exit.
std::string tempDir() {
    static const TempDir dir("test_model");
    return dir.path();
}

// An axis-aligned quad at z = 0 whose corners all use texcoord `uv` (1-based).
void quad(std::ostringstream& obj, int& vertices, float x0, float y0, float x1, float y1, int uv) {
    obj << "v " << x0 << ' ' << y0 << " 0\nv " << x1 << ' ' << y0 << " 0\nv " << x1 << ' ' << y1
        << " 0\nv " << x0 << ' ' << y1 << " 0\n";
    const int v = vertices + 1;
    obj << "f " << v << '/' << uv << ' ' << v + 1 << '/' << uv << ' ' << v + 2 << '/' << uv << ' '
        << v + 3 << '/' << uv << '\n';
    vertices += 4;
}

// Texcoords (0,0) black, (1,0) red, (0,1) green, (1,1) yellow. A quad before any "g" line at
// the upper left; groups 0, 1 and 2 side by side in the lower half; groups 0 and 2 also cover
// the same upper right square.
std::string groupsObj(bool materials) {
    std::ostringstream obj;
    obj << "vt 0 0\nvt 1 0\nvt 0 1\nvt 1 1\n";
    int n = 0;
    quad(obj, n, -1, 0, -0.5f, 1, 1);
    obj << "g zero\n" << (materials ? "usemtl red\n" : "");
    quad(obj, n, -1, -1, -0.5f, 0, 2);
    quad(obj, n, 0.5f, 0, 1, 1, 2);
    obj << "g one\n" << (materials ? "usemtl green\n" : "");
    quad(obj, n, -0.5f, -1, 0, 0, 3);
    obj << "g two\n" << (materials ? "usemtl yellow\n" : "");
    quad(obj, n, 0, -1, 0.5f, 0, 4);
    quad(obj, n, 0.5f, 0, 1, 1, 4);
    return obj.str();
}

std::string writeObj(const std::string& name, const std::string& text) {
    const std::string path = tempDir() + "/" + name;
    std::ofstream(path) << text;
    return path;
}

// Pixel centres of the regions above in a 64 x 64 target.
const int kUpperLeft[2] = {8, 48}, kUpperRight[2] = {56, 48};
const int kGroup0[2] = {8, 16}, kGroup1[2] = {24, 16}, kGroup2[2] = {40, 16};

} // namespace

// ---- fixture --------------------------------------------------------------------------------

class Model : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        desc = WindowDesc{1280, 720, 1280, 720, false, false, false};
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        gfx = new gfxContext();
        gfx->init(&desc);
        std::ofstream(tempDir() + "/model_test.vert") << "#version 330 compatibility\n"
                                                         "layout(location = 0) in vec4 pos;\n"
                                                         "layout(location = 1) in vec3 normal;\n"
                                                         "layout(location = 2) in vec2 uv;\n"
                                                         "out vec3 v_normal;\n"
                                                         "out vec2 v_uv;\n"
                                                         "void main() {\n"
                                                         "    v_normal = normal; v_uv = uv;\n"
                                                         "    gl_Position = pos;\n"
                                                         "}\n";
        std::ofstream(tempDir() + "/model_test_uv.frag")
            << "#version 330 compatibility\n"
               "in vec2 v_uv;\n"
               "out vec4 colour;\n"
               "void main() { colour = vec4(v_uv, 0, 1); }\n";
        std::ofstream(tempDir() + "/model_test_normal.frag")
            << "#version 330 compatibility\n"
               "in vec3 v_normal;\n"
               "out vec4 colour;\n"
               "void main() { colour = vec4(v_normal * 0.5 + 0.5, 1); }\n";
        gfx->loadShader("model_uv", tempDir() + "/model_test.vert",
                        tempDir() + "/model_test_uv.frag");
        gfx->loadShader("model_normal", tempDir() + "/model_test.vert",
                        tempDir() + "/model_test_normal.frag");
        withMaterials = gfx->loadModel("groups", writeObj("groups.obj", groupsObj(true)));
        withoutMaterials = gfx->loadModel("plain", writeObj("plain.obj", groupsObj(false)));
        testing::internal::GetCapturedStdout();
        loadErr = testing::internal::GetCapturedStderr();
    }
    void SetUp() override {
        uint64_t& w = *gfx->renderState();
        w = rs::defaultWord();
        rs::setDepthFunc(w, kDepthAlways);
        rs::setCulling(w, false);
        target = gfx->acquireRenderTarget(64, 64);
        gfx->setClearColor(0, 0, 1, 1);
        target->bind(gfx, 3);
        gfx->useShader("model_uv");
        g_draws.clear();
    }
    void TearDown() override {
        target->unbind(gfx);
        target = RenderTargetHandle();
    }

    // The pixel at `xy` of the bound target as 0/1 per channel (r, g, b).
    static std::string colourAt(const int xy[2]) {
        unsigned char px[4];
        readPixel(xy[0], xy[1], px);
        std::string s;
        for (int c = 0; c < 3; ++c) s += px[c] > 200 ? '1' : px[c] < 55 ? '0' : '?';
        return s;
    }

    static WindowDesc desc;
    static gfxContext* gfx;
    static iModel* withMaterials;
    static iModel* withoutMaterials;
    static std::string loadErr;
    RenderTargetHandle target;
};
WindowDesc Model::desc;
gfxContext* Model::gfx;
iModel* Model::withMaterials;
iModel* Model::withoutMaterials;
std::string Model::loadErr;

const std::string kClear = "001", kBlack = "000", kRed = "100", kGreen = "010", kYellow = "110";

// ---- drawing --------------------------------------------------------------------------------

TEST_F(Model, LoadedThroughTheContextAndRegistered) {
    ASSERT_NE(withMaterials, nullptr);
    ASSERT_NE(withoutMaterials, nullptr);
    EXPECT_EQ(gfx->model("groups"), withMaterials);
    EXPECT_EQ(withMaterials->group_count(), 3);
    EXPECT_NE(loadErr.find("# warning, created smooth normals...\n"), std::string::npos);
    float bounds[6];
    withMaterials->get_bounds(bounds);
    EXPECT_EQ(std::vector<float>(bounds, bounds + 6), (std::vector<float>{-1, -1, 0, 1, 1, 0}));
}

TEST_F(Model, WithoutMaterialsDrawIsOneCallOverEverything) {
    withoutMaterials->draw(gfx);
    ASSERT_EQ(g_draws.size(), 1u);
    EXPECT_EQ(g_draws[0].count, 36) << "six quads";
    EXPECT_EQ(g_draws[0].offset, 0u);
    EXPECT_EQ(colourAt(kUpperLeft), kBlack) << "triangles before the first g line are drawn";
    EXPECT_EQ(colourAt(kGroup0), kRed);
    EXPECT_EQ(colourAt(kGroup1), kGreen);
    EXPECT_EQ(colourAt(kGroup2), kYellow);
    EXPECT_EQ(colourAt(kUpperRight), kYellow) << "group 2 comes after group 0 in the indices";
}

TEST_F(Model, WithMaterialsDrawGoesGroupByGroup) {
    withMaterials->draw(gfx);
    ASSERT_EQ(g_draws.size(), 3u);
    EXPECT_EQ(g_draws[0].count, 12);
    EXPECT_EQ(g_draws[0].offset, 6u * 4) << "after the ungrouped quad's six indices";
    EXPECT_EQ(g_draws[1].count, 6);
    EXPECT_EQ(g_draws[2].offset, 24u * 4);
    EXPECT_EQ(colourAt(kUpperLeft), kClear) << "triangles in no range are not drawn";
    EXPECT_EQ(colourAt(kGroup0), kRed);
    EXPECT_EQ(colourAt(kGroup1), kGreen);
    EXPECT_EQ(colourAt(kGroup2), kYellow);
}

TEST_F(Model, DrawGroupDrawsOneGroupBetweenBindAndUnbind) {
    withMaterials->bind();
    withMaterials->draw_group(gfx, 1);
    withMaterials->unbind();
    ASSERT_EQ(g_draws.size(), 1u);
    EXPECT_EQ(colourAt(kGroup0), kClear);
    EXPECT_EQ(colourAt(kGroup1), kGreen);
    EXPECT_EQ(colourAt(kGroup2), kClear);
}

TEST_F(Model, DrawGroupsFollowsTheListOrder) {
    const int32_t twoThenZero[] = {2, 0};
    withMaterials->draw_groups(gfx, 2, twoThenZero);
    EXPECT_EQ(colourAt(kUpperRight), kRed) << "group 0 drawn last";
    EXPECT_EQ(colourAt(kGroup1), kClear);
    EXPECT_EQ(colourAt(kGroup2), kYellow);

    const int32_t zeroThenTwo[] = {0, 2};
    withMaterials->draw_groups(gfx, 2, zeroThenTwo);
    EXPECT_EQ(colourAt(kUpperRight), kYellow);
    EXPECT_EQ(g_draws.size(), 4u);
}

TEST_F(Model, GroupsOutsideTheRangesDrawNothing) {
    testing::internal::CaptureStderr();
    withMaterials->bind();
    withMaterials->draw_group(gfx, 3);
    withMaterials->draw_group(gfx, -1);
    withMaterials->unbind();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(g_draws.empty());
    EXPECT_NE(err.find("model group index out of range"), std::string::npos) << err;
}

TEST_F(Model, SmoothNormalsReachAttributeOne) {
    gfx->useShader("model_normal");
    withoutMaterials->draw(gfx);
    unsigned char px[4];
    readPixel(kGroup1[0], kGroup1[1], px); // normal (0, 0, 1) -> (0.5, 0.5, 1)
    EXPECT_NEAR(px[0], 128, 2);
    EXPECT_NEAR(px[1], 128, 2);
    EXPECT_EQ(px[2], 255);
}

// ---- ranges, buffers, attributes ------------------------------------------------------------

TEST_F(Model, DrawGroupUsesTheRangeOffsetsInBytes) {
    cModel m;
    m.indices.assign(60, 0);
    m.group_ranges = {{0, 0}, {30, 1}, {60, -1}};
    m.upload(true);
    EXPECT_EQ(m.group_count(), 2);
    m.bind();
    m.draw_group(gfx, 1);
    m.unbind();
    ASSERT_EQ(g_draws.size(), 1u);
    EXPECT_EQ(g_draws[0].count, 30);
    EXPECT_EQ(g_draws[0].offset, 120u);
}

TEST_F(Model, WithoutTexcoordsOnlyAttributesZeroAndOneAreBound) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    cModel* m = load_obj_model(writeObj("bare.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(m->positions.size(), 9u);
    m->upload(true);
    EXPECT_TRUE(m->positions.empty()) << "CPU copies go after upload(true)";
    EXPECT_FALSE(m->indices.empty());
    float bounds[6];
    m->get_bounds(bounds);
    EXPECT_EQ(std::vector<float>(bounds, bounds + 6), (std::vector<float>{0, 0, 0, 1, 1, 0}));

    GLint64 size = -1;
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, m->texcoord_buffer.buffer);
    glGetBufferParameteri64v(GL_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 0) << "the texcoord buffer holds no data";
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, m->position_buffer.buffer);
    glGetBufferParameteri64v(GL_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 36);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);

    auto enabled = [](GLuint attribute) {
        GLint on = -1;
        glGetVertexAttribiv(attribute, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &on);
        return on;
    };
    m->bind();
    EXPECT_EQ(enabled(0), 1);
    EXPECT_EQ(enabled(1), 1);
    EXPECT_EQ(enabled(2), 0);
    GLint element = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB, &element);
    EXPECT_EQ(static_cast<GLuint>(element), m->index_buffer.buffer);
    EXPECT_EQ(m->position_buffer.role, ModelBuffer::kPosition);
    EXPECT_EQ(m->normal_buffer.role, ModelBuffer::kNormal);
    EXPECT_EQ(m->texcoord_buffer.role, ModelBuffer::kUnbound);
    EXPECT_EQ(m->index_buffer.role, ModelBuffer::kIndex);

    m->unbind();
    EXPECT_EQ(enabled(0), 0);
    EXPECT_EQ(enabled(1), 0);
    GLint array = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING_ARB, &array);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB, &element);
    EXPECT_EQ(array, 0);
    EXPECT_EQ(element, 0);
    EXPECT_EQ(m->index_buffer.role, ModelBuffer::kIndex) << "unbinding leaves the role";

    const GLuint name = m->index_buffer.buffer;
    m->release_buffers();
    EXPECT_EQ(m->index_buffer.buffer, 0u);
    auto isBuffer =
        reinterpret_cast<GLboolean(APIENTRY*)(GLuint)>(SDL_GL_GetProcAddress("glIsBuffer"));
    ASSERT_NE(isBuffer, nullptr);
    EXPECT_FALSE(isBuffer(name));
    delete m;
}

// ---- the registry ---------------------------------------------------------------------------

TEST_F(Model, RegistryLoadsOncePerNameAndOnlyObjFiles) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(gfx->loadModel("groups", "/nonexistent/other.obj"), withMaterials);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "# already inserted model groups\n");

    EXPECT_EQ(gfx->loadModel("scene", tempDir() + "/plain.3ds"), nullptr);
    EXPECT_EQ(gfx->model("scene"), nullptr);

    // A lookup before the load must not keep the model from loading.
    EXPECT_EQ(gfx->model("late"), nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    iModel* late = gfx->loadModel("late", tempDir() + "/plain.obj");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("already inserted"), std::string::npos);
    ASSERT_NE(late, nullptr);
    EXPECT_NE(late, withoutMaterials);
    EXPECT_EQ(gfx->model("late"), late);
}

TEST_F(Model, AMissingModelFileEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // the GL driver runs threads
    EXPECT_EXIT(gfx->loadModel("missing", tempDir() + "/missing.obj"), testing::ExitedWithCode(255),
                "");
}
