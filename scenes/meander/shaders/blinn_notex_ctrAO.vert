#version 330 compatibility
// The trail's spikes: Blinn-Phong without textures, darkened towards the object's centre.
// The camera's position is not an input, so it is recovered from "mvp": a perspective camera
// maps its own centre to clip (0, 0, k, 0), and the inverse takes that back into model space.
// That point is the one every row of "mvp" but the depth row sends to zero: their 4D cross
// product (four 3 x 3 determinants), not a whole inverse taken again at every vertex.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform mat4 modelmatIT;

out vec3 wsPos;
out vec3 wsNormal;
out vec3 wsEye;
out float centreDistance; // model units: core corners at 1, spike tips at 1.9

// The point (up to scale) that the rows a, b and c of a 4 x 4 matrix all send to zero.
vec4 cross4(vec4 a, vec4 b, vec4 c) {
    return vec4(dot(a.yzw, cross(b.yzw, c.yzw)), -dot(a.xzw, cross(b.xzw, c.xzw)),
                dot(a.xyw, cross(b.xyw, c.xyw)), -dot(a.xyz, cross(b.xyz, c.xyz)));
}

void main() {
    vec4 p = vec4(position, 1.0);
    gl_Position = mvp * p;
    wsPos = (modelmat * p).xyz;
    wsNormal = (modelmatIT * vec4(normal, 0.0)).xyz;
    mat4 rows = transpose(mvp);
    vec4 eye = modelmat * cross4(rows[0], rows[1], rows[3]);
    wsEye = abs(eye.w) > 1e-20 ? eye.xyz / eye.w : wsPos + vec3(0.0, 0.0, 1.0);
    centreDistance = length(position);
}
