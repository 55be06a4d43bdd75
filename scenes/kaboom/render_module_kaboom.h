// render_module_kaboom.h - the reactor scene ("expl_scn"), plug-in renderModuleKaboom.
//
// A reactor model with an energy beam ray-marched inside a cylinder volume. Every frame the
// scene is drawn into the six faces of a cube map around the eye; the track "expl_cylview"
// then shows that cube map as a 360-degree panorama, or draws the scene once more through an
// ordinary perspective camera. A background picture, a vertical offset, streaks and a colour
// offset finish the frame.
//
// The cube map and its framebuffer are made with direct GL calls on the first frame, through
// this plug-in's own copy of the entry-point loader, and kept for the run in the plug-in's
// static storage; the scene object itself holds nothing.
#pragma once

#include "scene_base.h"

class cRenderModuleKaboom final : public cRenderModuleBase {
  public:
    void initialise(iModuleInput* input) override;
    void render(iModuleInput* input) override;
    void release() override {}
    const char* name() override { return "expl_scn"; }
};
