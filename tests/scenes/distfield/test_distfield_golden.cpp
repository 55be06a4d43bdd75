// Golden frames of the distance-field scene: bin/demorender run from a temporary root (the
// plug-in alone, data/ from the build, tracks compiled from timeline/demo.timeline) at music
// times inside the scene's span, each frame box-filtered down to 320 x 180 and compared
// with the PNG kept in golden/.
//
// The tolerance allows for rasteriser and compressor rounding between Mesa versions, but not
// for a pass missing or in the wrong place: those move the mean by far more (a dropped bloom
// or logo changes large parts of the picture by tens of levels).
//
// DISTFIELD_GOLDEN_UPDATE=1 rewrites the golden images instead (make_golden.sh).
#include "image.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr int kW = 320, kH = 180, kFactor = 4;

// RGBA, rows bottom first, of `png` box-filtered by kFactor; empty if it cannot be read.
std::vector<uint8_t> shrink(const std::string& png) {
    Image image = loadImage(png);
    std::vector<uint8_t> out;
    const int bytes = image.bitsPerPixel() / 8;
    if (image.bitmap && (bytes == 3 || bytes == 4) && image.width() == kW * kFactor &&
        image.height() == kH * kFactor) {
        const int pitch = (image.width() * bytes + 3) & ~3;
        out.assign(size_t(kW) * kH * 4, 255);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < kFactor; ++dy)
                        for (int dx = 0; dx < kFactor; ++dx)
                            sum += image.bits()[(y * kFactor + dy) * pitch +
                                                (x * kFactor + dx) * bytes + (2 - c)];
                    out[(size_t(y) * kW + x) * 4 + c] = uint8_t(sum / (kFactor * kFactor));
                }
    }
    image.freeBitmap();
    return out;
}

std::vector<uint8_t> readGolden(const std::string& png) {
    Image image = loadImage(png);
    std::vector<uint8_t> out;
    const int bytes = image.bitsPerPixel() / 8;
    if (image.bitmap && (bytes == 3 || bytes == 4) && image.width() == kW && image.height() == kH) {
        const int pitch = (kW * bytes + 3) & ~3;
        out.assign(size_t(kW) * kH * 4, 255);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                for (int c = 0; c < 3; ++c)
                    out[(size_t(y) * kW + x) * 4 + c] =
                        image.bits()[y * pitch + x * bytes + (2 - c)];
    }
    image.freeBitmap();
    return out;
}

class DistfieldGolden : public testing::TestWithParam<int> {
  protected:
    static void SetUpTestSuite() {
        tempDir.emplace("distfield_golden");
        root = tempDir->path();
        fs::create_directories(root / "bin" / "dll_cache");
        fs::create_directories(root / "data" / "sync");
        fs::copy_file(DEMORENDER, root / "bin" / "demorender");
        fs::copy_file(PLUGIN, root / "bin" / "renderModuleDistfield.so");
        for (const char* dir : {"shaders", "textures", "models", "muzak"})
            if (fs::exists(fs::path(DEMO_DATA) / dir))
                fs::create_directory_symlink(fs::path(DEMO_DATA) / dir, root / "data" / dir);
        const std::string compile = std::string("'") + SYNCTOOL + "' compile '" + TIMELINE + "' '" +
                                    (root / "data" / "sync").string() + "' > /dev/null";
        ASSERT_EQ(std::system(compile.c_str()), 0) << compile;
    }
    static void TearDownTestSuite() { tempDir.reset(); }

    static std::optional<TempDir> tempDir;
    static fs::path root;
};
std::optional<TempDir> DistfieldGolden::tempDir;
fs::path DistfieldGolden::root;

TEST_P(DistfieldGolden, FrameMatchesTheGoldenImage) {
    const int ms = GetParam();
    const std::string shot = (root / ("shot_" + std::to_string(ms) + ".png")).string();
    const std::string cmd = "cd '" + root.string() + "' && bin/demorender --time " +
                            std::to_string(ms) + " --out '" + shot + "' > '" + shot + ".log' 2>&1";
    const int status = std::system(cmd.c_str());
    std::ifstream logFile(shot + ".log");
    const std::string log((std::istreambuf_iterator<char>(logFile)), {});
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
    EXPECT_EQ(log.find("## "), std::string::npos) << log;

    const std::vector<uint8_t> frame = shrink(shot);
    ASSERT_FALSE(frame.empty()) << shot;
    const std::string golden = std::string(GOLDEN_DIR) + "/march_" + std::to_string(ms) + ".png";
    if (std::getenv("DISTFIELD_GOLDEN_UPDATE")) {
        ASSERT_TRUE(saveImagePng(golden, kW, kH, frame.data()));
        return;
    }
    const std::vector<uint8_t> expected = readGolden(golden);
    ASSERT_FALSE(expected.empty()) << golden << " is missing: run make_golden.sh";

    double sum = 0.0;
    int far = 0;
    for (size_t i = 0; i < frame.size(); i += 4)
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(int(frame[i + c]) - int(expected[i + c]));
            sum += d;
            if (d > 48) ++far;
        }
    const double meanDiff = sum / (kW * kH * 3);
    EXPECT_LT(meanDiff, 3.0) << "mean difference per channel at " << ms << " ms";
    EXPECT_LT(far, kW * kH * 3 / 100) << "channels off by more than 48 levels at " << ms << " ms";
}

// One time in each of the four ray-marched scenes (bars 88-104): blobs with the group logo,
// the sliced body, the gold with the musician's logo, the emblem over the stripes.
INSTANTIATE_TEST_SUITE_P(MusicTimes, DistfieldGolden,
                         testing::Values(149000, 153600, 162300, 168900));

} // namespace
