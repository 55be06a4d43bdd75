// dispatch_scenes.h - once a frame: which scenes are on screen, in which order, drawn how.
//
// The main loop calls dispatchScenes after advancing the graphics context's frame counter and
// before the sound update, the GPU wait and the swap. No timeline lives in the host: each
// scene's sync track, named by the scene's name(), gives its value at the music time; a scene
// above 0 is drawn, lower values first, equal values in module-list order, all into the one
// framebuffer, which dispatch clears once to black with depth 1. Each scene gets the render
// state that was current before it: dispatch pushes it before and pops it after each render.
// More than one scene drawn is reported with the frame counter, after the drawing.
//
// At most kMaxActiveScenes are drawn in a frame; visible scenes further down the module list
// are left out and reported when the overflow begins or its size changes (DispatchOverflow
// remembers the previous frame's count), so a long overlap does not flood the log.
//
// Everything is passed in, nothing owned: the loader's records, the module input (through
// which the sync source and the music time are read) and the graphics context.
#pragma once

#include <vector>

class cRenderModuleBase;
class iModuleInput;
class igfxContext;
struct ModuleRecord;

constexpr int kMaxActiveScenes = 16;

// One visible scene of the frame.
struct ActiveScene {
    float value;              // its track value, above 0
    cRenderModuleBase* scene; // never null
};

// The one thing dispatch carries from frame to frame, for its overflow report only.
struct DispatchOverflow {
    int ignoredLastFrame = 0;
};

void dispatchScenes(const std::vector<ModuleRecord>& modules, iModuleInput* input, igfxContext* gfx,
                    DispatchOverflow& overflow);

// The tools that time each scene (demolive, demorender --profile) are called right before
// (`after` false) and right after each scene's render; the player sets none.
using SceneObserver = void (*)(cRenderModuleBase* scene, bool after);
void setSceneObserver(SceneObserver observer);
