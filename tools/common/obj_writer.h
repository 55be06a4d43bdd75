// obj_writer.h - writes a kit mesh (mesh.h) as a Wavefront OBJ file that the demo's OBJ loader
// reads: "v", "vt" and "vn" lines, then per group a "g NAME" line and its faces as
// "f v/vt/vn v/vt/vn v/vt/vn" (1-based).
//
// The text depends only on the mesh: numbers are written with six decimals, trailing zeros
// cut ("0.5", "-2", never "-0"), and equal positions, texture coordinates and normals are
// written once, in order of first use. Vertices no triangle uses are left out, and so are
// groups without triangles: the loader numbers only groups that have faces, so a scene's
// group k is the k-th group here that has triangles.
#pragma once

#include "mesh.h"

#include <string>

// The number as the writer puts it in the file.
std::string objNumber(float value);

// The file's text; `tool` names the generator in the first line (a comment). Empty, with
// `error` set, when a triangle refers to a missing vertex or a number is not finite.
std::string objText(const Mesh& mesh, const std::string& tool, std::string& error);

// Writes the file; false, with one line on stderr naming `tool`, the file and the cause, when
// the mesh is broken or the file cannot be written.
bool writeObj(const Mesh& mesh, const std::string& path, const std::string& tool);
