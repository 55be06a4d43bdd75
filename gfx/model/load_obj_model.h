// load_obj_model.h - the model factory for Wavefront OBJ files.
//
// Called by the graphics context's loadModel for files whose extension is "obj" or ".obj"
// (is_obj_extension, obj_loader.h). It sits beside cModel rather than beside the loader:
// the loader stays free of GL, and the model it fills needs it.
#pragma once

#include "model.h"

#include <string>

// A new model, filled from `path` (loader pipeline load_file -> triangulate ->
// build_model_arrays) with its bounding box set; not yet uploaded. The caller owns it.
// Ends the process (-1) when the file is missing or has a malformed face (see obj_loader.h).
cModel* load_obj_model(const std::string& path);
