// demorender_sync.cpp - see demorender_sync.h.
#include "demorender_sync.h"

#include "demo.h"
#include "dispatch_scenes.h"
#include "image.h"
#include "render_module_base.h"
#include "sync_report.h"

#include <cstdio>
#include <vector>

namespace {

std::vector<std::string> g_drawn; // the scenes of the frame being drawn

void observe(cRenderModuleBase* scene, bool after) {
    if (!after) g_drawn.push_back(scene->name());
}

bool writePlot(const std::string& file, const SyncPlot& plot) {
    // The PNG writer takes read-back pixels: RGBA, bottom row first.
    std::vector<uint8_t> rgba(size_t(plot.width) * plot.height * 4);
    for (int y = 0; y < plot.height; ++y) {
        const uint8_t* src = &plot.rgb[size_t(y) * plot.width * 3];
        uint8_t* dst = &rgba[size_t(plot.height - 1 - y) * plot.width * 4];
        for (int x = 0; x < plot.width; ++x, src += 3, dst += 4)
            dst[0] = src[0], dst[1] = src[1], dst[2] = src[2], dst[3] = 255;
    }
    return saveImagePng(file, plot.width, plot.height, rgba.data());
}

} // namespace

int runSyncReport(int64_t fromMs, int64_t toMs, int fps, const OnsetLists* onsets,
                  const std::string& plotFile) {
    std::vector<uint8_t> frame(size_t(kScreenWidth) * kScreenHeight * 4);
    std::vector<uint8_t> luma(size_t(kSyncLumaWidth) * kSyncLumaHeight);
    SyncRecording rec;
    syncBegin(rec, fps, size_t((toMs - fromMs) * fps / 1000 + 1));
    g_drawn.reserve(kMaxActiveScenes);
    setSceneObserver(observe);
    for (int64_t k = 0;; ++k) {
        const int64_t ms = fromMs + k * 1000 / fps;
        if (ms > toMs) break;
        g_drawn.clear();
        demoFrame(offlineFrame(ms, frame.data()));
        syncReduceToLuma(frame.data(), kScreenWidth, kScreenHeight, luma.data());
        if (!syncAddFrame(rec, double(ms), luma.data(), g_drawn)) {
            std::fprintf(stderr, "demorender: too many scenes for the sync report at %lld ms\n",
                         (long long)ms);
            return 1;
        }
        // A whole demo takes a while on a software renderer; say how far it has come.
        if ((k + 1) % 300 == 0)
            std::fprintf(stderr, "demorender: sync report at %lld of %lld ms\n", (long long)ms,
                         (long long)toMs);
    }
    setSceneObserver(nullptr);

    const std::vector<SceneSyncProfile> rows = syncProfiles(rec, onsets);
    std::fputs(syncReportText(rec, rows, onsets).c_str(), stdout);
    if (!plotFile.empty()) {
        SyncPlot plot;
        syncDrawPlot(rec, rows, onsets, plot);
        if (!writePlot(plotFile, plot)) return 1;
        std::printf("demorender: wrote %s\n", plotFile.c_str());
    }
    return 0;
}
