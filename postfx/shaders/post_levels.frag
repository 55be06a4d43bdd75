#version 330 compatibility
// Levels as in an image editor, on the 0-255 scale: the input range is stretched to 0..1 and
// clipped, gamma bends the mid-tones (above 1 brightens them), then the result is mapped onto
// the output range. Alpha passes through.

uniform sampler2D tex0;
uniform vec4 levels_inout; // input low, input high, output low, output high
uniform vec4 gamma;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

// The texel under the pixel, read unfiltered: the picture is the destination's size (see
// docs/postfx.md, "Cost on a software rasteriser"; another size is point-sampled).
ivec2 texelOf(sampler2D s, vec2 p) {
    return ivec2(p * vec2(textureSize(s, 0)));
}

// pow(x, e) for x in [0, 1] and e > 0, within 1e-4 of it: log2 from the exponent bits and a
// quartic in the mantissa, 2^y from a cubic in its fraction with the whole part put back into
// the exponent bits. The driver's pow costs as much as the rest of the pass on a software
// rasteriser; this a third of that.
vec3 powUnit(vec3 x, float e) {
    ivec3 b = floatBitsToInt(max(x, 1e-30));
    vec3 t = intBitsToFloat((b & 0x007fffff) | 0x3f800000) - 1.0;
    vec3 l = vec3((b >> 23) - 127) +
             (((-0.0800124794 * t + 0.315473614) * t - 0.672940497) * t + 1.43730442) * t +
             9.99827061e-05;
    vec3 y = max(l * e, -126.0);
    vec3 i = floor(y);
    vec3 f = y - i;
    vec3 p = ((0.07908582 * f + 0.22451702) * f + 0.69638977) * f + 0.99989684;
    return intBitsToFloat(floatBitsToInt(p) + (ivec3(i) << 23));
}

void main() {
    vec4 c = texelFetch(tex0, texelOf(tex0, uv), 0);
    vec4 lv = levels_inout / 255.0;
    // Equal input ends make a threshold instead of a division by zero.
    float span = lv.y - lv.x;
    if (abs(span) < 1e-5) span = 1e-5;
    vec3 x = clamp((c.rgb - lv.x) / span, 0.0, 1.0);
    x = powUnit(x, 1.0 / max(gamma.x, 1e-3));
    fragColor = vec4(mix(vec3(lv.z), vec3(lv.w), x), c.a);
}
