// A scene whose colour look-up table is gone still draws a living picture: the grade becomes
// the identity, so the frame is the one an identity table gives, and it moves.
//
// The plug-in named by SCENE runs from a data folder that lacks its table (the load is
// reported once, at start-up); a second copy of it runs from one where the table's name holds
// the identity table the asset generators make. Frames are compared as the golden frames are,
// box-filtered to 320 x 180, with their far-channel limit and a tighter mean (below).
#include "golden_tolerance.h"
#include "module_loader.h"
#include "scene_harness.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct SceneCase {
    const char* scene;
    const char* table; // under data/textures/
    int64_t ms;
    std::vector<std::pair<const char*, float>> tracks;
};

// The tracks of each scene's own tests for a plain, steady picture, with the grade in use.
const SceneCase kCases[] = {
    {"pillars",
     "LUT_purple_darks.png",
     6000,
     {{"cylborder", 0.0f},
      {"kaos_rot", 0.0f},
      {"kaos_height", 0.0f},
      {"kaos_allscale", 0.0f},
      {"cyl_scnver", 1.0f},
      {"kaos_scr-offset", 0.0f},
      {"kaos_vblur_px", 0.0f},
      {"cyl_whiteout", 0.0f},
      {"title_burn", 0.0f},
      {"cyl_titleits", 0.0f},
      {"kaos_numsurfs", 24.0f},
      {"cyl_fade", 255.0f}}},
    {"shafts",
     "lut_lightvol2.png",
     43000,
     {{"vol_var", 0.0f},
      {"vol_circlerot", 0.0f},
      {"vol_camrot", 0.0f},
      {"vol_vofs", 0.0f},
      {"vol_vblur", 0.0f},
      {"vol_lightits", 1.0f},
      {"vol_lutits", 1.0f}}},
    {"vortex",
     "LUT_tunnel01.png",
     2000,
     {{"tnl_camrot", 0.0f},
      {"tnl_ofs", 125.0f},
      {"tnl_lightits", 1.0f},
      {"tnl_lightdist", 30.0f},
      {"tnl_glitch", 0.0f},
      {"tnl_postglitch1", 0.0f},
      {"tnl_postglitch2", 0.0f}}},
};

const SceneCase& sceneCase() {
    for (const SceneCase& c : kCases)
        if (std::string(c.scene) == SCENE) return c;
    std::abort(); // a program built for a scene the table lacks
}

// The golden frames' comparison: 4 x 4 boxes, mean difference and far channels. The mean is
// held tighter than theirs (3 levels), which allow for other Mesa versions: both frames here
// come from one rasteriser, and only the light march's wall-clock dither differs between them
// (about 0.1 level). A lost depth of field moves the title's mean by 2.
constexpr int kW = kGoldenWidth, kH = kGoldenHeight, kFactor = kGoldenFactor;
constexpr double kMeanLimit = 1.0;

using Frame = std::vector<int>; // kW x kH x 3 box means

// The bound framebuffer, box-filtered.
Frame readFrame() {
    std::vector<unsigned char> px(size_t(kW * kFactor) * kH * kFactor * 4);
    glReadPixels(0, 0, kW * kFactor, kH * kFactor, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    Frame out(size_t(kW) * kH * 3, 0);
    for (int y = 0; y < kH * kFactor; ++y)
        for (int x = 0; x < kW * kFactor; ++x)
            for (int c = 0; c < 3; ++c)
                out[(size_t(y / kFactor) * kW + x / kFactor) * 3 + c] +=
                    px[(size_t(y) * kW * kFactor + x) * 4 + c];
    for (int& v : out) v /= kFactor * kFactor;
    return out;
}

struct Difference {
    double mean;
    int far;
};

Difference difference(const Frame& a, const Frame& b) {
    Difference d{0.0, 0};
    for (size_t i = 0; i < a.size(); ++i) {
        const int v = std::abs(a[i] - b[i]);
        d.mean += v;
        d.far += v > kGoldenFarLevels;
    }
    d.mean /= double(a.size());
    return d;
}

// Standard deviation of the grey level (the mean of the channels): a flat picture has none.
double spread(const Frame& f) {
    double sum = 0.0, squares = 0.0;
    const size_t n = f.size() / 3;
    for (size_t i = 0; i < f.size(); i += 3) {
        const double v = (f[i] + f[i + 1] + f[i + 2]) / 3.0;
        sum += v;
        squares += v * v;
    }
    const double mean = sum / double(n);
    return std::sqrt(std::max(0.0, squares / double(n) - mean * mean));
}

// `root`/data with everything of the build's data/ but the scene's table, which is absent
// (`standIn` empty) or another texture of the build under the table's name.
void makeDataRoot(const std::string& root, const std::string& table, const std::string& standIn) {
    const fs::path data = fs::path(root) / "data", built = DEMO_DATA;
    fs::create_directories(data / "textures");
    for (const fs::directory_entry& e : fs::directory_iterator(built))
        if (e.path().filename() != "textures")
            fs::create_directory_symlink(e.path(), data / e.path().filename());
    for (const fs::directory_entry& e : fs::directory_iterator(built / "textures"))
        if (e.path().filename() != table)
            fs::create_symlink(e.path(), data / "textures" / e.path().filename());
    if (!standIn.empty())
        fs::create_symlink(built / "textures" / standIn, data / "textures" / table);
}

class LutFallback : public SceneTest {
  protected:
    // Runs once: the scene without its table at ms and ms + 100, and the identity-graded copy
    // at ms; kept for every test of the program.
    static void SetUpTestSuite() {
        const SceneCase& c = sceneCase();
        dir = new TempDir(std::string("lut_fallback_") + c.scene);
        const std::string missing = dir->file("missing"), identity = dir->file("identity");
        makeDataRoot(missing, c.table, "");
        makeDataRoot(identity, c.table, "LUT_passthrough.png");

        ASSERT_EQ(chdir(missing.c_str()), 0);
        openScene(PLUGIN, std::string("lut_fallback_scene_") + c.scene);
        for (const auto& t : c.tracks) h->values[t.first] = t.second;
        firstClean = h->clean(h->frame(c.ms), true);
        ungraded = readFrame();

        // The copy, loaded from its own file, reads its table where the identity is.
        ASSERT_EQ(chdir(identity.c_str()), 0);
        const std::string bin = dir->file("copy/");
        fs::create_directories(bin + "dll_cache");
        fs::copy_file(PLUGIN, bin + "renderModuleGradedCopy.so");
        loader = new cModuleLoader(bin, bin + "dll_cache/", "render*.so");
        loader->loadAll();
        ASSERT_EQ(loader->modules().size(), 1u);
        cRenderModuleBase* copy = loader->modules()[0].scene;
        ASSERT_NE(copy, nullptr);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        copy->initialise(h->input);
        copyInitLog = testing::internal::GetCapturedStdout();
        copyInitLog += testing::internal::GetCapturedStderr();

        // The same frame (the last frame's input), drawn the way SceneHarness::frame draws.
        *h->real->renderState() = rs::defaultWord();
        h->real->setViewport(0, 0, 1280, 720);
        h->real->setClearColor(0, 0, 0, 0);
        h->real->setClearDepth(1);
        h->real->clear(3);
        testing::internal::CaptureStdout();
        h->redraw(copy);
        glFinish();
        testing::internal::GetCapturedStdout();
        graded = readFrame();

        ASSERT_EQ(chdir(missing.c_str()), 0);
        laterLog = h->frame(c.ms + 100);
        later = readFrame();
    }

    // The folders go (the harness, kept for the process, never removes its own); the loaded
    // plug-ins stay mapped until the process ends.
    static void TearDownTestSuite() {
        if (chdir("/") != 0) return;
        std::error_code ignored;
        if (h) fs::remove_all(h->root, ignored);
        delete dir;
        dir = nullptr;
    }

    static inline TempDir* dir = nullptr;
    static inline cModuleLoader* loader = nullptr;
    static inline std::string firstClean, copyInitLog, laterLog;
    static inline Frame ungraded, graded, later;
};

} // namespace

TEST_F(LutFallback, TheMissingTableIsReportedOnceAtStartAndNeverPerFrame) {
    const SceneCase& c = sceneCase();
    const std::string file = std::string("\"data/textures/") + c.table + "\"";
    EXPECT_EQ(SceneHarness::occurrences(h->initLog, "## ERROR"), 1) << h->initLog;
    EXPECT_NE(h->initLog.find(file), std::string::npos) << h->initLog;
    EXPECT_EQ(firstClean, "");
    EXPECT_EQ(h->clean(laterLog), "");
    EXPECT_EQ(copyInitLog.find("##"), std::string::npos) << copyInitLog;
}

TEST_F(LutFallback, WithoutItsTableTheFrameIsTheIdentityGradedOne) {
    const Difference d = difference(ungraded, graded);
    EXPECT_LT(d.mean, kMeanLimit);
    EXPECT_LT(d.far, kGoldenFarAllowed);
    EXPECT_GT(spread(ungraded), 5.0) << "a flat picture";
}

TEST_F(LutFallback, WithoutItsTableThePictureMoves) {
    const Difference d = difference(ungraded, later);
    // Motion moves the mean by 2 to 14 levels; a frozen light-shaft frame by the dither only.
    EXPECT_GT(d.mean, 0.5) << "the frame 100 ms later is the same picture";
}
