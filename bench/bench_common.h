// bench_common.h - what the benchmarks share: a GL context with an initialised graphics
// context, and heap-allocation counting. Include it in exactly one file of a benchmark
// program (it defines the program's operator new).
//
// GL benchmarks need a display: run them under xvfb-run like the GL tests.
#pragma once

#include "gfx_context.h"
#include "window.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <unistd.h>
#include <vector>

// ---- allocation counting --------------------------------------------------------------------

inline std::atomic<long> g_allocations{0};

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

// ---- a graphics context ---------------------------------------------------------------------

// A 1280 x 720 picture full of edges for the post passes: slanted stripes of a few angles over
// a gradient (edges for the anti-aliasing to walk, as geometry would give), with `spots`
// a grid of white squares above the bloom and streak thresholds.
inline TextureHandle* makeStripedPicture(igfxContext* gfx, bool spots) {
    const int w = 1280, h = 720;
    std::vector<unsigned char> pixels(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &pixels[(size_t(y) * w + x) * 4];
            const int band = (x / 320) + 1;
            const bool stripe = ((x + y * band / 3) / 24) % 2 == 0;
            const bool spot = spots && (x % 160) < 12 && (y % 120) < 12;
            const unsigned char base = static_cast<unsigned char>(x * 96 / w);
            p[0] = spot ? 255 : stripe ? 230 : base;
            p[1] = spot ? 255 : stripe ? 200 : base;
            p[2] = spot ? 255 : stripe ? 160 : 40;
            p[3] = 255;
        }
    return gfx->createTexture2D(w, h, kFormatRGBA8, kFormatRGBA8, 2, pixels.data());
}

// A hidden 1280x720 window with the player's pixel format and an initialised gfxContext, the
// working directory at the project root so data/ is found. Ends the program when there is no
// GL context to be had.
inline gfxContext* makeBenchContext() {
    if (chdir(DEMO_ROOT) != 0 || SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bench: cannot start: %s\n", SDL_GetError());
        std::exit(1);
    }
    requestGlPixelFormat(0);
    SDL_Window* w =
        SDL_CreateWindow("bench", 0, 0, 1280, 720, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!w || !SDL_GL_CreateContext(w)) {
        std::fprintf(stderr, "bench: no GL context: %s\n", SDL_GetError());
        std::exit(1);
    }
    static WindowDesc desc{1280, 720, 1280, 720, false, false, false};
    gfxContext* gfx = new gfxContext();
    gfx->init(&desc);
    return gfx;
}
