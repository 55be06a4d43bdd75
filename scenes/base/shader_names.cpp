// shader_names.cpp - see shader_names.h.
#include "shader_names.h"

const std::string kBlinnNotexShader = "blinn_notex";
const std::string kUnlitShader = "unlit";

const std::string kMvp = "mvp";
const std::string kModelMat = "modelmat";
const std::string kModelMatIT = "modelmatIT";
const std::string kLightPos = "ws_lightpos";
const std::string kDiffCol = "diffcol";
const std::string kColor = "color";
const std::string kTex = "tex";
const std::string kTimeS = "time_s";
const std::string kResolution = "resolution";
const std::string kParms = "parms";
