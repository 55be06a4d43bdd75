// render_module_meander.h - the random-walk scene ("randomwalk_scene"), plug-in
// renderModuleMeander.
//
// A walk of 1000 points through space, taken from the post-processing library's random table,
// is traced by a trail of spiky objects that grows along it as "rndwalk_num_inst" rises; the
// camera follows the head of the trail. Version 0 shows the trail before a wavy, textured
// background seen by a second, circling camera; version 1 draws the trail four times with the
// camera rolled by 0, 180 and +-90 degrees. Vignette, glow, streaks and colour offset finish
// the frame. The path, the instance rotations and the camera live in the plug-in's static
// storage; the object keeps only its model handles.
#pragma once

#include "scene_base.h"

class iModel;

class cRenderModuleMeander final : public cRenderModuleBase {
  public:
    void initialise(iModuleInput* input) override;
    void render(iModuleInput* input) override;
    void release() override {}
    const char* name() override { return "randomwalk_scene"; }

  private:
    void drawVersion(iModuleInput* input, RenderTargetHandle& a, int version);
    void drawTrail(iModuleInput* input, Camera& camera);
    void drawBackground(iModuleInput* input, const Camera& camera);

    iModel* joint_ = nullptr; // registered, never drawn
    iModel* spikes_[3] = {nullptr, nullptr, nullptr};
    iModel* markings_ = nullptr;
};
