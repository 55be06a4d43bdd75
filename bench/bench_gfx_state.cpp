// bench_gfx_state - cost of the per-draw graphics-context calls scenes make thousands of times
// a frame: applying render state, re-binding the bound program, setting a uniform.
//
// Prints ns per call (Google Benchmark) and heap allocations per call (counted by this
// binary's operator new). Needs a display: run under xvfb-run like the tests.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/bench_gfx_state
#include "bench_common.h"
#include "gfx_context.h"
#include "gl_loader.h"
#include "window.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <unistd.h>

// ---- one context for the run ----------------------------------------------------------------

static gfxContext* g_gfx;

static void makeContext() {
    g_gfx = makeBenchContext();
    std::ofstream("/tmp/bench_col.vert") << "#version 330 compatibility\n"
                                            "layout(location = 0) in vec4 pos;\n"
                                            "void main() { gl_Position = pos; }\n";
    std::ofstream("/tmp/bench_col.frag") << "#version 330 compatibility\n"
                                            "uniform vec4 color;\nout vec4 c;\n"
                                            "void main() { c = color; }\n";
    g_gfx->loadShader("bench_colour_program", "/tmp/bench_col.vert", "/tmp/bench_col.frag");
}

// ---- benchmarks -----------------------------------------------------------------------------

static void ApplyRenderState_Unchanged(benchmark::State& state){
    COUNT_ALLOCATIONS(state, g_gfx->applyRenderState())} BENCHMARK(ApplyRenderState_Unchanged);

static void ApplyRenderState_OneFieldToggled(benchmark::State& state) {
    uint64_t* word = g_gfx->renderState();
    COUNT_ALLOCATIONS(state, *word ^= rs::kDepthWrite; g_gfx->applyRenderState())
}
BENCHMARK(ApplyRenderState_OneFieldToggled);

static void ApplyRenderState_BlendToggled(benchmark::State& state) {
    uint64_t* word = g_gfx->renderState();
    uint64_t a = *word, b = a;
    rs::setBlend(b, kBlendSrcAlpha, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOne);
    bool flip = false;
    COUNT_ALLOCATIONS(state, *word = (flip = !flip) ? b : a; g_gfx->applyRenderState())
}
BENCHMARK(ApplyRenderState_BlendToggled);

static void UseShader_AlreadyBound(benchmark::State& state) {
    const std::string name = "bench_colour_program";
    g_gfx->useShader(name);
    COUNT_ALLOCATIONS(state, benchmark::DoNotOptimize(g_gfx->useShader(name)))
}
BENCHMARK(UseShader_AlreadyBound);

static void UseShader_AlreadyBound_LiteralName(benchmark::State& state) {
    g_gfx->useShader("bench_colour_program");
    COUNT_ALLOCATIONS(state, benchmark::DoNotOptimize(g_gfx->useShader("bench_colour_program")))
}
BENCHMARK(UseShader_AlreadyBound_LiteralName);

static void SetVector(benchmark::State& state) {
    const std::string shader = "bench_colour_program", uniform = "color";
    const float v[4] = {1, 0.5f, 0.25f, 1};
    g_gfx->useShader(shader);
    COUNT_ALLOCATIONS(state, g_gfx->setVector(shader, uniform, v))
}
BENCHMARK(SetVector);

static void SetVector_LiteralNames(benchmark::State& state) {
    const float v[4] = {1, 0.5f, 0.25f, 1};
    g_gfx->useShader("bench_colour_program");
    COUNT_ALLOCATIONS(state, g_gfx->setVector("bench_colour_program", "color", v))
}
BENCHMARK(SetVector_LiteralNames);

int main(int argc, char** argv) {
    makeContext();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
