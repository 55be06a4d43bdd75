// fuzz_obj.cpp - any bytes through the OBJ loader's whole pipeline, without the file and
// without the stages that end the process.
//
// Besides the sanitizers' checks, the output must be a well-formed model: whole triangles,
// every index naming an output vertex, group ranges rising to the terminator, and positions
// and texcoords finite whatever numbers the file spelled.
#include "obj_loader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void checkModel(uint8_t flags, const std::vector<float>& positions,
                const std::vector<float>& normals, const std::vector<float>& texcoords,
                const std::vector<uint32_t>& indices, const std::vector<GroupRange>& ranges) {
    const size_t vertices = positions.size() / 3;
    require(positions.size() % 3 == 0 && normals.size() == positions.size());
    require(texcoords.size() == (flags & kObjHasTexcoords ? 2 * vertices : 0));
    require(indices.size() % 3 == 0);
    for (uint32_t i : indices) require(i < vertices);
    for (float x : positions) require(std::isfinite(x));
    for (float x : texcoords) require(std::isfinite(x));
    require(ranges.size() >= 2);
    require(ranges.back().first == static_cast<int32_t>(indices.size()) &&
            ranges.back().second == -1);
    for (size_t r = 1; r < ranges.size(); ++r) require(ranges[r - 1].first <= ranges[r].first);
    float bounds[6];
    compute_bounds(positions, bounds);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::FILE* sink = std::fopen("/dev/null", "w");
    const char* text = reinterpret_cast<const char*>(data);

    cObjLoader loader;
    loader.log = sink;
    loader.parse(text, size, "fuzz.obj");
    loader.triangulate();
    uint8_t flags = 0;
    std::vector<float> positions, normals, texcoords;
    std::vector<uint32_t> indices;
    std::vector<GroupRange> ranges;
    if (loader.try_build_model_arrays(flags, positions, normals, texcoords, indices, ranges))
        checkModel(flags, positions, normals, texcoords, indices, ranges);

    cObjLoader byPosition;
    byPosition.log = sink;
    byPosition.parse(text, size, "fuzz.obj");
    if (byPosition.try_build_by_position()) {
        for (const ObjFace& face : byPosition.faces)
            for (int kind = 0; kind < 3; ++kind)
                byPosition.face_indices(&face - &byPosition.faces[0], kind);
    }
    return 0;
}
