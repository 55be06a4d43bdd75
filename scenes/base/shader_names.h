// shader_names.h - the program and uniform names more than one scene sends to the graphics
// context, as strings made once when the plug-in is loaded.
//
// The context takes every name as a `const std::string&`. A literal in that place builds a
// temporary string on every call, and one longer than the short-string buffer (15 characters
// in libstdc++) a heap allocation on every call, every frame. So a scene never passes a
// literal from its render: the names below are the kit's, the rest are `const std::string`
// constants at file scope in the scene's own source, and texture files looked up during a
// frame likewise (docs/scenes.md). Names used only while loading (initialise) may stay
// literals.
//
// The constants are namespace-scope objects of the kit library, made before any plug-in code
// runs; a scene's own constants must not be initialised from them (their order across files
// is not fixed).
#pragma once

#include <string>

// ---- programs ---------------------------------------------------------------------------------
extern const std::string kBlinnNotexShader; // "blinn_notex", the kit's lit untextured program
extern const std::string kUnlitShader;      // "unlit"

// ---- uniforms ---------------------------------------------------------------------------------
extern const std::string kMvp;        // "mvp"
extern const std::string kModelMat;   // "modelmat"
extern const std::string kModelMatIT; // "modelmatIT"
extern const std::string kLightPos;   // "ws_lightpos"
extern const std::string kDiffCol;    // "diffcol"
extern const std::string kColor;      // "color"
extern const std::string kTex;        // "tex"
extern const std::string kTimeS;      // "time_s"
extern const std::string kResolution; // "resolution"
extern const std::string kParms;      // "parms"
