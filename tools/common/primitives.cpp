// primitives.cpp - see primitives.h.
#include "primitives.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>

namespace {

// One circle of a surface of revolution: radius, height, the normal's radial and y parts,
// and v.
struct Row {
    float r, y, nr, ny, v;
};

// The angle as a double, exact where it is meant to be a quarter, half or whole turn, so that
// such shapes end exactly on their axes (a float 2π is off by 2e-7) and a closed seam meets.
double exactAngle(float arc) {
    for (int quarters = 1; quarters <= 4; ++quarters)
        if (std::fabs(arc - quarters * 0.5 * M_PI) < 1e-5) return quarters * 0.5 * M_PI;
    return arc;
}

Vec3 around(float r, float y, double theta) {
    return {static_cast<float>(r * std::cos(theta)), y, static_cast<float>(-r * std::sin(theta))};
}

// The band between two rows, `segments` quads around, with vertices of its own. A row on the
// axis makes triangles instead of quads, so no zero-area sliver is written; its vertices take
// u in the middle of their column, where the texture's column is.
void revolveBand(Mesh& mesh, MeshGroup& g, Row lo, Row hi, int segments, float arc) {
    const double angle = exactAngle(arc);
    const bool whole = angle == 2.0 * M_PI;
    const uint32_t base = static_cast<uint32_t>(mesh.vertices.size());
    for (const Row& row : {lo, hi})
        for (int j = 0; j <= segments; ++j) {
            const double theta = (whole && j == segments) ? 0.0 : angle * j / segments;
            const float c = static_cast<float>(std::cos(theta));
            const float s = static_cast<float>(std::sin(theta));
            const Vec3 normal = normalise(Vec3{row.nr * c, row.ny, -row.nr * s});
            const float u = (row.r == 0.0f ? j + 0.5f : float(j)) / segments;
            mesh.addVertex(around(row.r, row.y, theta), normal, Vec2{u, row.v});
        }
    const uint32_t top = base + segments + 1;
    for (int j = 0; j < segments; ++j) {
        const uint32_t a = base + j, b = a + 1, c = top + j + 1, d = top + j;
        if (lo.r == 0.0f && hi.r == 0.0f) continue;
        if (lo.r == 0.0f)
            mesh.addTriangle(g, a, c, d);
        else if (hi.r == 0.0f)
            mesh.addTriangle(g, a, b, d);
        else
            mesh.addQuad(g, a, b, c, d);
    }
}

void mirrorU(Mesh& mesh) {
    for (MeshVertex& v : mesh.vertices) v.uv.x = 1.0f - v.uv.x;
}

// u, v of a direction from the centre, as uvSphere lays them out.
Vec2 sphereUv(Vec3 d) {
    float u = std::atan2(-d.z, d.x) / (2.0f * kPi);
    if (u < 0.0f) u += 1.0f;
    const float v = std::asin(std::max(-1.0f, std::min(1.0f, d.y))) / kPi + 0.5f;
    return {u, v};
}

} // namespace

Mesh uvSphere(float radius, int segments, int rings, const std::string& group) {
    Mesh mesh;
    MeshGroup& g = mesh.group(group);
    auto row = [&](int i) {
        const float phi = -0.5f * kPi + kPi * i / rings;
        // The poles are exactly on the axis, so their bands close with triangles.
        const float c = (i == 0 || i == rings) ? 0.0f : std::cos(phi);
        const float s = i == 0 ? -1.0f : i == rings ? 1.0f : std::sin(phi);
        return Row{radius * c, radius * s, c, s, float(i) / rings};
    };
    for (int i = 0; i < rings; ++i) revolveBand(mesh, g, row(i), row(i + 1), segments, 2.0f * kPi);
    return mesh;
}

Mesh icosphere(float radius, int subdivisions, bool flat, const std::string& group) {
    const float t = (1.0f + std::sqrt(5.0f)) * 0.5f;
    std::vector<Vec3> points = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (Vec3& p : points) p = normalise(p);
    std::vector<uint32_t> faces = {0, 11, 5, 0, 5,  1,  0,  1,  7,  0,  7, 10, 0, 10, 11,
                                   1, 5,  9, 5, 11, 4,  11, 10, 2,  10, 7, 6,  7, 1,  8,
                                   3, 9,  4, 3, 4,  2,  3,  2,  6,  3,  6, 8,  3, 8,  9,
                                   4, 9,  5, 2, 4,  11, 6,  2,  10, 8,  6, 7,  9, 8,  1};
    for (int s = 0; s < subdivisions; ++s) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> middles;
        auto middle = [&](uint32_t a, uint32_t b) {
            const auto key = std::minmax(a, b);
            auto it = middles.find(key);
            if (it != middles.end()) return it->second;
            points.push_back(normalise(points[a] + points[b]));
            const uint32_t m = static_cast<uint32_t>(points.size() - 1);
            middles.emplace(key, m);
            return m;
        };
        std::vector<uint32_t> finer;
        for (size_t f = 0; f < faces.size(); f += 3) {
            const uint32_t a = faces[f], b = faces[f + 1], c = faces[f + 2];
            const uint32_t ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        faces.swap(finer);
    }

    Mesh mesh;
    MeshGroup& g = mesh.group(group);
    for (size_t f = 0; f < faces.size(); f += 3) {
        Vec3 p[3] = {points[faces[f]], points[faces[f + 1]], points[faces[f + 2]]};
        Vec3 faceNormal = normalise(cross(p[1] - p[0], p[2] - p[0]));
        if (dot(faceNormal, p[0] + p[1] + p[2]) < 0.0f) {
            std::swap(p[1], p[2]);
            faceNormal = faceNormal * -1.0f;
        }
        Vec2 uv[3] = {sphereUv(p[0]), sphereUv(p[1]), sphereUv(p[2])};
        // A triangle across the seam would otherwise stretch over the whole texture.
        const float uMax = std::max({uv[0].x, uv[1].x, uv[2].x});
        for (Vec2& t : uv)
            if (uMax - t.x > 0.5f) t.x += 1.0f;
        // At a pole u means nothing; the middle of the other two keeps the texture straight.
        for (int k = 0; k < 3; ++k)
            if (std::fabs(p[k].y) > 0.99999f)
                uv[k].x = 0.5f * (uv[(k + 1) % 3].x + uv[(k + 2) % 3].x);
        uint32_t v[3];
        for (int k = 0; k < 3; ++k)
            v[k] = mesh.addVertex(p[k] * radius, flat ? faceNormal : p[k], uv[k]);
        mesh.addTriangle(g, v[0], v[1], v[2]);
    }
    return mesh;
}

Mesh inwardSphere(float radius, int segments, int rings, const std::string& group) {
    Mesh mesh = uvSphere(radius, segments, rings, group);
    flipInsideOut(mesh);
    mirrorU(mesh);
    return mesh;
}

Mesh tube(float radius, float height, int segments, int rows, float arc, bool inward,
          const std::string& group) {
    Mesh mesh;
    MeshGroup& g = mesh.group(group);
    for (int i = 0; i < rows; ++i) {
        const float v0 = float(i) / rows, v1 = float(i + 1) / rows;
        revolveBand(mesh, g, Row{radius, height * (v0 - 0.5f), 1.0f, 0.0f, v0},
                    Row{radius, height * (v1 - 0.5f), 1.0f, 0.0f, v1}, segments, arc);
    }
    if (inward) {
        flipInsideOut(mesh);
        mirrorU(mesh);
    }
    return mesh;
}

Mesh thickTube(float inner, float outer, float height, int segments, float arc,
               const std::string& group) {
    const float h = height * 0.5f;
    const std::vector<Vec2> rim = {{inner, -h}, {outer, -h}, {outer, h}, {inner, h}, {inner, -h}};
    Mesh mesh = lathe(rim, segments, arc, false, group);
    if (arc < 2.0f * kPi - 1e-6f) {
        MeshGroup& g = mesh.group(group);
        const Vec3 startOut = {0.0f, 0.0f, 1.0f};
        const double end = exactAngle(arc);
        const Vec3 endOut = {static_cast<float>(-std::sin(end)), 0.0f,
                             static_cast<float>(-std::cos(end))};
        addFlatQuad(mesh, g, around(inner, -h, 0), around(outer, -h, 0), around(outer, h, 0),
                    around(inner, h, 0), startOut);
        addFlatQuad(mesh, g, around(inner, -h, arc), around(outer, -h, arc), around(outer, h, arc),
                    around(inner, h, arc), endOut);
    }
    return mesh;
}

Mesh cylinder(float radius, float height, int segments, const std::string& group) {
    const float h = height * 0.5f;
    return lathe({{0.0f, -h}, {radius, -h}, {radius, h}, {0.0f, h}}, segments, 2.0f * kPi, false,
                 group);
}

Mesh box(Vec3 size, const std::string& group) {
    Mesh mesh;
    MeshGroup& g = mesh.group(group);
    const float x = size.x * 0.5f, y = size.y * 0.5f, z = size.z * 0.5f;
    // Each face's corners from its lower left, seen from outside with y (or −z) up.
    addFlatQuad(mesh, g, {-x, -y, z}, {x, -y, z}, {x, y, z}, {-x, y, z}, {0, 0, 1});
    addFlatQuad(mesh, g, {x, -y, -z}, {-x, -y, -z}, {-x, y, -z}, {x, y, -z}, {0, 0, -1});
    addFlatQuad(mesh, g, {x, -y, z}, {x, -y, -z}, {x, y, -z}, {x, y, z}, {1, 0, 0});
    addFlatQuad(mesh, g, {-x, -y, -z}, {-x, -y, z}, {-x, y, z}, {-x, y, -z}, {-1, 0, 0});
    addFlatQuad(mesh, g, {-x, y, z}, {x, y, z}, {x, y, -z}, {-x, y, -z}, {0, 1, 0});
    addFlatQuad(mesh, g, {-x, -y, -z}, {x, -y, -z}, {x, -y, z}, {-x, -y, z}, {0, -1, 0});
    return mesh;
}

Mesh lathe(const std::vector<Vec2>& profile, int segments, float arc, bool smooth,
           const std::string& group) {
    Mesh mesh;
    MeshGroup& g = mesh.group(group);
    const size_t n = profile.size();
    if (n < 2) return mesh;
    // Outward normal of each segment (right of the walk) and v by length along the profile.
    std::vector<Vec2> segmentNormal(n - 1);
    std::vector<float> v(n, 0.0f);
    for (size_t i = 0; i + 1 < n; ++i) {
        const float dr = profile[i + 1].x - profile[i].x, dy = profile[i + 1].y - profile[i].y;
        const float length = std::sqrt(dr * dr + dy * dy);
        segmentNormal[i] = length > 0.0f ? Vec2{dy / length, -dr / length} : Vec2{0.0f, 0.0f};
        v[i + 1] = v[i] + length;
    }
    const bool closed =
        profile.front().x == profile.back().x && profile.front().y == profile.back().y && n > 2;
    for (float& t : v) t = v[n - 1] > 0.0f ? t / v[n - 1] : 0.0f;
    // The normal at point i of `segment`: the segment's own, or with `smooth` the mean of it
    // and the segment on the other side of the point (across the ends of a closed profile).
    auto pointNormal = [&](size_t i, size_t segment) {
        if (!smooth) return segmentNormal[segment];
        size_t other = n; // none
        if (i == segment && i > 0) other = i - 1;
        if (i == segment && i == 0 && closed) other = n - 2;
        if (i != segment && i + 1 < n) other = i;
        if (i != segment && i + 1 == n && closed) other = 0;
        if (other == n) return segmentNormal[segment];
        const Vec2 sum = {segmentNormal[segment].x + segmentNormal[other].x,
                          segmentNormal[segment].y + segmentNormal[other].y};
        const float length = std::sqrt(sum.x * sum.x + sum.y * sum.y);
        return length > 0.0f ? Vec2{sum.x / length, sum.y / length} : segmentNormal[segment];
    };
    for (size_t i = 0; i + 1 < n; ++i) {
        const Vec2 n0 = pointNormal(i, i), n1 = pointNormal(i + 1, i);
        revolveBand(mesh, g, Row{profile[i].x, profile[i].y, n0.x, n0.y, v[i]},
                    Row{profile[i + 1].x, profile[i + 1].y, n1.x, n1.y, v[i + 1]}, segments, arc);
    }
    return mesh;
}

void addFlatQuad(Mesh& mesh, MeshGroup& g, Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 facing) {
    const Vec3 n = normalise(facing);
    Vec3 p[4] = {a, b, c, d};
    Vec2 uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    if (dot(cross(b - a, c - a), n) < 0.0f) {
        std::swap(p[1], p[3]);
        std::swap(uv[1], uv[3]);
    }
    uint32_t v[4];
    for (int k = 0; k < 4; ++k) v[k] = mesh.addVertex(p[k], n, uv[k]);
    mesh.addQuad(g, v[0], v[1], v[2], v[3]);
}
