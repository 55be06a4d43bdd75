// model.h - cModel, the one iModel: three vertex buffers, an index buffer, group ranges, bounds.
//
// load_obj_model (load_obj_model.h) makes and fills one from an OBJ file; the graphics
// context's registry uploads it once with upload(true) and keeps it for the life of the
// process. Constructing one generates its four GL buffers, so a GL context must be current
// and the entry points loaded. Vertex data are not interleaved: one tightly packed buffer per
// attribute, positions at location 0, normals at 1, texture coordinates at 2.
#pragma once

#include "imodel.h"

#include <cstdint>
#include <utility>
#include <vector>

// One GL buffer and what it was last bound as.
struct ModelBuffer {
    enum Role : int32_t { kUnbound = 0, kPosition = 1, kNormal = 2, kTexcoord = 3, kIndex = 4 };

    int32_t role = kUnbound;
    int32_t components; // floats per vertex, 1 for indices
    uint32_t buffer = 0;
    uint32_t usage;

    explicit ModelBuffer(int32_t components);
    ModelBuffer(const ModelBuffer&) = delete;
    ModelBuffer& operator=(const ModelBuffer&) = delete;

    void bind(Role as);
    void unbind();
};

class cModel final : public iModel {
  public:
    enum : uint8_t { kHasTexcoords = 0x01, kHasNormals = 0x02, kHasMaterials = 0x10 };

    cModel();
    // Frees the GL buffers; the registry never destroys its models, others may.
    ~cModel();
    cModel(const cModel&) = delete;
    cModel& operator=(const cModel&) = delete;

    void draw(igfxContext* gfx) override;
    void draw_groups(igfxContext* gfx, int32_t count, const int32_t* groups) override;
    int32_t group_count() override;
    void get_bounds(float* bounds6) override;
    void draw_group(igfxContext* gfx, int32_t group) override;
    void bind() override;
    void unbind() override;

    // Sends the lists to the GPU. With `release_cpu_copies` the vertex lists are freed
    // afterwards; indices and ranges stay, as drawing needs them.
    void upload(bool release_cpu_copies);
    void release_buffers();

    uint8_t flags = 0;
    std::vector<float> positions; // 3 per vertex
    std::vector<float> normals;   // 3 per vertex
    std::vector<float> texcoords; // 2 per vertex; empty without kHasTexcoords
    std::vector<uint32_t> indices;
    // (first index offset, group number), ending with (index count, -1).
    std::vector<std::pair<int32_t, int32_t>> group_ranges;
    ModelBuffer position_buffer{3};
    ModelBuffer normal_buffer{3};
    ModelBuffer texcoord_buffer{2};
    ModelBuffer index_buffer{1};
    float bounds[6] = {0, 0, 0, 0, 0, 0};
};
