// cube_faces.cpp - see cube_faces.h.
#include "cube_faces.h"

#include "assert_failed.h"
#include "matrix.h"

namespace {

struct FaceRows {
    float r0[3], r1[3], r2[3];
};

// clang-format off
const FaceRows kFaces[6] = {
    {{ 1,  0,  0}, { 0, -1,  0}, { 0,  0, -1}},
    {{-1,  0,  0}, { 0, -1,  0}, { 0,  0,  1}},
    {{ 0, -1,  0}, { 0,  0, -1}, { 1,  0,  0}},
    {{ 0,  1,  0}, { 0,  0,  1}, { 1,  0,  0}},
    {{ 0,  0,  1}, { 0, -1,  0}, { 1,  0,  0}},
    {{ 0,  0, -1}, { 0, -1,  0}, {-1,  0,  0}},
};
// clang-format on

} // namespace

void cubeFaceView(float out[16], int face) {
    if (face < 0 || face >= 6) {
        assertFailed("unknown cubeside");
        mat_identity(out);
        return;
    }
    const FaceRows& f = kFaces[face];
    mat_basis(out, f.r0, f.r1, f.r2);
}
