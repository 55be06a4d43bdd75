// bench_distfield - milliseconds per frame of the distance-field scene at 1280 x 720: each of
// the four ray-marched scenes at full size (with glow, colour offset and all three logos) and
// at a quarter size, over N frames each (default 30) after one warm-up frame.
//
// The plug-in is loaded by the real loader from a temporary root; the tracks are constant
// files written here. glFinish ends every frame, so a figure is the time the GL
// implementation (llvmpipe without a GPU) needs to finish the frame, not to queue it.
#include "bench_common.h"
#include "gfx_context.h"
#include "gl_loader.h"
#include "module_input.h"
#include "module_loader.h"
#include "render_state.h"
#include "sync_rocket.h"
#include "track.h"
#include "window.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

void writeConstant(const std::string& dir, const std::string& name, float value) {
    const TrackKey key{0, value, INTERP_STEP};
    if (keytrack_write((dir + "_" + name + ".track").c_str(), &key, 1) != 0) std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    gfxContext& gfx = *makeBenchContext();

    char pattern[] = "/tmp/bench_distfield_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string root = pattern;
    fs::create_directories(root + "/bin/dll_cache");
    fs::create_directories(root + "/tracks");
    fs::copy_file(PLUGIN, root + "/bin/renderModuleDistfield.so");
    cModuleLoader loader(root + "/bin/", root + "/bin/dll_cache/", "render*.so");
    loader.loadAll();
    if (loader.modules().size() != 1 || !loader.modules()[0].scene) return 1;
    cRenderModuleBase* scene = loader.modules()[0].scene;

    const std::string tracks = root + "/tracks/";
    for (const char* name : {"blob_morph", "blob_distort", "blob_matmorph", "blob_logodistort",
                             "slice_offset", "glowintensity", "tlvits", "kelp_its", "pruxa_its"})
        writeConstant(tracks, name, 0.5f);
    writeConstant(tracks, "mch_vofs", 0.0f);
    writeConstant(tracks, "mch_vblur", 8.0f);

    cModuleInput setup;
    setup.setGfx(&gfx);
    cSyncRocket initSync;
    initSync.init(tracks.c_str(), nullptr);
    setup.setSync(&initSync);
    scene->initialise(&setup);

    std::printf("distfield frame times, 1280x720, %d frames each (ms)\n", frames);
    std::printf("%-8s %-6s %8s %8s\n", "size", "scene", "median", "worst");
    for (float version : {0.0f, 1.0f})
        for (int n = 0; n < 4; ++n) {
            writeConstant(tracks, "mch_scenever", version);
            writeConstant(tracks, "march_scenenum", float(n));
            cSyncRocket sync; // reads the files anew
            sync.init(tracks.c_str(), nullptr);
            cModuleInput input;
            input.setGfx(&gfx);
            input.setSync(&sync);
            std::vector<double> ms;
            for (int k = 0; k <= frames; ++k) {
                input.setFixedTimeMs(150000 + k * 33);
                const auto start = std::chrono::steady_clock::now();
                *gfx.renderState() = rs::defaultWord();
                gfx.setViewport(0, 0, 1280, 720);
                gfx.clear(3);
                gfx.pushRenderState();
                scene->render(&input);
                gfx.popRenderState();
                glFinish();
                const auto end = std::chrono::steady_clock::now();
                if (k > 0)
                    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            }
            std::sort(ms.begin(), ms.end());
            std::printf("%-8s %-6d %8.1f %8.1f\n", version == 0.0f ? "full" : "quarter", n,
                        ms[ms.size() / 2], ms.back());
        }
    fs::remove_all(root);
    return 0;
}
