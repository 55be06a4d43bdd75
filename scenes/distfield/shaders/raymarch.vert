// raymarch.vert - the full-screen quad of the distance-field scene, and everything of the
// march that is the same for every pixel of a frame: the camera, the ray through each corner
// (a linear function of the screen position, so interpolation gives every pixel's exactly) and
// the scene's per-frame shapes and turns. llvmpipe runs the fragment shader's arithmetic for
// every pixel; here it runs for four corners, and the pixels read the results as varyings
// that are constant across the quad.
// Loaded with a defines text in front ("#define SCENE00" ...), so no #version line here: the
// default GLSL of the compatibility context, with explicit locations by extension.
#extension GL_ARB_explicit_attrib_location : require

layout(location = 0) in vec4 position;

uniform vec4 time;

varying vec2 uv;
varying vec3 eye; // the camera
varying vec3 ray; // the ray through this point of the screen, not normalised

#ifdef SCENE00
varying vec4 blob[5];     // centre, radius
varying vec4 blobSpin[5]; // cos, sin of the turn about z, then of the turn about x
#endif
#ifdef SCENE01
varying vec2 bodySpin; // cos, sin of the body's turn about y
#endif
#ifdef SCENE02
varying vec2 twist; // the twist's rate along y, the orb's height
#endif
#ifdef SCENE03
varying vec4 emblem;   // the bend's turn, the depth, cos and sin of the swing
varying vec2 studSpin; // cos, sin of the studs' turn
#endif

void main() {
    uv = position.xy * 0.5 + 0.5;
    gl_Position = position;
    float T = time.x;

    vec3 target;
#ifdef SCENE00
    for (int i = 0; i < 5; i++) {
        float fi = float(i);
        blob[i] = vec4(sin(T * 0.61 + fi * 1.7) * 1.4, cos(T * 0.83 + fi * 2.3) * 0.7 + 0.1,
                       sin(T * 0.47 + fi * 3.1) * 1.1, 0.5 + 0.14 * sin(fi * 2.1 + T * 1.3));
        float a = T * 0.5 + fi, b = T * 0.3 + fi * 0.7;
        blobSpin[i] = vec4(cos(a), sin(a), cos(b), sin(b));
    }
    target = vec3(0.0, -0.1, 0.0);
    float a = T * 0.18;
    eye = vec3(sin(a) * 5.2, 1.1 + 0.4 * sin(T * 0.23), cos(a) * 5.2);
#endif
#ifdef SCENE01
    bodySpin = vec2(cos(T * 0.25), sin(T * 0.25));
    target = vec3(0.0, -0.2, 0.0);
    float a = 0.6 + T * 0.12;
    eye = vec3(sin(a) * 5.2, 0.9 + 0.5 * sin(T * 0.2), cos(a) * 5.2);
#endif
#ifdef SCENE02
    twist = vec2(0.7 + 0.3 * sin(T * 0.4), 0.3 * sin(T * 0.9));
    target = vec3(0.0, 0.0, 0.0);
    float a = 2.0 + T * 0.15;
    eye = vec3(sin(a) * 5.4, 0.9 + 0.6 * sin(T * 0.17), cos(a) * 5.4);
#endif
#ifdef SCENE03
    float swing = 0.35 * sin(T * 0.4);
    emblem = vec4(sin(T * 0.5) * 0.25, 0.18 + 0.05 * sin(T), cos(swing), sin(swing));
    studSpin = vec2(cos(T * 0.6), sin(T * 0.6));
    target = vec3(0.0);
    eye = vec3(sin(T * 0.3) * 1.5, 0.4 * sin(T * 0.21), 5.2);
#endif
    vec3 fw = normalize(target - eye);
    vec3 rt = normalize(cross(fw, vec3(0.0, 1.0, 0.0)));
    vec3 up = cross(rt, fw);
    vec2 p = position.xy * vec2(16.0 / 9.0, 1.0);
    ray = p.x * rt + p.y * up + 1.9 * fw;
}
