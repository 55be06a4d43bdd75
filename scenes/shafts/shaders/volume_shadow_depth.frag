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
// and "mat_worldToObj". "time_ms" (a wall clock) only moves the first step per pixel from
// frame to frame; the blur after this pass turns the steps into smooth light.
//
// Where the work goes: only the part of the ray that lies both in the beam's cone and in the
// air that scatters (220 units from the light on) is marched, so every step lands where it
// counts; eight steps, each pixel of a 4 x 4 block starting its march at another sixteenth of
// a step, so the blur sees 128 depths per block; the steps walk the shadow map's clip space
// by a fixed increment (the projection is linear along a ray up to its divide), so a step
// costs one divide, two sines and its five shadow taps.

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

const int kSteps = 8;
const float kDensity = 0.0042;
const float kExtinction = 0.0012;
// The beam: a round cone inside the frustum, narrower than it (tan of its half angle, the
// frustum's being tan 17.5 deg = 0.315), so that the wide view stands outside it and sees
// its edge. The surfaces are lit by the same cone.
const float kBeamTan = 0.245;
// The air scatters from here on (distance along the light's axis); nearer, it is black.
const float kAirStart = 220.0;

vec3 objectAt(vec2 uv, float depth) {
    vec4 view = mat_invCamProj * vec4(vec3(uv, depth) * 2.0 - 1.0, 1.0);
    view /= view.w;
    return (mat_worldToObj * (mat_viewToWorld * view)).xyz;
}

// Where in its first step this pixel's march starts: the 4 x 4 ordered pattern spreads the
// sixteen pixels of a block evenly over the step, so the blur on D (nine taps a side) averages
// them into the march of sixteen times as many steps instead of leaving grain; the whole
// pattern moves on with the clock from frame to frame.
const float kOrder[16] = float[16](0.0, 8.0, 2.0, 10.0, 12.0, 4.0, 14.0, 6.0,
                                   3.0, 11.0, 1.0, 9.0, 15.0, 7.0, 13.0, 5.0);
float jitterAt(vec2 pixel, float ms) {
    ivec2 i = ivec2(pixel) & 3;
    return fract((kOrder[i.y * 4 + i.x] + 0.5) / 16.0 + fract(mod(ms, 8192.0) * 0.6180339));
}

// Slow, soft variation of the air: motes catch more light in some places than others:
// 0.85 + 0.15 sin(0.043 x + 2 sin(0.021 z)) sin(0.051 y + 2 sin(0.017 x)) + 0.08 sin(0.033 z
// + 0.012 y). The three inner waves advance by a fixed angle per step, so the march turns
// them on (a rotation of their sine and cosine) instead of taking three sines a step.
struct Dust {
    vec3 s, c;    // sine and cosine of the waves in z, in x, and the slanted one
    vec3 ds, dc;  // sine and cosine of their step
};
Dust dustAlong(vec3 p, vec3 stride) {
    vec3 angle = vec3(p.z * 0.021, p.x * 0.017, p.z * 0.033 + p.y * 0.012);
    vec3 step = vec3(stride.z * 0.021, stride.x * 0.017, stride.z * 0.033 + stride.y * 0.012);
    return Dust(sin(angle), cos(angle), sin(step), cos(step));
}
float dust(vec3 p, inout Dust d) {
    float a = sin(p.x * 0.043 + d.s.x * 2.0);
    float b = sin(p.y * 0.051 + d.s.y * 2.0);
    float value = 0.85 + 0.15 * a * b + 0.08 * d.s.z;
    vec3 s = d.s * d.dc + d.c * d.ds;
    d.c = d.c * d.dc - d.s * d.ds;
    d.s = s;
    return value;
}

// The part [t0, t1] of start + t * seg (t in 0..1) that lies inside the beam's cone (the
// nappe in front of the light, -z). Where the quadratic degenerates the whole segment is
// kept: the cone test in the loop still holds.
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

// `span` cut to where the air scatters, z <= -kAirStart (z falls or rises linearly in t).
vec2 airSpan(vec2 span, float sz, float dz) {
    if (abs(dz) < 1e-6) return sz <= -kAirStart ? span : vec2(1.0, 0.0);
    float t = (-kAirStart - sz) / dz;
    return dz < 0.0 ? vec2(max(span.x, t), span.y) : vec2(span.x, min(span.y, t));
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
    // The whole path in the beam dims what lies behind it ...
    float segLen = length(seg);
    float alpha = (1.0 - exp(-segLen * (span.y - span.x) * kExtinction)) * 0.5;
    // ... but only the part in the scattering air can light up.
    vec2 air = airSpan(span, start.z, seg.z);
    if (air.x >= air.y) {
        fragColor = vec4(0.0, 0.0, 0.0, alpha);
        return;
    }
    float jitter = jitterAt(gl_FragCoord.xy, time_ms.x);
    vec3 from = start + seg * air.x;
    vec3 stride = seg * ((air.y - air.x) / float(kSteps));
    vec4 clip = mat_objectToShadowmap * vec4(from + stride * jitter, 1.0);
    vec4 clipStride = mat_objectToShadowmap * vec4(stride, 0.0);
    vec3 p = from + stride * jitter;
    Dust motes = dustAlong(p, stride);
    // length(ndc.xy) in units of the beam's radius: the projection scales x and y by
    // 1 / tan(half angle) before the divide by -z.
    float toBeam = 1.0 / (mat_objectToShadowmap[0][0] * kBeamTan);
    float lightSum = 0.0, airSum = 0.0;
    for (int i = 0; i < kSteps; ++i) {
        vec3 ndc = clip.xyz / clip.w;
        // A crisp rim: the beam has a shape, not a glow that fades into the air.
        float r = length(ndc.xy) * toBeam;
        float cone = smoothstep(1.0, 0.93, r) * (0.8 + 0.2 * smoothstep(0.75, 0.97, r));
        float lit = shadowed(vec3(ndc.xy * 0.5 + 0.5, ndc.z * 0.5 + 0.5 - 0.0004));
        float fallOff = min(125000.0 / (p.z * p.z), 1.6);
        // The air is dim before the ring and brightest where it leaves it: the light that
        // comes in is plain, the light the vanes have sliced into shafts is the show. It thins
        // out far behind the ring.
        float along = smoothstep(kAirStart, 320.0, -p.z) * (0.35 + 0.65 * smoothstep(800.0, 480.0, -p.z));
        float air = cone * fallOff * along * dust(p, motes);
        lightSum += lit * air;
        airSum += air;
        clip += clipStride;
        p += stride;
    }
    // Keyed: the share of the path in shadow darkens the ray more than linearly, so a ray that
    // runs along a tube's shadow is black against the lit rays beside it.
    float share = airSum > 0.0 ? lightSum / airSum : 0.0;
    float scatter = lightSum * share * share * length(stride) * kDensity;
    // Saturates softly instead of clipping where long rays cross the brightest light.
    float light = 1.0 - exp(-scatter);
    fragColor = vec4(fogColor.rgb * light * 1.15, alpha);
}
