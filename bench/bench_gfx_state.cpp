// bench_gfx_state - cost of the per-draw graphics-context calls scenes make thousands of times
// a frame: applying render state, re-binding the bound program, setting a uniform.
//
// Prints ns per call (Google Benchmark) and heap allocations per call (counted by this
// binary's operator new). Needs a display: run under xvfb-run like the tests.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/bench_gfx_state
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

// ---- allocation counting --------------------------------------------------------------------

static std::atomic<long> g_allocations{0};

// Our operator new is malloc underneath, so free() is its matching release.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

// Runs the benchmark loop and reports allocations per iteration next to the time.
#define COUNT_ALLOCATIONS(state, body)                                                             \
    long before = g_allocations.load();                                                            \
    for (auto _ : state) {                                                                         \
        body;                                                                                      \
    }                                                                                              \
    state.counters["allocs/call"] =                                                                \
        benchmark::Counter(double(g_allocations.load() - before) / double(state.iterations()));

// ---- one context for the run ----------------------------------------------------------------

static gfxContext* g_gfx;

static void makeContext() {
    if (chdir(DEMO_ROOT) != 0) std::exit(1);
    SDL_Init(SDL_INIT_VIDEO);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* w =
        SDL_CreateWindow("bench", 0, 0, 1280, 720, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!w || !SDL_GL_CreateContext(w)) {
        std::fprintf(stderr, "bench: no GL context: %s\n", SDL_GetError());
        std::exit(1);
    }
    static WindowDesc desc{1280, 720, 1280, 720, false, false, false};
    g_gfx = new gfxContext();
    g_gfx->init(&desc);
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
