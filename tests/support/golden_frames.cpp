// golden_frames - compares frames of the real offline renderer with the images kept in a
// scene's tests/scenes/<scene>/golden/.
//
//   golden_frames --plugin PLUGIN.so --golden DIR --prefix NAME MS[:WARM] [MS[:WARM]...]
//
// bin/demorender runs from a temporary root (the scene's plug-in alone, data/ from the build,
// tracks compiled from timeline/demo.timeline) once per music time; with WARM (a multiple of
// 100 ms), the frames of the WARM milliseconds before it are drawn first at 30 frames a second,
// as the player would, for a scene that builds its picture over frames (a spectrogram
// advancing a column a frame), and the last one is compared. Each frame is box-filtered
// down to 320 x 180 and compared with DIR/NAME_<ms>.png. Exit status 0 when every frame
// matches, 1 otherwise (with one line per fault).
//
// The tolerance allows for rasteriser and compressor rounding between Mesa versions, but not
// for a pass missing or in the wrong place: those move the mean by far more (a dropped bloom,
// grade or logo changes large parts of the picture by tens of levels).
//
// GOLDEN_UPDATE=1 rewrites the images instead (tests/support/make_golden.sh).
#include "golden_tolerance.h"
#include "image.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kW = kGoldenWidth, kH = kGoldenHeight, kFactor = kGoldenFactor;

// One frame to compare: the music time and the warm-up before it, both in ms.
struct Shot {
    int ms, warm;
};

// RGBA of `png` (rows bottom first); box-filtered by `factor` when it is that much larger
// than kW x kH. Empty if it cannot be read or has another size.
std::vector<uint8_t> readScaled(const std::string& png, int factor) {
    Image image = loadImage(png);
    std::vector<uint8_t> out;
    const int bytes = image.bitsPerPixel() / 8;
    if (image.bitmap && (bytes == 3 || bytes == 4) && image.width() == kW * factor &&
        image.height() == kH * factor) {
        const int pitch = (image.width() * bytes + 3) & ~3;
        out.assign(size_t(kW) * kH * 4, 255);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < factor; ++dy)
                        for (int dx = 0; dx < factor; ++dx)
                            sum += image.bits()[(y * factor + dy) * pitch +
                                                (x * factor + dx) * bytes + (2 - c)];
                    out[(size_t(y) * kW + x) * 4 + c] = uint8_t(sum / (factor * factor));
                }
    }
    image.freeBitmap();
    return out;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// A temporary root the renderer can run from, or empty (after saying why).
std::string makeRoot(const std::vector<std::string>& plugins) {
    char pattern[] = "/tmp/golden_frames_XXXXXX";
    if (!mkdtemp(pattern)) return "";
    const fs::path root = pattern;
    fs::create_directories(root / "bin" / "dll_cache");
    fs::create_directories(root / "data" / "sync");
    fs::copy_file(DEMORENDER, root / "bin" / "demorender");
    for (const std::string& p : plugins) fs::copy_file(p, root / "bin" / fs::path(p).filename());
    for (const char* dir : {"shaders", "textures", "models", "muzak"})
        if (fs::exists(fs::path(DEMO_DATA) / dir))
            fs::create_directory_symlink(fs::path(DEMO_DATA) / dir, root / "data" / dir);
    const std::string compile = std::string("'") + SYNCTOOL + "' compile '" + TIMELINE + "' '" +
                                (root / "data" / "sync").string() + "' > /dev/null";
    if (std::system(compile.c_str()) != 0) {
        std::printf("FAIL: %s\n", compile.c_str());
        fs::remove_all(root);
        return "";
    }
    return root.string();
}

// True when the frame at `ms` matches (or was written, when updating).
bool check(const std::string& root, const std::string& golden, int ms, int warm, bool update) {
    // A run of frames ends exactly on `ms` when `warm` is a multiple of 100 (frame k of a run
    // at 30 frames a second is at k * 1000 / 30 ms, rounded down); its last frame is the shot.
    std::string shot, what;
    if (warm > 0) {
        const std::string dir = root + "/run_" + std::to_string(ms);
        char last[32];
        std::snprintf(last, sizeof last, "/frame_%06d.png", warm * 30 / 1000);
        shot = dir + last;
        what = "--from " + std::to_string(ms - warm) + " --to " + std::to_string(ms) +
               " --fps 30 --out '" + dir + "'";
    } else {
        shot = root + "/shot_" + std::to_string(ms) + ".png";
        what = "--time " + std::to_string(ms) + " --out '" + shot + "'";
    }
    const std::string cmd =
        "cd '" + root + "' && bin/demorender " + what + " > '" + root + "/log.txt' 2>&1";
    const int status = std::system(cmd.c_str());
    const std::string log = readFile(root + "/log.txt");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || log.find("## ") != std::string::npos) {
        std::printf("FAIL %d ms: the renderer failed or warned:\n%s", ms, log.c_str());
        return false;
    }
    const std::vector<uint8_t> frame = readScaled(shot, kFactor);
    if (frame.empty()) {
        std::printf("FAIL %d ms: cannot read %s as a 1280 x 720 picture\n", ms, shot.c_str());
        return false;
    }
    if (update) {
        std::error_code ignored; // a new scene's first run makes its folder
        fs::create_directories(fs::path(golden).parent_path(), ignored);
        const bool saved = saveImagePng(golden, kW, kH, frame.data());
        std::printf("%s %s\n", saved ? "wrote" : "FAIL: cannot write", golden.c_str());
        return saved;
    }
    const std::vector<uint8_t> expected = readScaled(golden, 1);
    if (expected.empty()) {
        std::printf("FAIL %d ms: %s is missing or not 320 x 180: run make_golden.sh\n", ms,
                    golden.c_str());
        return false;
    }
    double sum = 0.0;
    int far = 0;
    for (size_t i = 0; i < frame.size(); i += 4)
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(int(frame[i + c]) - int(expected[i + c]));
            sum += d;
            if (d > kGoldenFarLevels) ++far;
        }
    const double meanDiff = sum / (kW * kH * 3);
    const bool ok = meanDiff < kGoldenMeanLimit && far < kGoldenFarAllowed;
    std::printf("%s %d ms: mean difference %.2f levels (limit %.1f), %d channels off by more "
                "than %d (limit %d)\n",
                ok ? "ok" : "FAIL", ms, meanDiff, kGoldenMeanLimit, far, kGoldenFarLevels,
                kGoldenFarAllowed);
    if (!ok) {
        const std::string kept = golden.substr(0, golden.size() - 4) + ".actual.png";
        if (saveImagePng(kept, kW, kH, frame.data()))
            std::printf("  the frame is kept as %s\n", kept.c_str());
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> plugins;
    std::string goldenDir, prefix;
    std::vector<Shot> shots;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--plugin" && i + 1 < argc)
            plugins.push_back(argv[++i]);
        else if (arg == "--golden" && i + 1 < argc)
            goldenDir = argv[++i];
        else if (arg == "--prefix" && i + 1 < argc)
            prefix = argv[++i];
        else if (!arg.empty() && arg.find_first_not_of("0123456789:") == std::string::npos &&
                 arg[0] != ':') {
            const size_t colon = arg.find(':');
            const int ms = std::atoi(arg.c_str());
            const int warm = colon == std::string::npos ? 0 : std::atoi(arg.c_str() + colon + 1);
            if (warm % 100 != 0 || warm > ms) {
                std::fprintf(stderr,
                             "golden_frames: warm-up of \"%s\" is not a multiple of 100 "
                             "ms within the music time\n",
                             arg.c_str());
                return 2;
            }
            shots.push_back({ms, warm});
        } else {
            std::fprintf(stderr, "golden_frames: unknown argument \"%s\"\n", arg.c_str());
            return 2;
        }
    }
    if (plugins.empty() || goldenDir.empty() || prefix.empty() || shots.empty()) {
        std::fprintf(stderr, "usage: golden_frames --plugin P.so --golden DIR --prefix NAME "
                             "MS[:WARM]...\n");
        return 2;
    }
    for (const std::string& p : plugins)
        if (!fs::is_regular_file(p)) {
            std::fprintf(stderr, "golden_frames: plug-in \"%s\" is not a file\n", p.c_str());
            return 2;
        }
    const bool update = std::getenv("GOLDEN_UPDATE") != nullptr;
    const std::string root = makeRoot(plugins);
    if (root.empty()) return 1;
    bool ok = true;
    for (const Shot& s : shots)
        ok = check(root, goldenDir + "/" + prefix + "_" + std::to_string(s.ms) + ".png", s.ms,
                   s.warm, update) &&
             ok;
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return ok ? 0 : 1;
}
