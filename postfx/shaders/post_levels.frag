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

void main() {
    vec4 c = texelFetch(tex0, texelOf(tex0, uv), 0);
    vec4 lv = levels_inout / 255.0;
    // Equal input ends make a threshold instead of a division by zero.
    float span = lv.y - lv.x;
    if (abs(span) < 1e-5) span = 1e-5;
    vec3 x = clamp((c.rgb - lv.x) / span, 0.0, 1.0);
    x = pow(x, vec3(1.0 / max(gamma.x, 1e-3)));
    fragColor = vec4(mix(vec3(lv.z), vec3(lv.w), x), c.a);
}
