// render_module_vortex.h - the greetings tunnel ("tunnel_scene"), plug-in renderModuleVortex.
//
// The camera sits on the axis of a tunnel of repeating segments and looks down it, rolling
// with "tnl_camrot"; the tunnel turns slowly about its axis and slides past by "tnl_ofs",
// and thirteen greeting panels hang in a spiral inside it. The frame is graded through a
// look-up table, given depth of field and colour fringes, and glitched by two passes.
// The object keeps the three models and the look-up table; the greeting textures, the
// camera and nothing else live in the plug-in's static storage.
#pragma once

#include "scene_base.h"

class iModel;

class cRenderModuleVortex final : public cRenderModuleBase {
  public:
    void initialise(iModuleInput* input) override;
    void render(iModuleInput* input) override;
    void release() override {}
    const char* name() override { return "tunnel_scene"; }

  private:
    // The tunnel and its greetings into the bound target A.
    void drawTunnel(iModuleInput* input);
    // One main segment at `position` along the axis, seen by the tunnel's rolled camera.
    void drawSegment(iModuleInput* input, Camera& camera, float position, float seconds);
    void drawGreetings(iModuleInput* input, Camera& camera, float o);

    iModel* tunnelBroken_ = nullptr;
    iModel* tunnelMain_ = nullptr;
    iModel* greetModel_ = nullptr;
    TextureHandle* lut_ = nullptr; // "LUT_tunnel01.png" as a 3D texture
};
