// Plug-ins that load but break the entry-point contract, one per build (TEST_BROKEN_KIND):
//   1  exports DeleteScene only: no scene can be made
//   2  exports CreateScene only: a working scene the host could never delete
//   3  CreateScene returns null
#include "render_module_base.h"

#ifndef TEST_BROKEN_KIND
#error "TEST_BROKEN_KIND selects the fault"
#endif

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

class PlainScene final : public cRenderModuleBase {
  public:
    void initialise(iModuleInput*) override {}
    void render(iModuleInput*) override {}
    void release() override {}
    const char* name() override { return "testNoDelete"; }
};

} // namespace

#if TEST_BROKEN_KIND != 2
EXPORT void DeleteScene(cRenderModuleBase** scene) {
    delete *scene;
    *scene = nullptr;
}
#endif

#if TEST_BROKEN_KIND == 2
EXPORT cRenderModuleBase* CreateScene() {
    return new PlainScene();
}
#elif TEST_BROKEN_KIND == 3
EXPORT cRenderModuleBase* CreateScene() {
    return nullptr;
}
#endif
