// bench_postfx_basic - the cost of the basic passes on a screen-sized frame: the two-pass
// anti-aliasing filter most scenes end with, and for scale a plain blit, a separable blur and
// a half-size downsample.
//
// Prints milliseconds per call. glFinish inside the loop makes each figure the time the GL
// implementation (llvmpipe without a GPU) needs to finish the work, not just to queue it.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/postfx/bench_postfx_basic
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

namespace {

gfxContext* g_gfx;
TextureHandle* g_frame;

void makeContext() {
    g_gfx = makeBenchContext();
}

void Fxaa(benchmark::State& state) {
    RenderTargetHandle dst = g_gfx->acquireScreenRenderTarget(1);
    postFxaa(g_gfx, g_frame, &dst.target, 1.0f); // llvmpipe compiles its shader variant here
    glFinish();
    for (auto _ : state) {
        postFxaa(g_gfx, g_frame, &dst.target, 1.0f);
        glFinish();
    }
}

void Blit(benchmark::State& state) {
    RenderTargetHandle dst = g_gfx->acquireScreenRenderTarget(1);
    postBlit(g_gfx, g_frame);
    glFinish();
    for (auto _ : state) {
        dst->bind(g_gfx, 0);
        postBlit(g_gfx, g_frame);
        dst->unbind(g_gfx);
        glFinish();
    }
}

void DirBlur(benchmark::State& state) {
    RenderTargetHandle dst = g_gfx->acquireScreenRenderTarget(1);
    postDirBlur(g_gfx, g_frame, &dst.target);
    glFinish();
    for (auto _ : state) {
        postDirBlur(g_gfx, g_frame, &dst.target);
        glFinish();
    }
}

void DownsampleHalf(benchmark::State& state) {
    RenderTargetHandle dst = g_gfx->acquireScreenRenderTarget(2);
    postDownsample(g_gfx, g_frame, &dst.target);
    glFinish();
    for (auto _ : state) {
        postDownsample(g_gfx, g_frame, &dst.target);
        glFinish();
    }
}

} // namespace

BENCHMARK(Fxaa)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Blit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DirBlur)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DownsampleHalf)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    makeContext();
    g_frame = makeStripedPicture(g_gfx, /*spots*/ false); // edges: the filter's slow path
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
