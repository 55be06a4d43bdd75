#version 330 compatibility
// The reactor's containment: a glass cylinder (the model: radius 1, y 0..2 in object space,
// placed by "modelmat") holding a dark steel chamber, the core ("thingy") standing on its floor
// and an energy beam rising from the core to the ceiling. Everything inside is ray-marched
// from the front face the rasteriser gives us to the point where the ray leaves the cylinder,
// which is the chamber's wall, floor or ceiling, so every pixel ends on a surface and the
// result is opaque.
//
// Inputs: "in_ws_eyepos" the eye in the world and "os_eyepos" the same eye in object space
// (the ray's exit is solved in object space, where the cylinder is the unit one); "modelmat"
// places the chamber; "nearfar" (near, far) bounds the march; "time_s" drives the beam's
// flow; "in_thingy_height" is how far the core rises above the floor, in world units;
// "midglow_fact" is the power of the beam and the core's glow (0 dim, 1 full, more flares).
//
// Budget: at most 48 march steps against the core's distance field; the beam's glow is
// integrated in closed form along the ray (a soft line light), the filaments sampled on the
// march steps.
//
// Cost: llvmpipe runs eight pixels in lock-step; an if costs both of its sides, and a loop
// costs its body as many times as the longest of the eight needs, and once even when none
// enters it. So the march is shaped by where work is needed along the ray, found in closed
// form per pixel (findBusy): the quiet stretches far from the core and the axis, where a step
// is 5 whatever the core's exact distance and the filaments add nothing, are jumped over at
// once; the one stretch near the axis where the filaments count has a loop of its own; the
// rest evaluates the core alone, and the core's normal at a hit is four more passes of that
// same loop. Every step is the one a loop of full steps (core and filaments) would take.
// What does not change along the ray (the rings' turns, the orb's size) is worked out once
// per pixel.

uniform mat4 modelmat;
uniform vec4 in_ws_eyepos;
uniform vec4 os_eyepos;
uniform vec4 nearfar;
uniform vec4 time_s;
uniform vec4 in_thingy_height;
uniform vec4 midglow_fact;

in vec3 osPosition;
in vec3 wsPosition;

layout(location = 0) out vec4 fragColor;

const int kSteps = 48;
const vec3 kBeamCore = vec3(0.85, 0.97, 1.0);
const vec3 kBeamHalo = vec3(0.10, 0.55, 1.00);
const vec3 kFilament = vec3(0.35, 0.85, 1.00);
const vec3 kHot = vec3(1.00, 0.55, 0.18);

// The chamber in the world, from the model matrix.
vec3 gAxis;     // a point on the axis at floor height
float gRadius;  // inner radius
float gFloor;   // y of the floor
float gCeiling; // y of the ceiling
float gTime;
float gGlow;
float gCoreTop; // y of the top of the core
mat2 gRingXY[3];  // the rings' turns at this time
mat2 gRingYZ[3];
float gOrbRadius;
float gBoundRadius; // the core lies within this distance of the axis ...
float gBoundTop;    // ... and below this height above the floor

// ---- helpers --------------------------------------------------------------------------------

mat2 rot(float a) {
    float c = cos(a), s = sin(a);
    return mat2(c, s, -s, c);
}

// hash13 in two halves: the first works on each axis alone, so a lattice's eight corners
// need it for two values per axis (noise3), and the second mixes the axes.
vec3 hashAxes(vec3 p) {
    return fract(p * 0.1031);
}

float hashMix(vec3 p) {
    p += dot(p, p.zyx + 31.32);
    return fract((p.x + p.y) * p.z);
}

float hash13(vec3 p) {
    return hashMix(hashAxes(p));
}

float noise3(vec3 p) {
    vec3 i = floor(p), f = fract(p);
    f = f * f * (3.0 - 2.0 * f);
    vec3 h0 = hashAxes(i), h1 = hashAxes(i + 1.0);
    float n000 = hashMix(h0), n100 = hashMix(vec3(h1.x, h0.y, h0.z));
    float n010 = hashMix(vec3(h0.x, h1.y, h0.z)), n110 = hashMix(vec3(h1.x, h1.y, h0.z));
    float n001 = hashMix(vec3(h0.x, h0.y, h1.z)), n101 = hashMix(vec3(h1.x, h0.y, h1.z));
    float n011 = hashMix(vec3(h0.x, h1.y, h1.z)), n111 = hashMix(h1);
    return mix(mix(mix(n000, n100, f.x), mix(n010, n110, f.x), f.y),
               mix(mix(n001, n101, f.x), mix(n011, n111, f.x), f.y), f.z);
}

float sdTorus(vec3 p, float major, float minor) {
    return length(vec2(length(p.xz) - major, p.y)) - minor;
}

float sdRoundCylinder(vec3 p, float radius, float halfHeight, float round) {
    vec2 d = vec2(length(p.xz) - radius + round, abs(p.y) - halfHeight + round);
    return min(max(d.x, d.y), 0.0) + length(max(d, 0.0)) - round;
}

// ---- the core -------------------------------------------------------------------------------

// Material of the nearest surface of the last core() call: 0 steel, 1 the glowing orb,
// 2 the spinning rings (steel with hot edges).
float gMaterial;

float core(vec3 p) {
    vec3 q = p - gAxis;
    float h = max(gCoreTop - gFloor, 0.0);

    // A stepped pedestal on the floor.
    float d = sdRoundCylinder(q - vec3(0.0, 1.5, 0.0), 19.0, 1.5, 0.5);
    d = min(d, sdRoundCylinder(q - vec3(0.0, 4.2, 0.0), 13.0, 1.5, 0.5));
    gMaterial = 0.0;

    // The spindle rises with the core's height, ribbed every two units.
    float spindleHalf = max(h * 0.5, 0.5);
    vec3 s = q - vec3(0.0, spindleHalf, 0.0);
    float spindle = sdRoundCylinder(s, 4.6 + 0.35 * sin(q.y * 3.14159), spindleHalf, 0.6);
    d = min(d, spindle);

    // Three rings turning on tilted axes around the top.
    vec3 top = q - vec3(0.0, h, 0.0);
    float rings = 1e9;
    for (int i = 0; i < 3; ++i) {
        vec3 r = top;
        r.xy = gRingXY[i] * r.xy;
        r.yz = gRingYZ[i] * r.yz;
        rings = min(rings, sdTorus(r, 15.0 - float(i) * 3.2, 0.9));
    }
    if (rings < d) gMaterial = 2.0;
    d = min(d, rings);

    // The orb the beam leaves from.
    float orb = length(top) - gOrbRadius;
    if (orb < d) gMaterial = 1.0;
    return min(d, orb);
}

// A lower bound of core(p): every part of the core lies within gBoundRadius of the axis and
// below gBoundTop (the pedestal within 19, the spindle within 5, the rings and the orb within
// their radius of the top, all above the floor).
float coreBound(vec3 p) {
    vec3 q = p - gAxis;
    return max(length(q.xz) - gBoundRadius, q.y - gBoundTop);
}

// The core's normal at a hit: the sum of these four directions, each weighed by core() a
// little way along it (taken in the march's last loop, see main).
const vec3 kTetra[4] = vec3[4](vec3(1, -1, -1), vec3(-1, -1, 1), vec3(-1, 1, -1), vec3(1, 1, 1));

// ---- the beam -------------------------------------------------------------------------------

// How much of the beam's height a point at y sees: none below the orb or above the ceiling.
float beamSpan(float y) {
    return smoothstep(gCoreTop - 1.0, gCoreTop + 5.0, y) * smoothstep(gCeiling + 2.0, gCeiling - 3.0, y);
}

// Light of a soft line along the axis, integrated along the ray from s0 to s1: the integral
// of (1 + (distance / width)^2)^-2, distance measured across the axis. It falls off with the
// cube of the ray's distance from the axis, so the beam lights the air around it and not the
// whole chamber.
// Both widths of the beam (core and halo) at once: what depends only on the ray is shared.
vec2 lineGlow(vec3 ro, vec3 rd, float s0, float s1, vec2 width) {
    vec2 o = ro.xz - gAxis.xz;
    vec2 v = rd.xz;
    float a = max(dot(v, v), 1e-5);
    float b = dot(o, v);
    float c = dot(o, o);
    vec2 k2 = width * width + max(c - b * b / a, 0.0);
    vec2 k = sqrt(k2);
    float sa = sqrt(a);
    float u0 = s0 + b / a, u1 = s1 + b / a;
    vec2 f0 = u0 / (2.0 * k2 * (k2 + a * u0 * u0)) + atan(sa * u0 / k) / (2.0 * k2 * k * sa);
    vec2 f1 = u1 / (2.0 * k2 * (k2 + a * u1 * u1)) + atan(sa * u1 / k) / (2.0 * k2 * k * sa);
    vec2 w2 = width * width;
    return w2 * w2 * (f1 - f0);
}

// Three filaments twisting up the beam, thickening with the glow; density at p.
float filaments(vec3 p) {
    vec3 q = p - gAxis;
    float y = q.y;
    float span = beamSpan(p.y);
    if (span <= 0.0) return 0.0;
    float density = 0.0;
    for (int i = 0; i < 3; ++i) {
        float fi = float(i);
        float angle = y * (0.16 + 0.03 * fi) - gTime * (2.2 + 0.6 * fi) + fi * 2.094;
        float radius = 3.0 + 2.2 * sin(y * 0.11 + gTime * 1.3 + fi * 1.7);
        vec2 centre = radius * vec2(cos(angle), sin(angle));
        float d = length(q.xz - centre);
        density += exp(-d * d * 0.9);
    }
    // Pulses travelling up.
    float pulse = 0.55 + 0.45 * sin(y * 0.35 - gTime * 9.0);
    float grain = noise3(vec3(q.xz * 0.6, y * 0.25 - gTime * 3.0));
    return density * pulse * (0.5 + grain) * span;
}

// ---- the chamber ----------------------------------------------------------------------------

// Light the beam throws on a surface at p with normal n: a line light along the axis.
vec3 beamLight(vec3 p, vec3 n) {
    vec3 q = p - gAxis;
    float y = clamp(q.y, gCoreTop - gFloor + 2.0, gCeiling - gFloor);
    vec3 toBeam = vec3(0.0, y, 0.0) - q;
    float d = length(toBeam);
    float lambert = max(dot(n, toBeam / d), 0.0);
    return (kBeamHalo * 0.7 + kBeamCore * 0.3) * lambert * (0.35 + gGlow) * 320.0 / (d * d + 300.0);
}

// `light` is beamLight(p, n), `sheen` the steel's highlight (main works out both).
vec3 chamberSurface(vec3 p, vec3 n, vec3 light, float sheen) {
    vec3 q = p - gAxis;
    float angle = atan(q.z, q.x);
    vec3 base = vec3(0.045, 0.05, 0.058);
    vec3 emit = vec3(0.0);
    if (n.y > 0.5) {
        // Floor: concentric grooves and radial seams, a glowing ring around the pedestal.
        float r = length(q.xz);
        float groove = smoothstep(0.15, 0.0, abs(fract(r / 4.0) - 0.5) - 0.42);
        float seam = smoothstep(0.02, 0.0, abs(fract(angle * 16.0 / 6.28318) - 0.5) - 0.46);
        base *= 1.0 - 0.6 * max(groove, seam);
        emit += kBeamHalo * smoothstep(1.0, 0.0, abs(r - 16.0)) * (0.4 + gGlow);
    } else if (n.y < -0.5) {
        // Ceiling: the emitter ring the beam runs into.
        float r = length(q.xz);
        emit += kBeamCore * smoothstep(2.0, 0.0, abs(r - 8.0)) * (0.5 + gGlow);
        base *= 0.7;
    } else {
        // Wall: panels with dark seams, and lamps in rows that chase upward.
        float u = angle * gRadius / 6.0;
        float v = q.y / 6.0;
        vec2 cell = fract(vec2(u, v)) - 0.5;
        float seam = smoothstep(0.46, 0.49, max(abs(cell.x), abs(cell.y)));
        base *= 1.0 - 0.7 * seam;
        base *= 0.8 + 0.4 * hash13(floor(vec3(u, v, 3.0)));
        float lampRow = smoothstep(0.12, 0.0, abs(cell.y)) * smoothstep(0.2, 0.1, abs(cell.x));
        float chase = 0.5 + 0.5 * sin(floor(v) * 1.3 - gTime * 4.0);
        emit += kHot * lampRow * chase * 0.6 * step(0.5, fract(floor(u) * 0.5));
    }
    vec3 lit = base * (vec3(0.05, 0.06, 0.08) + light);
    // The steel reflects the beam as a soft sheen.
    lit += kBeamHalo * sheen * 0.25 * (0.3 + gGlow);
    return lit + emit;
}

// ---- the ray ----------------------------------------------------------------------------------

// Where a ray o + t d (object space) leaves the unit cylinder y 0..2; t of entry in .x, exit
// in .y.
vec2 cylinderSpan(vec3 o, vec3 d) {
    float a = max(dot(d.xz, d.xz), 1e-8);
    float b = dot(o.xz, d.xz);
    float c = dot(o.xz, o.xz) - 1.0;
    float disc = max(b * b - a * c, 0.0);
    float root = sqrt(disc);
    vec2 side = vec2(-b - root, -b + root) / a;
    float invY = 1.0 / (abs(d.y) > 1e-6 ? d.y : 1e-6);
    vec2 slab = vec2(-o.y * invY, (2.0 - o.y) * invY);
    slab = vec2(min(slab.x, slab.y), max(slab.x, slab.y));
    return vec2(max(side.x, slab.x), min(side.y, slab.y));
}

// Where the ray o + s d (world) is within `radius` of the axis: s from .x to .y, empty when
// .x > .y. A ray along the axis is within it everywhere or nowhere.
vec2 axisSpan(vec3 o, vec3 d, float radius) {
    vec2 w = o.xz - gAxis.xz;
    float a = max(dot(d.xz, d.xz), 1e-10);
    float b = dot(w, d.xz);
    float c = dot(w, w) - radius * radius;
    float disc = b * b - a * c;
    if (disc < 0.0) return vec2(1e30, -1e30);
    // The stable pair of roots: no cancellation when the ray passes far from the axis.
    float q = -(b + (b < 0.0 ? -sqrt(disc) : sqrt(disc)));
    vec2 roots = vec2(q / a, c / (abs(q) > 1e-30 ? q : 1e-30));
    return vec2(min(roots.x, roots.y), max(roots.x, roots.y));
}

// The busy stretches of the ray, where a step needs the core or the filaments: the core's bound
// closer than 5 (within gBoundRadius + 5 of the axis and below gBoundTop + 5 above the floor)
// or within 11 of the axis. Everywhere else the step is 5 (the core is at least that far) and
// the filaments add less than 1e-12. Both are widened by a quarter unit, so that rounding
// never calls a busy point quiet; a widened point costs a full step that gives the same.
vec2 gBusyCore;
vec2 gBusyAxis;
// The stretch where the filaments count: within 11 of the axis and at heights where the beam
// is (beamSpan above 0), widened the same way. It is one stretch, and inside gBusyAxis.
vec2 gBusyBeam;

void findBusy(vec3 ro, vec3 rd) {
    gBusyCore = axisSpan(ro, rd, gBoundRadius + 5.25);
    float top = gFloor + gBoundTop + 5.25 - ro.y;
    if (abs(rd.y) < 1e-8) {
        if (top < 0.0) gBusyCore = vec2(1e30, -1e30);
    } else if (rd.y > 0.0) {
        gBusyCore.y = min(gBusyCore.y, top / rd.y);
    } else {
        gBusyCore.x = max(gBusyCore.x, top / rd.y);
    }
    gBusyAxis = axisSpan(ro, rd, 11.25);
    gBusyBeam = gBusyAxis;
    vec2 heights = vec2(gCoreTop - 1.25, gCeiling + 2.25) - ro.y;
    if (abs(rd.y) < 1e-8) {
        if (heights.x > 0.0 || heights.y < 0.0) gBusyBeam = vec2(1e30, -1e30);
    } else {
        heights /= rd.y;
        gBusyBeam.x = max(gBusyBeam.x, min(heights.x, heights.y));
        gBusyBeam.y = min(gBusyBeam.y, max(heights.x, heights.y));
    }
}

// How many quiet steps of 5 from s before the first busy point: s + 5 k is that point.
// Large when the ray has no busy point left.
float quietSteps(float s) {
    float k = 1e9;
    float j = max(ceil((gBusyCore.x - s) * 0.2), 0.0);
    if (s + 5.0 * j <= gBusyCore.y) k = j;
    j = max(ceil((gBusyAxis.x - s) * 0.2), 0.0);
    if (s + 5.0 * j <= gBusyAxis.y) k = min(k, j);
    return k;
}

// Skips the run of quiet steps from s, each counted in i: false when that ends the march (the
// run reached the exit or used up the steps).
bool skipQuiet(inout float s, inout float i, float sExit) {
    float toExit = max(ceil((sExit - s) * 0.2), 1.0);
    float jump = min(quietSteps(s), min(toExit, float(kSteps) - i));
    s += 5.0 * jump;
    i += jump;
    return jump < toExit && i < float(kSteps);
}

// One step from s where the core is d away: false when the ray is done (it hit the core, or
// passed sExit, or used up the steps). The hit keeps the material of that core() call.
bool coreStep(float d, inout float s, inout float i, float sExit, inout bool hit,
              inout float material) {
    i += 1.0;
    if (d < 0.02 + s * 0.0015) {
        hit = true;
        material = gMaterial;
        return false;
    }
    s += clamp(d, 0.6, 5.0);
    return !(s >= sExit) && i < float(kSteps);
}

void main() {
    gAxis = (modelmat * vec4(0.0, 0.0, 0.0, 1.0)).xyz;
    gRadius = length((modelmat * vec4(1.0, 0.0, 0.0, 0.0)).xyz);
    gFloor = gAxis.y;
    gCeiling = (modelmat * vec4(0.0, 2.0, 0.0, 1.0)).y;
    gTime = time_s.x;
    gGlow = max(midglow_fact.x, 0.0);
    gCoreTop = gFloor + clamp(in_thingy_height.x, 0.0, gCeiling - gFloor - 6.0);
    for (int i = 0; i < 3; ++i) {
        float fi = float(i);
        gRingXY[i] = rot(0.55 + fi * 0.9 + gTime * (0.6 + 0.25 * fi));
        gRingYZ[i] = rot(fi * 1.7 + gTime * (0.45 - 0.2 * fi));
    }
    gOrbRadius = 6.5 + 0.5 * gGlow * sin(gTime * 7.0);
    gBoundRadius = max(19.0, gOrbRadius);
    gBoundTop = max(5.7, max(gCoreTop - gFloor, 0.0) + max(15.9, gOrbRadius));

    // t runs from the eye (0) to this fragment (1), the same in both spaces.
    vec3 ro = in_ws_eyepos.xyz;
    vec3 toFragment = wsPosition - ro;
    float length1 = max(length(toFragment), 1e-4);
    vec3 rd = toFragment / length1;
    vec2 span = cylinderSpan(os_eyepos.xyz, osPosition - os_eyepos.xyz);
    float sEnter = max(max(span.x, 0.0) * length1, nearfar.x);
    float sExit = min(max(span.y, span.x) * length1, nearfar.y);

    // March the core, gathering the filaments' light on the way. Quiet steps (findBusy) are
    // all 5 long and gather nothing, so the ray jumps over a run of them at once, counting
    // them among its kSteps. The column where the filaments count is one stretch of the ray,
    // so three loops take it in order: the core alone up to the column, the core and the
    // filaments through it, the core alone after it. A group of pixels pays, in each loop,
    // for the most steps any of its rays takes there, and once for a loop none enters.
    findBusy(ro, rd);
    float s = sEnter;
    float filamentLight = 0.0;
    bool hit = false, going = true;
    float i = 0.0;
    float material = 0.0;
    // Up to the beam's column: the core alone.
    for (; going;) {
        going = skipQuiet(s, i, sExit);
        if (!going || (s >= gBusyBeam.x && s <= gBusyBeam.y)) break;
        going = coreStep(core(ro + rd * s), s, i, sExit, hit, material);
    }
    // Through the column: the core and the filaments.
    for (; going && s <= gBusyBeam.y;) {
        vec3 p = ro + rd * s;
        float d = core(p);
        float weight = min(clamp(d, 0.6, 5.0), 2.0);
        going = coreStep(d, s, i, sExit, hit, material);
        if (!hit) filamentLight += filaments(p) * weight;
    }
    // Past the column: the core alone again, and where the ray hit, the core's normal from
    // four more taps of the same loop.
    vec3 n = vec3(0.0);
    vec3 pHit = ro + rd * min(s, sExit);
    int tap = 0;
    for (;;) {
        if (going) going = skipQuiet(s, i, sExit);
        if (!going && !(hit && tap < 4)) break;
        vec3 p = going ? ro + rd * s : pHit + kTetra[min(tap, 3)] * 0.02;
        float d = core(p);
        if (going) {
            going = coreStep(d, s, i, sExit, hit, material);
            pHit = ro + rd * min(s, sExit);
        } else {
            n += kTetra[min(tap, 3)] * d;
            ++tap;
        }
    }
    // A ray that used up its steps without touching the core goes on to the chamber's wall.
    s = hit ? min(s, sExit) : sExit;
    vec3 p = ro + rd * s;

    // The surface: the core where the ray hit it, else the chamber's wall, floor or ceiling.
    // Every pixel pays for both (an if costs both sides), so what they share is worked out
    // once: the normal, the beam's light on it and the highlight's half vector (towards the
    // top of the core for the core, across the axis for the chamber). Whole powers are
    // products.
    vec3 q = p - gAxis;
    if (hit) n = normalize(n);
    else if (p.y <= gFloor + 0.01) n = vec3(0.0, 1.0, 0.0);
    else if (p.y >= gCeiling - 0.01) n = vec3(0.0, -1.0, 0.0);
    else n = normalize(vec3(-q.x, 0.0, -q.z));
    vec3 light = beamLight(p, n);
    vec3 h = normalize(normalize(gAxis + vec3(0.0, hit ? gCoreTop - gFloor : q.y, 0.0) - p) - rd);
    float nh = max(dot(n, h), 0.0);
    float nh2 = nh * nh, nh4 = nh2 * nh2, nh8 = nh4 * nh4, nh16 = nh8 * nh8;
    vec3 colour;
    if (hit) {
        if (material == 1.0) {
            // The orb: white-hot in the middle, cyan at the limb.
            float facing = max(dot(n, -rd), 0.0);
            colour = mix(kBeamHalo * 2.0, kBeamCore * 3.0, facing * facing) * (0.6 + gGlow);
        } else {
            vec3 steel = material == 2.0 ? vec3(0.20, 0.21, 0.24) : vec3(0.12, 0.125, 0.135);
            colour = steel * (vec3(0.06, 0.07, 0.09) + light * 1.6);
            colour += kBeamCore * (nh16 * nh16 * nh8) * (0.5 + gGlow);
            if (material == 2.0) {
                float rim = 1.0 - abs(dot(n, rd));
                colour += kHot * (rim * rim * rim) * (0.8 + 1.2 * gGlow);
            }
        }
    } else {
        colour = chamberSurface(p, n, light, nh16 * nh8);
    }

    // The beam's light on everything in front of the surface: a white core in a blue halo.
    float power = 0.45 + gGlow;
    vec2 glow = lineGlow(ro, rd, sEnter, s, vec2(2.2, 9.0));
    float core1 = glow.x, halo = glow.y;
    vec3 closest = ro + rd * clamp(-dot(ro.xz - gAxis.xz, rd.xz) / max(dot(rd.xz, rd.xz), 1e-5),
                                   sEnter, s);
    float along = beamSpan(closest.y);
    float pulse = 0.8 + 0.2 * sin(closest.y * 0.35 - gTime * 9.0);
    colour += (kBeamCore * core1 * 1.2 + kBeamHalo * halo * 0.12) * along * pulse * power;
    colour += kFilament * filamentLight * 0.16 * power;

    // The glass: a cool Fresnel sheen and thin field rings that drift upward.
    vec3 entry = ro + rd * sEnter;
    vec3 glassNormal = normalize(vec3(entry.x - gAxis.x, 0.0, entry.z - gAxis.z));
    float facing = 1.0 - abs(dot(rd, glassNormal));
    float facing2 = facing * facing;
    float fresnel = facing2 * facing2 * facing;
    float ringY = (entry.y - gFloor) / 7.0 - gTime * 0.25;
    float ring = smoothstep(0.06, 0.0, abs(fract(ringY) - 0.5) - 0.44);
    colour += vec3(0.35, 0.55, 0.7) * fresnel * 0.6 + kBeamHalo * ring * 0.12 * power;

    // Film-like shoulder: the core stays white without the rest washing out.
    colour = vec3(1.0) - exp(-colour * 1.15);
    fragColor = vec4(colour, 1.0);
}
