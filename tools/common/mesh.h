// mesh.h - the asset kit's triangle mesh: what the model generators build, transform and hand
// to the OBJ writer (obj_writer.h). Primitives live in primitives.h, extrusion in extrude.h.
//
// A mesh is a list of vertices (position, normal, texture coordinate each) and a list of named
// groups of triangles over them. Conventions, shared by everything in the kit:
//   - right-handed, y up, units as the scene draws them (no implied scale);
//   - front faces wind counter-clockwise seen from the side their normal points to (GL's
//     default), and normals are unit length, pointing out of closed solids;
//   - u runs to the right and v upwards on an image (v = 0 at its bottom row).
// Group order is the order groups were first made; the writer keeps it, so a scene that draws
// group k gets the k-th non-empty group.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Vec2 {
    float x, y;
};

struct Vec3 {
    float x, y, z;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}
inline float dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// (0, 0, 0) stays (0, 0, 0) rather than becoming NaN.
Vec3 normalise(Vec3 v);

struct MeshVertex {
    Vec3 position;
    Vec3 normal;
    Vec2 uv;
};

struct MeshGroup {
    std::string name;
    std::vector<uint32_t> indices; // three per triangle, into Mesh::vertices
};

struct Mesh {
    std::vector<MeshVertex> vertices;
    std::vector<MeshGroup> groups;

    // The group called `name`, made (at the end) if there is none yet.
    MeshGroup& group(const std::string& name);
    uint32_t addVertex(Vec3 position, Vec3 normal, Vec2 uv);
    void addTriangle(MeshGroup& group, uint32_t a, uint32_t b, uint32_t c);
    // Two triangles a b c, a c d: corners counter-clockwise seen from the front.
    void addQuad(MeshGroup& group, uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    size_t triangleCount() const;
};

// ---- transforms (in place, normals kept unit length and the winding kept front-facing) ----

void translate(Mesh& mesh, Vec3 offset);
// A scale with an odd number of negative factors mirrors the mesh; its winding is reversed so
// that front faces stay front faces. Normals get the inverse-transpose.
void scale(Mesh& mesh, Vec3 factors);
inline void scale(Mesh& mesh, float factor) {
    scale(mesh, Vec3{factor, factor, factor});
}
// Right-handed rotation by `radians` about `axis` (need not be unit length).
void rotate(Mesh& mesh, Vec3 axis, float radians);
// Turns the mesh inside out: reversed winding, negated normals (for domes seen from inside).
void flipInsideOut(Mesh& mesh);

// ---- combining ----

// Adds `part` to `into`; each of its groups joins the group of the same name, made at the end
// if `into` has none.
void append(Mesh& into, const Mesh& part);
// Adds all of `part`'s triangles to the one group `name` of `into`.
void appendAs(Mesh& into, const Mesh& part, const std::string& name);
