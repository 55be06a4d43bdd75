#version 330 compatibility
// The cube map around the eye unrolled into a 360-degree cylindrical panorama: x turns once
// around the world's y axis (the middle of the screen looks along -x, right is -z), y climbs
// with the tangent of the elevation at the same scale as x, horizon 62 % of the way up, so
// the frame shows from about 65 degrees down to 53 up. "resolution" = (w, h, 1/w, 1/h) of the
// screen keeps that scale for any aspect.
//
// The faces were drawn with the scene's own face table (scenes/base/cube_faces.h), which is
// not OpenGL's: face i looks along +z, -z, +y, -y, -x, +x, and was stored as
// GL_TEXTURE_CUBE_MAP_POSITIVE_X + i. So the direction is not handed to the sampler as it is:
// we find the face that drew it and the point on that face, and then ask the sampler for the
// direction that OpenGL's face selection maps to that same face and point.
// The faces are premultiplied with alpha = coverage; so is the output.

uniform samplerCube cubetex;
uniform vec4 resolution;

in vec2 uv;

layout(location = 0) out vec4 fragColor;

const float kPi = 3.14159265;
const float kHorizon = 0.62;

// Rows r0, r1, r2 of face i's view basis: view coordinates are (r0, r1, r2) * d.
const mat3 kFaces[6] = mat3[6](
    mat3(vec3(1, 0, 0), vec3(0, -1, 0), vec3(0, 0, -1)),
    mat3(vec3(-1, 0, 0), vec3(0, -1, 0), vec3(0, 0, 1)),
    mat3(vec3(0, -1, 0), vec3(0, 0, -1), vec3(1, 0, 0)),
    mat3(vec3(0, 1, 0), vec3(0, 0, 1), vec3(1, 0, 0)),
    mat3(vec3(0, 0, 1), vec3(0, -1, 0), vec3(1, 0, 0)),
    mat3(vec3(0, 0, -1), vec3(0, -1, 0), vec3(-1, 0, 0)));

// The direction OpenGL maps to face `face` at face coordinates (s, t), each -1..1.
vec3 glDirection(int face, vec2 st) {
    if (face == 0) return vec3(1.0, -st.y, -st.x);
    if (face == 1) return vec3(-1.0, -st.y, st.x);
    if (face == 2) return vec3(st.x, 1.0, st.y);
    if (face == 3) return vec3(st.x, -1.0, -st.y);
    if (face == 4) return vec3(st.x, -st.y, 1.0);
    return vec3(-st.x, -st.y, -1.0);
}

vec4 sampleScene(vec3 d) {
    int face = 0;
    float depth = -1.0;
    vec3 view = vec3(0.0);
    for (int i = 0; i < 6; ++i) {
        vec3 v = kFaces[i] * d;
        if (-v.z > depth) {
            depth = -v.z;
            face = i;
            view = v;
        }
    }
    vec2 st = clamp(view.xy / depth, -1.0, 1.0);
    return texture(cubetex, glDirection(face, st));
}

void main() {
    float azimuth = (uv.x - 0.5) * 2.0 * kPi;
    float height = (uv.y - kHorizon) * 2.0 * kPi * resolution.y * resolution.z;
    vec3 d = normalize(vec3(-cos(azimuth), height, -sin(azimuth)));
    fragColor = sampleScene(d);
}
