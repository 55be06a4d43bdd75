#version 330 compatibility
// Blinn-Phong without textures, in the spot light's shadow. Positions and normals go to
// world space ("modelmat", "modelmatIT"), and to the light's clip space
// ("mat_ObjectToShadowmap") for the shadow look-up.
//
// The program is given no camera position, so the eye is found from "mvp" itself: the eye is
// the one point the projection sends to w = 0 on the view axis, clip (0, 0, 1, 0) taken back
// through the inverse, and "modelmat" carries it into world space. That column of the inverse
// is the point every row of "mvp" but the depth row sends to zero, so it is their 4D cross
// product (four 3 x 3 determinants), not a whole inverse taken again at every vertex.

layout(location = 0) in vec4 position;
layout(location = 1) in vec3 normal;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform mat4 modelmatIT;
uniform mat4 mat_ObjectToShadowmap;

out vec3 wsPos;
out vec3 wsNormal;
out vec4 shadowClip;
out vec3 wsEye;

// The point (up to scale) that the rows a, b and c of a 4 x 4 matrix all send to zero.
vec4 cross4(vec4 a, vec4 b, vec4 c) {
    return vec4(dot(a.yzw, cross(b.yzw, c.yzw)), -dot(a.xzw, cross(b.xzw, c.xzw)),
                dot(a.xyw, cross(b.xyw, c.xyw)), -dot(a.xyz, cross(b.xyz, c.xyz)));
}

void main() {
    vec4 p = vec4(position.xyz, 1.0);
    gl_Position = mvp * p;
    wsPos = (modelmat * p).xyz;
    wsNormal = (modelmatIT * vec4(normal, 0.0)).xyz;
    shadowClip = mat_ObjectToShadowmap * p;
    mat4 rows = transpose(mvp);
    vec4 eye = cross4(rows[0], rows[1], rows[3]);
    wsEye = (modelmat * vec4(eye.xyz / eye.w, 1.0)).xyz;
}
