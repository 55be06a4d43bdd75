// render_module_distfield.h - the distance-field scene ("march_scene"), plug-in
// renderModuleDistfield.
//
// One fragment shader, "raymarch.frag", compiled four times ("raymarch00".."raymarch03"),
// draws a full-screen ray-marched scene picked by the track "march_scenenum". The frame is
// vignetted, optionally glowed and colour-offset, overlaid with up to three logos and
// shifted by a vertical offset pass. Everything the scene needs between frames is in the
// graphics context (shaders, textures) or in the pool (render targets, leased per frame);
// the object itself keeps only the two textures loaded in initialise.
#pragma once

#include "scene_base.h"

class cRenderModuleDistfield final : public cRenderModuleBase {
  public:
    void initialise(iModuleInput* input) override;
    void render(iModuleInput* input) override;
    void release() override {}
    const char* name() override { return "march_scene"; }

  private:
    // Draws variant `scene` of the ray-march over A, reading its tracks at `t`; `divisor` is the
    // size render leased A and B at.
    void marchPass(iModuleInput* input, RenderTargetHandle& a, RenderTargetHandle& b, int64_t t,
                   int scene, int divisor);

    TextureHandle* wobble_ = nullptr;     // the shader's "tex0"
    TextureHandle* background_ = nullptr; // behind scene 3
};
