// shader_library.cpp - see shader_library.h.
//
// Every log text of the library is written in this file and nowhere else; several carry odd
// spacing on purpose (log readers and tests match them exactly).
#include "shader_library.h"

#include "assert_failed.h"
#include "file_utils.h"
#include "gl_loader.h"
#include "texture_handle.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

// ---- state ----------------------------------------------------------------------------------

namespace {

// The uniform last reported missing, per kind. Process-wide on purpose: a setter that runs
// every frame for a uniform the shader lacks must not flood the log, whichever library or
// program it goes through.
std::string g_lastMissingVector;
std::string g_lastMissingMatrix;
std::string g_lastMissingSampler;

const char* const kFallbackShader = "default_shader";
const int kUnboundTextureUnits = 8;

// ---- names for the log ----------------------------------------------------------------------

const char* samplerTypeName(uint32_t type) {
    switch (type) {
    case GL_SAMPLER_1D:
        return "GL_SAMPLER_1D";
    case GL_SAMPLER_2D:
        return "GL_SAMPLER_2D";
    case GL_SAMPLER_2D_SHADOW:
        return "GL_SAMPLER_2D_SHADOW";
    case GL_SAMPLER_3D:
        return "GL_SAMPLER_3D";
    case GL_SAMPLER_CUBE:
        return "GL_SAMPLER_CUBE";
    default:
        return "unknown target";
    }
}

const char* textureTargetName(uint32_t target) {
    switch (target) {
    case GL_TEXTURE_1D:
        return "GL_TEXTURE_1D";
    case GL_TEXTURE_2D:
        return "GL_TEXTURE_2D";
    case GL_TEXTURE_3D:
        return "GL_TEXTURE_3D";
    case GL_TEXTURE_CUBE_MAP:
        return "GL_TEXTURE_CUBE_MAP";
    default:
        return "unknown target";
    }
}

const char* stageTypeName(GLenum stage) {
    switch (stage) {
    case GL_VERTEX_SHADER:
        return "GL_VERTEX_SHADER_ARB";
    case GL_FRAGMENT_SHADER:
        return "GL_FRAGMENT_SHADER_ARB";
    case GL_GEOMETRY_SHADER:
        return "GL_GEOMETRY_SHADER_ARB";
    default:
        return "unknown";
    }
}

uint32_t targetOfSampler(uint32_t type) {
    switch (type) {
    case GL_SAMPLER_1D:
        return GL_TEXTURE_1D;
    case GL_SAMPLER_2D:
    case GL_SAMPLER_2D_SHADOW:
        return GL_TEXTURE_2D;
    case GL_SAMPLER_3D:
        return GL_TEXTURE_3D;
    case GL_SAMPLER_CUBE:
        return GL_TEXTURE_CUBE_MAP;
    default:
        assertFailed("unknown sampler");
        return 0;
    }
}

// ---- info logs ------------------------------------------------------------------------------

// One line on stdout: header, "## InfoLog:", the driver's text. Drivers usually end their log
// with a line end and sometimes do not; the line gets exactly one either way.
void printInfoLog(const char* header, std::string text) {
    if (text.empty() || text.back() != '\n') text += '\n';
    std::fprintf(stdout, "%s## InfoLog:%s", header, text.c_str());
}

// ---- building -------------------------------------------------------------------------------

// A shader object of `text` as one stage, compiled or not (see GL_COMPILE_STATUS). The defines
// go in front as a source string of their own, joined to the text with nothing in between; a
// shader meant for defines therefore leaves its "#version" to them.
GLuint compileText(GLenum stage, const std::string& text, const char* defines) {
    GLuint shader = glCreateShader(stage);
    const GLchar* sources[2];
    GLsizei count = 0;
    if (defines) sources[count++] = defines;
    sources[count++] = text.c_str();
    glShaderSource(shader, count, sources, nullptr);
    glCompileShader(shader);
    return shader;
}

bool compiled(GLuint shader) {
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    return status == GL_TRUE;
}

bool linked(GLuint program) {
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status == GL_TRUE;
}

// The info log of a shader or program object, without its terminating zero. False when the
// object has none at all (an empty one is still a log, and the loader prints its header).
bool infoLog(GLuint object, bool program, std::string& log) {
    log.clear();
    GLint length = 0;
    if (program)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) return false;
    log.assign(size_t(length), '\0');
    if (program)
        glGetProgramInfoLog(object, length, nullptr, &log[0]);
    else
        glGetShaderInfoLog(object, length, nullptr, &log[0]);
    log.resize(std::strlen(log.c_str()));
    return true;
}

// One failure of a build: what rebuild hands back, and what the loader's messages need
// besides (the stage, and whether the driver gave a log at all).
struct StageFailure {
    ShaderLibrary::BuildFailure failure;
    GLenum stage; // 0 for the link
    bool hasLog;
};

// Compiles every stage, even after one failed, so that one run shows every error, then links
// them into a new program; 0 when any of it failed. Each failure goes to `report` as it
// happens, so messages about it keep their place among the file reader's own. An unreadable
// file has been reported by the reader already (without saying which file).
GLuint buildProgram(const std::string& vertexFile, const std::string& geometryFile,
                    const std::string& fragmentFile, const char* defines,
                    const std::function<void(const StageFailure&)>& report) {
    using Failure = ShaderLibrary::BuildFailure;
    std::vector<GLuint> stages;
    bool failed = false;
    const std::pair<GLenum, const std::string*> files[] = {{GL_VERTEX_SHADER, &vertexFile},
                                                           {GL_FRAGMENT_SHADER, &fragmentFile},
                                                           {GL_GEOMETRY_SHADER, &geometryFile}};
    for (const auto& [stage, file] : files) {
        if (stage == GL_GEOMETRY_SHADER && file->empty()) continue;
        std::string text;
        if (!read_whole_file(*file, text)) {
            failed = true;
            report({{Failure::kUnreadable, *file, std::string()}, stage, false});
            continue;
        }
        GLuint shader = compileText(stage, text, defines);
        if (compiled(shader)) {
            stages.push_back(shader);
            continue;
        }
        failed = true;
        StageFailure f{{Failure::kCompile, *file, std::string()}, stage, false};
        f.hasLog = infoLog(shader, false, f.failure.log);
        report(f);
        glDeleteShader(shader);
    }
    GLuint program = 0;
    if (!failed) {
        program = glCreateProgram();
        for (GLuint shader : stages) glAttachShader(program, shader);
        glLinkProgram(program);
        if (!linked(program)) {
            StageFailure f{{Failure::kLink, fragmentFile, std::string()}, 0, false};
            f.hasLog = infoLog(program, true, f.failure.log);
            report(f);
            // Nothing will ever refer to it again; the stages go with it.
            glDeleteProgram(program);
            program = 0;
        }
    }
    // Flagged only while a program holds them: they live exactly as long as the program.
    for (GLuint shader : stages) glDeleteShader(shader);
    return program;
}

// Files every active uniform by type; samplers get texture units in enumeration order.
void enumerateUniforms(ShaderProgram& entry) {
    GLint count = 0;
    glGetProgramiv(entry.program, GL_ACTIVE_UNIFORMS, &count);
    if (count < 1) return;
    GLint maxLength = 0;
    glGetProgramiv(entry.program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &maxLength);
    std::vector<GLchar> name(maxLength > 0 ? maxLength + 1 : 1, '\0');

    int32_t nextUnit = 0;
    for (GLint i = 0; i < count; ++i) {
        GLint size = 0;
        GLenum type = 0;
        name[0] = '\0';
        glGetActiveUniform(entry.program, static_cast<GLuint>(i), static_cast<GLsizei>(name.size()),
                           nullptr, &size, &type, name.data());
        GLint location = glGetUniformLocation(entry.program, name.data());
        switch (type) {
        case GL_FLOAT:
        case GL_FLOAT_VEC2:
        case GL_FLOAT_VEC3:
        case GL_FLOAT_VEC4:
            entry.vectors[name.data()] = {location, type, -1};
            break;
        case GL_FLOAT_MAT2:
        case GL_FLOAT_MAT3:
        case GL_FLOAT_MAT4:
        case GL_FLOAT_MAT3x4:
            entry.matrices[name.data()] = {location, type, -1};
            break;
        case GL_SAMPLER_1D:
        case GL_SAMPLER_2D:
        case GL_SAMPLER_2D_SHADOW:
        case GL_SAMPLER_3D:
        case GL_SAMPLER_CUBE:
            entry.samplers[name.data()] = {location, type, nextUnit++};
            break;
        default:
            assertFailed("unknown uniform-type");
            break;
        }
    }
}

// Prints the missing-uniform warning unless this name was the last one reported for its kind.
void reportMissing(std::string& lastReported, const char* text, const std::string& uniform,
                   const std::string& shader) {
    if (uniform == lastReported) return;
    std::fprintf(stderr, "%s\"%s\" in %s\n", text, uniform.c_str(), shader.c_str());
    lastReported = uniform;
}

// The setters' program. A failed build (source entry only) and a name never requested are
// both silent: the failure was reported when it was built, and the draw falls back to
// "default_shader".
const ShaderProgram* findProgram(const std::unordered_map<std::string, ShaderProgram>& programs,
                                 const std::string& shader) {
    auto entry = programs.find(shader);
    return entry != programs.end() ? &entry->second : nullptr;
}

} // namespace

// ---- public ---------------------------------------------------------------------------------

void ShaderLibrary::init() {
    load(kFallbackShader, "data/shaders/default.vert", "", "data/shaders/default.frag", nullptr);
}

void ShaderLibrary::load(const std::string& name, const std::string& vertexFile,
                         const std::string& geometryFile, const std::string& fragmentFile,
                         const char* defines) {
    const bool hasGeometry = !geometryFile.empty();
    for (const std::string* path : {&vertexFile, &fragmentFile, &geometryFile}) {
        if (path == &geometryFile && !hasGeometry) continue;
        if (!file_exists(*path)) {
            std::fprintf(stderr, "## ERROR: shader-file not found \"%s\"\n", path->c_str());
            return;
        }
    }

    const GLuint program =
        buildProgram(vertexFile, geometryFile, fragmentFile, defines, [&](const StageFailure& f) {
            if (f.failure.kind == BuildFailure::kLink) {
                std::fprintf(stdout, "## ERROR: linking of \n\t%s\t%s\t%s\nfailed\n",
                             vertexFile.c_str(), geometryFile.c_str(), fragmentFile.c_str());
                if (f.hasLog) printInfoLog("Linking", f.failure.log);
                return;
            }
            std::fprintf(stderr, "## ERROR: compilation of %s failed\n", f.failure.file.c_str());
            if (f.hasLog)
                printInfoLog((std::string("# ") + stageTypeName(f.stage) + "\n").c_str(),
                             f.failure.log);
        });

    if (program) {
        std::fprintf(stdout, "# note: compiled %s %s\n", vertexFile.c_str(), fragmentFile.c_str());
        // The first registration of a name stands: other plug-ins may already be drawing with
        // it. A later program under the same name is not kept, and so not left to leak.
        if (programs_.count(name)) {
            glDeleteProgram(program);
        } else {
            ShaderProgram entry;
            entry.program = program;
            enumerateUniforms(entry);
            programs_.emplace(name, std::move(entry));
        }
    }
    sources_.emplace(name, ShaderSource{defines ? defines : "", vertexFile, geometryFile,
                                        fragmentFile, defines != nullptr});
}

bool ShaderLibrary::rebuild(const std::string& name, const std::string& vertexFile,
                            const std::string& geometryFile, const std::string& fragmentFile,
                            std::vector<BuildFailure>& failures) {
    const auto source = sources_.find(name);
    if (source == sources_.end()) return false;
    const char* defines = source->second.hasDefines ? source->second.defines.c_str() : nullptr;
    const GLuint program =
        buildProgram(vertexFile, geometryFile, fragmentFile, defines,
                     [&](const StageFailure& f) { failures.push_back(f.failure); });
    if (!program) return false;
    replaceProgram(name, program);
    return true;
}

void ShaderLibrary::replaceProgram(const std::string& name, uint32_t program) {
    ShaderProgram entry;
    entry.program = program;
    enumerateUniforms(entry);
    auto old = programs_.find(name);
    if (old != programs_.end()) {
        // Deleting the bound program only flags it; the next useShader binds the new one.
        if (bound_ == old->second.program) bound_ = 0;
        glDeleteProgram(old->second.program);
        old->second = std::move(entry);
    } else {
        programs_.emplace(name, std::move(entry));
    }
}

bool ShaderLibrary::hasShader(const std::string& name, const char* defines) const {
    if (programs_.find(name) == programs_.end()) return false;
    if (!defines) return true;
    auto source = sources_.find(name);
    return source != sources_.end() && source->second.defines == defines;
}

uint32_t ShaderLibrary::useShader(const std::string& name) {
    auto entry = programs_.find(name);
    if (entry == programs_.end()) {
        assertFailed("shader not found");
        entry = programs_.find(kFallbackShader);
    }
    // Without even the fallback, fixed function is the only thing left to draw with.
    const uint32_t program = entry != programs_.end() ? entry->second.program : 0;
    if (program == bound_) return program;

    glUseProgram(program);
    for (int unit = 0; unit < kUnboundTextureUnits; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_1D, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindTexture(GL_TEXTURE_3D, 0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    glActiveTexture(GL_TEXTURE0);
    bound_ = program;
    return program;
}

void ShaderLibrary::setVector(const std::string& shader, const std::string& uniform,
                              const float* v4) {
    const ShaderProgram* entry = findProgram(programs_, shader);
    if (!entry) return;
    auto found = entry->vectors.find(uniform);
    if (found == entry->vectors.end()) {
        reportMissing(g_lastMissingVector, "## warning: vector-uniform missing ", uniform, shader);
        return;
    }
    if (v4) glUniform4fv(found->second.location, 1, v4);
}

void ShaderLibrary::setMatrix(const std::string& shader, const std::string& uniform,
                              const float* m16) {
    const ShaderProgram* entry = findProgram(programs_, shader);
    if (!entry) return;
    auto found = entry->matrices.find(uniform);
    if (found == entry->matrices.end()) {
        reportMissing(g_lastMissingMatrix, "## warning: matrix-uniform missing ", uniform, shader);
        return;
    }
    if (m16) glUniformMatrix4fv(found->second.location, 1, GL_FALSE, m16);
}

void ShaderLibrary::setTexture(const std::string& shader, const std::string& sampler,
                               TextureHandle* texture) {
    const ShaderProgram* entry = findProgram(programs_, shader);
    if (!entry) return;
    auto found = entry->samplers.find(sampler);
    if (found == entry->samplers.end()) {
        reportMissing(g_lastMissingSampler, "## warning: sampler-uniform missing ", sampler,
                      shader);
        return;
    }
    // A texture that failed to load was reported where it failed; the unit stays unbound.
    if (!texture) return;

    const ShaderUniform& uniform = found->second;
    const uint32_t target = targetOfSampler(uniform.type);
    if (texture->target != target) {
        std::fprintf(stderr, "# ERROR: texture-target mismatch in %s\n", shader.c_str());
        std::fprintf(stderr, "#        parm:      %s\n", sampler.c_str());
        std::fprintf(stderr, "#        sampler:   %s\n", samplerTypeName(uniform.type));
        std::fprintf(stderr, "#        textarget: %s\n", textureTargetName(texture->target));
        return;
    }
    glUniform1i(uniform.location, uniform.unit);
    glActiveTexture(GL_TEXTURE0 + uniform.unit);
    glBindTexture(target, texture->name);
    glActiveTexture(GL_TEXTURE0);
}
