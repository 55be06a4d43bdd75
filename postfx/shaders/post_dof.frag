#version 330 compatibility
// Depth of field: "parms".x is the distance in focus, "parms".y the distance from it at
// which the blur reaches its full radius. Distances come from the depth buffer of a camera
// whose far plane is a thousand times its near plane (the scenes' cameras), in units of the
// near plane.

uniform sampler2D tex0;
uniform sampler2D depthtex;
uniform vec4 parms;
uniform vec4 tex0siz;

in vec2 uv;

out vec4 colour;

const float kMaxRadiusPixels = 6.0;
const int kTaps = 16;
// Tap i at radius sqrt((i + 0.5) / 16) and angle i times the golden angle (2.39996323).
const vec2 kSpiral[16] = vec2[16](
    vec2(0.17677670, 0.00000000),
    vec2(-0.22577219, 0.20682582),
    vec2(0.03455805, -0.39377118),
    vec2(0.28457122, 0.37117276),
    vec2(-0.52222319, -0.09237393),
    vec2(0.49469539, -0.31468471),
    vec2(-0.16546593, 0.61552500),
    vec2(-0.31556147, -0.60759440),
    vec2(0.68464216, 0.25003022),
    vec2(-0.71225609, 0.29400896),
    vec2(0.34335450, -0.73372862),
    vec2(0.25373024, 0.80893199),
    vec2(-0.76474589, -0.44318588),
    vec2(0.89713398, -0.19723239),
    vec2(-0.54750691, 0.77877223),
    vec2(-0.12648677, -0.97608970));

float eyeDistance(float depth) {
    return 1000.0 / (1000.0 - 999.0 * depth);
}

void main() {
    // The pixel's own depth and colour are read unfiltered (the targets are the destination's
    // size; less than half a filtered read's cost on a software rasteriser).
    float distance = eyeDistance(texelFetch(depthtex, ivec2(uv * vec2(textureSize(depthtex, 0))), 0).r);
    float blur = clamp(abs(distance - parms.x) / max(parms.y, 1e-4), 0.0, 1.0);
    float radius = blur * kMaxRadiusPixels;

    // A disc of taps on a golden-angle spiral covers the circle evenly without a pattern. A
    // pixel in focus would read its own texel every time: the loop ends at once where every
    // pixel of the group is sharp (a branch would run both ways; a loop all leave is skipped).
    // Each tap reads the texel it lands in, unfiltered, for less than half a filtered read's
    // cost: the disc is the same, its taps placed to the nearest texel.
    vec2 at = uv * tex0siz.xy;
    ivec2 last = ivec2(tex0siz.xy) - 1;
    vec4 centre = texelFetch(tex0, ivec2(at), 0);
    vec4 sum = centre;
    bool sharp = blur == 0.0;
    for (int i = 0; i < kTaps && !sharp; ++i)
        sum += texelFetch(tex0, clamp(ivec2(floor(at + radius * kSpiral[i])), ivec2(0), last), 0);
    colour = sharp ? centre : sum / float(kTaps + 1);
}
