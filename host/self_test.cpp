// self_test.cpp - see self_test.h.
#include "self_test.h"

#include "matrix.h"

#include <cstdio>

void runSelfTest() {
    float translation[16], rotation[16], scale[16], tr[16], trs[16];
    const float xAxis[3] = {1.0f, 0.0f, 0.0f};
    mat_translation(translation, 10.0f, 2.0f, -19.0f);
    mat_rotation(rotation, 0.5759587f, xAxis); // 33 degrees
    mat_scale(scale, 1.0f, 2.0f, 3.0f);
    mat_product(tr, translation, rotation);
    mat_product(trs, tr, scale);
    // The product is only computed, never compared: this proves the code links and runs.
    volatile float sink = trs[15];
    (void)sink;
    std::fputs("unit tests run successfully\n", stderr);
}
