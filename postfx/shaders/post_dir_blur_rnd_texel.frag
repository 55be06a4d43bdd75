#version 330 compatibility
// The jittered directional blur at a reach of one texel along an axis. Its eight taps sit a
// quarter texel apart over [-1, 1) of the reach from the pixel's centre, so whatever the jitter
// two land in the texel before, four in the pixel's own and two in the one after: the same
// average is these three texels weighted 1, 2, 1, with no noise to draw.

uniform sampler2D tex0;
uniform vec4 blurdir; // (1, 0) or (0, 1)
uniform vec4 tex0siz;

in vec2 uv;

out vec4 colour;

void main() {
    ivec2 p = ivec2(uv * tex0siz.xy);
    ivec2 step = ivec2(blurdir.xy);
    ivec2 last = ivec2(tex0siz.xy) - 1;
    vec4 before = texelFetch(tex0, clamp(p - step, ivec2(0), last), 0);
    vec4 centre = texelFetch(tex0, p, 0);
    vec4 after = texelFetch(tex0, clamp(p + step, ivec2(0), last), 0);
    colour = (before + 2.0 * centre + after) * 0.25;
}
