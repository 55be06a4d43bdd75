// debug_draw.h - helper geometry for scenes: coordinate axes and the unit cube.
//
// Both draw through the graphics context a scene is given; neither allocates GL objects.
// The axes need the shader "debugcol" (data/shaders/debugcol.vert / .frag), which the scene
// registers in its initialise.
#pragma once

class igfxContext;

// Selects "debugcol", sets its "mvp", and draws the X, Y and Z unit axes from the origin in
// red, green and blue, setting "debug_color" before each.
void drawDebugAxes(igfxContext* gfx, const float mvp[16]);

// Draws the cube [0, 1]^3 as 12 indexed triangles, counter-clockwise seen from outside,
// with whatever program and uniforms the caller has selected (positions at attribute 0).
void drawUnitCube(igfxContext* gfx);
