#version 330 compatibility
// Blinn-Phong in the violet spot light, with soft shadows from the shadow map (a comparison
// sampler: each tap is already a 2 x 2 filtered test, four taps on a square soften the edge
// further).
// The light's cone is the same round spot the light volume draws, so surfaces are lit
// exactly where the shafts are. Outside the light: a dim cool fill and a rim, so shapes in
// shadow still read as shapes.
//
// Inputs: "diffcol" the surface colour (may exceed 1 for a surface that should glare),
// "ws_lightpos" the light in world space, "shadowmap_tex" its depth with comparison.

uniform vec4 diffcol;
uniform vec4 ws_lightpos;
uniform sampler2DShadow shadowmap_tex;

in vec3 wsPos;
in vec3 wsNormal;
in vec4 shadowClip;
in vec3 wsEye;

layout(location = 0) out vec4 fragColor;

const vec3 kLight = vec3(0.80, 0.68, 1.00) * 1.7;
const vec3 kFillSky = vec3(0.10, 0.11, 0.20);
const vec3 kFillGround = vec3(0.03, 0.02, 0.04);

// The edge is as soft as a 3 x 3 grid of filtered taps 1.5 texels apart would make it (the
// same spread: 1.5^2 x 2/3 = 1.22^2), from four taps at the corners of a square 2 x 1.22
// texels wide, each of them the sampler's own 2 x 2 filtered comparison.
float shadowTerm(vec3 ndc) {
    vec3 at = ndc * 0.5 + 0.5;
    // Sampled back faces are a tube's thickness behind the lit front: a small bias is enough.
    at.z -= 0.0004;
    const float d = 1.22 / 1024.0;
    float sum = texture(shadowmap_tex, vec3(at.xy + vec2(-d, -d), at.z));
    sum += texture(shadowmap_tex, vec3(at.xy + vec2(d, -d), at.z));
    sum += texture(shadowmap_tex, vec3(at.xy + vec2(-d, d), at.z));
    sum += texture(shadowmap_tex, vec3(at.xy + vec2(d, d), at.z));
    return sum * 0.25;
}

void main() {
    vec3 n = normalize(wsNormal);
    if (!gl_FrontFacing) n = -n;
    vec3 toLight = ws_lightpos.xyz - wsPos;
    float dist = length(toLight);
    vec3 l = toLight / dist;
    vec3 v = normalize(wsEye - wsPos);
    vec3 h = normalize(l + v);

    vec3 ndc = shadowClip.xyz / shadowClip.w;
    // The beam's cone (tan 0.245 against the frustum's 0.315), with the volume's crisp rim.
    float cone = smoothstep(0.777, 0.72, length(ndc.xy));
    // Facing away from the light there is no direct light to shadow: no taps.
    float lit = 0.0;
    if (cone > 0.0 && ndc.z < 1.0 && dot(n, l) > 0.0) lit = cone * shadowTerm(ndc);
    // Falls off with distance, normalised to 1 at the ring's centre.
    float fallOff = clamp(125000.0 / (dist * dist), 0.0, 2.0);

    float nl = max(dot(n, l), 0.0);
    float nh = max(dot(n, h), 0.0);
    float nv = max(dot(n, v), 0.0);
    vec3 base = diffcol.rgb;
    vec3 diffuse = base * kLight * nl;
    // Whole powers as products: the driver's pow is a logarithm and an exponential.
    float nh4 = nh * nh;
    nh4 *= nh4;
    float nh8 = nh4 * nh4;
    float nh16 = nh8 * nh8;
    float nh60 = nh16 * nh16 * nh16 * nh8 * nh4; // 32 + 16 + 8 + 4
    vec3 specular = kLight * (0.55 * nh60 + 0.12 * nh8) * step(0.0, dot(n, l));
    vec3 direct = (diffuse + specular) * lit * fallOff;

    vec3 fill = mix(kFillGround, kFillSky, n.y * 0.5 + 0.5);
    vec3 ambient = (base + 0.15) * fill;
    float rim4 = (1.0 - nv) * (1.0 - nv);
    rim4 *= rim4;
    vec3 rim = vec3(0.35, 0.28, 0.6) * rim4 * 0.5;

    fragColor = vec4(direct + ambient + rim, 1.0);
}
