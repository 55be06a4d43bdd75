#version 330 compatibility
// Breaks a mesh into its facets: each triangle is pushed out along its own normal by
// "explode".x (model units) and shrunk towards its centre by the fraction "explode".y, and
// turned about its normal by "explode".z radians, so a closed shell opens into a cloud of
// shards. At (0, 0, 0) the mesh is drawn as it is. Normals are the facets' own.

layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform mat4 modelmatIT;
uniform vec4 explode;

in vec4 modelPos[];

out vec3 worldPos;
out vec3 worldNormal;
out vec3 eyePos;

// Rodrigues' rotation of `p` about the unit axis `k`.
vec3 turn(vec3 p, vec3 k, float angle) {
    float c = cos(angle), s = sin(angle);
    return p * c + cross(k, p) * s + k * dot(k, p) * (1.0 - c);
}

void main() {
    vec3 a = modelPos[0].xyz, b = modelPos[1].xyz, c = modelPos[2].xyz;
    vec3 centre = (a + b + c) / 3.0;
    vec3 faceNormal = normalize(cross(b - a, c - a));
    vec3 moved = centre + faceNormal * explode.x;
    vec4 eye = modelmat * (inverse(mvp) * vec4(0.0, 0.0, 1.0, 0.0));
    vec3 normalWorld = (modelmatIT * vec4(faceNormal, 0.0)).xyz;
    for (int i = 0; i < 3; ++i) {
        vec3 corner = turn(modelPos[i].xyz - centre, faceNormal, explode.z);
        vec4 p = vec4(moved + corner * (1.0 - explode.y), 1.0);
        vec4 world = modelmat * p;
        worldPos = world.xyz / world.w;
        worldNormal = normalWorld;
        eyePos = eye.xyz / eye.w;
        gl_Position = mvp * p;
        EmitVertex();
    }
    EndPrimitive();
}
