// A scene for the bad-input test: it reads the kinds of data file no shipped scene reads yet,
// OBJ models and colour look-up images, the way a scene does (the graphics context's
// loadModel and the scene base's loadColorLut, in initialise), and draws them, so a damaged
// file shows in the program's real logs, exit code and frame.
//
// The files come from two environment variables, lists separated by ":", because one run
// reads many damaged files at once: TEST_ASSET_MODELS (default data/models/asset.obj) and
// TEST_ASSET_LUTS (default data/textures/asset_lut.png). Every model is drawn flat green over
// a dark grey frame with positions taken as clip coordinates; the frame then goes through the
// first look-up table that loaded, or is shown as it is when none did.
#include "igfx_context.h"
#include "imodel.h"
#include "imodule_input.h"
#include "irender_target.h"
#include "lut_loader.h"
#include "postfx.h"
#include "render_module_base.h"
#include "render_state.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
const float kGreen[4] = {0.0f, 1.0f, 0.0f, 1.0f};

std::vector<std::string> fileList(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    const std::string text = value ? value : fallback;
    std::vector<std::string> files;
    size_t start = 0;
    for (;;) {
        const size_t colon = text.find(':', start);
        files.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return files;
}

class TestAssetScene final : public cRenderModuleBase {
  public:
    void initialise(iModuleInput* input) override {
        igfxContext* gfx = input->getGfx();
        const std::vector<std::string> models =
            fileList("TEST_ASSET_MODELS", "data/models/asset.obj");
        for (size_t i = 0; i < models.size(); ++i) {
            iModel* model = gfx->loadModel("test_asset_" + std::to_string(i), models[i]);
            if (model) models_.push_back(model);
        }
        for (const std::string& file : fileList("TEST_ASSET_LUTS", "data/textures/asset_lut.png"))
            if (!lut_) lut_ = loadColorLut(gfx, file);
    }

    void render(iModuleInput* input) override {
        igfxContext* gfx = input->getGfx();
        RenderTargetHandle frame = gfx->acquireScreenRenderTarget(1);
        gfx->setClearColor(0.1f, 0.1f, 0.1f, 1.0f);
        frame->bind(gfx, 3);
        uint64_t& state = *gfx->renderState();
        rs::setDepthFunc(state, kDepthAlways);
        rs::setDepthWrite(state, false);
        rs::setCulling(state, false);
        gfx->useShader("debugcol");
        gfx->setMatrix("debugcol", "mvp", kIdentity);
        gfx->setVector("debugcol", "debug_color", kGreen);
        for (iModel* model : models_) model->draw(gfx);
        frame->unbind(gfx);

        if (lut_)
            postRgbLut(gfx, frame->texture(), lut_, nullptr, 1.0f);
        else
            postBlit(gfx, frame->texture());
    }

    void release() override {}
    const char* name() override { return "test_assets"; }

  private:
    std::vector<iModel*> models_;
    TextureHandle* lut_ = nullptr;
};

} // namespace

DEMO_EXPORT_SCENE(TestAssetScene)
