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
    vec2 from = vec2(uv.x, uv.y - parms.x);
    float spread = parms.y / float(textureSize(tex0, 0).y);
    // Without a smear the nine taps would read one place: one tap gives the same colour. The
    // count is the same for every pixel, so the loop really runs once.
    int taps = parms.y == 0.0 ? 1 : kTaps;
    vec4 sum = vec4(0.0);
    // Each tap reads the row it lands in, unfiltered (less than half the cost of a filtered
    // read on a software rasteriser): the picture moves by whole rows, the smear is the same.
    ivec2 size = textureSize(tex0, 0);
    int column = int(uv.x * float(size.x));
    for (int i = 0; i < taps; ++i) {
        float t = taps == 1 ? 0.0 : float(i) / float(kTaps - 1) - 0.5;
        int row = clamp(int(floor((from.y + t * spread) * float(size.y))), 0, size.y - 1);
        sum += texelFetch(tex0, ivec2(column, row), 0);
    }
    colour = sum / float(taps);
    // Discarded last: a software rasteriser runs the taps under a mask after an early discard
    // anyway, and a discard at the top costs it a third more on top.
    if (from.y < 0.0 || from.y > 1.0) discard;
}
