// dispatch_scenes.cpp - see dispatch_scenes.h.
#include "dispatch_scenes.h"

#include "igfx_context.h"
#include "imodule_input.h"
#include "isync.h"
#include "module_loader.h"

#include <cstdint>
#include <cstdio>

namespace {

SceneObserver g_observer = nullptr;

// The frame's visible scenes, in module-list order, on the stack: selection never allocates.
struct ActiveList {
    ActiveScene entries[kMaxActiveScenes];
    int count = 0;
    int ignored = 0; // visible, but the list was full
    const char* firstIgnored = nullptr;
};

void collectVisible(const std::vector<ModuleRecord>& modules, iModuleInput* input,
                    ActiveList& list) {
    iSync* sync = input->getSync();
    for (const ModuleRecord& module : modules) {
        cRenderModuleBase* scene = module.scene;
        if (!scene) continue;
        const int64_t timeMs = input->getTimeMs(); // afresh: the music moves on meanwhile
        const char* name = scene->name();
        const float value = sync->getValue(name, &timeMs);
        if (!(value > 0.0f)) continue; // 0, below 0 and NaN hide the scene
        if (list.count == kMaxActiveScenes) {
            if (list.ignored++ == 0) list.firstIgnored = name;
            continue;
        }
        list.entries[list.count++] = {value, scene};
    }
}

// Stable insertion sort: equal values keep list order, and unlike std::stable_sort it never
// asks for a buffer.
void sortByValue(ActiveList& list) {
    for (int i = 1; i < list.count; ++i) {
        const ActiveScene current = list.entries[i];
        int j = i;
        for (; j > 0 && list.entries[j - 1].value > current.value; --j)
            list.entries[j] = list.entries[j - 1];
        list.entries[j] = current;
    }
}

void reportOverflow(const ActiveList& list, int32_t frame, DispatchOverflow& overflow) {
    if (list.ignored > 0 && list.ignored != overflow.ignoredLastFrame) {
        std::fprintf(stderr,
                     "## WARNING - MORE THAN %d VISIBLE SCENES IN FRAME %d, %d NOT DRAWN "
                     "(FIRST \"%s\")\n",
                     kMaxActiveScenes, int(frame), list.ignored, list.firstIgnored);
    }
    overflow.ignoredLastFrame = list.ignored;
}

} // namespace

void setSceneObserver(SceneObserver observer) {
    g_observer = observer;
}

void dispatchScenes(const std::vector<ModuleRecord>& modules, iModuleInput* input, igfxContext* gfx,
                    DispatchOverflow& overflow) {
    ActiveList list;
    collectVisible(modules, input, list);
    sortByValue(list);

    // The frame's only clear; with nothing visible the frame stays black.
    gfx->setClearDepth(1.0f);
    gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    gfx->clear(3);

    for (int i = 0; i < list.count; ++i) {
        cRenderModuleBase* scene = list.entries[i].scene;
        if (g_observer) g_observer(scene, false);
        gfx->pushRenderState();
        scene->render(input);
        gfx->popRenderState();
        if (g_observer) g_observer(scene, true);
    }

    if (list.count > 1)
        std::fprintf(stderr, "## WARNING - RENDERING MULTIPLE SCENES IN FRAME %d\n",
                     int(gfx->frameCounter));
    reportOverflow(list, gfx->frameCounter, overflow);
}
