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

const int kW = 1280, kH = 720;
gfxContext* g_gfx;
TextureHandle* g_frame;

void makeContext() {
    g_gfx = makeBenchContext();
}

// A frame full of edges, so the filter takes its slow path often: slanted stripes of a few
// angles over a gradient, as geometry edges would give.
TextureHandle* makeFrame() {
    std::vector<unsigned char> pixels(size_t(kW) * kH * 4);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            unsigned char* p = &pixels[(size_t(y) * kW + x) * 4];
            const int band = (x / 320) + 1;
            const bool stripe = ((x + y * band / 3) / 24) % 2 == 0;
            const unsigned char base = static_cast<unsigned char>(x * 96 / kW);
            p[0] = stripe ? 230 : base;
            p[1] = stripe ? 200 : base;
            p[2] = stripe ? 160 : 40;
            p[3] = 255;
        }
    return g_gfx->createTexture2D(kW, kH, kFormatRGBA8, kFormatRGBA8, 2, pixels.data());
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
    g_frame = makeFrame();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
