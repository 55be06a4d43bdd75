// obj_build.cpp - cObjLoader's output half: triangulation, smooth normals and the two ways of
// turning faces into vertex and index arrays. See obj_loader.h.
#include "obj_loader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

[[noreturn]] void endProcess() {
    std::fflush(stdout);
    std::exit(-1);
}

} // namespace

// ---- triangulation --------------------------------------------------------------------------

// A fan around corner 0, cut from the far end: the polygon keeps (0, 1, 2) and its other
// triangles (0, n-2, n-1), (0, n-3, n-2), ... are appended in that order, winding kept.
void cObjLoader::triangulate() {
    const size_t count = faces.size();
    for (size_t f = 0; f < count; ++f) {
        const uint32_t n = faces[f].count;
        if (n < 3) {
            std::fprintf(log, "Malformed face. %u vertices in face. Aborting triangulation\n", n);
            return;
        }
        const uint32_t first = faces[f].first;
        for (uint32_t m = n; m > 3; --m) {
            const ObjCorner tri[3] = {corners[first], corners[first + m - 2],
                                      corners[first + m - 1]};
            faces.push_back(
                ObjFace{static_cast<uint32_t>(corners.size()), 3, faces[f].group, faces[f].line});
            corners.insert(corners.end(), tri, tri + 3);
        }
        faces[f].count = 3;
    }
    flags &= static_cast<uint8_t>(~kObjHasPolygons);
}

// ---- smooth normals -------------------------------------------------------------------------

bool cObjLoader::cornersInRange(const char* stage) const {
    const size_t limits[3] = {positions.size() / 4, texcoords.size() / 2, normals.size() / 3};
    const bool checkTexcoord = flags & kObjHasTexcoords, checkNormal = flags & kObjHasNormals;
    auto bad = [](int32_t index, size_t limit) {
        return index < 0 || static_cast<size_t>(index) >= limit;
    };
    auto faceInRange = [&](const ObjFace& face) {
        if (face.first > corners.size() || face.count > corners.size() - face.first) return false;
        for (uint32_t k = 0; k < face.count; ++k) {
            const ObjCorner& c = corners[face.first + k];
            if (bad(c.position, limits[0]) || (checkTexcoord && bad(c.texcoord, limits[1])) ||
                (checkNormal && bad(c.normal, limits[2])))
                return false;
        }
        return true;
    };
    for (const ObjFace& face : faces) {
        if (!faceInRange(face)) {
            std::fprintf(log, "## ERROR: face index out of range in cObjLoader::%s\n", stage);
            return false;
        }
    }
    return true;
}

void cObjLoader::smooth_normals() {
    if (!try_smooth_normals()) endProcess();
}

// Face normals are left unnormalised before they are summed, so a large face weighs more than
// a sliver next to it.
bool cObjLoader::try_smooth_normals() {
    for (const ObjFace& face : faces) {
        if (face.count < 3) {
            std::fprintf(log, "Malformed polygon in %s - exiting!\n", "cObjLoader::smooth_normals");
            return false;
        }
    }
    const uint8_t keep = flags;
    flags &= static_cast<uint8_t>(~kObjHasNormals); // normal indices are about to be replaced
    const bool valid = cornersInRange("smooth_normals");
    flags = keep;
    if (!valid) return false;

    normals.assign(positions.size() / 4 * 3, 0.0f);
    for (const ObjFace& face : faces) {
        ObjCorner* c = &corners[face.first];
        const float* a = &positions[4 * static_cast<size_t>(c[0].position)];
        const float* b = &positions[4 * static_cast<size_t>(c[1].position)];
        const float* d = &positions[4 * static_cast<size_t>(c[2].position)];
        const float u[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
        const float v[3] = {a[0] - d[0], a[1] - d[1], a[2] - d[2]};
        const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                            u[0] * v[1] - u[1] * v[0]};
        for (uint32_t k = 0; k < face.count; ++k) {
            float* out = &normals[3 * static_cast<size_t>(c[k].position)];
            out[0] += n[0], out[1] += n[1], out[2] += n[2];
            c[k].normal = c[k].position;
        }
    }
    // A position no face uses, or only degenerate ones, keeps a zero normal instead of NaN.
    for (size_t i = 0; i + 2 < normals.size(); i += 3) {
        const float length =
            std::sqrt(std::fabs(normals[i] * normals[i] + normals[i + 1] * normals[i + 1] +
                                normals[i + 2] * normals[i + 2]));
        if (length > 0.0f) {
            normals[i] /= length;
            normals[i + 1] /= length;
            normals[i + 2] /= length;
        }
    }
    flags |= kObjHasNormals;
    return true;
}

// ---- model arrays ---------------------------------------------------------------------------

void cObjLoader::build_model_arrays(uint8_t& flags_out, std::vector<float>& positions_out,
                                    std::vector<float>& normals_out,
                                    std::vector<float>& texcoords_out,
                                    std::vector<uint32_t>& indices_out,
                                    std::vector<GroupRange>& ranges_out) {
    if (!try_build_model_arrays(flags_out, positions_out, normals_out, texcoords_out, indices_out,
                                ranges_out))
        endProcess();
}

namespace {

// A corner's key below its position: normal, then texcoord, both compared as signed numbers
// (texcoord -1 when the file has none sorts first). Never kNoKey: normals are below 2^31.
uint64_t subKey(const ObjCorner& c, bool hasTexcoords) {
    const uint32_t texcoord = hasTexcoords ? static_cast<uint32_t>(c.texcoord) + 1 : 0;
    return (static_cast<uint64_t>(static_cast<uint32_t>(c.normal)) << 32) | texcoord;
}
const uint64_t kNoKey = UINT64_MAX;

struct Overflow {
    uint32_t position;
    uint64_t key;
    bool operator<(const Overflow& o) const {
        return position != o.position ? position < o.position : key < o.key;
    }
    bool operator==(const Overflow& o) const { return position == o.position && key == o.key; }
};

// Face numbers ordered by group, stable within a group. Groups are small consecutive numbers,
// so counting beats comparing; a hand-filled list of far-apart numbers falls back to a sort.
std::vector<uint32_t> facesByGroup(const std::vector<ObjFace>& faces) {
    std::vector<uint32_t> order(faces.size());
    if (faces.empty()) return order;
    int64_t low = faces[0].group, high = faces[0].group;
    for (const ObjFace& f : faces)
        low = std::min<int64_t>(low, f.group), high = std::max<int64_t>(high, f.group);
    const uint64_t span = static_cast<uint64_t>(high - low) + 1;
    if (span > 4 * faces.size() + 1024) {
        for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](uint32_t a, uint32_t b) { return faces[a].group < faces[b].group; });
        return order;
    }
    std::vector<uint32_t> start(span + 1, 0);
    for (const ObjFace& f : faces) ++start[f.group - low + 1];
    for (size_t g = 1; g <= span; ++g) start[g] += start[g - 1];
    for (uint32_t i = 0; i < faces.size(); ++i) order[start[faces[i].group - low]++] = i;
    return order;
}

} // namespace

// The distinct corner keys (position, normal, texcoord) in ascending order are the vertices.
// Rather than an ordered tree of all corners, the order is built per position: most positions
// are used with one (normal, texcoord) pair only, which is remembered directly; the rare other
// pairs are collected and sorted apart. Vertex v's key is vertexKeys[v], and the vertices of
// position p are base[p] .. base[p + 1] - 1, so a corner finds its vertex without a tree.
bool cObjLoader::try_build_model_arrays(uint8_t& flags_out, std::vector<float>& positions_out,
                                        std::vector<float>& normals_out,
                                        std::vector<float>& texcoords_out,
                                        std::vector<uint32_t>& indices_out,
                                        std::vector<GroupRange>& ranges_out) {
    if (!(flags & kObjHasNormals)) {
        std::fprintf(log, "# warning, created smooth normals...\n");
        if (!try_smooth_normals()) return false;
    }
    for (const ObjFace& face : faces) {
        if (face.count != 3) {
            std::fprintf(log, "Malformed polygon in %s - exiting!\n",
                         "cObjLoader::build_model_arrays");
            return false;
        }
    }
    if (!cornersInRange("build_model_arrays")) return false;
    const bool hasTexcoords = flags & kObjHasTexcoords;
    const size_t positionCount = positions.size() / 4;

    std::vector<uint64_t> firstKey(positionCount, kNoKey);
    std::vector<Overflow> overflow;
    for (const ObjFace& face : faces) {
        for (uint32_t k = 0; k < 3; ++k) {
            const ObjCorner& c = corners[face.first + k];
            const uint64_t key = subKey(c, hasTexcoords);
            uint64_t& first = firstKey[c.position];
            if (first == kNoKey) {
                first = key;
            } else if (key != first) {
                overflow.push_back(Overflow{static_cast<uint32_t>(c.position), key});
            }
        }
    }
    std::sort(overflow.begin(), overflow.end());
    overflow.erase(std::unique(overflow.begin(), overflow.end()), overflow.end());

    std::vector<uint32_t> base(positionCount + 1);
    std::vector<uint64_t> vertexKeys;
    vertexKeys.reserve(positionCount + overflow.size());
    size_t more = 0; // next overflow entry
    for (size_t p = 0; p < positionCount; ++p) {
        base[p] = static_cast<uint32_t>(vertexKeys.size());
        if (firstKey[p] == kNoKey) continue;
        bool firstPlaced = false;
        for (; more < overflow.size() && overflow[more].position == p; ++more) {
            if (!firstPlaced && firstKey[p] < overflow[more].key) {
                vertexKeys.push_back(firstKey[p]);
                firstPlaced = true;
            }
            vertexKeys.push_back(overflow[more].key);
        }
        if (!firstPlaced) vertexKeys.push_back(firstKey[p]);
    }
    base[positionCount] = static_cast<uint32_t>(vertexKeys.size());

    const size_t vertexCount = vertexKeys.size();
    positions_out.resize(3 * vertexCount);
    normals_out.resize(3 * vertexCount);
    texcoords_out.resize(hasTexcoords ? 2 * vertexCount : 0);
    for (size_t p = 0; p < positionCount; ++p) {
        for (size_t v = base[p]; v < base[p + 1]; ++v) {
            const float* pos = &positions[4 * p];
            const float* nrm = &normals[3 * (vertexKeys[v] >> 32)];
            for (int a = 0; a < 3; ++a) {
                positions_out[3 * v + a] = pos[a];
                normals_out[3 * v + a] = nrm[a];
            }
            if (hasTexcoords) {
                const float* uv = &texcoords[2 * ((vertexKeys[v] & 0xFFFFFFFFu) - 1)];
                texcoords_out[2 * v] = uv[0];
                texcoords_out[2 * v + 1] = uv[1];
            }
        }
    }

    // Faces by group; a new range opens wherever the group changes.
    indices_out.resize(3 * faces.size());
    ranges_out.clear();
    int32_t current = -1;
    size_t emitted = 0;
    for (uint32_t f : facesByGroup(faces)) {
        if (faces[f].group != current) {
            current = faces[f].group;
            ranges_out.emplace_back(static_cast<int32_t>(emitted), current);
        }
        for (uint32_t k = 0; k < 3; ++k) {
            const ObjCorner& c = corners[faces[f].first + k];
            const uint64_t* lo = vertexKeys.data() + base[c.position];
            const uint64_t* hi = vertexKeys.data() + base[c.position + 1];
            const uint64_t* v =
                hi - lo == 1 ? lo : std::lower_bound(lo, hi, subKey(c, hasTexcoords));
            indices_out[emitted++] = static_cast<uint32_t>(v - vertexKeys.data());
        }
    }
    if (ranges_out.empty()) ranges_out.emplace_back(0, 0);
    ranges_out.emplace_back(static_cast<int32_t>(emitted), -1);
    flags_out = flags;
    return true;
}

// ---- by position ----------------------------------------------------------------------------

void cObjLoader::build_by_position() {
    if (!try_build_by_position()) endProcess();
}

bool cObjLoader::try_build_by_position() {
    if (!try_smooth_normals()) return false;
    const bool hasTexcoords = flags & kObjHasTexcoords;
    if (hasTexcoords) {
        for (size_t f = 0; f < faces.size(); ++f) {
            ObjCorner* c = &corners[faces[f].first];
            bool missing = false;
            for (uint32_t k = 0; k < faces[f].count; ++k) missing |= c[k].texcoord < 0;
            if (!missing) continue;
            std::fprintf(log, "# warning: missing texcoords in face %zu. Using first texcoord.\n",
                         f);
            for (uint32_t k = 0; k < faces[f].count; ++k) c[k].texcoord = 0;
        }
    }
    if (!cornersInRange("build_by_position")) return false;

    std::vector<int32_t> renumbered(positions.size() / 4, -1);
    std::vector<float> newPositions, newNormals, newTexcoords;
    int32_t next = 0;
    for (const ObjFace& face : faces) {
        for (uint32_t k = 0; k < face.count; ++k) {
            ObjCorner& c = corners[face.first + k];
            int32_t& v = renumbered[c.position];
            if (v < 0) {
                v = next++;
                const float* pos = &positions[4 * static_cast<size_t>(c.position)];
                const float* nrm = &normals[3 * static_cast<size_t>(c.normal)];
                newPositions.insert(newPositions.end(), pos, pos + 4);
                newNormals.insert(newNormals.end(), nrm, nrm + 3);
                if (hasTexcoords) {
                    const float* uv = &texcoords[2 * static_cast<size_t>(c.texcoord)];
                    newTexcoords.insert(newTexcoords.end(), uv, uv + 2);
                }
            }
            c.position = c.normal = v;
            if (hasTexcoords) c.texcoord = v;
        }
    }
    positions.swap(newPositions);
    normals.swap(newNormals);
    texcoords.swap(newTexcoords);
    return true;
}

// ---- inspection and bounds ------------------------------------------------------------------

std::vector<int32_t> cObjLoader::face_indices(size_t face, int kind) const {
    std::vector<int32_t> out;
    if (face >= faces.size() || kind < 0 || kind > 2) return out;
    for (uint32_t k = 0; k < faces[face].count; ++k) {
        const ObjCorner& c = corners[faces[face].first + k];
        const int32_t v = kind == 0 ? c.position : kind == 1 ? c.texcoord : c.normal;
        if (v >= 0) out.push_back(v);
    }
    return out;
}

void compute_bounds(const std::vector<float>& positions, float bounds[6]) {
    const size_t count = positions.size() / 3;
    for (int i = 0; i < 6; ++i) bounds[i] = 0.0f;
    if (count == 0) return;
    for (int a = 0; a < 3; ++a) bounds[a] = bounds[a + 3] = positions[a];
    for (size_t v = 1; v < count; ++v) {
        for (int a = 0; a < 3; ++a) {
            const float x = positions[3 * v + a];
            if (x <= bounds[a]) bounds[a] = x;
            if (x >= bounds[a + 3]) bounds[a + 3] = x;
        }
    }
}
