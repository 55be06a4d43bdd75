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

float eyeDistance(float depth) {
    return 1000.0 / (1000.0 - 999.0 * depth);
}

void main() {
    float distance = eyeDistance(texture(depthtex, uv).r);
    float blur = clamp(abs(distance - parms.x) / max(parms.y, 1e-4), 0.0, 1.0);
    vec2 radius = blur * kMaxRadiusPixels * tex0siz.zw;

    // A disc of taps on a golden-angle spiral covers the circle evenly without a pattern.
    vec4 sum = texture(tex0, uv);
    for (int i = 0; i < kTaps; ++i) {
        float r = sqrt((float(i) + 0.5) / float(kTaps));
        float angle = float(i) * 2.39996323;
        sum += texture(tex0, uv + radius * r * vec2(cos(angle), sin(angle)));
    }
    colour = sum / float(kTaps + 1);
}
