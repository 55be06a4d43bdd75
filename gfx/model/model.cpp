// model.cpp - see model.h.
#include "model.h"

#include "assert_failed.h"
#include "gl_loader.h"
#include "igfx_context.h"

#include <cstring>

// ---- buffers --------------------------------------------------------------------------------

ModelBuffer::ModelBuffer(int32_t c) : components(c), usage(GL_STATIC_DRAW_ARB) {
    glGenBuffersARB(1, &buffer);
}

void ModelBuffer::bind(Role as) {
    role = as;
    if (as == kIndex) {
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, buffer);
        return;
    }
    const GLuint location = static_cast<GLuint>(as - kPosition);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(location);
}

void ModelBuffer::unbind() {
    switch (role) {
    case kPosition:
    case kNormal:
    case kTexcoord:
        glDisableVertexAttribArray(static_cast<GLuint>(role - kPosition));
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        break;
    case kIndex:
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
        break;
    default:
        break;
    }
}

// ---- model ----------------------------------------------------------------------------------

cModel::cModel() = default;

cModel::~cModel() {
    release_buffers();
}

namespace {

template <typename T>
void uploadTo(ModelBuffer& b, GLenum target, const std::vector<T>& data, size_t perVertex) {
    const size_t bytes = data.size() / perVertex * perVertex * sizeof(T);
    glBindBufferARB(target, b.buffer);
    glBufferDataARB(target, static_cast<GLsizeiptrARB>(bytes), data.empty() ? nullptr : data.data(),
                    b.usage);
    glBindBufferARB(target, 0);
}

} // namespace

void cModel::upload(bool release_cpu_copies) {
    uploadTo(position_buffer, GL_ARRAY_BUFFER_ARB, positions, 3);
    uploadTo(normal_buffer, GL_ARRAY_BUFFER_ARB, normals, 3);
    uploadTo(texcoord_buffer, GL_ARRAY_BUFFER_ARB, texcoords, 2);
    uploadTo(index_buffer, GL_ELEMENT_ARRAY_BUFFER_ARB, indices, 1);
    if (release_cpu_copies) {
        std::vector<float>().swap(positions);
        std::vector<float>().swap(normals);
        std::vector<float>().swap(texcoords);
    }
}

void cModel::release_buffers() {
    for (ModelBuffer* b : {&position_buffer, &normal_buffer, &texcoord_buffer, &index_buffer}) {
        if (b->buffer != 0) glDeleteBuffersARB(1, &b->buffer);
        b->buffer = 0;
    }
}

void cModel::bind() {
    position_buffer.bind(ModelBuffer::kPosition);
    if (flags & kHasNormals) normal_buffer.bind(ModelBuffer::kNormal);
    if (flags & kHasTexcoords) texcoord_buffer.bind(ModelBuffer::kTexcoord);
    index_buffer.bind(ModelBuffer::kIndex);
}

void cModel::unbind() {
    position_buffer.unbind();
    index_buffer.unbind();
    if (flags & kHasTexcoords) texcoord_buffer.unbind();
    if (flags & kHasNormals) normal_buffer.unbind();
}

void cModel::draw(igfxContext* gfx) {
    gfx->applyRenderState();
    bind();
    if (flags & kHasMaterials) {
        for (int32_t i = 0; i < group_count(); ++i) draw_group(gfx, i);
    } else {
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT,
                       nullptr);
    }
    unbind();
}

void cModel::draw_groups(igfxContext* gfx, int32_t count, const int32_t* groups) {
    gfx->applyRenderState();
    bind();
    for (int32_t k = 0; groups && k < count; ++k) draw_group(gfx, groups[k]);
    unbind();
}

int32_t cModel::group_count() {
    return static_cast<int32_t>(group_ranges.size()) - 1;
}

void cModel::get_bounds(float* bounds6) {
    std::memcpy(bounds6, bounds, sizeof bounds);
}

// Plug-ins pass group numbers from their own code; one beyond the ranges would make the draw
// read past the index buffer, so it is reported and draws nothing.
void cModel::draw_group(igfxContext* gfx, int32_t group) {
    if (group < 0 || group >= group_count()) {
        assertFailed("model group index out of range");
        return;
    }
    gfx->applyRenderState();
    const int32_t first = group_ranges[group].first;
    const int32_t next = group_ranges[group + 1].first;
    if (next <= first) return;
    glDrawElements(GL_TRIANGLES, next - first, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<uintptr_t>(first) * 4));
}
