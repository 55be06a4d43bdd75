// A scene for the loader and dispatch tests, built several times under different names
// (TEST_SCENE_NAME). It fills the frame from the left edge to a fraction of its width with a
// colour, all read from its own sync tracks "<name>_r", "_g", "_b" (colour) and "_w" (width
// fraction), so a test decides what each copy draws by writing track files. It draws through
// the host's graphics context only and leaves the colour writes switched off on purpose: a
// scene after it draws only if dispatch restores the render state in between.
#include "igfx_context.h"
#include "imodule_input.h"
#include "isync.h"
#include "render_module_base.h"
#include "render_state.h"

#include <string>

#ifndef TEST_SCENE_NAME
#error "TEST_SCENE_NAME names the scene and its tracks"
#endif

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class TestColourScene final : public cRenderModuleBase {
  public:
    void initialise(iModuleInput* input) override {
        input->getGfx()->loadShader("unlit", "data/shaders/unlit.vert", "data/shaders/unlit.frag");
    }

    void render(iModuleInput* input) override {
        igfxContext* gfx = input->getGfx();
        const int64_t timeMs = input->getTimeMs();
        iSync* sync = input->getSync();
        const float colour[4] = {sync->getValue(red_.c_str(), &timeMs),
                                 sync->getValue(green_.c_str(), &timeMs),
                                 sync->getValue(blue_.c_str(), &timeMs), 1.0f};
        const float right = 2.0f * sync->getValue(width_.c_str(), &timeMs) - 1.0f;

        uint64_t& state = *gfx->renderState();
        rs::setDepthFunc(state, kDepthAlways);
        rs::setDepthWrite(state, false);
        rs::setCulling(state, false);
        gfx->useShader("unlit");
        gfx->setMatrix("unlit", "mvp", kIdentity);
        gfx->setVector("unlit", "color", colour);
        gfx->drawQuad(-1.0f, -1.0f, right, 1.0f, 1.0f, 1.0f);

        rs::setColorMask(state, 0);
    }

    void release() override {}
    const char* name() override { return TEST_SCENE_NAME; }

  private:
    const std::string red_ = TEST_SCENE_NAME "_r";
    const std::string green_ = TEST_SCENE_NAME "_g";
    const std::string blue_ = TEST_SCENE_NAME "_b";
    const std::string width_ = TEST_SCENE_NAME "_w";
};

} // namespace

DEMO_EXPORT_SCENE(TestColourScene)
