// fetch_floor.h - what a full-screen pass would cost if it did nothing but read its textures.
//
// A pass's "fetch floor" is a shader with the same samplers (type, texture, so size and format)
// making the same fetches per pixel over the same texel footprint, summing them and writing the
// sum. Drawn into the pass's own destination, it is what the pass cannot go below without
// reading less; the ratio pass / floor says how much its arithmetic, branching and extra draws
// cost on top. A pass of several draws (a two-axis blur, a chain) has the sum of its draws'
// floors as its floor. Data-dependent fetches (a jittered or depth-scaled offset, an edge walk)
// are given as the fixed offsets they typically land on.
//
// Include after bench_common.h (or bench_scene.h); the program links postfx (pass.h).
//
//   // a scene's pass reading nine texels in a column, 1 px apart, from a 1280 x 720 target
//   FetchFloor smear = makeFetchFloor(gfx, "floor_smear", {{"sampler2D", frame->texture()}},
//                                     floorLine(0, 9, 0.0f, 4.0f));
//   printFloorHeader();
//   printFloorRow(compareWithFloor("smear", 15,
//       [&] { postSmear(gfx, frame->texture(), &out.target); },
//       [&] { drawFetchFloor(gfx, smear, out.target); }));
//   // two draws, two floors: {{0, 0, 0}, {0, 4.0f / 3, 0}, ...} along x into a temporary
//   // target, then the same along y from that target into the destination
//
// Both bodies end with glFinish and are timed alternately, so a busy neighbour on the machine
// slows both alike; the medians are compared, of the wall clock and of the process's CPU time.
#pragma once

#include "gl_loader.h"
#include "igfx_context.h"
#include "irender_target.h"
#include "pass.h"
#include "texture_handle.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

struct FloorSampler {
    const char* glslType;   // "sampler2D" or "sampler3D", as the pass declares it
    TextureHandle* texture; // what the pass reads there
};

struct FloorTap {
    int sampler;  // index into the floor's samplers
    float dx, dy; // from the pixel's own coordinate, in texels of that sampler
};

struct FetchFloor {
    std::string shader;
    std::vector<FloorSampler> samplers;
    std::vector<std::string> samplerNames; // "s0", "s1", ...
};

// `count` taps evenly from -reach to +reach texels along (dx, dy) (one tap: the centre only).
inline std::vector<FloorTap> floorLine(int sampler, int count, float reachX, float reachY) {
    std::vector<FloorTap> taps;
    for (int i = 0; i < count; ++i) {
        const float t = count > 1 ? 2.0f * float(i) / float(count - 1) - 1.0f : 0.0f;
        taps.push_back({sampler, t * reachX, t * reachY});
    }
    return taps;
}

// An n x m block of taps one texel apart, centred on the pixel (3 x 3: its neighbourhood).
inline std::vector<FloorTap> floorBlock(int sampler, int n, int m) {
    std::vector<FloorTap> taps;
    for (int y = 0; y < m; ++y)
        for (int x = 0; x < n; ++x)
            taps.push_back(
                {sampler, float(x) - 0.5f * float(n - 1), float(y) - 0.5f * float(m - 1)});
    return taps;
}

inline std::vector<FloorTap> operator+(std::vector<FloorTap> a, const std::vector<FloorTap>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Registers the fragment shader `glsl` under `name` with `vertexFile`: the shader library
// loads from files, so the text goes through a temporary one. Benchmarks whose floor reads a
// sampler makeFetchFloor does not write (a cube map, a shadow comparison) build their own text
// and load it here.
inline void loadFloorShader(igfxContext* gfx, const std::string& name, const std::string& glsl,
                            const char* vertexFile = "data/shaders/post_passthrough.vert") {
    const std::string file = "/tmp/fetch_floor_" + std::to_string(getpid()) + "_" + name + ".frag";
    if (FILE* f = std::fopen(file.c_str(), "w")) {
        std::fputs(glsl.c_str(), f);
        std::fclose(f);
    }
    gfx->loadShader(name, vertexFile, file);
    std::remove(file.c_str());
}

// Writes the floor's fragment shader, registers it under `name` with the pass-through vertex
// shader (the passes' own quad and "uv"), and keeps what drawFetchFloor binds. Offsets are
// baked into the source in each sampler's texel size, so the floor sets no uniform.
inline FetchFloor makeFetchFloor(igfxContext* gfx, const std::string& name,
                                 std::vector<FloorSampler> samplers,
                                 const std::vector<FloorTap>& taps) {
    FetchFloor floor{name, std::move(samplers), {}};
    std::string glsl = "#version 330 compatibility\n";
    for (size_t i = 0; i < floor.samplers.size(); ++i) {
        floor.samplerNames.push_back("s" + std::to_string(i));
        glsl +=
            std::string("uniform ") + floor.samplers[i].glslType + " s" + std::to_string(i) + ";\n";
    }
    glsl += "in vec2 uv;\nlayout(location = 0) out vec4 fragColor;\n"
            "void main() {\n    vec4 sum = vec4(0.0);\n";
    char line[256];
    for (const FloorTap& tap : taps) {
        const FloorSampler& s = floor.samplers[size_t(tap.sampler)];
        const float du = tap.dx / float(s.texture->width);
        const float dv = tap.dy / float(s.texture->height);
        const bool volume = std::string(s.glslType) == "sampler3D";
        std::snprintf(line, sizeof line,
                      volume ? "    sum += texture(s%d, vec3(uv + vec2(%.9g, %.9g), 0.5));\n"
                             : "    sum += texture(s%d, uv + vec2(%.9g, %.9g));\n",
                      tap.sampler, du, dv);
        glsl += line;
    }
    glsl += "    fragColor = sum;\n}\n";
    loadFloorShader(gfx, name, glsl);
    return floor;
}

// One draw of the floor as a standard pass into `destination` (null: the bound framebuffer).
inline void drawFetchFloor(igfxContext* gfx, const FetchFloor& floor, iRenderTarget* destination) {
    beginPass(gfx, floor.shader, &destination);
    for (size_t i = 0; i < floor.samplers.size(); ++i)
        gfx->setTexture(floor.shader, floor.samplerNames[i], floor.samplers[i].texture);
    endPass(gfx, &destination);
}

struct FloorRow {
    const char* pass;
    double ms, floorMs;       // wall-clock medians
    double cpuMs, cpuFloorMs; // medians of the process's CPU time (llvmpipe's threads included)
};

// The process's CPU time in ms: on a machine shared with other work it moves far less than the
// wall clock, so its ratio is the steadier one there.
inline double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

// One warm-up of each, then `runs` of the pass and of its floor, alternately.
template <class Pass, class Floor>
FloorRow compareWithFloor(const char* pass, int runs, Pass passBody, Floor floorBody) {
    struct Times {
        std::vector<double> wall, cpu;
    };
    auto once = [](auto& body, Times& into) {
        const double cpu = processCpuMs();
        const auto start = std::chrono::steady_clock::now();
        body();
        glFinish();
        into.wall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        into.cpu.push_back(processCpuMs() - cpu);
    };
    Times warm, a, b;
    once(passBody, warm);
    once(floorBody, warm);
    for (int k = 0; k < runs; ++k) {
        once(passBody, a);
        once(floorBody, b);
    }
    auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    return {pass, median(a.wall), median(b.wall), median(a.cpu), median(b.cpu)};
}

inline void printFloorHeader() {
    std::printf("%-32s %9s %9s %7s   %9s %9s %7s\n", "pass", "ms", "floor ms", "ratio", "cpu ms",
                "cpu floor", "ratio");
}

inline void printFloorRow(const FloorRow& row) {
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("%-32s %9.2f %9.2f %7.2f   %9.2f %9.2f %7.2f\n", row.pass, row.ms, row.floorMs,
                ratio(row.ms, row.floorMs), row.cpuMs, row.cpuFloorMs,
                ratio(row.cpuMs, row.cpuFloorMs));
    std::fflush(stdout);
}
