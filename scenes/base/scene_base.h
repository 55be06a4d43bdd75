// scene_base.h - one include for a scene plug-in's source: the scene interface and its
// exports, the matrix functions, the camera, the cube-face views, the debug geometry, the
// colour look-up loader, the graphics context's interface with its texture records and
// render-state word, and the scene kit: names for the context's codes (scene_codes.h), the
// program and uniform names several scenes share, made once (shader_names.h), the track
// reader, the bound-target guard, the musical grid and small render helpers (kit_helpers.h).
// The module input and the sync source come from the module contracts (imodule_input.h,
// isync.h).
#pragma once

#include "bound_target.h"
#include "camera.h"
#include "cube_faces.h"
#include "debug_draw.h"
#include "igfx_context.h"
#include "kit_helpers.h"
#include "lut_loader.h"
#include "matrix.h"
#include "render_module_base.h"
#include "render_state.h"
#include "scene_codes.h"
#include "shader_names.h"
#include "sync_grid.h"
#include "texture_handle.h"
#include "track_reader.h"
