// bench_meander - milliseconds per frame of the random-walk scene at 1280 x 720 in each
// version (0: trail and background, 1: the trail four times, 2: the post chain alone) with the
// full 256-instance trail, then each post pass of its chain alone on a 1280 x 720 picture,
// over N runs each (default 30) after one warm-up.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/meander/bench_meander [frames]
#include "bench_common.h"
#include "bench_scene.h"
#include "postfx.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const int n = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);
    bench.track("rndwalk_num_inst", 500.0f);
    bench.track("rnd_glitch", 0.2f);
    bench.track("rnd_markheight", 0.0f);
    bench.track("rnd_bg_h", 0.6f);
    bench.track("rnd_streaks_its", 0.5f);

    std::printf("random-walk frame times, 1280x720, %d runs each\n", n);
    for (float version : {0.0f, 1.0f, 2.0f}) {
        bench.track("rnd_scenever", version);
        const std::string what = "frame, version " + std::to_string(int(version));
        printStats(what.c_str(), bench.frames(n, 130000));
    }

    // The chain's passes alone, as render runs them on full-size targets.
    TextureHandle* picture = makeBenchPicture(gfx);
    RenderTargetHandle out = gfx.acquireScreenRenderTarget(1);
    igfxContext* g = &gfx;
    const float streak[3] = {100.0f, 100.0f, 1.3f};
    printStats("pass digital glitch",
               timeIt(n, [&] { postDigitalGlitch(g, picture, &out.target, 130.0f, 0.2f); }));
    printStats("pass vignette", timeIt(n, [&] { postVignette(g, picture, &out.target, 1.0f); }));
    printStats("pass bloom",
               timeIt(n, [&] { postBloom(g, picture, &out.target, 128.0f, 128.0f, 1.25f); }));
    printStats("pass streaks add",
               timeIt(n, [&] { postStreaksAdd(g, picture, &out.target, 130.0f, streak, 0.5f); }));
    printStats("pass colour offset", timeIt(n, [&] { postColOffset(g, picture, &out.target); }));
    printStats("pass blit", timeIt(n, [&] { postBlit(g, picture); }));
    return 0;
}
