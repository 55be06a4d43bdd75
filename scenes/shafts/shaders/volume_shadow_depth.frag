#version 330 compatibility
// Volumetric light: the camera ray through this pixel is marched through the spot light's
// volume, from where it enters (the box's front faces, "frontpos_tex", or the eye when the
// camera stands inside) to where it leaves (this back face) or meets the scene first
// ("bgdepth_tex"). Each step asks the shadow map whether the light reaches that point, so
// the tubes cut dark gaps into the shafts. Output is premultiplied light in "fogColor" with
// a little extinction in alpha.
//
// The march runs in the light's object space (its view space: the light at the origin
// looking down -Z), where "mat_objectToShadowmap" is the light's projection alone. Depths
// are taken back to it through the camera's inverse projection, the camera's view-to-world
// and "mat_worldToObj". "time_ms" (a wall clock) only jitters the first step per pixel and
// frame; the blur after this pass turns the jitter into smooth light.

uniform sampler2D bgdepth_tex;
uniform sampler2DShadow shadowmap_tex;
uniform sampler2D frontpos_tex;
uniform vec4 time_ms;
uniform vec4 os_eyepos;
uniform mat4 mat_worldToObj;
uniform mat4 mat_invCamProj;
uniform mat4 mat_viewToWorld;
uniform mat4 mat_objectToShadowmap;
uniform vec4 resolution;
uniform vec4 fogColor;

in vec3 osExit;

layout(location = 0) out vec4 fragColor;

const int kSteps = 32;
const float kDensity = 0.0028;
const float kExtinction = 0.0009;

vec3 objectAt(vec2 uv, float depth) {
    vec4 view = mat_invCamProj * vec4(vec3(uv, depth) * 2.0 - 1.0, 1.0);
    view /= view.w;
    return (mat_worldToObj * (mat_viewToWorld * view)).xyz;
}

float hash(vec3 p) {
    p = fract(p * vec3(0.1031, 0.1030, 0.0973));
    p += dot(p, p.yxz + 33.33);
    return fract((p.x + p.y) * p.z);
}

// Slow, soft variation of the air: motes catch more light in some places than others.
float dust(vec3 p) {
    float a = sin(p.x * 0.043 + sin(p.z * 0.021) * 2.0);
    float b = sin(p.y * 0.051 + sin(p.x * 0.017) * 2.0);
    float c = sin(p.z * 0.033 + p.y * 0.012);
    return 0.8 + 0.2 * a * b + 0.12 * c;
}

void main() {
    vec2 uv = gl_FragCoord.xy * resolution.zw;
    float back = gl_FragCoord.z;
    float scene = texture(bgdepth_tex, uv).r;
    float front = texture(frontpos_tex, uv).r;
    float leave = min(back, scene);

    vec3 start;
    if (front < 1.0) {
        // Outside the volume: the ray enters at the front face, unless the scene is nearer.
        if (front >= leave) discard;
        start = objectAt(uv, front);
    } else {
        // No front face in front of this back face: the camera is inside the volume.
        start = os_eyepos.xyz;
    }
    vec3 end = scene < back ? objectAt(uv, scene) : osExit;

    vec3 seg = end - start;
    float len = length(seg);
    float jitter = hash(vec3(floor(gl_FragCoord.xy), mod(time_ms.x, 8192.0)));
    float sum = 0.0;
    for (int i = 0; i < kSteps; ++i) {
        vec3 p = start + seg * ((float(i) + jitter) / float(kSteps));
        vec4 clip = mat_objectToShadowmap * vec4(p, 1.0);
        vec3 ndc = clip.xyz / clip.w;
        float cone = smoothstep(1.0, 0.55, length(ndc.xy));
        if (cone <= 0.0 || -p.z <= 0.0) continue;
        float lit = texture(shadowmap_tex, vec3(ndc.xy * 0.5 + 0.5, ndc.z * 0.5 + 0.5 - 0.0004));
        float fallOff = min(125000.0 / (p.z * p.z), 1.5);
        // The air is thickest around the ring (354 units down the light's axis), so the
        // shadows behind it cut through the brightest light.
        vec3 q = p - vec3(0.0, 0.0, -354.0);
        float haze = 0.004 + 2.2 * exp(-dot(q, q) * (1.0 / (80.0 * 80.0)));
        sum += lit * cone * fallOff * haze * dust(p);
    }
    float scatter = sum * len / float(kSteps) * kDensity;
    // Saturates softly instead of clipping where long rays cross the brightest air.
    float light = 1.0 - exp(-scatter);
    float alpha = (1.0 - exp(-len * kExtinction)) * 0.4;
    fragColor = vec4(fogColor.rgb * light * 1.2, alpha);
}
