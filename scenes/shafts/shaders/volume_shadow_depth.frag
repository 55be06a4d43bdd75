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
const float kDensity = 0.0042;
const float kExtinction = 0.0012;
// The beam: a round cone inside the frustum, narrower than it (tan of its half angle, the
// frustum's being tan 17.5 deg = 0.315), so that the wide view stands outside it and sees
// its edge. The surfaces are lit by the same cone.
const float kBeamTan = 0.245;

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
    return 0.85 + 0.15 * a * b + 0.08 * c;
}

// The part [t0, t1] of start + t * seg (t in 0..1) that lies inside the beam's cone (the
// nappe in front of the light, -z). Every sample then lands in the light, so the 32 steps
// resolve the tubes' shadows instead of spending most of themselves in dark air. Where the
// quadratic degenerates the whole segment is kept: the cone test in the loop still holds.
vec2 beamSpan(vec3 s, vec3 d) {
    float c2 = kBeamTan * kBeamTan;
    float a = dot(d.xy, d.xy) - c2 * d.z * d.z;
    float b = 2.0 * (dot(s.xy, d.xy) - c2 * s.z * d.z);
    float c = dot(s.xy, s.xy) - c2 * s.z * s.z;
    if (abs(a) < 1e-7) return vec2(0.0, 1.0);
    float disc = b * b - 4.0 * a * c;
    if (disc < 0.0) return a > 0.0 ? vec2(1.0, 0.0) : vec2(0.0, 1.0);
    float r = sqrt(disc);
    float t1 = (-b - r) / (2.0 * a), t2 = (-b + r) / (2.0 * a);
    if (t1 > t2) { float t = t1; t1 = t2; t2 = t; }
    vec2 span;
    if (a > 0.0) {
        span = vec2(max(t1, 0.0), min(t2, 1.0));
    } else {
        // Inside beyond both roots; one side is the front nappe.
        vec2 lo = vec2(0.0, min(t1, 1.0)), hi = vec2(max(t2, 0.0), 1.0);
        float zlo = s.z + d.z * 0.5 * (lo.x + lo.y);
        span = (lo.x < lo.y && zlo < 0.0) ? lo : hi;
    }
    if (s.z + d.z * 0.5 * (span.x + span.y) >= 0.0) return vec2(1.0, 0.0);
    return span;
}

// The light at a point of the shadow map, with the casters' edges widened by three texels:
// the vanes are only about ten texels wide as the light sees them (any wider and the glow
// turns them into white bands), and the darkest of five taps keeps their shadows wide enough
// to read as dark wedges beside the lit shafts, while staying sharp-edged.
float shadowed(vec3 at) {
    float lit = texture(shadowmap_tex, at);
    lit = min(lit, textureOffset(shadowmap_tex, at, ivec2(3, 0)));
    lit = min(lit, textureOffset(shadowmap_tex, at, ivec2(-3, 0)));
    lit = min(lit, textureOffset(shadowmap_tex, at, ivec2(0, 3)));
    lit = min(lit, textureOffset(shadowmap_tex, at, ivec2(0, -3)));
    return lit;
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
    vec2 span = beamSpan(start, seg);
    if (span.x >= span.y) discard;
    vec3 from = start + seg * span.x;
    vec3 stride = seg * ((span.y - span.x) / float(kSteps));
    float len = length(stride) * float(kSteps);
    float jitter = hash(vec3(floor(gl_FragCoord.xy), mod(time_ms.x, 8192.0)));
    float lightSum = 0.0, airSum = 0.0;
    for (int i = 0; i < kSteps; ++i) {
        vec3 p = from + stride * (float(i) + jitter);
        if (-p.z <= 1.0) continue;
        vec4 clip = mat_objectToShadowmap * vec4(p, 1.0);
        vec3 ndc = clip.xyz / clip.w;
        // A crisp rim: the beam has a shape, not a glow that fades into the air.
        float r = length(p.xy) / (-p.z * kBeamTan);
        float cone = smoothstep(1.0, 0.93, r) * (0.8 + 0.2 * smoothstep(0.75, 0.97, r));
        float lit = shadowed(vec3(ndc.xy * 0.5 + 0.5, ndc.z * 0.5 + 0.5 - 0.0004));
        float fallOff = min(125000.0 / (p.z * p.z), 1.6);
        // The air is dim before the ring and brightest where it leaves it: the light that
        // comes in is plain, the light the vanes have sliced into shafts is the show. It thins
        // out far behind the ring.
        float along = smoothstep(220.0, 320.0, -p.z) * (0.35 + 0.65 * smoothstep(800.0, 480.0, -p.z));
        float air = cone * fallOff * along * dust(p);
        lightSum += lit * air;
        airSum += air;
    }
    // Keyed: the share of the path in shadow darkens the ray more than linearly, so a ray that
    // runs along a tube's shadow is black against the lit rays beside it.
    float share = airSum > 0.0 ? lightSum / airSum : 0.0;
    float scatter = lightSum * share * share * len / float(kSteps) * kDensity;
    // Saturates softly instead of clipping where long rays cross the brightest light.
    float light = 1.0 - exp(-scatter);
    float alpha = (1.0 - exp(-len * kExtinction)) * 0.5;
    fragColor = vec4(fogColor.rgb * light * 1.15, alpha);
}
