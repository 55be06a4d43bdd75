// bench_postfx_stylise - the whole bloom chain on a screen-sized frame, as the scenes run it
// every frame: four downsamples, two levels passes, four separable blurs and the additive
// composite, with every borrowed target coming from the pre-filled pool.
//
// Prints milliseconds per call. glFinish inside the loop makes each figure the time the GL
// implementation (llvmpipe without a GPU) needs to finish the work, not just to queue it.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/postfx/bench_postfx_stylise
#include "bench_common.h"
#include "gfx_context.h"
#include "gl_loader.h"
#include "postfx.h"
#include "window.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <unistd.h>
#include <vector>

static gfxContext* g_gfx;

static void makeContext() {
    g_gfx = makeBenchContext();
}

// A frame with something to bloom: a grid of bright spots on a dark gradient.
static TextureHandle* makeFrame() {
    const int w = 1280, h = 720;
    std::vector<unsigned char> pixels(w * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &pixels[(y * w + x) * 4];
            const bool spot = (x % 160) < 12 && (y % 120) < 12;
            const unsigned char base = static_cast<unsigned char>(x * 96 / w);
            p[0] = p[1] = p[2] = spot ? 255 : base;
            p[3] = 255;
        }
    return g_gfx->createTexture2D(w, h, kFormatRGBA8, kFormatRGBA8, 2, pixels.data());
}

static void Bloom_1280x720(benchmark::State& state) {
    TextureHandle* frame = makeFrame();
    RenderTargetHandle out = g_gfx->acquireScreenRenderTarget(1);
    // The first call compiles the shaders; keep it out of the figures.
    postBloom(g_gfx, frame, &out.target, 190.0f, 255.0f, 1.3f);
    glFinish();
    for (auto _ : state) {
        postBloom(g_gfx, frame, &out.target, 190.0f, 255.0f, 1.3f);
        glFinish();
    }
}
BENCHMARK(Bloom_1280x720)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    makeContext();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
