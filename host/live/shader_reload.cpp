// shader_reload.cpp - see shader_reload.h.
#include "shader_reload.h"

#include "file_utils.h"
#include "gl_loader.h"
#include "shader_library.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sstream>

namespace {

void scanFolder(const std::string& folder, std::map<std::string, std::string>& out) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        out.emplace(name, folder + "/" + name);
    }
    closedir(dir);
}

std::string fileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A stage object, or 0 with `message` holding why.
GLuint compileStage(GLenum stage, const std::string& file, const std::string& defines,
                    bool hasDefines, std::string& message) {
    std::string text;
    if (!read_whole_file(file, text)) {
        message += file + ": cannot be read\n";
        return 0;
    }
    GLuint shader = glCreateShader(stage);
    const GLchar* sources[2];
    GLsizei count = 0;
    if (hasDefines) sources[count++] = defines.c_str();
    sources[count++] = text.c_str();
    glShaderSource(shader, count, sources, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE) return shader;
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(size_t(length > 0 ? length : 1), '\0');
    if (length > 0) glGetShaderInfoLog(shader, length, nullptr, &log[0]);
    log.resize(std::strlen(log.c_str()));
    message += placeMessages(log, file, hasDefines ? 1 : 0);
    if (log.empty()) message += file + ": does not compile\n";
    glDeleteShader(shader);
    return 0;
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
    auto it = sourceByName_.find(fileName(dataFile));
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
            GLuint v = compileStage(GL_VERTEX_SHADER, vertex, source.defines, source.hasDefines,
                                    result.message);
            GLuint f = compileStage(GL_FRAGMENT_SHADER, fragment, source.defines, source.hasDefines,
                                    result.message);
            GLuint g = geometry.empty() ? 0
                                        : compileStage(GL_GEOMETRY_SHADER, geometry, source.defines,
                                                       source.hasDefines, result.message);
            if (v && f && (g || geometry.empty())) {
                GLuint program = glCreateProgram();
                for (GLuint s : {v, f, g})
                    if (s) glAttachShader(program, s);
                glLinkProgram(program);
                GLint linked = GL_FALSE;
                glGetProgramiv(program, GL_LINK_STATUS, &linked);
                if (linked == GL_TRUE) {
                    result.ok = library_->replaceProgram(name, program);
                } else {
                    GLint length = 0;
                    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
                    std::string log(size_t(length > 0 ? length : 1), '\0');
                    if (length > 0) glGetProgramInfoLog(program, length, nullptr, &log[0]);
                    log.resize(std::strlen(log.c_str()));
                    result.message += changed + ": " + name + " does not link: " + log + "\n";
                    glDeleteProgram(program);
                }
            }
            for (GLuint s : {v, f, g})
                if (s) glDeleteShader(s); // flagged only while a program holds it
            results.push_back(std::move(result));
        }
    }
    return results;
}
