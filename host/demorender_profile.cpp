// demorender_profile.cpp - see demorender_profile.h.
#include "demorender_profile.h"

#include "alloc_count.h"
#include "demo.h"
#include "dispatch_scenes.h"
#include "gpu_timer.h"
#include "render_module_base.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct SceneFigures {
    std::vector<double> cpu, gpu;
    long allocations = 0;
    int framesAllocating = 0;
};

// One row per scene name, printed in name order.
std::map<std::string, SceneFigures> g_rows;
GpuTimer g_gpu;
Clock::time_point g_sceneStart;
long g_allocationsBefore = 0;
// What the profiler's own bookkeeping allocated inside frames (a scene's first row, growing
// vectors), left out of the whole frame's count: the table measures the demo, not itself.
long g_ownAllocations = 0;

void observe(cRenderModuleBase* scene, bool after) {
    if (!after) {
        g_allocationsBefore = allocationCount();
        g_gpu.begin(scene);
        g_sceneStart = Clock::now();
        return;
    }
    const double cpu = msSince(g_sceneStart);
    g_gpu.end();
    const long allocations = allocationCount() - g_allocationsBefore;
    const long ownFrom = allocationCount();
    SceneFigures& row = g_rows[scene->name()];
    row.cpu.push_back(cpu);
    row.allocations += allocations;
    if (allocations > 0) ++row.framesAllocating;
    g_ownAllocations += allocationCount() - ownFrom;
}

struct Summary {
    double median = 0, p95 = 0, worst = 0;
};

// Nearest rank: the 95th percentile of 20 frames is the 19th, of fewer the worst.
Summary summarise(std::vector<double> v) {
    Summary s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    s.median = v[(v.size() - 1) / 2];
    s.p95 = v[size_t(std::ceil(0.95 * double(v.size()))) - 1];
    s.worst = v.back();
    return s;
}

void printRow(const std::string& name, const SceneFigures& row) {
    const Summary cpu = summarise(row.cpu), gpu = summarise(row.gpu);
    std::printf("%-20s %7zu  %8.2f %8.2f %8.2f", name.c_str(), row.cpu.size(), cpu.median, cpu.p95,
                cpu.worst);
    if (row.gpu.empty())
        std::printf("  %8s %8s %8s", "-", "-", "-");
    else
        std::printf("  %8.2f %8.2f %8.2f", gpu.median, gpu.p95, gpu.worst);
    std::printf("  %11ld %7d\n", row.allocations, row.framesAllocating);
}

} // namespace

int runProfile(int64_t fromMs, int64_t toMs, int fps) {
    const bool gpu = g_gpu.init();
    // The GL driver (Mesa, and LLVM compiling llvmpipe's shader variants; libgcc_s takes
    // the frames of the code LLVM made), also where it allocates through the C and C++
    // libraries or the compressed shader cache. Mesa 24 and later keeps its drivers in
    // libgallium-*.so (the *_dri.so are stubs then); NVIDIA's are libnvidia-*.so and
    // lib*_nvidia.so. Without them, a real GPU's driver allocations were counted as the demo's.
    setAsideAllocationsFrom({"libLLVM", "_dri.so", "libgallium", "nvidia", "libgcc_s"},
                            {"libstdc++", "libc.so", "libzstd"});
    const long driverBefore = driverAllocationCount();
    setSceneObserver(observe);
    SceneFigures whole;
    const auto start = Clock::now();
    int frames = 0;
    for (int64_t k = 0;; ++k) {
        const int64_t ms = fromMs + k * 1000 / fps;
        if (ms > toMs) break;
        const long allocationsBefore = allocationCount();
        const long ownBefore = g_ownAllocations;
        const auto frameStart = Clock::now();
        g_gpu.beginFrame();
        FrameSettings frame = offlineFrame(ms, nullptr);
        demoFrame(frame);
        g_gpu.endFrame();
        const double cpu = msSince(frameStart);
        const long allocations =
            allocationCount() - allocationsBefore - (g_ownAllocations - ownBefore);
        whole.cpu.push_back(cpu);
        whole.allocations += allocations;
        if (allocations > 0) ++whole.framesAllocating;
        g_gpu.collect(
            [&](const std::vector<GpuTimer::Result>& results) {
                double sum = 0;
                for (const GpuTimer::Result& r : results) {
                    auto* scene = static_cast<cRenderModuleBase*>(const_cast<void*>(r.key));
                    g_rows[scene->name()].gpu.push_back(r.ms);
                    sum += r.ms;
                }
                whole.gpu.push_back(sum);
            },
            /*wait*/ true);
        ++frames;
    }
    glFinish();
    const double wallSeconds = msSince(start) / 1000.0;
    setSceneObserver(nullptr);

    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::printf("demorender: profile of %lld..%lld ms at %d fps, %d frames, on %s\n",
                (long long)fromMs, (long long)toMs, fps, frames, renderer ? renderer : "?");
    std::printf("%-20s %7s  %8s %8s %8s  %8s %8s %8s  %11s %7s\n", "", "", "CPU ms", "", "",
                gpu ? "GPU ms" : "GPU: no", gpu ? "" : "timer", gpu ? "" : "queries", "allocations",
                "in");
    std::printf("%-20s %7s  %8s %8s %8s  %8s %8s %8s  %11s %7s\n", "scene", "frames", "median",
                "p95", "worst", "median", "p95", "worst", "", "frames");
    for (const auto& [name, row] : g_rows) printRow(name, row);
    printRow("(whole frame)", whole);
    const double demoSeconds = double(frames) / fps;
    std::printf("render speed: %.1f demo s in %.1f s = %.3f demo seconds per second\n", demoSeconds,
                wallSeconds, wallSeconds > 0 ? demoSeconds / wallSeconds : 0.0);
    std::printf("allocations made by the GL driver (set aside): %ld\n",
                driverAllocationCount() - driverBefore);
    std::puts(countsCAllocations()
                  ? "(allocations: operator new and C malloc, calloc, realloc and aligned forms)"
                  : "(allocations: operator new only; a sanitizer build keeps its own malloc)");
    std::puts("(whole frame: CPU is the frame's wall clock with its GPU wait left out, GPU the sum "
              "of the scenes; the first frame of a scene includes its warm-up)");
    return 0;
}
