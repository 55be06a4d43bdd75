// scene_base.h - one include for a scene plug-in's source: the scene interface and its
// exports, the matrix functions, the camera, the cube-face views, the debug geometry, the
// colour look-up loader, and the graphics context's interface with its texture records and
// render-state word. The module input and the sync source come from the module contracts
// (imodule_input.h, isync.h).
#pragma once

#include "camera.h"
#include "cube_faces.h"
#include "debug_draw.h"
#include "igfx_context.h"
#include "lut_loader.h"
#include "matrix.h"
#include "render_module_base.h"
#include "render_state.h"
#include "texture_handle.h"
