// extrude.h - flat outlines made solid: polygon triangulation (holes allowed), inset, and
// extrusion with a bevel. Logos are block-font outlines (block_font.h) extruded here.
//
// An outline is a set of closed loops in the x-y plane (the last point is not repeated).
// Loops that wind counter-clockwise (positive area) are outer boundaries; clockwise loops are
// holes, each belonging to the smallest outer loop around it. Loops may touch at single points
// (as diagonal blocks of the font do) but must not cross.
#pragma once

#include "mesh.h"

#include <string>
#include <vector>

using Loop = std::vector<Vec2>;

// The area enclosed, positive for counter-clockwise loops.
float signedArea(const Loop& loop);

// Triangles covering `outer` minus `holes` (outer counter-clockwise, holes clockwise), three
// points each, counter-clockwise, using only the loops' own points, so that their edges meet
// the loops' edges exactly.
std::vector<Vec2> triangulate(const Loop& outer, const std::vector<Loop>& holes);

// The outline made solid along z from −depth/2 to depth/2: front cap at +z, back cap at −z,
// side walls, and where `bevel` > 0 a 45° bevel of that size between the walls and each cap
// (the caps shrink by `bevel`). Flat normals throughout. Caps map the outline's bounding box
// to u, v 0..1 (u along x, v along y; the back cap as seen from the front); walls have u along
// each loop by length (0..1) and v from the back (0) to the front (1). One group, `group`.
Mesh extrude(const std::vector<Loop>& loops, float depth, float bevel, const std::string& group);
