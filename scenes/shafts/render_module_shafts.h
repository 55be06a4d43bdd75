// render_module_shafts.h - the light-shafts scene ("vollight_scene"), plug-in
// renderModuleShafts.
//
// A ring of nested half tubes under a spot light that casts shadows. The tubes go into a
// shadow map from the light; the frame is drawn with it; the light's frustum is then
// ray-marched against the shadow map and the frame's depth to give visible shafts of light,
// cut by the tubes' shadows. Glow and streaks from the tubes' silhouettes are added and the
// result is colour-graded. "vol_var" picks one of three camera set-ups; in the first the
// group's logo stands in the light.
//
// The plug-in runs its own copy of the GL entry-point loader: it sets the comparison mode of
// its two depth textures with direct GL calls.
#pragma once

#include "scene_base.h"
#include "shafts_rules.h"

class cRenderModuleShafts final : public cRenderModuleBase {
  public:
    void initialise(iModuleInput* input) override;
    void render(iModuleInput* input) override;
    void release() override {}
    const char* name() override { return "vollight_scene"; }

  private:
    enum class Mode { Depth, Unlit, Shaded };

    // What every draw of a frame shares: the camera's view-projection, the light, the
    // shadow map's transform.
    struct Frame {
        const float* viewProjection;
        shafts::Light light;
        float lightViewProjection[16];
    };

    void drawTubes(igfxContext* gfx, const Frame& f, Mode mode);
    void drawTubesAndMarker(iModuleInput* input, const Frame& f, Mode mode);
    void drawLogo(igfxContext* gfx, const Frame& f);
    // Sets the shadowed Blinn program's per-object uniforms for model matrix `model`.
    void setShadedObject(igfxContext* gfx, const Frame& f, const float model[16]);

    iModel* tube_ = nullptr;
    iModel* logo_ = nullptr;
    iModel* marker_ = nullptr;
    iRenderTarget* shadowMap_ = nullptr;   // owned; depth only
    iRenderTarget* volumeDepth_ = nullptr; // owned; depth only, the viewport's size at start
    TextureHandle* lut_ = nullptr;
};
