// mesh.cpp - see mesh.h.
#include "mesh.h"

#include <algorithm>
#include <cmath>

Vec3 normalise(Vec3 v) {
    const float length = std::sqrt(dot(v, v));
    return length > 0.0f ? v * (1.0f / length) : v;
}

MeshGroup& Mesh::group(const std::string& name) {
    for (MeshGroup& g : groups)
        if (g.name == name) return g;
    groups.push_back(MeshGroup{name, {}});
    return groups.back();
}

uint32_t Mesh::addVertex(Vec3 position, Vec3 normal, Vec2 uv) {
    vertices.push_back(MeshVertex{position, normal, uv});
    return static_cast<uint32_t>(vertices.size() - 1);
}

void Mesh::addTriangle(MeshGroup& g, uint32_t a, uint32_t b, uint32_t c) {
    g.indices.insert(g.indices.end(), {a, b, c});
}

void Mesh::addQuad(MeshGroup& g, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    g.indices.insert(g.indices.end(), {a, b, c, a, c, d});
}

size_t Mesh::triangleCount() const {
    size_t n = 0;
    for (const MeshGroup& g : groups) n += g.indices.size() / 3;
    return n;
}

void translate(Mesh& mesh, Vec3 offset) {
    for (MeshVertex& v : mesh.vertices) v.position = v.position + offset;
}

static void reverseWinding(Mesh& mesh) {
    for (MeshGroup& g : mesh.groups)
        for (size_t t = 0; t + 2 < g.indices.size(); t += 3)
            std::swap(g.indices[t + 1], g.indices[t + 2]);
}

void scale(Mesh& mesh, Vec3 k) {
    for (MeshVertex& v : mesh.vertices) {
        v.position = {v.position.x * k.x, v.position.y * k.y, v.position.z * k.z};
        // A zero factor flattens the mesh; the normals along it keep their direction.
        const Vec3 inv = {k.x != 0.0f ? 1.0f / k.x : 1.0f, k.y != 0.0f ? 1.0f / k.y : 1.0f,
                          k.z != 0.0f ? 1.0f / k.z : 1.0f};
        v.normal = normalise(Vec3{v.normal.x * inv.x, v.normal.y * inv.y, v.normal.z * inv.z});
    }
    const int negatives = (k.x < 0.0f) + (k.y < 0.0f) + (k.z < 0.0f);
    if (negatives % 2 == 1) reverseWinding(mesh);
}

void rotate(Mesh& mesh, Vec3 axis, float radians) {
    const Vec3 a = normalise(axis);
    const float c = std::cos(radians), s = std::sin(radians);
    // Rodrigues: v c + (a x v) s + a (a . v)(1 - c).
    auto turn = [&](Vec3 v) { return v * c + cross(a, v) * s + a * (dot(a, v) * (1.0f - c)); };
    for (MeshVertex& v : mesh.vertices) {
        v.position = turn(v.position);
        v.normal = normalise(turn(v.normal));
    }
}

void flipInsideOut(Mesh& mesh) {
    for (MeshVertex& v : mesh.vertices) v.normal = v.normal * -1.0f;
    reverseWinding(mesh);
}

static void appendInto(Mesh& into, const Mesh& part, const std::string* onlyName) {
    const uint32_t base = static_cast<uint32_t>(into.vertices.size());
    into.vertices.insert(into.vertices.end(), part.vertices.begin(), part.vertices.end());
    for (const MeshGroup& g : part.groups) {
        MeshGroup& target = into.group(onlyName ? *onlyName : g.name);
        for (uint32_t i : g.indices) target.indices.push_back(base + i);
    }
}

void append(Mesh& into, const Mesh& part) {
    appendInto(into, part, nullptr);
}

void appendAs(Mesh& into, const Mesh& part, const std::string& name) {
    appendInto(into, part, &name);
}
