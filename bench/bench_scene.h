// bench_scene.h - what a scene's benchmark needs: its plug-in loaded by the real loader on the
// bench context, constant tracks, and median / worst milliseconds of frames or of one pass.
// Include bench_common.h first, in the one file of the program.
//
//   gfxContext& gfx = *makeBenchContext();
//   BenchScene bench(gfx, PLUGIN);
//   bench.track("cylborder", 0.1f);
//   printStats("frame", bench.frames(30, msAtBar(10)));
//   TextureHandle* picture = makeBenchPicture(gfx);
//   printStats("glow", timeIt(30, [&] { postGlow(&gfx, picture, &out.target, ...); }));
//
// Every figure ends with glFinish: it is the time llvmpipe (or a GPU) needs to finish the
// work, not to queue it. The first frame or call is a warm-up (shader compiles, first leases,
// run-time targets) and is reported on its own by frames().
#pragma once

#include "bench_common.h"
#include "gl_loader.h"
#include "module_input.h"
#include "module_loader.h"
#include "render_state.h"
#include "sync_rocket.h"
#include "track.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct FrameStats {
    double median = 0, worst = 0, first = 0; // ms; `first` is the warm-up
    int count = 0;
};

inline FrameStats statsOf(std::vector<double> ms, double first) {
    FrameStats s;
    s.first = first;
    s.count = int(ms.size());
    if (ms.empty()) return s;
    std::sort(ms.begin(), ms.end());
    s.median = ms[ms.size() / 2];
    s.worst = ms.back();
    return s;
}

inline void printStats(const char* what, const FrameStats& s) {
    std::printf("%-28s median %8.2f  worst %8.2f  first %8.2f ms  (%d runs)\n", what, s.median,
                s.worst, s.first, s.count);
}

// Runs `body` once to warm up, then `n` times, each ended by glFinish.
template <class Body> FrameStats timeIt(int n, Body body) {
    std::vector<double> ms;
    double first = 0;
    for (int k = 0; k <= n; ++k) {
        const auto start = std::chrono::steady_clock::now();
        body();
        glFinish();
        const double t =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (k == 0)
            first = t;
        else
            ms.push_back(t);
    }
    return statsOf(ms, first);
}

// A 1280 x 720 picture for timing passes alone: a colour gradient with bright slanted stripes,
// so thresholds, edges and blurs all have work to do.
inline TextureHandle* makeBenchPicture(gfxContext& gfx) {
    const int w = 1280, h = 720;
    std::vector<unsigned char> pixels(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &pixels[(size_t(y) * w + x) * 4];
            const bool stripe = ((x + y / 2) / 24) % 5 == 0;
            p[0] = stripe ? 250 : static_cast<unsigned char>(x * 160 / w);
            p[1] = stripe ? 230 : static_cast<unsigned char>(y * 120 / h);
            p[2] = stripe ? 200 : 60;
            p[3] = 255;
        }
    return gfx.createTexture2D(w, h, kFormatRGBA8, kFormatRGBA8, 2, pixels.data());
}

class BenchScene {
  public:
    // Copies the plug-in into a temporary root, loads it with the real loader and initialises
    // its scene on `gfx`. Ends the program when it does not load as one scene.
    BenchScene(gfxContext& gfx, const std::string& pluginPath) : gfx_(gfx) {
        char pattern[] = "/tmp/bench_scene_XXXXXX";
        if (!mkdtemp(pattern)) std::exit(1);
        root_ = pattern;
        namespace fs = std::filesystem;
        fs::create_directories(root_ + "/bin/dll_cache");
        fs::create_directories(root_ + "/tracks");
        fs::copy_file(pluginPath, root_ + "/bin/" + fs::path(pluginPath).filename().string());
        loader_ = std::make_unique<cModuleLoader>(root_ + "/bin/", root_ + "/bin/dll_cache/",
                                                  "render*.so");
        loader_->loadAll();
        if (loader_->modules().size() != 1 || !loader_->modules()[0].scene) {
            std::fprintf(stderr, "bench: %s did not load as one scene\n", pluginPath.c_str());
            std::exit(1);
        }
        scene = loader_->modules()[0].scene;
        cSyncRocket initSync;
        initSync.init((root_ + "/tracks/").c_str(), nullptr);
        cModuleInput setup;
        setup.setGfx(&gfx_);
        setup.setSync(&initSync);
        scene->initialise(&setup);
    }
    ~BenchScene() { std::filesystem::remove_all(root_); }

    // Sets a track to a constant from the next frames() on.
    void track(const std::string& name, float value) {
        const TrackKey key{0, value, INTERP_STEP};
        if (keytrack_write((root_ + "/tracks/_" + name + ".track").c_str(), &key, 1) != 0)
            std::exit(1);
    }

    // A module input on this context over the track files as they are now, its clock held at
    // `ms`: for frames(), and for timing a scene's own steps alone. Valid until the next call.
    cModuleInput& input(int64_t ms) {
        sync_ = std::make_unique<cSyncRocket>(); // reads the track files anew
        sync_->init((root_ + "/tracks/").c_str(), nullptr);
        input_ = std::make_unique<cModuleInput>();
        input_->setGfx(&gfx_);
        input_->setSync(sync_.get());
        input_->setFixedTimeMs(ms);
        return *input_;
    }

    // One warm-up frame and `n` timed frames as the host draws them, at music times `startMs`,
    // `startMs` + `stepMs`, ...
    FrameStats frames(int n, int64_t startMs, int64_t stepMs = 33) {
        cModuleInput& in = input(startMs);
        int64_t t = startMs;
        return timeIt(n, [&] {
            in.setFixedTimeMs(t);
            t += stepMs;
            *gfx_.renderState() = rs::defaultWord();
            gfx_.setViewport(0, 0, 1280, 720);
            gfx_.clear(3);
            gfx_.pushRenderState();
            scene->render(&in);
            gfx_.popRenderState();
        });
    }

    cRenderModuleBase* scene = nullptr;

  private:
    gfxContext& gfx_;
    std::string root_;
    std::unique_ptr<cModuleLoader> loader_;
    std::unique_ptr<cSyncRocket> sync_;
    std::unique_ptr<cModuleInput> input_;
};

// How many runs a benchmark times: its first argument, or `fallback`.
inline int benchRuns(int argc, char** argv, int fallback) {
    return argc > 1 ? std::max(1, std::atoi(argv[1])) : fallback;
}
