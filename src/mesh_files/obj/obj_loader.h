// obj_loader.h - cObjLoader: Wavefront OBJ text into indexed triangle arrays.
//
// The model factory runs the fixed pipeline load_file -> triangulate -> build_model_arrays on a
// loader it makes on the stack, then discards it. Understood: v, vt, vn, f, g, usemtl; comments
// and s, mtllib, curv, curv2, surf are skipped silently; vp, p, l and unknown statements are
// reported and skipped. Materials files are not read.
//
// Failures: a missing file, an empty path and a malformed face (fewer than 3 usable corners)
// end the process with exit code -1, as a demo cannot run without its models. Everything else
// that is wrong in a file is reported on the log stream with the file and line and skipped;
// no input makes the loader read outside its lists.
//
// parse(), try_smooth_normals() and try_build_model_arrays() are the same stages without the
// file and without ending the process, for tests and the fuzzer.
#pragma once

#include "imesh_loader.h"

#include <cstdio>
#include <utility>

using GroupRange = std::pair<int32_t, int32_t>; // first index offset, group number

class cObjLoader : public iMeshLoader, public iMeshLoader_data {
  public:
    // Ends the process (-1) for an empty path or a file that cannot be read.
    void load_file(const std::string& path) override;
    void triangulate() override;
    // One vertex per position index in order of first use; not part of the model pipeline.
    void build_by_position() override;
    // Area-weighted normals per position; ends the process (-1) on a malformed face.
    void smooth_normals() override;

    // Distinct (position, normal, texcoord) corners become the output vertices, in ascending
    // order; indices follow the faces ordered by group. Makes smooth normals first when the file
    // had none. Ends the process (-1) on a face that is not a triangle.
    void build_model_arrays(uint8_t& flags_out, std::vector<float>& positions_out,
                            std::vector<float>& normals_out, std::vector<float>& texcoords_out,
                            std::vector<uint32_t>& indices_out,
                            std::vector<GroupRange>& ranges_out);

    // load_file's work on text already in memory; `path` only names the file in messages.
    void parse(const char* text, size_t size, const std::string& path);
    // False, after the message, where the fatal versions would end the process.
    bool try_smooth_normals();
    bool try_build_model_arrays(uint8_t& flags_out, std::vector<float>& positions_out,
                                std::vector<float>& normals_out, std::vector<float>& texcoords_out,
                                std::vector<uint32_t>& indices_out,
                                std::vector<GroupRange>& ranges_out);
    bool try_build_by_position();

    // The index list of one kind of a face: 0 positions, 1 texcoords, 2 normals; absent indices
    // are left out, as the file had them.
    std::vector<int32_t> face_indices(size_t face, int kind) const;

    // Warnings and parse errors go here; the fuzzer points it at /dev/null.
    std::FILE* log = stderr;

  private:
    struct ParseState;
    void parseLine(ParseState& st, const char*& p, const char* end);
    void parseVertex(ParseState& st, const char*& p, const char* end);
    void parseTexcoord(ParseState& st, const char*& p, const char* end);
    void parseNormal(ParseState& st, const char*& p, const char* end);
    void parseFace(ParseState& st, const char*& p, const char* end);
    void parseGroup(ParseState& st, const char*& p, const char* end);
    void parseMaterial(ParseState& st, const char*& p, const char* end);
    void completeEarlyFaces(const ParseState& st);
    bool cornersInRange(const char* stage) const;
};

// True for the extensions file_extension() yields for OBJ files: "obj" or ".obj".
bool is_obj_extension(const std::string& extension);

// Minimum x, y, z then maximum x, y, z over `positions` (3 floats per vertex); all zero when
// there is no vertex.
void compute_bounds(const std::vector<float>& positions, float bounds[6]);
