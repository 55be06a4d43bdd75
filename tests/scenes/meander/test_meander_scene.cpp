// The random-walk plug-in on a real GL context (scene_harness.h): loaded by the real loader
// from a temporary root, drawn by a real graphics context seen through RecordingGfx, tracks
// written per frame, pixels read back from the frame. A second copy of the plug-in, loaded
// from another file, shows that every module copy builds the same walk.
#include "meander_rules.h"
#include "postfx.h"
#include "scene_harness.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kTrail = "blinn_notex_ctrao";
const std::string kBackground = "unshaded_textured_wave";

// The instances of one frame as the trail program received them.
struct Instance {
    std::array<float, 16> model;
    std::array<float, 4> colour;
};

class Meander : public SceneTest {
  protected:
    static void SetUpTestSuite() { openScene(PLUGIN, "meander_scene"); }

    void SetUp() override {
        SceneTest::SetUp();
        values["rnd_scenever"] = 0.0f;
        values["rndwalk_num_inst"] = 300.0f;
        values["rnd_glitch"] = 0.0f;
        values["rnd_markheight"] = 0.0f;
        values["rnd_bg_h"] = 0.5f;
        values["rnd_streaks_its"] = 0.5f;
    }

    // Every frame must leave the pool, GL and the log clean, and create no target.
    std::string frame(int64_t timeMs = 2000) {
        const std::string log = h->frame(timeMs);
        EXPECT_EQ(h->clean(log), "") << log;
        return log;
    }

    static std::vector<Instance> instances() {
        std::vector<Instance> out;
        for (const std::array<float, 16>& m : h->gfx->matricesOf(kTrail, "modelmat"))
            out.push_back({m, {}});
        const auto colours = h->gfx->vectorsOf(kTrail, "diffcol");
        EXPECT_EQ(colours.size(), out.size());
        for (size_t i = 0; i < out.size() && i < colours.size(); ++i) out[i].colour = colours[i];
        return out;
    }

    // The two levels steps of the glow: (threshold, 255, ..), then (0, white, ..) with gamma.
    static std::array<float, 3> glow() {
        const auto levels = h->gfx->vectorsOf("levels", "levels_inout");
        const auto gamma = h->gfx->vectorsOf("levels", "gamma");
        // Bloom's levels run first (two), the streaks' after them.
        if (levels.size() < 2 || gamma.size() < 2) return {-1, -1, -1};
        return {levels[0][0], levels[1][1], gamma[1][0]};
    }
};

} // namespace

// Runs first: the streaks borrow three full-size targets while A and B are held, two more
// than the pool starts with. They are made on the scene's first frame and reused afterwards.
TEST_F(Meander, FirstFrameMakesTwoFullSizeTargetsThenNoneMore) {
    EXPECT_EQ(h->scene->name(), std::string("randomwalk_scene"));
    EXPECT_EQ(h->initLog.find("##"), std::string::npos) << h->initLog;
    for (const char* model : {"joint", "markings", "spike0", "spike1", "spike2"})
        EXPECT_NE(h->real->model(model), nullptr) << model;

    const std::string first = h->frame(2000);
    EXPECT_EQ(h->clean(first, true), "") << first;
    const std::string line = "# performance-warning: allocated rendertarget runtime: 1280x720\n";
    EXPECT_EQ(SceneHarness::occurrences(first, line), 2) << first;

    for (float v : {0.0f, 1.0f, 2.0f}) {
        values["rnd_scenever"] = v;
        const std::string log = frame(2100);
        EXPECT_EQ(log.find("allocated rendertarget"), std::string::npos) << v << log;
    }
}

TEST_F(Meander, TrailAt30DrawsInstances0To29WithTheYoungestNearlyFull) {
    values["rndwalk_num_inst"] = 30.0f;
    frame();
    const std::vector<Instance> drawn = instances();
    ASSERT_EQ(drawn.size(), 30u);
    float expected[4];
    meander::diffuseColour(1.0f - 1.0f / 256.0f, expected);
    for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(drawn[29].colour[c], expected[c]);
    const auto light = h->gfx->vectorsOf(kTrail, "ws_lightpos");
    ASSERT_FALSE(light.empty());
    EXPECT_EQ(light[0], (std::array<float, 4>{0, 50, 0, 0}));
}

TEST_F(Meander, TrailPastTheEndStopsAtTheLastPoint) {
    values["rndwalk_num_inst"] = 1100.0f;
    frame();
    const std::vector<Instance> drawn = instances();
    ASSERT_EQ(drawn.size(), 156u); // 844 .. 999
    static float path[meander::kPathPoints][3];
    meander::buildPath(postRandomEntry, path);
    EXPECT_EQ(drawn.back().model[12], path[999][0]);
    EXPECT_EQ(drawn.front().model[13], path[844][1]);
}

// What the plug-in's own copy of the table gives is what this test's copy gives: the
// positions bit for bit, and the turn of instance i is rotation i mod 32 at its size.
TEST_F(Meander, InstancesSitOnTheWalkWithTheirRotationAndSize) {
    values["rndwalk_num_inst"] = 300.0f;
    frame();
    const std::vector<Instance> drawn = instances();
    ASSERT_EQ(drawn.size(), 256u);
    static float path[meander::kPathPoints][3];
    static float rotations[meander::kRotations][16];
    meander::buildPath(postRandomEntry, path);
    meander::buildRotations(postRandomEntry, rotations);
    for (int k = 0; k < 256; ++k) {
        const int i = 44 + k;
        float model[16];
        meander::instanceModel(rotations[i % 32], meander::instanceSize(meander::age(300, i), i),
                               path[i], model);
        for (int e = 0; e < 16; ++e) ASSERT_EQ(drawn[k].model[e], model[e]) << i << " " << e;
    }
    // Instances 64 and 96 share rotation 0: their matrices differ only by size and place.
    const Instance& a = drawn[64 - 44];
    const Instance& b = drawn[96 - 44];
    const float sa = meander::instanceSize(meander::age(300, 64), 64);
    const float sb = meander::instanceSize(meander::age(300, 96), 96);
    for (int e : {0, 1, 2, 4, 5, 6, 8, 9, 10}) EXPECT_NEAR(a.model[e] / sa, b.model[e] / sb, 1e-5f);
}

TEST_F(Meander, EveryModuleCopyBuildsTheSameWalk) {
    // A second copy of the plug-in, under another name: its own static storage and table.
    const std::string dir = h->root + "/second/";
    fs::create_directories(dir + "dll_cache");
    fs::copy_file(PLUGIN, dir + "renderModuleMeanderCopy.so");
    cModuleLoader loader(dir, dir + "dll_cache/", "render*.so");
    loader.loadAll();
    ASSERT_EQ(loader.modules().size(), 1u);
    cRenderModuleBase* copy = loader.modules()[0].scene;
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy, h->scene);

    values["rndwalk_num_inst"] = 700.0f;
    frame(5000);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    copy->initialise(h->input);
    testing::internal::GetCapturedStdout();
    const std::string initLog = testing::internal::GetCapturedStderr();
    EXPECT_EQ(initLog.find("##"), std::string::npos) << initLog;
    frame(5000);
    const std::vector<Instance> first = instances();

    h->gfx->clearJournal();
    testing::internal::CaptureStdout();
    h->redraw(copy);
    testing::internal::GetCapturedStdout();
    const std::vector<Instance> second = instances();
    ASSERT_EQ(first.size(), 256u);
    ASSERT_EQ(second.size(), first.size());
    for (size_t k = 0; k < first.size(); ++k) ASSERT_EQ(first[k].model, second[k].model) << k;
}

TEST_F(Meander, VersionZeroDrawsTheTrailOnceThenTheBackground) {
    values["rnd_bg_h"] = 0.75f;
    values["rnd_glitch"] = 0.25f;
    values["rnd_streaks_its"] = 0.4f;
    frame(3000);
    EXPECT_EQ(h->gfx->uses(kTrail), 1);
    EXPECT_EQ(h->gfx->uses(kBackground), 1);
    EXPECT_EQ(h->gfx->vectorsOf(kBackground, "color")[0],
              (std::array<float, 4>{0.1f, 0.1f, 0.1f, 0.1f}));
    EXPECT_EQ(h->gfx->vectorsOf(kBackground, "wave_h")[0],
              (std::array<float, 4>{0.75f, 0.75f, 0.75f, 0.75f}));
    EXPECT_TRUE(h->gfx->loaded("data/textures/markings04.jpg"));
    EXPECT_TRUE(h->gfx->loaded("data/textures/markings04_lines.jpg"));
    const auto glitch = h->gfx->vectorsOf("digiglitch", "parms");
    ASSERT_EQ(glitch.size(), 1u);
    EXPECT_FLOAT_EQ(glitch[0][0], 3.0f);
    EXPECT_FLOAT_EQ(glitch[0][1], 0.25f);
    // The streaks are added at the track's opacity (the glow's own add runs at 1); the glow
    // is smaller than the picture, the streaks are its size and take the same-size program.
    const auto glowAdded = h->gfx->vectorsOf("add_comp", "opasity");
    ASSERT_EQ(glowAdded.size(), 1u);
    EXPECT_FLOAT_EQ(glowAdded[0][0], 1.0f);
    const auto added = h->gfx->vectorsOf("add_comp_texel", "opasity");
    ASSERT_EQ(added.size(), 1u);
    EXPECT_FLOAT_EQ(added[0][0], 0.4f);
    EXPECT_EQ(glow(), (std::array<float, 3>{128.0f, 128.0f, 1.25f}));
    // Leases: A, T, B, then the chains' own.
    ASSERT_GE(h->gfx->leases.size(), 3u);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(h->gfx->leases[k].width, 1280);
}

TEST_F(Meander, VersionOneDrawsTheTrailFourTimesAndNoBackground) {
    values["rnd_scenever"] = 1.0f;
    frame();
    EXPECT_EQ(h->gfx->uses(kTrail), 4);
    EXPECT_EQ(h->gfx->uses(kBackground), 0);
    EXPECT_EQ(instances().size(), 4u * 256u);
    // Four different views of one trail: the same model matrices, four projections of them.
    const std::vector<std::array<float, 16>> mvps = h->gfx->matricesOf(kTrail, "mvp");
    ASSERT_EQ(mvps.size(), 4u * 256u);
    for (int roll = 1; roll < 4; ++roll) EXPECT_NE(mvps[0], mvps[roll * 256]) << roll;
    EXPECT_EQ(glow(), (std::array<float, 3>{128.0f, 64.0f, 1.25f}));
}

// Other versions draw nothing: the chain runs on a target cleared for it, whatever the
// previous frame left in the pool.
TEST_F(Meander, OtherVersionsRunThePostChainOnAnEmptyTarget) {
    frame(); // fills the pool's targets with a picture
    values["rnd_scenever"] = 2.0f;
    frame();
    EXPECT_EQ(h->gfx->uses(kTrail), 0);
    EXPECT_EQ(h->gfx->uses(kBackground), 0);
    EXPECT_EQ(glow(), (std::array<float, 3>{190.0f, 255.0f, 1.3f}));
    for (auto at : {std::array<int, 2>{640, 360}, {320, 200}, {1000, 600}}) {
        EXPECT_LT(SceneHarness::brightness(at[0], at[1], 32), 3.0f) << at[0] << "," << at[1];
    }
}

TEST_F(Meander, TrailIsLitAndTheHeadGlows) {
    values["rnd_scenever"] = 1.0f; // no background: the trail alone on grey
    frame();
    // The four rolled views meet at the centre, where the newest instances glow cyan.
    const auto centre = SceneHarness::mean(640, 360, 64);
    EXPECT_GT(centre[1], 60.0f);
    EXPECT_GT(centre[2], centre[0]);
    EXPECT_LT(SceneHarness::brightness(20, 20, 16), centre[0] + centre[1] + centre[2]);
}
