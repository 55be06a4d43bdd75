// bench_obj.cpp - loading a large OBJ file: our loader against tinyobjloader.
//
// Writes a grid of about a million triangles with positions, texture coordinates, normals and
// a few groups to /tmp, loads it with both (best of a few runs each, alternating) and prints
// the times and their ratio. Ours does more: its result is the merged, indexed, group-ordered
// vertex arrays a model uploads; tinyobjloader's is the raw attribute lists with a triangulated
// index triple per corner.
//
// Usage: bench_obj [grid side, default 708 -> 999698 triangles] [runs, default 3]
#include "obj_loader.h"

#include <tiny_obj_loader.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A side x side grid on a wavy surface, one v/vt/vn triple per grid point, every quad as two
// triangles, a "g" line every 100 rows.
bool writeGrid(const std::string& path, int side, long& triangles) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "# bench grid %d x %d\nmtllib none.mtl\n", side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            std::fprintf(f, "v %.6f %.6f %.6f\n", x * 0.01, std::sin(x * 0.05) * std::cos(y * 0.05),
                         y * 0.01);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            std::fprintf(f, "vt %.6f %.6f\n", x / double(side - 1), y / double(side - 1));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double nx = -0.05 * std::cos(x * 0.05) * std::cos(y * 0.05);
            const double nz = 0.05 * std::sin(x * 0.05) * std::sin(y * 0.05);
            const double len = std::sqrt(nx * nx + 1.0 + nz * nz);
            std::fprintf(f, "vn %.6f %.6f %.6f\n", nx / len, 1.0 / len, nz / len);
        }
    triangles = 0;
    for (int y = 0; y + 1 < side; ++y) {
        if (y % 100 == 0) std::fprintf(f, "g band%d\ns 1\n", y / 100);
        for (int x = 0; x + 1 < side; ++x) {
            const long a = long(y) * side + x + 1, b = a + 1, c = a + side, d = c + 1;
            std::fprintf(f, "f %ld/%ld/%ld %ld/%ld/%ld %ld/%ld/%ld\n", a, a, a, c, c, c, b, b, b);
            std::fprintf(f, "f %ld/%ld/%ld %ld/%ld/%ld %ld/%ld/%ld\n", b, b, b, c, c, c, d, d, d);
            triangles += 2;
        }
    }
    return std::fclose(f) == 0;
}

struct Ours {
    uint8_t flags = 0;
    std::vector<float> positions, normals, texcoords;
    std::vector<uint32_t> indices;
    std::vector<GroupRange> ranges;
    float bounds[6];
};

double loadOurs(const std::string& path, Ours& out) {
    const auto t0 = std::chrono::steady_clock::now();
    cObjLoader loader;
    loader.load_file(path);
    loader.triangulate();
    loader.build_model_arrays(out.flags, out.positions, out.normals, out.texcoords, out.indices,
                              out.ranges);
    compute_bounds(out.positions, out.bounds);
    return seconds(t0);
}

double loadTiny(const std::string& path, size_t& indexCount) {
    const auto t0 = std::chrono::steady_clock::now();
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, path.c_str(), nullptr, true)) {
        std::fprintf(stderr, "tinyobjloader failed: %s\n", err.c_str());
        std::exit(1);
    }
    indexCount = 0;
    for (const auto& s : shapes) indexCount += s.mesh.indices.size();
    return seconds(t0);
}

} // namespace

int main(int argc, char** argv) {
    const int side = argc > 1 ? std::atoi(argv[1]) : 708;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string path = "/tmp/bench_obj_" + std::to_string(getpid()) + ".obj";
    long triangles = 0;
    if (side < 2 || runs < 1 || !writeGrid(path, side, triangles)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::fprintf(stderr, "# %s: %ld triangles, %d x %d vertices\n", path.c_str(), triangles, side,
                 side);

    double ours = 1e30, tiny = 1e30;
    Ours result;
    size_t tinyIndices = 0;
    for (int r = 0; r < runs; ++r) {
        ours = std::min(ours, loadOurs(path, result));
        tiny = std::min(tiny, loadTiny(path, tinyIndices));
    }
    std::remove(path.c_str());

    std::fprintf(stderr, "ours:          %8.3f s  (%zu vertices, %zu indices, %zu groups)\n", ours,
                 result.positions.size() / 3, result.indices.size(), result.ranges.size() - 1);
    std::fprintf(stderr, "tinyobjloader: %8.3f s  (%zu indices, not merged)\n", tiny, tinyIndices);
    std::fprintf(stderr, "ratio tinyobjloader / ours: %.2f\n", tiny / ours);
    return 0;
}
