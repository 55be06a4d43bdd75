// loading_screen.h - the picture, progress bars and fade-out shown while the demo starts.
//
// The host calls these during start-up, in this order, after the graphics context is
// initialised and before the main loop; each frame is presented on the window:
//
//   showFirstLoadingFrame(gfx, window)              straight after the first clear
//   for each scene i of n, after its initialise:
//       LoadingRange r = sceneLoadingRange(i, n);
//       drawLoadingProgress(gfx, window, r.from, r.to)
//   LoadingRange r = finalLoadingRange(n);
//   drawLoadingProgress(gfx, window, r.from, r.to)  the last step, up to 1
//   fadeOutLoadingScreen(gfx, window)               then the main loop starts
//
// The picture is "data/textures/loadscreen.jpg", held by the texture manager; the bars use
// the program "unlit", registered on the first progress step. Every function leaves the
// requested render state as it found it. A null window draws without presenting.
#pragma once

class cGLWindow;
class igfxContext;

// Fractions of the whole, 0..1, that one animated progress step moves between.
struct LoadingRange {
    float from;
    float to;
};

// Scene `index` of `count` has been initialised: from max(index - 1, 0) / count to
// index / count. So three scenes give 0 -> 0, 0 -> 1/3, 1/3 -> 2/3.
LoadingRange sceneLoadingRange(int index, int count);
// The step after the last scene: from (count - 1) / count to 1; from 0 when there are none.
LoadingRange finalLoadingRange(int count);

// Draws the picture over the whole screen and presents it.
void showFirstLoadingFrame(igfxContext* gfx, cGLWindow* window);
// Sixteen frames, each the picture with two white bars from the left edge to the progress
// (1 - t) * from + t * to, t = 0, 1/16, ... 15/16; 10 ms after each presented frame.
void drawLoadingProgress(igfxContext* gfx, cGLWindow* window, float from, float to);
// Thirty frames that darken the picture to black (factor 1 - j/30 in frame j), 10 ms each.
void fadeOutLoadingScreen(igfxContext* gfx, cGLWindow* window);

// One progress frame at `progress` into the bound framebuffer, without presenting or waiting:
// what every frame of drawLoadingProgress shows. For checks of the picture.
void drawLoadingFrame(igfxContext* gfx, float progress);
