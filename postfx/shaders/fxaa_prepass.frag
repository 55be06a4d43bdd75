#version 330 compatibility
// The colour, with its luma in alpha so that the edge filter reads one channel per neighbour.
// The square root spreads the dark range, where steps on an edge are most visible.

uniform sampler2D tex0;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    vec3 c = texture(tex0, uv).rgb;
    fragColor = vec4(c, sqrt(dot(c, vec3(0.299, 0.587, 0.114))));
}
