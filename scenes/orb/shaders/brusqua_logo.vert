#version 330 compatibility
// The 3-D logo. The camera's position is not an input, so it is recovered from "mvp": the eye
// is the one point the projection sends to w = 0 with x = y = 0. The camera's forward
// direction is the row of "mvp" that makes w, and since the logo was built facing the lens,
// its front is the opposite of that direction in model space.

layout(location = 0) in vec4 position;
layout(location = 1) in vec3 normal;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform mat4 modelmatIT;

out vec3 worldPos;
out vec3 worldNormal;
out vec3 eyePos;
// How squarely the surface faces the logo's front: 1 on the caps, 0.71 on the bevels, 0 on
// the walls (flat normals, so the three stay apart).
out float facing;
// Up for the reflected studio: world up made square to the lens' forward direction.
out vec3 studioUp;

// The point (up to scale) that the rows a, b and c of a 4 x 4 matrix all send to zero.
vec4 cross4(vec4 a, vec4 b, vec4 c) {
    return vec4(dot(a.yzw, cross(b.yzw, c.yzw)), -dot(a.xzw, cross(b.xzw, c.xzw)),
                dot(a.xyw, cross(b.xyw, c.xyw)), -dot(a.xyz, cross(b.xyz, c.xyz)));
}

void main() {
    vec4 world = modelmat * position;
    worldPos = world.xyz / world.w;
    worldNormal = (modelmatIT * vec4(normal, 0.0)).xyz;
    // The camera's centre: the point every row of mvp but the depth row sends to zero (their
    // 4D cross product), which is what the inverse takes clip (0, 0, 1, 0) back to.
    mat4 rows = transpose(mvp);
    vec4 eye = modelmat * cross4(rows[0], rows[1], rows[3]);
    eyePos = eye.xyz / eye.w;
    vec3 forward = normalize(vec3(mvp[0][3], mvp[1][3], mvp[2][3]));
    facing = -dot(normalize(normal), forward);
    vec3 forwardWorld = normalize((modelmat * vec4(forward, 0.0)).xyz);
    studioUp = normalize(vec3(0.0, 1.0, 0.0) - forwardWorld * forwardWorld.y);
    gl_Position = mvp * position;
}
