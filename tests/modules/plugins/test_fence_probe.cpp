// A plug-in that reaches past the include fence for the host's demo.h. It must never build:
// the include-fence test builds it and expects the compiler to miss exactly that header. The
// headers a plug-in may use come first, each in a block of its own, so the build can only stop
// at demo.h if those are found.
#include "assert_failed.h"

#include "clock.h"

#include "scene_base.h"

#include "demo.h"

class cFenceProbe : public cRenderModuleBase {
  public:
    void initialise(iModuleInput*) override {}
    void render(iModuleInput*) override {}
    void release() override {}
    const char* name() override { return "fence_probe"; }
};

DEMO_EXPORT_SCENE(cFenceProbe)
