// Scene dispatch on a real GL context: the test plug-ins (plugins/test_colour_scene.cpp) loaded
// by the real loader, a real graphics context, a real sync source reading .track files written
// here and a real module input; pixels are read back from the frame. In-process scenes cover
// what needs many scenes or a moving clock.
#include "dispatch_scenes.h"
#include "gfx_context.h"
#include "gl_test_context.h"
#include "module_input.h"
#include "module_loader.h"
#include "sync_midi.h"
#include "sync_rocket.h"
#include "track.h"
#include "window.h"
#include "temp_dir.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>
#include <optional>

namespace fs = std::filesystem;

namespace {

// ---- tracks ---------------------------------------------------------------------------------

void writeKeys(const std::string& base, const std::string& name, std::vector<TrackKey> keys) {
    const std::string path = base + "_" + name + ".track";
    ASSERT_EQ(keytrack_write(path.c_str(), keys.data(), int32_t(keys.size())), 0) << path;
}

void writeConstant(const std::string& base, const std::string& name, float value) {
    writeKeys(base, name, {{0, value, INTERP_STEP}});
}

// ---- in-process scenes ----------------------------------------------------------------------

// Journals its renders and the requested render state it was handed, then spoils that state.
class JournalScene final : public cRenderModuleBase {
  public:
    JournalScene(std::string name, std::vector<std::string>* journal)
        : name_(std::move(name)), journal_(journal) {}
    void initialise(iModuleInput*) override {}
    void render(iModuleInput* input) override {
        journal_->push_back(name_);
        uint64_t* state = input->getGfx()->renderState();
        statesSeen.push_back(*state);
        *state = ~*state;
    }
    void release() override {}
    const char* name() override { return name_.c_str(); }

    std::vector<uint64_t> statesSeen;

  private:
    std::string name_;
    std::vector<std::string>* journal_;
};

// A module input whose music time moves on by `stepMs` at every read.
class SteppingClock final : public iModuleInput {
  public:
    SteppingClock(igfxContext* gfx, iSync* sync, int64_t startMs, int64_t stepMs)
        : gfx_(gfx), sync_(sync), now_(startMs), step_(stepMs) {}
    igfxContext* getGfx() override { return gfx_; }
    iSync* getSync() override { return sync_; }
    iMidi* getMidi() override { return nullptr; }
    int64_t getTimeMs() override {
        const int64_t t = now_;
        now_ += step_;
        return t;
    }
    float getTimeSeconds() override { return float(now_) / 1000.0f; }
    float getBandEnergy(int32_t, int32_t, float, int32_t) override { return 0.0f; }
    int32_t getFft(float*, int32_t&, bool) override { return -1; }

  private:
    igfxContext* gfx_;
    iSync* sync_;
    int64_t now_, step_;
};

// ---- fixture --------------------------------------------------------------------------------

// Once per binary: the graphics context and the three colour plug-ins, loaded and initialised.
// Per test: an empty track directory with its own sync source and module input, so each test
// decides every track value.
class Dispatch : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        static const WindowDesc desc{1280, 720, 1280, 720, false, false, false};
        tempDir.emplace("scene_dispatch");
        root = tempDir->path();
        fs::create_directories(root + "/bin/dll_cache");
        for (const char* name :
             {"renderTestColourA.so", "renderTestColourB.so", "renderTestColourC.so"})
            fs::copy_file(std::string(TEST_PLUGIN_DIR) + name, root + "/bin/" + name);

        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        gfx = new gfxContext();
        gfx->init(&desc);
        loader = new cModuleLoader(root + "/bin/", root + "/bin/dll_cache/", "render*.so");
        loader->loadAll();
        cModuleInput setup;
        setup.setGfx(gfx);
        for (const ModuleRecord& m : loader->modules()) m.scene->initialise(&setup);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        ASSERT_EQ(loader->modules().size(), 3u);
    }
    static void TearDownTestSuite() { tempDir.reset(); }

    void SetUp() override {
        tracks = root + "/tracks" + std::to_string(++testIndex) + "/";
        fs::create_directories(tracks);
        sync = std::make_unique<cSyncRocket>();
        sync->init(tracks.c_str(), nullptr);
        input = std::make_unique<cModuleInput>();
        input->setGfx(gfx);
        input->setSync(sync.get());
        input->setMidi(&midi);
        *gfx->renderState() = rs::defaultWord();
        gfx->setViewport(0, 0, 1280, 720);
        gfx->frameCounter = 0;
    }

    // Colour plug-in `letter` at `value`, drawing (r, g, b) over the left `width` of the frame.
    void scene(char letter, float value, float r, float g, float b, float width) {
        const std::string name = std::string("test") + letter;
        writeConstant(tracks, name, value);
        writeConstant(tracks, name + "_r", r);
        writeConstant(tracks, name + "_g", g);
        writeConstant(tracks, name + "_b", b);
        writeConstant(tracks, name + "_w", width);
    }

    // One frame of the plug-ins; returns what dispatch wrote to the standard error.
    std::string frame(const std::vector<ModuleRecord>& modules) {
        testing::internal::CaptureStderr();
        dispatchScenes(modules, input.get(), gfx, overflow);
        glFinish();
        return testing::internal::GetCapturedStderr();
    }
    std::string frame() { return frame(loader->modules()); }

    static void expectPixel(int x, int y, int r, int g, int b, int a) {
        unsigned char p[4];
        readPixel(x, y, p);
        EXPECT_NEAR(p[0], r, 1) << "red at " << x << "," << y;
        EXPECT_NEAR(p[1], g, 1) << "green at " << x << "," << y;
        EXPECT_NEAR(p[2], b, 1) << "blue at " << x << "," << y;
        EXPECT_NEAR(p[3], a, 1) << "alpha at " << x << "," << y;
    }

    static std::optional<TempDir> tempDir;
    static std::string root;
    static gfxContext* gfx;
    static cModuleLoader* loader;
    static int testIndex;

    std::string tracks;
    std::unique_ptr<cSyncRocket> sync;
    cSyncMidi midi;
    std::unique_ptr<cModuleInput> input;
    DispatchOverflow overflow;
};

std::optional<TempDir> Dispatch::tempDir;
std::string Dispatch::root;
gfxContext* Dispatch::gfx = nullptr;
cModuleLoader* Dispatch::loader = nullptr;
int Dispatch::testIndex = 0;

// Pixel columns inside each scene's strip: C covers a quarter, B half, A all of the width.
constexpr int kQuarter = 100, kHalf = 480, kRest = 1100, kRow = 360;

} // namespace

// ---- selection and order, on the real frame ---------------------------------------------------

TEST_F(Dispatch, NothingVisibleLeavesTheFrameBlackWithFarDepth) {
    gfx->setClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    gfx->setClearDepth(0.25f);
    gfx->clear(3);
    scene('A', 0.0f, 1, 1, 1, 1); // tracks present, value 0
    // B and C have no track files at all.

    EXPECT_EQ(frame(), "");
    expectPixel(kQuarter, kRow, 0, 0, 0, 0);
    expectPixel(kRest, kRow, 0, 0, 0, 0);
    float depth = 0.0f;
    glReadPixels(kRest, kRow, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
}

TEST_F(Dispatch, ExactlyZeroHidesAndAThousandthShows) {
    scene('A', 0.0f, 1, 0, 0, 1);
    scene('B', 0.001f, 0, 1, 0, 1);

    EXPECT_EQ(frame(), ""); // one scene drawn: no warning
    expectPixel(kQuarter, kRow, 0, 255, 0, 255);
    expectPixel(kRest, kRow, 0, 255, 0, 255);
}

TEST_F(Dispatch, LowerValueDrawnFirstWithOneWarningNamingTheFrame) {
    scene('A', 1.0f, 1, 0, 0, 0.5f); // first in the list, but on top
    scene('B', 0.5f, 0, 1, 0, 1.0f);
    gfx->frameCounter = 1234;

    EXPECT_EQ(frame(), "## WARNING - RENDERING MULTIPLE SCENES IN FRAME 1234\n");
    expectPixel(kQuarter, kRow, 255, 0, 0, 255);
    expectPixel(kRest, kRow, 0, 255, 0, 255);
}

TEST_F(Dispatch, EqualValuesKeepListOrder) {
    scene('A', 0.5f, 1, 0, 0, 1.0f);
    scene('B', 0.5f, 0, 1, 0, 0.5f);
    scene('C', 0.5f, 0, 0, 1, 0.25f);

    frame();
    expectPixel(kQuarter, kRow, 0, 0, 255, 255);
    expectPixel(kHalf, kRow, 0, 255, 0, 255);
    expectPixel(kRest, kRow, 255, 0, 0, 255);
}

// Each colour plug-in switches the colour writes off after drawing; the scene after it still
// shows, and the caller gets its own state back.
TEST_F(Dispatch, EachSceneStartsFromTheStateBeforeIt) {
    scene('A', 0.25f, 1, 0, 0, 1.0f);
    scene('B', 0.5f, 0, 1, 0, 0.5f);
    scene('C', 0.75f, 0, 0, 1, 0.25f);
    uint64_t& state = *gfx->renderState();
    rs::setPolygonMode(state, kPolygonFill);
    const uint64_t before = state;

    frame();
    EXPECT_EQ(*gfx->renderState(), before);
    expectPixel(kQuarter, kRow, 0, 0, 255, 255);
    expectPixel(kHalf, kRow, 0, 255, 0, 255);
    expectPixel(kRest, kRow, 255, 0, 0, 255);

    // The next frame's clear is not masked by what the last scene left behind. A source
    // without tracks hides every scene.
    sync = std::make_unique<cSyncRocket>();
    sync->init((tracks + "none_").c_str(), nullptr);
    input->setSync(sync.get());
    frame();
    expectPixel(kQuarter, kRow, 0, 0, 0, 0);
}

// ---- selection rules, with in-process scenes ------------------------------------------------

TEST_F(Dispatch, OnlyValuesAboveZeroShow) {
    std::vector<std::string> journal;
    JournalScene negative("negative", &journal), nan("nan", &journal), zero("zero", &journal),
        tiny("tiny", &journal), none("none", &journal);
    writeConstant(tracks, "negative", -1.0f);
    writeConstant(tracks, "nan", std::numeric_limits<float>::quiet_NaN());
    writeConstant(tracks, "zero", 0.0f);
    writeConstant(tracks, "tiny", 0.001f);
    std::vector<ModuleRecord> modules(6);
    modules[0].scene = &negative;
    modules[1].scene = &nan;
    modules[2].scene = &zero;
    // modules[3]: a plug-in that gave no scene
    modules[4].scene = &tiny;
    modules[5].scene = &none; // no track file

    EXPECT_EQ(frame(modules), "");
    EXPECT_EQ(journal, std::vector<std::string>{"tiny"});
}

TEST_F(Dispatch, ReadsTheMusicTimeAfreshForEachScene) {
    std::vector<std::string> journal;
    JournalScene first("first", &journal), second("second", &journal);
    // 0 before row 8 (about 414 ms), 1 from there on.
    for (const char* name : {"first", "second"})
        writeKeys(tracks, name, {{0, 0.0f, INTERP_STEP}, {8, 1.0f, INTERP_STEP}});
    std::vector<ModuleRecord> modules(2);
    modules[0].scene = &first;
    modules[1].scene = &second;

    SteppingClock clock(gfx, sync.get(), 0, 1000); // 0 ms for the first, 1000 ms for the second
    testing::internal::CaptureStderr();
    dispatchScenes(modules, &clock, gfx, overflow);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(journal, std::vector<std::string>{"second"});
}

TEST_F(Dispatch, AtMostSixteenScenesReportedWhenTheOverflowChanges) {
    std::vector<std::string> journal;
    std::vector<std::unique_ptr<JournalScene>> scenes;
    std::vector<ModuleRecord> modules(18);
    for (int i = 0; i < 18; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "crowd%02d", i);
        writeConstant(tracks, name, 18.0f - float(i)); // later scenes lower: drawn first
        scenes.push_back(std::make_unique<JournalScene>(name, &journal));
        modules[size_t(i)].scene = scenes.back().get();
    }
    const std::string multiple = "## WARNING - RENDERING MULTIPLE SCENES IN FRAME 5\n";
    gfx->frameCounter = 5;

    EXPECT_EQ(frame(modules), multiple + "## WARNING - MORE THAN 16 VISIBLE SCENES IN FRAME 5, 2 "
                                         "NOT DRAWN (FIRST \"crowd16\")\n");
    ASSERT_EQ(journal.size(), 16u);
    EXPECT_EQ(journal.front(), "crowd15"); // the list's first sixteen, lowest value first
    EXPECT_EQ(journal.back(), "crowd00");
    const uint64_t given = scenes[0]->statesSeen.at(0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(scenes[size_t(i)]->statesSeen.at(0), given) << i;

    EXPECT_EQ(frame(modules), multiple); // the same overflow again: already reported

    const std::vector<ModuleRecord> seventeen(modules.begin(), modules.end() - 1);
    EXPECT_EQ(frame(seventeen), multiple + "## WARNING - MORE THAN 16 VISIBLE SCENES IN FRAME "
                                           "5, 1 NOT DRAWN (FIRST \"crowd16\")\n");
    const std::vector<ModuleRecord> sixteen(modules.begin(), modules.end() - 2);
    EXPECT_EQ(frame(sixteen), multiple);
    EXPECT_EQ(frame(modules), multiple + "## WARNING - MORE THAN 16 VISIBLE SCENES IN FRAME 5, "
                                         "2 NOT DRAWN (FIRST \"crowd16\")\n");
}
