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
    // Always nine, even with no smear (nine reads of one row): a loop of a constant count is
    // unrolled, and that saves more than skipping eight reads in a loop that is not.
    float first = from.y * float(size.y) - 0.5 * parms.y;
    float spacing = parms.y / float(kTaps - 1);
    vec4 sum = vec4(0.0);
    for (int i = 0; i < kTaps; ++i) {
        int row = clamp(int(floor(first + float(i) * spacing)), 0, size.y - 1);
        sum += texelFetch(tex0, ivec2(column, row), 0);
    }
    colour = sum * (1.0 / float(kTaps));
    // Discarded last: a software rasteriser runs the taps under a mask after an early discard
    // anyway, and a discard at the top costs it a third more on top.
    if (from.y < 0.0 || from.y > 1.0) discard;
}
