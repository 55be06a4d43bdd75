// render_module_orb.h - the logo scene ("borksphere_scene"), plug-in renderModuleOrb.
//
// The production's 3-D logo, drawn once a frame from a camera that slides sideways with the
// track "brk_camofs", then pushed through vignette, this plug-in's own radial blur
// ("brk_radits"), colour offset, the two digital glitches ("brk_glitch1", "brk_glitch2") and
// grain, and laid over the frame with premultiplied blending. It is on screen twice: in the
// break, calm, and as the end card that closes the demo; the tracks make the difference.
//
// initialise also registers a faceted sphere, a cross and a program with a geometry stage
// that breaks meshes apart: the frame does not draw them, but they hold their names in the
// context's registries for whoever asks. The object keeps only the three model pointers;
// render leases two screen-sized targets from the pool and gives them back before it returns.
#pragma once

#include "scene_base.h"

class iModel;

class cRenderModuleOrb final : public cRenderModuleBase {
  public:
    void initialise(iModuleInput* input) override;
    void render(iModuleInput* input) override;
    void release() override {}
    const char* name() override { return "borksphere_scene"; }

  private:
    iModel* brokenSphere_ = nullptr; // "brokensphere"
    iModel* brokenCross_ = nullptr;  // "brokecross"
    iModel* logo_ = nullptr;         // "logo_brusqua2", the one the frame draws
};
