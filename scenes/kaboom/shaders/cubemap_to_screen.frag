#version 330 compatibility
// The cube map around the eye unrolled into a 360-degree cylindrical panorama: x turns once
// around the world's y axis (the middle of the screen looks along -x, right is -z), y climbs
// with the tangent of the elevation at the same scale as x, horizon 62 % of the way up, so
// the frame shows from about 65 degrees down to 53 up. "resolution" = (w, h, 1/w, 1/h) of the
// screen keeps that scale for any aspect.
//
// The faces were drawn with the scene's own face table (scenes/base/cube_faces.h), which is
// not OpenGL's: face i looks along +z, -z, +y, -y, -x, +x, and was stored as
// GL_TEXTURE_CUBE_MAP_POSITIVE_X + i. Worked through for each face, the point a direction d
// falls on in the table's face is the point that OpenGL's face selection finds for
// (d.z, d.y, -d.x) on the same stored face: one turn about y for all six, so the sampler is
// handed the turned direction and picks the face itself.
// The faces are premultiplied with alpha = coverage; so is the output.

uniform samplerCube cubetex;
uniform vec4 resolution;

in vec2 uv;

layout(location = 0) out vec4 fragColor;

const float kPi = 3.14159265;
const float kHorizon = 0.62;

// sin and cos on [-pi, pi] by odd and even polynomials, within 1e-5 (a hundredth of a pixel
// of the panorama's turn): the driver's own reduce the angle first and cost more than the
// cube-map read beside them.
float sinTurn(float a) {
    float a2 = a * a;
    return a * (0.999979111 + a2 * (-0.166624009 + a2 * (8.30884741e-3 +
                a2 * (-1.92631310e-4 + a2 * 2.14702990e-6))));
}
float cosTurn(float a) {
    float a2 = a * a;
    return 0.999999211 + a2 * (-0.499994212 + a2 * (4.16597767e-2 + a2 * (-1.38587864e-3 +
           a2 * (2.42028949e-5 - a2 * 2.19727545e-7))));
}

void main() {
    float azimuth = (uv.x - 0.5) * 2.0 * kPi;
    float height = (uv.y - kHorizon) * 2.0 * kPi * resolution.y * resolution.z;
    vec3 d = vec3(-cosTurn(azimuth), height, -sinTurn(azimuth));
    fragColor = texture(cubetex, vec3(d.z, d.y, -d.x));
}
