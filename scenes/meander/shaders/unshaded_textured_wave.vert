#version 330 compatibility
// The background: the inside of a sphere, its wall pushed in and out in waves that run around
// and up it, "wave_h" high (model units). The markings ride on the waves.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texcoord;

uniform mat4 mvp;
uniform vec4 wave_h;

out vec2 uv;
out vec3 msPos;   // displaced, model space (a uniform scale away from world space)
out float crest;  // -1 in the troughs, 1 on the crests

void main() {
    float around = atan(position.z, position.x);
    // Whole numbers of waves around, so the seam at the back matches.
    float w = 0.65 * sin(around * 7.0 + position.y * 0.8) + 0.35 * sin(around * 3.0 - position.y * 1.7);
    vec3 p = position + normal * (wave_h.x * w);
    uv = texcoord;
    msPos = p;
    crest = w;
    gl_Position = mvp * vec4(p, 1.0);
}
