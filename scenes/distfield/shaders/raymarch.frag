// raymarch.frag - four distance-field scenes, one per define (SCENE00 .. SCENE03):
//   SCENE00  liquid-metal blobs merging and splitting; parms.y morphs them from spheres to
//            rounded cubes, parms.x ripples their surface
//   SCENE01  a torus-and-sphere body cut into floating slices; parms2.x pulls the slices
//            apart and sideways, the cut faces burn with parms2.y
//   SCENE02  a twisted pillar whose material morphs (parms.z) from chrome to molten gold
//            with glowing veins from the wobble texture
//   SCENE03  an emblem (ring, bar and orbiting dots) bent and waved by parms.w, drawn over
//            the scene's background texture (alpha is coverage)
// Inputs: time = seconds in every component; tex0 = the wobble texture (clamped, so it is
// wrapped here); parms = (blob_distort, blob_morph, blob_matmorph, blob_logodistort);
// parms2 = (slice_offset, glowintensity, 0, 0). Output is premultiplied.
//
// No #version: the defines text comes first, so this is the context's default GLSL
// (texture2D, varying, gl_FragColor; every float literal written with a point).
//
// Cost on a software rasteriser decides the budgets: at most 48 march steps, bounds as tight as
// each scene's shapes allow with a relaxed hit distance, a 9-step soft shadow, a normal from
// three taps and a 2-tap occlusion estimate.
//
// llvmpipe runs eight pixels in lock-step and an if costs both of its sides, so an early
// return inside map() saves nothing: only a loop that all eight pixels leave early does. Far
// from the bounding sphere the field is the sphere's and the floor's distance alone
// (mapFar); every loop below therefore runs in a cheap form where that holds and in the full
// form only where it does not, each form a loop of its own, with the same values as one loop
// over map() would give.
//
// What is the same for every pixel of a frame (the camera, the blobs' places and turns, the
// scenes' per-frame angles) comes from the vertex shader as varyings that are constant across
// the quad, and the ray is interpolated from the corners. Inside map() the built-in sin, cos
// and atan cost llvmpipe several times a short polynomial's; fsin / fatan are good to 1e-3 /
// 1e-5, which moves the surfaces by under a thousandth of a unit: a few silhouette pixels.

uniform vec4 time;
uniform sampler2D tex0;
uniform vec4 parms;
uniform vec4 parms2;

varying vec2 uv;
varying vec3 eye; // per frame, from the vertex shader
varying vec3 ray; // this pixel's ray, not normalised

#define MAX_STEPS 48
#define FAR 18.0

float T;
float gMat;   // material of the nearest surface from the last map() call
float gHeat;  // scene-specific emission of that surface (the sliced body: whether it is a cut)
float gSkin;  // the sliced body: how far the body's skin is from a cut face
float gFloor; // the floor's height as map() sees it: FLOOR_Y, or far below for shadow steps

// ---- helpers --------------------------------------------------------------------------------

mat2 rot(float a) {
    float c = cos(a), s = sin(a);
    return mat2(c, s, -s, c);
}

float smin(float a, float b, float k) {
    float h = clamp(0.5 + 0.5 * (b - a) / k, 0.0, 1.0);
    return mix(b, a, h) - k * h * (1.0 - h);
}

float sdBox(vec3 p, vec3 b) {
    vec3 q = abs(p) - b;
    return length(max(q, 0.0)) + min(max(q.x, max(q.y, q.z)), 0.0);
}

float sdTorus(vec3 p, vec2 t) {
    vec2 q = vec2(length(p.xz) - t.x, p.y);
    return length(q) - t.y;
}

vec3 wobble(vec2 p) {
    return texture2D(tex0, fract(p)).rgb;
}

// 0.5 + 0.5 cos(6.2831 (t + phase)) with fsin's parabola and correction, in turns, for the
// three channels at once: good to about 0.0005, under a tenth of a level on the blobs.
vec3 palette(float t, vec3 phase) {
    vec3 x = (t + phase) * 0.99998642 + 0.25;
    x -= floor(x + 0.5);
    vec3 y = x * (8.0 - 16.0 * abs(x));
    return 0.5 + 0.5 * (y + 0.225 * y * (abs(y) - 1.0));
}

// A sine good to about 0.001 for the field's ripples, drifts and twists: a parabola per half
// turn, then one correction.
float fsin(float x) {
    x *= 0.15915494;
    x -= floor(x + 0.5); // turns, in [-0.5, 0.5)
    float y = x * (8.0 - 16.0 * abs(x));
    return y + 0.225 * y * (abs(y) - 1.0);
}
float fcos(float x) {
    return fsin(x + 1.5707963);
}
mat2 frot(float a) {
    float c = fcos(a), s = fsin(a);
    return mat2(c, s, -s, c);
}
// An angle good to about 1e-5, without the built-in's extra range work.
float fatan(float y, float x) {
    float ax = abs(x), ay = abs(y);
    float a = min(ax, ay) / max(max(ax, ay), 1e-20);
    float s = a * a;
    float r = ((-0.0464964749 * s + 0.15931422) * s - 0.327622764) * s * a + a;
    r = ay > ax ? 1.57079637 - r : r;
    r = x < 0.0 ? 3.14159274 - r : r;
    return y < 0.0 ? -r : r;
}

// ---- the scenes -----------------------------------------------------------------------------

// Each scene's floor and the sphere that bounds its object; more than 0.5 outside the bound
// the scene's map() is mapFar(). Every map() step of the march costs the whole field, so the
// bounds are as tight as the shapes allow: the sliced body reaches 1.67 (the torus) plus the
// smooth union's 0.13 and its slices' drift; the pillar, a capsule, is in boundDist() below.
// The glow sums over the march's steps, so a bound moves the glow's faint outer rings a little.
#ifdef SCENE00
const float FLOOR_Y = -1.7;
const vec3 BOUND_C = vec3(0.0, 0.1, 0.0);
const float BOUND_R = 2.9;
#endif
#ifdef SCENE01
const float FLOOR_Y = -2.2;
const vec3 BOUND_C = vec3(0.0);
#define BOUND_R (1.85 + 0.43 * max(parms2.x, 0.0))
#endif
#ifdef SCENE02
const float FLOOR_Y = -2.0;
const vec3 BOUND_C = vec3(0.0);
const float BOUND_R = 2.05; // the shading's sphere; the march takes the capsule
#endif
#ifdef SCENE03
const float FLOOR_Y = -100.0;
const vec3 BOUND_C = vec3(0.0);
const float BOUND_R = 2.6;
#endif

// The march's bound. The pillar stands in a capsule: its rounded box's corners are 1.16 from
// the axis segment y = -0.9 .. 0.9 and the orb (1.05) never leaves it; 0.14 more for the smooth
// union and the wobble. A convex bound, like the sphere: a ray that has left its shell never
// comes back.
float boundDist(vec3 p) {
#ifdef SCENE02
    return length(vec3(p.x, p.y - clamp(p.y, -0.9, 0.9), p.z)) - 1.3;
#else
    return length(p - BOUND_C) - BOUND_R;
#endif
}

// The shading's bound: the sphere (the shadow's rules need its closest approach along a ray).
float shadeDist(vec3 p) {
    return length(p - BOUND_C) - BOUND_R;
}

// The field far from the object: the bounding sphere's distance or the floor's.
float mapFar(vec3 p) {
    float bound = boundDist(p);
    float fl = p.y - gFloor;
    gMat = fl < bound ? 0.0 : 1.0;
    gHeat = 0.0;
    return min(bound, fl);
}

// The least distance to the shading's sphere a ray from p along unit l will ever have.
float boundAhead(vec3 p, vec3 l) {
    vec3 c = p - BOUND_C;
    float along = dot(c, l);
    return length(along > 0.0 ? c : c - l * along) - BOUND_R;
}

#ifdef SCENE00
vec3 glowTint() { return vec3(0.25, 0.55, 1.0); }

// Blob centres, radii and spins change per frame: the vertex shader works them out.
varying vec4 blob[5];     // centre, radius
varying vec4 blobSpin[5]; // cos, sin of the turn in xy, then in yz

float mapNear(vec3 p) {
    float fl = p.y - gFloor;
    float d = 0.0;
    float morph = clamp(parms.y, 0.0, 1.0);
    for (int i = 0; i < 5; i++) {
        vec3 q = p - blob[i].xyz;
        float r = blob[i].w;
        vec4 cs = blobSpin[i];
        q.xy = vec2(cs.x * q.x - cs.y * q.y, cs.y * q.x + cs.x * q.y);
        q.yz = vec2(cs.z * q.y - cs.w * q.z, cs.w * q.y + cs.z * q.z);
        float shape = mix(length(q) - r, sdBox(q, vec3(r * 0.72)) - r * 0.18, morph);
        d = i == 0 ? shape : smin(d, shape, 0.55); // the first union would give shape itself
    }
    float ripple = fsin(p.x * 5.0 + T * 2.1) * fsin(p.y * 4.3 - T * 1.7) * fsin(p.z * 4.7 + T);
    d += parms.x * 0.12 * ripple;
    gMat = fl < d ? 0.0 : 1.0;
    gHeat = 0.0;
    return min(d, fl);
}
vec3 surface(vec3 p, vec3 n, out float gloss) {
    if (gMat < 0.5) {
        gloss = 0.35;
        vec2 g = abs(fract(p.xz * 0.8) - 0.5);
        float line = smoothstep(0.47, 0.5, max(g.x, g.y));
        return vec3(0.03, 0.035, 0.05) + line * vec3(0.1, 0.25, 0.5);
    }
    gloss = 1.0;
    return palette(dot(n, vec3(0.3, 0.5, 0.2)) + T * 0.05, vec3(0.0, 0.33, 0.67)) * 0.55 +
           0.1;
}
#endif

#ifdef SCENE01
varying vec2 bodySpin; // cos, sin of the body's turn about y (per frame)
const float SPACING = 0.42;
const float THICK = 0.15; // half the thickness of a slice; the rest of SPACING is gap
vec3 glowTint() { return vec3(1.0, 0.45, 0.12); }

// The whole body as slice `index` sees it: each slice drifts on its own circle.
float sliceBody(vec3 q, float index) {
    vec3 shift = vec3(fsin(index * 1.9 + T * 0.7), 0.0, fcos(index * 2.7 + T * 0.6));
    vec3 b = q - shift * max(parms2.x, 0.0) * 0.3;
    b.xy = rot(0.35) * b.xy;
    float torus = sdTorus(b, vec2(1.25, 0.42));
    float core = mix(length(b) - 0.95, sdBox(b, vec3(0.7)) - 0.1, clamp(parms.y, 0.0, 1.0));
    return smin(torus, core, 0.5);
}

float mapNear(vec3 p) {
    vec3 q = p;
    q.xz = vec2(bodySpin.x * q.x - bodySpin.y * q.z, bodySpin.y * q.x + bodySpin.x * q.z);
    float y = q.y + T * 0.1;
    float index = floor(y / SPACING + 0.5);
    float cell = y - index * SPACING;
    float body = sliceBody(q, index);
    float d = max(body, abs(cell) - THICK);
    // Slices move apart, so the nearer neighbour's slice may be closer than this one's.
    float side = cell > 0.0 ? 1.0 : -1.0;
    float nextCell = cell - side * SPACING;
    float nextBody = sliceBody(q, index + side);
    float dn = max(nextBody, abs(nextCell) - THICK);
    if (dn < d) {
        d = dn;
        body = nextBody;
        cell = nextCell;
    }
    // On a cut face the slab is the surface; its rim, where the skin is near, burns.
    float cut = abs(cell) - THICK > body - 0.005 ? 1.0 : 0.0;
    gHeat = cut; // the burn's exp is taken once, for the hit: hitHeat()
    gSkin = abs(body);
    float fl = p.y - gFloor;
    gMat = fl < d ? 0.0 : 1.0;
    return min(d * 0.8, fl);
}
vec3 surface(vec3 p, vec3 n, out float gloss) {
    if (gMat < 0.5) {
        gloss = 0.2;
        return vec3(0.04, 0.03, 0.03) * (0.6 + 0.4 * wobble(p.xz * 0.15).r);
    }
    gloss = 0.8;
    return mix(vec3(0.12, 0.13, 0.16), vec3(0.3, 0.08, 0.02), step(0.01, gHeat));
}
#endif

#ifdef SCENE02
varying vec2 twist; // the twist's rate along y, the orb's height (per frame)
vec3 glowTint() { return mix(vec3(0.4, 0.7, 1.0), vec3(1.0, 0.5, 0.1), clamp(parms.z, 0.0, 1.0)); }

float mapNear(vec3 p) {
    vec3 q = p;
    q.xz = frot(q.y * twist.x + T * 0.35) * q.xz;
    float pillar = sdBox(q, vec3(0.55, 1.5, 0.55)) - 0.18;
    float orb = length(p - vec3(0.0, twist.y, 0.0)) - 1.05;
    float d = smin(pillar, orb, 0.45);
    d = max(d, -(length(p.xz) - 0.3)); // a hollow core shows the inner glow
    vec3 w = wobble(vec2(fatan(q.z, q.x) * 0.159, q.y * 0.2 + T * 0.03));
    d += (w.r - 0.5) * 0.06 * clamp(parms.z, 0.0, 1.0);
    gHeat = w.g;
    float fl = p.y - gFloor;
    gMat = fl < d ? 0.0 : 1.0;
    return min(d * 0.85, fl);
}
vec3 surface(vec3 p, vec3 n, out float gloss) {
    if (gMat < 0.5) {
        gloss = 0.5;
        vec2 g = abs(fract(p.xz * 0.5) - 0.5);
        return vec3(0.03) + vec3(0.05) * step(0.0, (g.x - 0.25) * (g.y - 0.25));
    }
    float m = clamp(parms.z, 0.0, 1.0);
    gloss = 1.0 - 0.4 * m;
    vec3 chrome = vec3(0.55, 0.6, 0.7);
    vec3 gold = vec3(1.0, 0.62, 0.22);
    return mix(chrome, gold, m);
}
#endif

#ifdef SCENE03
varying vec4 emblem;   // the bend's turn, the depth, cos and sin of the swing (per frame)
varying vec2 studSpin; // cos, sin of the studs' turn (per frame)
vec3 glowTint() { return vec3(1.0, 0.3, 0.6); }

float mapNear(vec3 p) {
    vec3 q = p;
    float bend = parms.w;
    q.xy = frot(q.z * bend * 0.6 + emblem.x) * q.xy;
    q.z += bend * 0.25 * fsin(q.x * 2.5 + T * 3.0);
    q.xz = vec2(emblem.z * q.x - emblem.w * q.z, emblem.w * q.x + emblem.z * q.z);
    // The emblem: a thick ring, a bar through it and four studs around it, extruded.
    float r = length(q.xy);
    float ring = abs(r - 1.3) - 0.2;
    float bar = max(abs(q.x) - 1.9, abs(q.y) - 0.17);
    float shape2d = min(ring, bar);
    // The nearest stud: turned with the studs, the point's nearest axis (no angle needed).
    vec2 s = vec2(studSpin.x * q.x - studSpin.y * q.y, studSpin.y * q.x + studSpin.x * q.y);
    vec2 axis = abs(s.x) > abs(s.y) ? vec2(sign(s.x), 0.0) : vec2(0.0, sign(s.y));
    shape2d = min(shape2d, length(s - axis * 1.95) - 0.16);
    vec2 e = vec2(shape2d, abs(q.z) - emblem.y);
    float d = min(max(e.x, e.y), 0.0) + length(max(e, 0.0)) - 0.04;
    gHeat = smoothstep(0.02, 0.0, abs(shape2d + 0.03));
    gMat = 1.0;
    return d * 0.75;
}
vec3 surface(vec3 p, vec3 n, out float gloss) {
    gloss = 0.9;
    return mix(vec3(0.85, 0.8, 0.75), vec3(1.0, 0.35, 0.7), 0.3 + 0.3 * n.y);
}
#endif

// The whole field: more than 0.5 outside the bound the bound's and the floor's distance are
// distance enough. The march inside the shell takes mapNear() alone: it is never outside.
float map(vec3 p) {
    if (boundDist(p) > 0.5) return mapFar(p);
    return mapNear(p);
}

// The emission of the hit from the last map() call's gHeat.
float hitHeat() {
#ifdef SCENE01
    // On a cut face the rim, where the skin is near, burns (abs: exp of a far skin overflows).
    return gHeat * (0.15 + 0.85 * exp(-gSkin * 14.0));
#else
    return gHeat;
#endif
}

// ---- lighting -------------------------------------------------------------------------------

// Tap k of the shading at p: taps 0..2 the normal's, 0.002 along x, y and z from p (the
// march's last field value, at p itself, is the fourth: forward differences); taps 3 and 4 the
// occlusion's, 0.09 and 0.26 out along the normal n that taps 0..2 gave.
vec3 axis(int k) {
    return vec3(k == 0 ? 1.0 : 0.0, k == 1 ? 1.0 : 0.0, k == 2 ? 1.0 : 0.0);
}
vec3 tapPoint(int k, vec3 p, vec3 n) {
    return k < 3 ? p + axis(k) * 0.002 : p + n * (k == 3 ? 0.09 : 0.26);
}

// Adds tap k's field value d to the normal's differences from d0 (finished into n after tap 2)
// or to the occlusion o. Two occlusion taps weighed 1.45 and 0.78 give what four at 0.08 ..
// 0.32 weighed 1, 0.6, 0.36, 0.22 gave, to a few hundredths, on slopes and under overhangs.
void addTap(int k, float d, float d0, inout vec3 sum, inout vec3 n, inout float o) {
    if (k < 3) {
        sum += axis(k) * (d - d0);
        if (k == 2) n = normalize(sum);
    } else {
        o += k == 3 ? (0.09 - d) * 1.45 : (0.26 - d) * 0.78;
    }
}

// One step of the soft shadow with the object's field value h; false when the shadow is
// settled. The floor is left out of h: the light is above it, so a shadow ray only rises from it
// and its 9 h / t stays over 6. Counted in, the floor's height limited the first steps off the
// floor, and a step limit of 0.5 the rest: every lit floor pixel near the object took all of its
// steps through the full field.
#ifdef SCENE03
// The emblem has no floor to leave out, so longer steps bought nothing there: its shadow keeps
// the shorter steps and the twelve of them that it was drawn with.
const float kShadowMaxStep = 0.5;
const int kShadowSteps = 12;
#else
const float kShadowMaxStep = 2.0;
const int kShadowSteps = 9;
#endif

bool shadowStep(float h, inout float res, inout float t) {
    res = min(res, 9.0 * h / t);
    t += clamp(h, 0.06, kShadowMaxStep);
    return !(res < 0.02 || t > 6.0);
}

// The shading of a hit at pos (d0 the field there) lit from l: its normal n, occlusion ao (five
// taps of the field, addTap; a floor hit takes the two of the occlusion) and soft shadow sh (up
// to 9 steps towards the light). Where pos is more than 0.83 from the shading's sphere it is
// floor that every tap would see as flat and open: n = +y and ao = 1 without taps. A shadow ray
// that keeps more than 0.67 from the sphere from some point on is lit from there: its 9 h / t
// cannot fall under 1 within t <= 6 (nor the floor's, which the light rises from), so it
// stops. Outside the sphere's shell the steps take shadeDist(); every
// map() of the shading (the taps of a hit near the object, then the shadow's steps in the
// shell) goes through one loop, so that a pixel needing none pays for one masked map(), not one
// per stage.
#ifdef SCENE00
// Less than the blobs' field anywhere: each blob's shape lies within 1.43 radii of its centre
// (the box's corners), the four smooth unions take at most 0.55 off and the ripple 0.12.
float objectBelow(vec3 p) {
    float m = 1e5;
    for (int i = 0; i < 5; i++) m = min(m, length(p - blob[i].xyz) - 1.43 * blob[i].w);
    return m - 0.55 - 0.12 * abs(parms.x);
}
#endif

void shade(vec3 pos, float d0, bool floorHit, vec3 l, out vec3 n, out float ao, out float sh) {
    n = vec3(0.0, 1.0, 0.0);
    ao = 1.0;
    float res = 1.0, t = 0.05;
    vec3 from = pos + n * 0.01;
    int steps = 0;
    int stage = 0; // 0 taps, 1 shadow steps with map(), 2 with shadeDist() past the shell, 3 done
#ifdef SCENE00
    if (shadeDist(pos) > 0.83 || objectBelow(pos) > 0.55) {
#else
    if (shadeDist(pos) > 0.83) {
#endif
        // Open floor: the shadow's steps up to the shell.
        stage = 1;
        for (; steps < 9; steps++) {
            vec3 q = from + l * t;
            if (boundAhead(q, l) > 0.67) {
                stage = 3;
                break;
            }
#ifdef SCENE00
            float h = max(shadeDist(q), objectBelow(q));
            if (shadeDist(q) <= 0.5 && 9.0 * h < 1.5 * t) break;
#else
            float h = shadeDist(q);
            if (h <= 0.5) break; // this step takes map(): the loop below
#endif
            if (!shadowStep(h, res, t)) {
                stage = 3;
                break;
            }
        }
        if (steps >= kShadowSteps) stage = 3;
    }
    vec3 sum = vec3(0.0);
    float o = 0.0;
    int k = floorHit ? 3 : 0; // the floor's normal is +y: occlusion taps only
    for (int guard = 0; stage < 2 && guard < 5 + kShadowSteps; guard++) {
        vec3 q = stage == 0 ? tapPoint(k, pos, n) : from + l * t;
        if (stage == 1) {
            if (boundAhead(q, l) > 0.67) {
                stage = 3;
                break;
            }
            if (shadeDist(q) > 0.5 && dot(q - BOUND_C, l) > 0.0) {
                stage = 2;
                break;
            }
        }
        gFloor = stage == 0 ? FLOOR_Y : FLOOR_Y - 1e4; // shadow steps: the object alone
        float d = map(q);
        if (stage == 0) {
            addTap(k, d, d0, sum, n, o);
            k++;
            if (k == 5) {
                ao = clamp(1.0 - 2.2 * o, 0.0, 1.0);
                from = pos + n * 0.01;
                stage = dot(n, l) > 0.0 ? 1 : 3;
            }
        } else {
            steps++;
            if (!shadowStep(d, res, t) || steps >= kShadowSteps) stage = 3;
        }
    }
    for (; stage == 2 && steps < kShadowSteps; steps++) {
        vec3 q = from + l * t;
        if (boundAhead(q, l) > 0.67 || !shadowStep(shadeDist(q), res, t)) break;
    }
    sh = dot(n, l) > 0.0 ? clamp(res, 0.0, 1.0) : 0.0;
}

vec3 sky(vec3 rd) {
    float up = rd.y * 0.5 + 0.5;
    vec3 c = mix(vec3(0.01, 0.01, 0.025), vec3(0.06, 0.08, 0.16), up);
    // Whole powers as products: llvmpipe's pow is an exp and a log.
    float horizon = max(0.0, 1.0 - abs(rd.y));
    horizon *= horizon;
    horizon *= horizon;
    c += vec3(0.5, 0.35, 0.6) * (horizon * horizon) * 0.25;
    float sun = max(0.0, dot(rd, normalize(vec3(0.6, 0.5, -0.6))));
    sun *= sun * sun;
    sun *= sun;
    sun *= sun;
    c += vec3(1.0, 0.85, 0.7) * (sun * sun);
    return c;
}

// ---- main -----------------------------------------------------------------------------------

// One step of the march with the field value d at t: the glow of a near miss (of the object,
// never the floor), the hit test, the step. False when the ray is done.
float gLast; // the field value of the march's last step: at the hit, the hit's

bool marchStep(float d, inout float t, inout float glow, inout bool hit) {
    gLast = d;
    if (gMat > 0.5) glow += 0.035 / (1.0 + d * d * 80.0);
    if (d < 0.0015 * t + 0.001) {
        hit = true;
        return false;
    }
    t += d;
    return !(t > FAR);
}

// Whether the march's bound only grows from q on along rd (it is convex: past its nearest point
// it never comes back).
bool leaving(vec3 q, vec3 rd) {
#ifdef SCENE02
    return dot(vec3(q.x, q.y - clamp(q.y, -0.9, 0.9), q.z), rd) > 0.0;
#else
    return dot(q - BOUND_C, rd) > 0.0;
#endif
}

// The floor's steps of a ray in closed form, from height h above it at t with i steps taken:
// each step goes the height, so the height shrinks by (1 - s) a step (s = -rd.y), and the k-th
// step passes the hit test (h_k < 0.0015 t_k + 0.001, t_k = tf - h_k / s) once h_k < H below.
// The ray misses, as the loop would, when the step budget or FAR runs out first.
void floorRest(float h, float s, int i, inout float t, inout bool hit) {
    float tf = t + h / s;
    float H = (0.0015 * tf + 0.001) / (1.0 + 0.0015 / s);
    float shrink = log2(max(1.0 - s, 1e-6));
    float k = h < H ? 0.0 : ceil(log2(H / h) / shrink);
    float hk = h * exp2(k * shrink);
    float tk = tf - hk / s;
    if (float(i) + k < float(MAX_STEPS) && tk <= FAR) {
        hit = true;
        t = tk;
        gLast = hk;
    }
    gMat = 0.0;
    gHeat = 0.0;
}

// After a far step of a ray leaving the bound (d the step's value): false when the rest of the
// ray is known without stepping. Where the floor is nearer, it stays nearer for a ray going
// down (the bound only grows, the floor only comes closer), which the floor's closed form
// finishes (floorLeft); a ray going up meets nothing more. Where the bound is nearer and over 1.5 away, a ray going up only
// gathers glow, and past that point the glow's terms shrink so fast that their sum is 1.4 times
// the first.
bool farRest(vec3 rd, float d, inout float glow, inout bool floorLeft) {
#ifdef SCENE03
    bool up = true; // no floor
#else
    bool up = rd.y >= 0.0;
#endif
    if (gMat < 0.5) {
        floorLeft = !up;
        return false;
    }
    if (up && d > 1.5) {
        glow += 0.4 * 0.035 / (1.0 + d * d * 80.0);
        return false;
    }
    return true;
}

void main() {
    T = time.x;
    gFloor = FLOOR_Y;
    vec3 ro = eye;
    vec3 rd = normalize(ray);

    float glowAmount = 0.35 + max(parms2.y, 0.0);
    // Up to MAX_STEPS steps in three loops: towards the bound's shell with mapFar(),
    // inside it with map(), and once past it (moving away, so never back) with mapFar() again.
    float t = 0.0, glow = 0.0;
    // A far step that leaves the bound may settle the rest of the ray (farRest).
    bool hit = false, going = true, floorLeft = false;
    int i = 0;
    for (; i < MAX_STEPS; i++) {
        vec3 q = ro + rd * t;
        if (boundDist(q) <= 0.5) break;
        going = marchStep(mapFar(q), t, glow, hit);
        if (going && leaving(q, rd)) going = farRest(rd, gLast, glow, floorLeft);
        if (!going) break;
    }
    for (; going && i < MAX_STEPS; i++) {
        vec3 q = ro + rd * t;
        if (boundDist(q) > 0.5) break; // left the shell, never to come back
        going = marchStep(mapNear(q), t, glow, hit);
        if (!going) break;
    }
    for (; going && i < MAX_STEPS; i++) {
        going = marchStep(mapFar(ro + rd * t), t, glow, hit);
        if (going) going = farRest(rd, gLast, glow, floorLeft);
        if (!going) break;
    }
    if (floorLeft) floorRest(ro.y + rd.y * t - FLOOR_Y, -rd.y, i + 1, t, hit);
    float mat = gMat, heat = hitHeat(); // of the hit, when there is one

    vec3 col;
    float alpha = 1.0;
    vec3 bg = sky(rd);
#ifdef SCENE03
    bg = vec3(0.0);
    alpha = 0.0;
#endif
    col = bg;

    if (hit) {
        vec3 pos = ro + rd * t;
        vec3 l = normalize(vec3(0.6, 0.8, -0.5));
        vec3 n;
        float ao, sh;
        shade(pos, gLast, mat < 0.5, l, n, ao, sh);
        gMat = mat; // surface() reads the material of the hit, not of the last tap
        gHeat = heat;
        float gloss;
        vec3 albedo = surface(pos, n, gloss);
        float dif = max(dot(n, l), 0.0);
        vec3 r = reflect(rd, n);
        float fres = 1.0 - max(dot(n, -rd), 0.0);
        fres *= fres;
        fres *= fres;
        float highlight = max(dot(r, l), 0.0);
        highlight *= highlight * highlight * highlight * highlight; // 5
        highlight *= highlight;                                     // 10
        highlight *= highlight;                                     // 20
        highlight *= highlight * sh;                                // 40

        col = albedo * (dif * sh * vec3(1.2, 1.05, 0.9) + ao * vec3(0.08, 0.1, 0.16));
        col += albedo * ao * max(0.0, -n.y * 0.5 + 0.1) * vec3(0.1, 0.05, 0.08); // bounce
        col += gloss * (sky(r) * (0.25 + 0.75 * fres) * ao + highlight * vec3(1.5, 1.35, 1.2));
#ifdef SCENE01
        col += heat * heat * glowTint() * (0.8 + 1.2 * max(parms2.y, 0.0)) * mat;
#endif
#ifdef SCENE02
        float m = clamp(parms.z, 0.0, 1.0);
        float vein = smoothstep(0.55, 0.75, heat) * m;
        col += vein * vec3(1.8, 0.6, 0.1) * mat;
        col = mix(col, col * vec3(0.9, 0.95, 1.1), (1.0 - m) * mat);
#endif
#ifdef SCENE03
        col += heat * glowTint() * 1.6;
        alpha = 1.0;
#endif
#ifndef SCENE03
        // Distance haze toward the background (the logo scene has none to fade into).
        col = mix(col, bg, 1.0 - exp(-0.004 * t * t));
#endif
    }

    col += min(glow, 1.2) * glowAmount * glowTint(); // grazing rays must not blow out
#ifndef SCENE03
    // A soft vignette of our own: the full-frame background covers the scene's vignette pass.
    vec2 v = uv - 0.5;
    col *= 1.0 - dot(v, v) * 1.2;
#endif
    col = col / (1.0 + col * 0.35);       // soft shoulder keeps highlights coloured
    // To display gamma: x^0.4545 on [0, 2.86] (the shoulder's range) from square roots, which
    // the driver takes in one instruction each, within a tenth of a level of its pow (an exp
    // and a log a channel).
    col = max(col, 0.0);
    vec3 s1 = sqrt(col), s2 = sqrt(s1), s3 = sqrt(s2);
    col = (1.0952638 - 0.2167656 * s2) * s1 + 0.0835794 * s2 - 0.0115271 * s3 + 0.0494331 * col;
    // Dither from the noise texture hides banding in the dark gradients.
    col += (wobble(uv * vec2(5.0, 2.8125) + T * 7.31).b - 0.5) * (3.0 / 255.0);
    gl_FragColor = vec4(col, alpha); // misses of the logo scene add only their glow
}
