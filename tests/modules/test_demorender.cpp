// demorender end to end: a temporary <root> with bin/demorender, a test scene plug-in and
// data/ with its sync tracks; the frames it writes are read back and checked by pixels.
//
// The scene "testA" fills the frame from the left edge to "testA_w" of its width in the colour
// ("testA_r", "testA_g", "testA_b"). Here red ramps linearly from 0 at row 0 to 1 at row 58
// (3000 ms at 145 beats per minute, 8 rows per beat), so each frame's red says which music
// time it was drawn at.
#include "image.h"
#include "track.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void writeKeys(const fs::path& dir, const std::string& name, std::vector<TrackKey> keys) {
    const fs::path path = dir / ("_" + name + ".track");
    ASSERT_EQ(keytrack_write(path.c_str(), keys.data(), int32_t(keys.size())), 0) << path;
}

struct Pixel {
    int r, g, b;
};

Pixel pixelAt(const std::string& png, int x, int y) {
    Image image = loadImage(png);
    Pixel p{-1, -1, -1};
    const int bytes = image.bitsPerPixel() / 8; // the writer may drop an opaque alpha
    if (image.bitmap && (bytes == 3 || bytes == 4)) {
        const int pitch = (image.width() * bytes + 3) & ~3;
        const uint8_t* px = image.bits() + y * pitch + x * bytes; // blue-green-red(-alpha)
        p = {px[2], px[1], px[0]};
    }
    image.freeBitmap();
    return p;
}

class DemoRender : public testing::Test {
  protected:
    void SetUp() override {
        root = tempDir.path();
        fs::create_directories(root / "bin" / "dll_cache");
        fs::copy_file(DEMORENDER, root / "bin" / "demorender");
        fs::permissions(root / "bin" / "demorender", fs::perms::owner_all);
        fs::copy_file(std::string(TEST_PLUGIN_DIR) + "renderTestColourA.so",
                      root / "bin" / "renderTestColourA.so");
        fs::copy(DEMO_DATA, root / "data", fs::copy_options::recursive);
        const fs::path sync = root / "data" / "sync";
        fs::create_directories(sync);
        writeKeys(sync, "testA", {{0, 1.0f, INTERP_STEP}});
        writeKeys(sync, "testA_w", {{0, 0.5f, INTERP_STEP}}); // left half only
        writeKeys(sync, "testA_r", {{0, 0.0f, INTERP_LINEAR}, {58, 1.0f, INTERP_STEP}});
        writeKeys(sync, "testA_g", {{0, 0.0f, INTERP_STEP}});
        writeKeys(sync, "testA_b", {{0, 0.25f, INTERP_STEP}});
    }

    // Runs demorender from the root with `args`; its output goes to a log in the root.
    int run(const std::string& args) {
        const std::string cmd =
            "cd '" + root.string() + "' && bin/demorender " + args + " > demorender.log 2>&1";
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string log() {
        std::ifstream f(root / "demorender.log");
        return std::string(std::istreambuf_iterator<char>(f), {});
    }

    TempDir tempDir{"demorender"};
    fs::path root;
};

TEST_F(DemoRender, OneFrameAtAGivenMusicTime) {
    ASSERT_EQ(run("--time 1500 --out shot.png"), 0) << log();
    const std::string png = (root / "shot.png").string();
    // 1500 ms is row 29: half way up the ramp.
    Pixel left = pixelAt(png, 100, 360), right = pixelAt(png, 1100, 360);
    EXPECT_NEAR(left.r, 128, 3) << log();
    EXPECT_EQ(left.g, 0);
    EXPECT_NEAR(left.b, 64, 1);
    EXPECT_EQ(right.r + right.g + right.b, 0) << "the right half is the frame's clear";
    EXPECT_NE(log().find("loading \"testA\"..."), std::string::npos) << log();
}

TEST_F(DemoRender, ARangeOfFramesFollowsTheClock) {
    ASSERT_EQ(run("--from 0 --to 3000 --fps 2 --out seq"), 0) << log();
    int previous = -1;
    for (int k = 0; k <= 6; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", k);
        const std::string png = (root / "seq" / name).string();
        ASSERT_TRUE(fs::exists(png)) << name;
        const int red = pixelAt(png, 10, 10).r;
        EXPECT_NEAR(red, k * 255 / 6, 4) << name; // frame k is k * 500 ms
        EXPECT_GT(red, previous);
        previous = red;
    }
    EXPECT_FALSE(fs::exists(root / "seq" / "frame_000007.png"));
}

// Asked for, the usage and the version go to the standard output with exit code 0; anything
// that is not one of the usage's forms gets a line saying why and the usage on the standard
// error, and 2. None of it draws a frame.
TEST_F(DemoRender, UsageHelpAndVersion) {
    auto stream = [&](const char* name) {
        std::ifstream f(root / name);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    auto runSplit = [&](const std::string& args) {
        const std::string cmd =
            "cd '" + root.string() + "' && bin/demorender " + args + " > out.txt 2> err.txt";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(runSplit("--help"), 0);
    const std::string usage = stream("out.txt");
    EXPECT_EQ(usage.rfind("usage:\n  demorender --time MS", 0), 0u) << usage;
    EXPECT_EQ(stream("err.txt"), "");
    EXPECT_EQ(runSplit("--time 10 --help"), 0);
    EXPECT_EQ(stream("out.txt"), usage);
    EXPECT_EQ(runSplit("--version"), 0);
    EXPECT_EQ(stream("out.txt"), "demorender " PROJECT_VERSION "\n");
    EXPECT_EQ(stream("err.txt"), "");

    for (const char* wrong : {"", "--bogus", "--bogus 5", "--time", "--time soon", "--fps 0",
                              "--time 10 --from 0 --to 5", "--from 10 --to 5",
                              "--time 10 --video v.mp4", "--profile --time 5", "--bogus --help"}) {
        EXPECT_EQ(runSplit(wrong), 2) << wrong;
        EXPECT_EQ(stream("out.txt"), "") << wrong;
        const std::string err = stream("err.txt");
        EXPECT_EQ(err.rfind("demorender: ", 0), 0u) << wrong << ": " << err;
        EXPECT_NE(err.find(usage), std::string::npos) << wrong;
    }
    EXPECT_FALSE(fs::exists(root / "frame.png"));
}

} // namespace
