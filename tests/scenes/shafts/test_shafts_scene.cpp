// The light-shafts plug-in on a real GL context (scene_harness.h): loaded by the real loader
// from a temporary root, drawn by a real graphics context seen through RecordingGfx, tracks
// written per frame, pixels read back from the frame.
#include "scene_harness.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <array>
#include <string>
#include <vector>

namespace {

class Shafts : public SceneTest {
  protected:
    static void SetUpTestSuite() { openScene(PLUGIN, "shafts_scene"); }

    void SetUp() override {
        SceneTest::SetUp();
        for (const char* name : {"vol_var", "vol_circlerot", "vol_camrot", "vol_vofs", "vol_vblur"})
            h->values[name] = 0.0f;
        h->values["vol_lightits"] = 1.0f;
        h->values["vol_lutits"] = 1.0f;
    }

    // A frame; the first of the binary may create the targets the pool lacks.
    static std::string frame(int64_t timeMs = 43000) {
        const std::string log = h->frame(timeMs);
        const bool first = ++frames == 1;
        EXPECT_EQ(h->clean(log, first), "") << log;
        if (first) firstLog = log;
        return log;
    }
    static size_t count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
    static float brightness(int x, int y, int size) {
        const std::array<float, 3> m = SceneHarness::mean(x, y, size);
        return (m[0] + m[1] + m[2]) / 3.0f;
    }

    static int frames;
    static std::string firstLog;
};

int Shafts::frames = 0;
std::string Shafts::firstLog;

} // namespace

TEST_F(Shafts, InitialiseRegistersItsProgramsModelsAndRunsItsOwnLoader) {
    EXPECT_STREQ(h->scene->name(), "vollight_scene");
    for (const char* s : {"debugcol", "blinn_shadow", "depthout", "unlit", "volshadow_depth"})
        EXPECT_TRUE(h->real->hasShader(s, nullptr)) << s;
    for (const char* m : {"tube", "tlvlogo", "markersphere"})
        EXPECT_NE(h->real->model(m), nullptr) << m;
    EXPECT_EQ(h->initLog.find("ERROR"), std::string::npos) << h->initLog;
    EXPECT_EQ(h->initLog.find("not initialized"), std::string::npos) << h->initLog;
}

TEST_F(Shafts, TheFirstFrameCreatesTwoTargetsAndLaterFramesNone) {
    frame();
    frame();
    // The chain holds four full-size targets at once (A, C, D and the blur's, then E) and three
    // of a quarter (B and the glow's or the streaks' two): one more of each than the pool has.
    EXPECT_EQ(count(firstLog, "allocated rendertarget runtime"), 2u) << firstLog;
}

TEST_F(Shafts, VariantDecidesTubesAndLogo) {
    const float logoColour[4] = {1.75f, 1.75f, 1.75f, 1.0f};
    struct Case {
        float value;
        size_t tubes;
        bool logo;
    };
    for (const Case& c : {Case{0.49f, 10, true}, Case{0.5f, 14, false}, Case{2.2f, 14, false},
                          Case{9.0f, 10, true}}) {
        h->values["vol_var"] = c.value;
        frame();
        EXPECT_EQ(h->gfx->vectorsOf("unlit", "color").size(), c.tubes) << c.value;
        const auto diff = h->gfx->vectorsOf("blinn_shadow", "diffcol");
        const bool logo =
            std::find(diff.begin(), diff.end(),
                      std::array<float, 4>{logoColour[0], logoColour[1], logoColour[2],
                                           logoColour[3]}) != diff.end();
        EXPECT_EQ(logo, c.logo) << c.value;
    }
}

TEST_F(Shafts, LightIntensityColoursTheShaftsAndTheMarker) {
    h->values["vol_lightits"] = 2.0f;
    frame();
    const auto fog = h->gfx->vectorsOf("volshadow_depth", "fogColor");
    ASSERT_EQ(fog.size(), 1u);
    EXPECT_FLOAT_EQ(fog[0][0], 2.0f * 121.0f / 255.0f);
    EXPECT_FLOAT_EQ(fog[0][1], 2.0f * 85.0f / 255.0f);
    EXPECT_FLOAT_EQ(fog[0][2], 2.0f);
    EXPECT_FLOAT_EQ(fog[0][3], 1.0f);
    // The grade's opacity is its own track.
    const auto lut = h->gfx->vectorsOf("post_rgb_lut", "opasity");
    ASSERT_EQ(lut.size(), 1u);
    EXPECT_FLOAT_EQ(lut[0][0], 1.0f);
}

TEST_F(Shafts, PassChainEndsInGradeOffsetFringesAndBlit) {
    frame();
    std::vector<std::string> order;
    for (const RecordingGfx::Quad& q : h->gfx->quads)
        if (order.empty() || order.back() != q.shader) order.push_back(q.shader);
    const std::vector<std::string> tail = {"overlay_comp", "add_comp",  "post_rgb_lut",
                                           "vertoffset",   "coloffset", "passthrough"};
    ASSERT_GE(order.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), order.end() - tail.size()))
        << "last passes: " << order[order.size() - 6] << " ...";
}

// Inside the ring (set-up 1), the arches' shadows cut dark wedges into the lit air. The glow
// and streaks do not depend on the light's intensity, so the difference between a lit frame
// and a dark one is the light alone: in some column a lit shaft (bright difference) must lie
// within 120 pixels of a shadowed gap (a third of it or less).
TEST_F(Shafts, ShadowsCutGapsIntoTheLightShafts) {
    h->values["vol_var"] = 1.0f;
    h->values["vol_circlerot"] = 29.3f;
    h->values["vol_camrot"] = 12.0f;
    h->values["vol_lutits"] = 0.0f;
    constexpr int kCols = 11, kRows = 22, kBlock = 16;
    float lit[kRows][kCols], dark[kRows][kCols];
    for (float(*grid)[kCols] : {lit, dark}) {
        h->values["vol_lightits"] = grid == lit ? 1.1f : 0.0f;
        frame();
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                grid[r][c] = brightness(200 + 80 * c, 24 + 32 * r, kBlock);
    }
    float best = 0.0f;
    int bestCol = -1;
    for (int c = 0; c < kCols; ++c)
        for (int r = 0; r < kRows; ++r)
            for (int q = std::max(0, r - 3); q <= std::min(kRows - 1, r + 3); ++q) {
                const float shaft = lit[r][c] - dark[r][c], gap = lit[q][c] - dark[q][c];
                if (shaft >= 40.0f && gap >= 0.0f && gap * 3.0f <= shaft && shaft - gap > best) {
                    best = shaft - gap;
                    bestCol = c;
                }
            }
    EXPECT_GT(best, 30.0f) << "no lit shaft beside a shadowed gap; best column " << bestCol;
}

const char* const kVolumeProgram = "volshadow_depth";
const char* const kVolumeVertex = "data/shaders/volume_shadow_depth.vert";
const char* const kVolumeFragment = "data/shaders/volume_shadow_depth.frag";

// The volume program's fragment stage with every shadow-map look-up wrapped in max(..., 1): lit
// everywhere, the sampler still in use (so the scene's setTexture still finds it). Empty, after
// a failure, when it has no look-up to wrap.
std::string shadowlessFragment() {
    std::ifstream in(kVolumeFragment);
    std::string fragment((std::istreambuf_iterator<char>(in)), {});
    int found = 0;
    for (const std::string call : {"texture(shadowmap_tex,", "textureOffset(shadowmap_tex,"})
        for (size_t at = fragment.find(call); at != std::string::npos;
             at = fragment.find(call, at + 1)) {
            if (at > 0 && (std::isalnum(fragment[at - 1]) || fragment[at - 1] == '_')) continue;
            size_t end = at + call.size(), depth = 1;
            while (end < fragment.size() && depth > 0) {
                if (fragment[end] == '(') ++depth;
                if (fragment[end] == ')') --depth;
                ++end;
            }
            const std::string lookUp = fragment.substr(at, end - at);
            fragment.replace(at, lookUp.size(), "max(" + lookUp + ", 1.0)");
            at += 4;
            ++found;
        }
    if (found == 0) {
        ADD_FAILURE() << "the volume shader no longer samples shadowmap_tex";
        return std::string();
    }
    return fragment;
}

// The check above is also met by the beam's rim, so this one proves the shadows themselves:
// the same frame drawn with the volume program's shadow look-up forced to "lit" (glow and
// streaks do not depend on the light, so each frame less the frame with the light off is the
// light alone). Inside the ring the tubes' shadows take at least 15 % of the light out of
// many blocks of the beam.
TEST_F(Shafts, TheTubesShadowsTakeLightOutOfTheVolume) {
    h->values["vol_var"] = 1.0f;
    h->values["vol_circlerot"] = 29.3f;
    h->values["vol_camrot"] = 12.0f;
    h->values["vol_lutits"] = 0.0f;
    constexpr int kCols = 11, kRows = 22, kBlock = 16;
    float shadowed[kRows][kCols], unshadowed[kRows][kCols], dark[kRows][kCols];
    auto grab = [&](float(*grid)[kCols], float light) {
        h->values["vol_lightits"] = light;
        frame();
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                grid[r][c] = brightness(200 + 80 * c, 24 + 32 * r, kBlock);
    };
    grab(dark, 0.0f);
    grab(shadowed, 1.1f);
    ShaderLibrary& library = h->real->shaderLibrary();
    std::vector<ShaderLibrary::BuildFailure> failures;
    TempDir dir("shafts_shadowless");
    const std::string shadowless = dir.file("shadowless.frag");
    std::ofstream(shadowless) << shadowlessFragment();
    ASSERT_TRUE(library.rebuild(kVolumeProgram, kVolumeVertex, "", shadowless, failures));
    grab(unshadowed, 1.1f);
    // The scene's own again, for the rest.
    ASSERT_TRUE(library.rebuild(kVolumeProgram, kVolumeVertex, "", kVolumeFragment, failures));

    // Blocks inside the beam (bright without shadows) that the shadows darken by 15 % or more.
    int darkened = 0, inBeam = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            const float free = unshadowed[r][c] - dark[r][c];
            const float lit = shadowed[r][c] - dark[r][c];
            if (free < 30.0f) continue;
            ++inBeam;
            if (lit <= 0.85f * free) ++darkened;
        }
    EXPECT_GE(inBeam, 20);
    EXPECT_GE(darkened, 10) << "of " << inBeam << " blocks in the beam";
}
