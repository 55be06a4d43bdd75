// load_obj_model.cpp - see load_obj_model.h.
#include "load_obj_model.h"

#include "obj_loader.h"

#include <cstdio>

cModel* load_obj_model(const std::string& path) {
    // Parsing first: a missing file ends the process before any GL object exists.
    cObjLoader loader;
    loader.load_file(path);
    loader.triangulate();
    cModel* model = new cModel();
    loader.build_model_arrays(model->flags, model->positions, model->normals, model->texcoords,
                              model->indices, model->group_ranges);
    compute_bounds(model->positions, model->bounds);
    if (model->positions.empty())
        std::fprintf(stderr, "# warning, no vertices in %s: the model is empty\n", path.c_str());
    return model;
}
