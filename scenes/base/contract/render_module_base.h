// render_module_base.h - the scene interface every plug-in implements, and its two exports.
//
// A plug-in (bin/render*.so) holds exactly one scene class derived from cRenderModuleBase and
// exports CreateScene/DeleteScene with C linkage (DEMO_EXPORT_SCENE below). The host loads the
// plug-in, calls CreateScene once, initialise once at start-up, and render in every frame in
// which the sync track named by name() is above 0. Plug-ins are built separately from the
// host, so the order of the virtual operations is a binary contract (a test pins it): never
// reorder, insert or remove. The host never deletes a scene and never calls release().
#pragma once

#include <new>

class iModuleInput;

class cRenderModuleBase {
  public:
    virtual ~cRenderModuleBase() {}                      // 1. deleting destructor (DeleteScene)
    virtual void initialise(iModuleInput* input) = 0;    // 2. register shaders, models, textures
    virtual void render(iModuleInput* input) = 0;        // 3. draw one frame into what is bound
    virtual void release() = 0;                          // 4. never called; keeps name() fifth
    virtual const char* name() = 0;                      // 5. the scene's visibility track
};

// The two entry points, as the loader binds them by name.
extern "C" {
typedef cRenderModuleBase* (*CreateSceneFn)();
typedef void (*DeleteSceneFn)(cRenderModuleBase** scene);
}

// Defines the exports for scene class `SceneClass` (default-constructible, members zeroed by
// its constructor). Plug-ins are built with hidden visibility; only these two are exported.
#define DEMO_EXPORT_SCENE(SceneClass)                                                          \
    extern "C" __attribute__((visibility("default"))) cRenderModuleBase* CreateScene() {     \
        return new (std::nothrow) SceneClass();                                                \
    }                                                                                          \
    extern "C" __attribute__((visibility("default"))) void DeleteScene(                      \
        cRenderModuleBase** scene) {                                                           \
        if (*scene) delete *scene;                                                             \
        *scene = nullptr;                                                                      \
    }
