// bench_distfield - milliseconds per frame of the distance-field scene at 1280 x 720: each of
// the four ray-marched scenes at full size (with glow, colour offset and all three logos) and
// at a quarter size, over N frames each (default 30) after one warm-up frame.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/distfield/bench_distfield [frames]
#include "bench_common.h"
#include "bench_scene.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const int frames = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);
    for (const char* name : {"blob_morph", "blob_distort", "blob_matmorph", "blob_logodistort",
                             "slice_offset", "glowintensity", "tlvits", "kelp_its", "pruxa_its"})
        bench.track(name, 0.5f);
    bench.track("mch_vofs", 0.0f);
    bench.track("mch_vblur", 8.0f);

    std::printf("distfield frame times, 1280x720, %d frames each\n", frames);
    for (float version : {0.0f, 1.0f})
        for (int n = 0; n < 4; ++n) {
            bench.track("mch_scenever", version);
            bench.track("march_scenenum", float(n));
            const std::string what =
                std::string(version == 0.0f ? "full" : "quarter") + " scene " + std::to_string(n);
            printStats(what.c_str(), bench.frames(frames, 150000));
        }
    return 0;
}
