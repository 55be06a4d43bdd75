#version 330 compatibility
// Blinn-Phong for untextured models: a warm point light at "ws_lightpos" with a gentle
// falloff, a cool sky over a dark ground as ambient, a tight highlight and a Fresnel rim that
// picks edges out of the dark. "diffcol" is the surface colour (its alpha the coverage); the
// output is premultiplied. Faces seen from behind are lit as their front.

uniform vec4 ws_lightpos;
uniform vec4 diffcol;

in vec3 wsPosition;
in vec3 wsNormal;
flat in vec3 wsEye;

layout(location = 0) out vec4 fragColor;

const vec3 kLight = vec3(1.0, 0.93, 0.82);
const vec3 kSky = vec3(0.30, 0.38, 0.52);
const vec3 kGround = vec3(0.09, 0.07, 0.07);

void main() {
    vec3 n = normalize(wsNormal);
    if (!gl_FrontFacing) n = -n;
    vec3 toLight = ws_lightpos.xyz - wsPosition;
    float lightDistance = length(toLight);
    vec3 l = toLight / max(lightDistance, 1e-4);
    vec3 v = normalize(wsEye - wsPosition);
    vec3 h = normalize(l + v);

    // Falls to a quarter at about 90 units: what is near the light stands out of the dark.
    float falloff = 1.0 / (1.0 + lightDistance * lightDistance / 2700.0);
    float wrap = max((dot(n, l) + 0.15) / 1.15, 0.0);
    float nh = max(dot(n, h), 0.0);
    // Whole powers as products: the driver's pow is a logarithm and an exponential.
    float nh8 = nh * nh;
    nh8 *= nh8;
    nh8 *= nh8;
    float nh16 = nh8 * nh8;
    float specular = nh16 * nh16 * nh16 * nh8 * 1.6 * step(0.0, dot(n, l)); // nh^56
    float rim = 1.0 - max(dot(n, v), 0.0);
    rim *= rim;
    float fresnel = rim * rim;

    vec3 ambient = mix(kGround, kSky, n.y * 0.5 + 0.5);
    vec3 base = diffcol.rgb;
    vec3 lit = base * (ambient * 0.4 + kLight * wrap * falloff * 1.35);
    lit += kLight * specular * falloff * (0.35 + 0.65 * base.r);
    lit += kSky * fresnel * 0.45;
    // A soft shoulder keeps the highlights from clipping flat.
    lit = lit / (1.0 + 0.25 * max(max(lit.r, lit.g), lit.b));
    fragColor = vec4(lit * diffcol.a, diffcol.a);
}
