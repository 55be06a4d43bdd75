// kaboom_passes.h - the reactor scene's drawing steps, apart from the plug-in class so that
// the benchmark can time each of them alone (it compiles this file into itself).
//
// The cube map is made once with direct GL calls and kept for the run in this file's static
// storage; the callers must have run the GL entry-point loader of their own module first.
#pragma once

#include "scene_base.h"

class iModuleInput;

namespace kaboom {

// The cube map and its framebuffer: made by makeCubeMap(), never freed.
bool cubeMapMade();
void makeCubeMap();
// Its texture record (GL_TEXTURE_CUBE_MAP, 512 x 512); null before makeCubeMap().
TextureHandle* cubeMap();

// The reactor and the beam inside its cylinder, seen through `vp` from `eye`; the near and
// far planes bound the beam's march. drawScene reads "rct_midglow" once (`glow`) and draws
// drawReactor then drawBeam: the reactor first, so that its depth keeps the beam's march off
// the pixels it covers. The benchmark times the beam alone.
void drawScene(iModuleInput* input, const float vp[16], const float eye[3], float zNear,
               float zFar);
void drawReactor(igfxContext* gfx, const float vp[16], float glow);
void drawBeam(iModuleInput* input, const float vp[16], const float eye[3], float zNear, float zFar,
              float glow);

// The six faces of the cube map around `eye`, each a 90-degree view along one axis of the
// face table. The framebuffer and viewport come back as they were; `viewport` says what the
// viewport was.
void renderCubeFaces(iModuleInput* input, const float eye[3], float zNear, float zFar,
                     int viewport[4]);

// The cube map unrolled over the bound framebuffer, premultiplied over what is there;
// `viewport` is the screen's size for the shader.
void drawPanorama(igfxContext* gfx, const int viewport[4]);

} // namespace kaboom
