// primitives.h - the shapes the scene model generators start from. Each returns a new mesh
// with one group called `group`, centred on the origin, following the conventions of mesh.h.
//
// Round shapes turn about the y axis. Their angle θ is a right-handed turn about +y starting
// at +x (a point at θ is (r cos θ, y, −r sin θ)), and u = θ / arc, so a texture reads the right
// way round from outside; v runs from the bottom (0) to the top (1). The seam at θ = 0 has
// its own column of vertices, so u goes all the way to 1.
#pragma once

#include "mesh.h"

#include <string>
#include <vector>

constexpr float kPi = 3.14159265358979323846f;

// Latitude-longitude sphere: `segments` columns around, `rings` bands pole to pole; smooth.
Mesh uvSphere(float radius, int segments, int rings, const std::string& group);

// Sphere from an icosahedron whose triangles are split in four `subdivisions` times
// (20 · 4^subdivisions triangles; 0 gives the icosahedron). `flat`: one normal per triangle,
// for a faceted look, else smooth. u, v as for uvSphere; triangles across the seam get u
// beyond 1 instead of wrapping back over the whole texture.
Mesh icosphere(float radius, int subdivisions, bool flat, const std::string& group);

// A uvSphere turned inside out, for sky domes and panoramas seen from within: normals point to
// the centre, front faces face inwards, and u is mirrored so that an image reads the right
// way round from the inside.
Mesh inwardSphere(float radius, int segments, int rings, const std::string& group);

// Open cylinder shell of `radius` along y from −height/2 to height/2, over the angle `arc`
// (2π: a whole tube, π: a half tube over the −z side), `rows` bands along its length. Facing
// out, or with `inward` facing the axis (a tunnel seen from inside; u mirrored as for
// inwardSphere). Smooth around, no end caps.
Mesh tube(float radius, float height, int segments, int rows, float arc, bool inward,
          const std::string& group);

// Closed tube wall between `inner` and `outer` radius, over `arc` (ends closed where the arc
// is not whole): a half tube with thickness that casts proper shadows. Flat rims and ends.
Mesh thickTube(float inner, float outer, float height, int segments, float arc,
               const std::string& group);

// Closed cylinder along y, flat caps.
Mesh cylinder(float radius, float height, int segments, const std::string& group);

// Box of the given edge lengths; each face has the whole texture (0..1 in u and v).
Mesh box(Vec3 size, const std::string& group);

// Revolves `profile` (x = distance from the y axis, never negative; y = height) about the y
// axis over `arc`. Walk the profile so that the outside lies on the right with r to the right
// and y up (for a solid: bottom centre, outwards, up, back in to the top centre). Points on
// the axis close the surface there without slivers. `smooth`: normals shared where profile
// segments meet, else each segment is a flat band (sharp creases along the profile).
// v runs along the profile by length, 0 at its first point.
Mesh lathe(const std::vector<Vec2>& profile, int segments, float arc, bool smooth,
           const std::string& group);

// Adds the planar quad a b c d (in order around its rim, either way round) to `g` with its
// own four vertices, normal `facing`, wound to face that way; uv (0,0) (1,0) (1,1) (0,1).
void addFlatQuad(Mesh& mesh, MeshGroup& g, Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 facing);
