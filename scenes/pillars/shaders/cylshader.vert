#version 330 compatibility
// The sculpture, surface by surface. "offset_magnitude" says how far a surface still is from
// its place: 0 is home; above that the surface is pushed out along its normals, lifted,
// swollen and turned about the vertical axis, so a surface being built spirals in from above
// and settles. The settled ones breathe a little with "time_s".

layout(location = 0) in vec4 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texcoord;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform vec4 time_s;
uniform vec4 offset_magnitude;

out vec3 worldPos;
out vec3 worldNormal;
out vec2 uv;
out float away;

vec3 turnY(vec3 p, float a) {
    float c = cos(a), s = sin(a);
    return vec3(c * p.x + s * p.z, p.y, -s * p.x + c * p.z);
}

void main() {
    float d = offset_magnitude.x;
    vec3 p = position.xyz;
    float breathe = 0.6 * sin(time_s.x * 2.1 + p.y * 0.15);
    p += normal * (d * 30.0 + breathe);
    p = p * (1.0 + 0.5 * d) + vec3(0.0, d * 45.0, 0.0);
    p = turnY(p, d * 2.4);
    vec3 n = turnY(normal, d * 2.4);

    worldPos = (modelmat * vec4(p, 1.0)).xyz;
    worldNormal = mat3(modelmat) * n;
    uv = texcoord;
    away = d;
    gl_Position = mvp * vec4(p, 1.0);
}
