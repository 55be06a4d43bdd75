// shader_library.h - named GLSL programs with their uniforms found once after linking.
//
// Owned by the graphics context, which exposes it as loadShader/loadShaderGeometry/
// loadShaderDefines/hasShader/useShader/setTexture/setMatrix/setVector. Callers address
// programs and uniforms by name only. Every load request is remembered with its defines text,
// also a failed one, so that setters on a program that failed to build stay silent.
// Requires a current GL context and loaded entry points (gl_loader.h).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct TextureHandle;

struct ShaderUniform {
    int32_t location;
    uint32_t type; // GL type
    int32_t unit;  // texture unit, samplers only (-1 otherwise)
};

struct ShaderProgram {
    uint32_t program = 0;
    std::unordered_map<std::string, ShaderUniform> vectors;
    std::unordered_map<std::string, ShaderUniform> matrices;
    std::unordered_map<std::string, ShaderUniform> samplers;
};

struct ShaderSource {
    std::string defines;                                // empty when none was given
    std::string vertexFile, geometryFile, fragmentFile; // geometryFile empty when none
    bool hasDefines = false;
};

class ShaderLibrary {
  public:
    // Loads the fallback program "default_shader" from data/shaders/default.vert/.frag.
    void init();
    // Compiles, links and registers. `geometryFile` may be empty; `defines` may be null and is
    // passed as a separate first source string. The first registration of a name stands:
    // a later load under the same name compiles, but its program is discarded.
    void load(const std::string& name, const std::string& vertexFile,
              const std::string& geometryFile, const std::string& fragmentFile,
              const char* defines);
    bool hasShader(const std::string& name, const char* defines) const;
    // Binds the program (falls back to "default_shader"); no GL call when already bound.
    // A switch unbinds every texture of units 0..7.
    uint32_t useShader(const std::string& name);
    // The setters write into the bound program: call useShader first.
    void setVector(const std::string& shader, const std::string& uniform, const float* v4);
    void setMatrix(const std::string& shader, const std::string& uniform, const float* m16);
    void setTexture(const std::string& shader, const std::string& sampler, TextureHandle* texture);

    // For rebuilding programs while the demo runs (the development player, tests): the files
    // and defines each name was first requested with.
    const std::unordered_map<std::string, ShaderSource>& sources() const { return sources_; }
    // Builds `name` again from these files, with the defines it was first requested with, and
    // on success puts it in place of the one in use (a name whose first build failed gets its
    // first program). Reports nothing itself: false with `failures` saying, per stage or link
    // that failed, the file and the driver's log. False with no failure for a name never
    // requested.
    struct BuildFailure {
        enum Kind { kUnreadable, kCompile, kLink } kind;
        std::string file; // the stage's file; the fragment file for a link
        std::string log;  // the driver's info log
    };
    bool rebuild(const std::string& name, const std::string& vertexFile,
                 const std::string& geometryFile, const std::string& fragmentFile,
                 std::vector<BuildFailure>& failures);

  private:
    // Puts `program` in place of the name's program (or makes it its first).
    void replaceProgram(const std::string& name, uint32_t program);

    std::unordered_map<std::string, ShaderProgram> programs_;
    std::unordered_map<std::string, ShaderSource> sources_;
    uint32_t bound_ = 0;
};
