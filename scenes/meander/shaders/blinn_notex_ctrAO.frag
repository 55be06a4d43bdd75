#version 330 compatibility
// Lit by one point light ("ws_lightpos", high above the walk) and a cool sky, with a tight
// highlight, a blue rim at grazing angles and occlusion that deepens into the crevices between
// the spikes. "diffcol" above 1 (the newest instances) also glows by itself, so the bloom
// finds the head of the trail.

uniform vec4 ws_lightpos;
uniform vec4 diffcol;

in vec3 wsPos;
in vec3 wsNormal;
in vec3 wsEye;
in float centreDistance;

out vec4 fragColour;

void main() {
    vec3 n = normalize(wsNormal);
    if (!gl_FrontFacing) n = -n;
    vec3 l = normalize(ws_lightpos.xyz - wsPos);
    vec3 v = normalize(wsEye - wsPos);
    vec3 h = normalize(l + v);

    float ndl = dot(n, l);
    float diffuse = max((ndl + 0.25) / 1.25, 0.0);
    // Whole powers as products: the driver's pow is a logarithm and an exponential.
    float nh8 = max(dot(n, h), 0.0);
    nh8 *= nh8;
    nh8 *= nh8;
    nh8 *= nh8;
    float nh64 = nh8 * nh8;
    nh64 *= nh64;
    nh64 *= nh64;
    float specular = ndl > 0.0 ? nh64 * nh8 : 0.0; // nh^72
    float facing = 1.0 - max(dot(n, v), 0.0);
    float rim = facing * facing * facing;
    float ao = mix(0.22, 1.0, smoothstep(0.7, 1.75, centreDistance));

    vec3 base = diffcol.rgb;
    vec3 albedo = min(base, vec3(1.0));
    vec3 sky = mix(vec3(0.05, 0.035, 0.07), vec3(0.20, 0.22, 0.32), n.y * 0.5 + 0.5);
    vec3 colour = albedo * (sky + diffuse * vec3(1.0, 0.94, 0.86)) * ao;
    colour += specular * vec3(1.0, 0.97, 0.92) * (0.4 + 0.6 * ao);
    colour += rim * (vec3(0.3, 0.42, 0.95) + 0.4 * albedo) * ao;
    colour += max(base - vec3(1.0), vec3(0.0)) * (0.1 + 0.25 * ao);
    fragColour = vec4(colour, 1.0);
}
