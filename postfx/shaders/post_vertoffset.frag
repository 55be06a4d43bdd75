#version 330 compatibility
// Vertical offset: the picture slides up by "parms".x of the frame height and is smeared
// vertically over "parms".y pixels. Rows the picture no longer covers are left as they are
// (the pass clears them first), rather than smearing the edge row over them.

uniform sampler2D tex0;
uniform vec4 parms;

in vec2 uv;

out vec4 colour;

const int kTaps = 9;

void main() {
    ivec2 size = textureSize(tex0, 0);
    vec2 from = vec2(uv.x, uv.y - parms.x);
    int column = int(uv.x * float(size.x));
    // The smear's nine taps, in rows: `first` and every `spacing` after it, over "parms".y rows.
    // Each reads the row it lands in, unfiltered (less than half the cost of a filtered read
    // on a software rasteriser): the picture moves by whole rows, the smear is the same.
    float first = from.y * float(size.y) - 0.5 * parms.y;
    float spacing = parms.y / float(kTaps - 1);
    // A smear under eight rows puts several taps on one row (all nine when there is none):
    // then each row is read once and weighed by the taps it takes, which counts the taps
    // below its top edge and keeps what the rows before did not take. The choice is the same
    // for every pixel, so the loop runs the one count: rows, or taps.
    bool byRow = spacing < 1.0;
    int firstRow = int(floor(first));
    int turns = byRow ? int(floor(first + parms.y)) - firstRow + 1 : kTaps;
    vec4 sum = vec4(0.0);
    float taken = 0.0;
    for (int k = 0; k < turns; ++k) {
        float below = k == turns - 1
                          ? float(kTaps)
                          : clamp(ceil((float(firstRow + k + 1) - first) / max(spacing, 1e-6)),
                                  0.0, float(kTaps));
        float weight = byRow ? below - taken : 1.0;
        taken = below;
        int row = byRow ? firstRow + k : int(floor(first + float(k) * spacing));
        sum += weight * texelFetch(tex0, ivec2(column, clamp(row, 0, size.y - 1)), 0);
    }
    colour = sum / float(kTaps);
    // Discarded last: a software rasteriser runs the taps under a mask after an early discard
    // anyway, and a discard at the top costs it a third more on top.
    if (from.y < 0.0 || from.y > 1.0) discard;
}
