// cube_faces.h - the view rotation for each of the six faces of a cube map.
//
// A scene that renders into a cube map combines face i's matrix with the translation by
// -eye to get that face's view, and pairs it with a 90-degree, aspect-1 perspective. With the
// row-vector convention of matrix.h, faces 0 to 5 look along +Z, -Z, +Y, -Y, -X and +X.
#pragma once

// Face 0..5; any other index reports the assertion "unknown cubeside" and gives the identity.
void cubeFaceView(float out[16], int face);
