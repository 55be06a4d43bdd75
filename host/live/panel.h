// panel.h - demolive's panel, drawn with Dear ImGui over the letterboxed picture.
//
// The player fills a PanelView each frame; the panel draws it and gives back what the person
// asked for with the mouse, which the player carries out as if the matching key was pressed.
#pragma once

#include "live_sync.h"
#include "track_view.h"

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

struct PanelSceneTime {
    std::string scene;
    double cpuMs, gpuMs; // gpuMs < 0: not measured (yet)
};

struct PanelView {
    int64_t timeMs = 0, endMs = 0;
    bool paused = false;
    bool loopOn = false;
    int64_t loopFromMs = 0, loopToMs = 0;
    const std::vector<SceneSpan>* spans = nullptr;
    double fps = 0, cpuFrameMs = 0, gpuFrameMs = -1;
    const std::vector<PanelSceneTime>* scenes = nullptr;
    const std::vector<std::string>* messages = nullptr; // newest last
    const std::string* error = nullptr; // the error standing now; null or empty: none
    bool showPanel = true;
    TrackViewInput trackView; // the key editor's columns and the strip under the timeline
};

struct PanelRequests {
    bool seek = false;
    int64_t seekMs = 0;
    bool togglePause = false;
    bool toggleLoop = false;
    TrackViewRequests trackView;
};

// False when the panel cannot be had; the player runs without it.
bool panelInit(SDL_Window* window, SDL_GLContext context);
// Hands the event to the panel; true when the panel uses it (the mouse over it, typing).
bool panelEvent(const SDL_Event& event);
// Draws into the bound default framebuffer; the error is drawn even with the panel hidden.
PanelRequests panelDraw(const PanelView& view);
