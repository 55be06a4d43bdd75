#version 330 compatibility
// Blinn-Phong lighting of untextured models: one point light and a sky/ground ambient.
// Inputs: "mvp", "modelmat" (object to world), "modelmatIT" (its inverse, transposed, for
// normals). The eye is not a uniform: it is the point that the view-projection sends to
// infinity in front of the camera, clip (0, 0, k, 0) taken back into the world. That is the
// point every row of "mvp" but the depth row sends to zero: their 4D cross product (four 3 x 3
// determinants) in model space, then modelmat; not two whole inverses at every vertex.

layout(location = 0) in vec4 position;
layout(location = 1) in vec3 normal;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform mat4 modelmatIT;

out vec3 wsPosition;
out vec3 wsNormal;
flat out vec3 wsEye;

// The point (up to scale) that the rows a, b and c of a 4 x 4 matrix all send to zero.
vec4 cross4(vec4 a, vec4 b, vec4 c) {
    return vec4(dot(a.yzw, cross(b.yzw, c.yzw)), -dot(a.xzw, cross(b.xzw, c.xzw)),
                dot(a.xyw, cross(b.xyw, c.xyw)), -dot(a.xyz, cross(b.xyz, c.xyz)));
}

void main() {
    vec4 ws = modelmat * position;
    wsPosition = ws.xyz / ws.w;
    wsNormal = (modelmatIT * vec4(normal, 0.0)).xyz;
    mat4 rows = transpose(mvp);
    vec4 eye = modelmat * cross4(rows[0], rows[1], rows[3]);
    wsEye = eye.xyz / eye.w;
    gl_Position = mvp * position;
}
