// obj_writer.cpp - see obj_writer.h.
#include "obj_writer.h"

#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace {

// Numbers of one kind ("v", "vt", "vn"), each distinct text once.
class Pool {
  public:
    explicit Pool(const char* keyword) : keyword_(keyword) {}
    // The 1-based index of the line with these numbers.
    size_t index(const std::string& numbers) {
        auto it = seen_.find(numbers);
        if (it != seen_.end()) return it->second;
        lines_ += keyword_ + " " + numbers + "\n";
        const size_t next = seen_.size() + 1;
        seen_.emplace(numbers, next);
        return next;
    }
    const std::string& lines() const { return lines_; }

  private:
    std::string keyword_, lines_;
    std::unordered_map<std::string, size_t> seen_;
};

bool finite(Vec3 v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

std::string objNumber(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
    std::string s = text;
    const size_t dot = s.find('.');
    if (dot != std::string::npos) {
        size_t end = s.find_last_not_of('0');
        if (end == dot) --end;
        s.erase(end + 1);
    }
    return s == "-0" ? "0" : s;
}

std::string objText(const Mesh& mesh, const std::string& tool, std::string& error) {
    error.clear();
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        const MeshVertex& v = mesh.vertices[i];
        if (!finite(v.position) || !finite(v.normal) || !std::isfinite(v.uv.x) ||
            !std::isfinite(v.uv.y)) {
            error = "vertex " + std::to_string(i) + " has a number that is not finite";
            return std::string();
        }
    }
    Pool positions("v"), uvs("vt"), normals("vn");
    std::string faces;
    for (const MeshGroup& g : mesh.groups) {
        if (g.indices.size() < 3) continue;
        faces += "g " + g.name + "\n";
        for (size_t t = 0; t + 2 < g.indices.size(); t += 3) {
            faces += "f";
            for (size_t k = 0; k < 3; ++k) {
                const uint32_t i = g.indices[t + k];
                if (i >= mesh.vertices.size()) {
                    error = "group \"" + g.name + "\" refers to vertex " + std::to_string(i) +
                            " of " + std::to_string(mesh.vertices.size());
                    return std::string();
                }
                const MeshVertex& v = mesh.vertices[i];
                const size_t p =
                    positions.index(objNumber(v.position.x) + " " + objNumber(v.position.y) + " " +
                                    objNumber(v.position.z));
                const size_t u = uvs.index(objNumber(v.uv.x) + " " + objNumber(v.uv.y));
                const size_t n = normals.index(objNumber(v.normal.x) + " " + objNumber(v.normal.y) +
                                               " " + objNumber(v.normal.z));
                faces +=
                    " " + std::to_string(p) + "/" + std::to_string(u) + "/" + std::to_string(n);
            }
            faces += "\n";
        }
    }
    return "# " + tool + "\n" + positions.lines() + uvs.lines() + normals.lines() + faces;
}

bool writeObj(const Mesh& mesh, const std::string& path, const std::string& tool) {
    std::string error;
    const std::string text = objText(mesh, tool, error);
    if (!error.empty()) {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", tool.c_str(), path.c_str(),
                     error.c_str());
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file) written = std::fclose(file) == 0 && written;
    if (!written) std::fprintf(stderr, "%s: cannot write %s\n", tool.c_str(), path.c_str());
    return written;
}
