// imodel.h - a static triangle mesh on the GPU, as scenes draw it.
//
// Models come from the graphics context (igfxContext::loadModel / model), which owns them.
// Scenes draw them with whatever program they made current; that program must read positions
// at attribute location 0, normals at 1 and texture coordinates at 2.
//
// A binary contract with separately built plug-ins: the order of the operations below is
// fixed (a test pins it) and there is no virtual destructor in the table. Models are never
// deleted through this interface, which the protected destructor enforces.
#pragma once

#include <cstdint>

class igfxContext;

class iModel {
  public:
    // clang-format off
    // Every triangle; with the materials flag, group by group (triangles before the file's
    // first "g" line are then not drawn).
    virtual void draw(igfxContext* gfx) = 0;                                           // 0
    // The groups in `groups`, in list order, between one bind and unbind.
    virtual void draw_groups(igfxContext* gfx, int32_t count, const int32_t* groups) = 0; // 1
    virtual int32_t group_count() = 0;                                                 // 2
    // Minimum x, y, z, then maximum x, y, z.
    virtual void get_bounds(float* bounds6) = 0;                                       // 3
    // One group's triangles; the caller wraps it in bind() and unbind().
    virtual void draw_group(igfxContext* gfx, int32_t group) = 0;                      // 4
    virtual void bind() = 0;                                                           // 5
    virtual void unbind() = 0;                                                         // 6
    // clang-format on

  protected:
    ~iModel() {}
};
