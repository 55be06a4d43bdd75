// imesh_loader.h - the mesh loader's interface and the raw data it parses into.
//
// A loader is a temporary made by the model factory (load_obj_model, gfx/model/): it parses one
// file into raw lists, splits polygons into triangles and writes the arrays a model uploads.
// The order of the virtual operations is that of the design; the data stays with the loader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Loader flags, also copied into the model.
enum : uint8_t {
    kObjHasTexcoords = 0x01, // a "vt" line was read
    kObjHasNormals = 0x02,   // a "vn" line was read, or smooth normals were made
    kObjHasMaterials = 0x10, // a "usemtl" line was read
    kObjHasPolygons = 0x80,  // a face with more than 3 corners is waiting for triangulate()
};

// One face corner: 0-based indices into positions (4 floats each), texcoords (2) and normals
// (3); -1 where the corner has no index of that kind.
struct ObjCorner {
    int32_t position;
    int32_t texcoord;
    int32_t normal;
};

// A face is a run of corners in the loader's corner list, so a file of a million triangles
// costs no million small allocations. Its three index lists are the corners' three columns.
struct ObjFace {
    uint32_t first; // first corner in iMeshLoader_data::corners
    uint32_t count; // corners; below 3 is a malformed face
    int32_t group;  // -1 before the first "g" line
    uint32_t line;  // where it was read, for messages about it
};

class iMeshLoader {
  public:
    virtual ~iMeshLoader() {}
    virtual void load_file(const std::string& path) = 0;
    virtual void triangulate() = 0;
    virtual void build_by_position() = 0;
    virtual void smooth_normals() = 0;
};

class iMeshLoader_data {
  public:
    virtual ~iMeshLoader_data() {}

    std::vector<float> positions; // x, y, z, w per vertex (w 1.0 unless the file gives one)
    std::vector<float> normals;   // x, y, z per normal
    std::vector<float> texcoords; // u, v per texture coordinate
    std::vector<ObjFace> faces;   // file order; triangles split off by triangulate() at the end
    std::vector<ObjCorner> corners;
    uint8_t flags = 0;
};
