// colour_lut.h - colour look-up tables as the scenes' LUT loader reads them: n slices of
// n x n pixels side by side, an image n·n wide and n high. Pixel column k·n + i, row j holds
// red i/(n−1), green j/(n−1), blue k/(n−1), rows counted as FreeImage stores them, bottom
// first (so the file shows green growing upwards). The loader turns that pixel into texel
// (i, j, k), and the grading pass looks colours up with red, green and blue as x, y and z.
//
// A table is a function applied to every cell colour: identityGrade makes the table that
// changes nothing; any other function makes a graded one. Results are clamped to 0..1.
#pragma once

#include "picture.h"

#include <functional>
#include <string>

using ColourGrade = std::function<Rgb(Rgb)>;

inline Rgb identityGrade(Rgb c) {
    return c;
}

// The table as a picture (n >= 2).
Picture lutPicture(int n, const ColourGrade& grade);

// Writes the table as a PNG; false, with one line naming `tool`, the file and the cause, for
// n below 2 or a file that cannot be written.
bool writeLut(const std::string& path, int n, const ColourGrade& grade, const std::string& tool);
