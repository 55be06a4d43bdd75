// shader_reload.cpp - see shader_reload.h.
#include "shader_reload.h"

#include "file_utils.h"
#include "shader_library.h"

#include <cstdlib>
#include <dirent.h>
#include <sstream>

namespace {

void scanFolder(const std::string& folder, std::map<std::string, std::string>& out) {
    std::vector<std::string> names;
    find_files(folder + "/*", names);
    for (const std::string& name : names) out.emplace(name, folder + "/" + name);
}

} // namespace

std::string placeMessages(const std::string& infoLog, const std::string& file, int fileString) {
    std::istringstream in(infoLog);
    std::string line, out;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        // "1:12(3): error: ..." or "1(12) : error ..."
        const char* p = line.c_str();
        char* end = nullptr;
        const long string = std::strtol(p, &end, 10);
        long row = -1, column = -1;
        const char* rest = nullptr;
        if (end != p && *end == ':') {
            const char* q = end + 1;
            row = std::strtol(q, &end, 10);
            if (end != q && *end == '(') {
                const char* r = end + 1;
                column = std::strtol(r, &end, 10);
                if (end != r && *end == ')') rest = end + 1;
            }
        } else if (end != p && *end == '(') {
            const char* q = end + 1;
            row = std::strtol(q, &end, 10);
            if (end != q && *end == ')') rest = end + 1;
        }
        if (rest && string == fileString) {
            while (*rest == ' ' || *rest == ':') ++rest;
            out += file + ":" + std::to_string(row) +
                   (column >= 0 ? ":" + std::to_string(column) : std::string()) + ": " + rest +
                   "\n";
        } else {
            out += file + ": " + line + "\n";
        }
    }
    return out;
}

void ShaderWatch::init(ShaderLibrary* library, const std::string& root) {
    library_ = library;
    // Folders later in the list do not replace names found earlier: scenes own their files.
    DIR* scenes = opendir((root + "/scenes").c_str());
    if (scenes) {
        std::vector<std::string> folders;
        while (dirent* e = readdir(scenes))
            if (e->d_name[0] != '.') folders.push_back(root + "/scenes/" + e->d_name + "/shaders");
        closedir(scenes);
        for (const std::string& folder : folders) scanFolder(folder, sourceByName_);
    }
    scanFolder(root + "/postfx/shaders", sourceByName_);
    scanFolder(root + "/gfx/shaders", sourceByName_);
    watchNewPrograms();
}

std::string ShaderWatch::sourceOf(const std::string& dataFile) const {
    auto it = sourceByName_.find(file_name(dataFile));
    return it == sourceByName_.end() ? dataFile : it->second;
}

void ShaderWatch::watchNewPrograms() {
    // Scenes may load programs late; the library only grows.
    const auto& sources = library_->sources();
    if (sources.size() == programsSeen_) return;
    programsSeen_ = sources.size();
    for (const auto& [name, source] : sources)
        for (const std::string* f :
             {&source.vertexFile, &source.geometryFile, &source.fragmentFile})
            if (!f->empty()) watch_.add(sourceOf(*f));
}

std::vector<ShaderReload> ShaderWatch::poll() {
    std::vector<ShaderReload> results;
    if (!library_) return results;
    watchNewPrograms();
    for (const std::string& changed : watch_.poll()) {
        for (const auto& [name, source] : library_->sources()) {
            const std::string vertex = sourceOf(source.vertexFile);
            const std::string fragment = sourceOf(source.fragmentFile);
            const std::string geometry =
                source.geometryFile.empty() ? std::string() : sourceOf(source.geometryFile);
            if (changed != vertex && changed != fragment && changed != geometry) continue;

            ShaderReload result{name, changed, false, {}};
            std::vector<ShaderLibrary::BuildFailure> failures;
            result.ok = library_->rebuild(name, vertex, geometry, fragment, failures);
            for (const ShaderLibrary::BuildFailure& f : failures) {
                if (f.kind == ShaderLibrary::BuildFailure::kUnreadable) {
                    result.message += f.file + ": cannot be read\n";
                } else if (f.kind == ShaderLibrary::BuildFailure::kLink) {
                    result.message += changed + ": " + name + " does not link: " + f.log + "\n";
                } else {
                    result.message += placeMessages(f.log, f.file, source.hasDefines ? 1 : 0);
                    if (f.log.empty()) result.message += f.file + ": does not compile\n";
                }
            }
            results.push_back(std::move(result));
        }
    }
    return results;
}
