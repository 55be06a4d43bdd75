// colour_lut.cpp - see colour_lut.h.
#include "colour_lut.h"

#include <cstdio>

Picture lutPicture(int n, const ColourGrade& grade) {
    // Bottom row first: the picture's row j is the file's j-th stored row, which the loader
    // reads as texel row j.
    Picture picture(n * n, n, Picture::kBottomFirst);
    const float step = 1.0f / float(n - 1);
    for (int k = 0; k < n; ++k)
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i)
                picture.at(k * n + i, j) = grade(Rgb{i * step, j * step, k * step});
    return picture;
}

bool writeLut(const std::string& path, int n, const ColourGrade& grade, const std::string& tool) {
    if (n < 2) {
        std::fprintf(stderr, "%s: cannot write %s: a look-up table needs 2 or more steps, not %d\n",
                     tool.c_str(), path.c_str(), n);
        return false;
    }
    return lutPicture(n, grade).save(path, FIF_PNG, PNG_DEFAULT, tool.c_str());
}
