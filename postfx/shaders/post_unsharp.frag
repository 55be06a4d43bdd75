#version 330 compatibility
// Unsharp masking: what the blurred copy lacks is added again, scaled by "opasity", which
// raises contrast across every edge wider than a pixel.

uniform sampler2D tex;
uniform sampler2D tex_blurred;
uniform vec4 opasity;

in vec2 uv;

out vec4 colour;

void main() {
    vec4 sharp = texture(tex, uv);
    vec3 blurred = texture(tex_blurred, uv).rgb;
    colour = vec4(clamp(sharp.rgb + opasity.x * (sharp.rgb - blurred), 0.0, 1.0), sharp.a);
}
