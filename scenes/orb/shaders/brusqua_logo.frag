#version 330 compatibility
// The 3-D logo: chrome faces framed by polished gold bevels and brushed gold walls,
// lit by the key light at "ws_lightpos" and reflecting a small studio (a blue sky over a dark
// floor with a warm horizon line, two tall strip lights and a soft box behind the key light). The strips
// stand still in the world, so the sideways camera slide sweeps their reflections across the
// letters. "color" tints and fades the result; the output is premultiplied.

uniform vec4 color;
uniform vec4 ws_lightpos;

in vec3 worldPos;
in vec3 worldNormal;
in vec3 eyePos;
in float facing;
in vec3 studioUp;

out vec4 fragColour;

const vec3 kGold = vec3(1.0, 0.74, 0.32);

// A vertical strip light at azimuth `x` (the x of a unit direction), `width` wide.
float strip(vec3 r, float x, float width) {
    float across = smoothstep(width, width * 0.35, abs(r.x - x));
    float along = smoothstep(-0.9, -0.3, r.y) * smoothstep(0.9, 0.4, r.y);
    return across * along;
}

vec3 studio(vec3 r, vec3 keyDir) {
    // A sky that is brightest at the horizon over a dark warm floor, split sharply: the line
    // that makes chrome read as chrome. Heights are measured along the lens' up direction,
    // so the horizon runs level through the middle of the letters' faces.
    const float kHorizon = -0.04;
    float height = dot(r, studioUp);
    vec3 sky = mix(vec3(0.42, 0.52, 0.72), vec3(0.06, 0.08, 0.16), smoothstep(kHorizon, 0.6, height));
    vec3 floor = mix(vec3(0.16, 0.1, 0.05), vec3(0.01, 0.008, 0.01),
                     smoothstep(kHorizon, kHorizon - 0.4, height));
    vec3 room = mix(floor, sky, smoothstep(kHorizon - 0.01, kHorizon + 0.01, height));
    vec3 light = vec3(1.0, 0.8, 0.6) * exp(-abs(height - kHorizon) * 40.0) * 1.2;
    // Two strip lights, one warm and one cool.
    light += vec3(1.0, 0.92, 0.8) * strip(r, -0.55, 0.07) * 1.6;
    light += vec3(0.55, 0.75, 1.0) * strip(r, 0.35, 0.05) * 1.3;
    // The soft box around the key light.
    light += vec3(1.0, 0.95, 0.9) * pow(max(dot(r, keyDir), 0.0), 24.0) * 2.0;
    return room + light;
}

void main() {
    vec3 n = normalize(worldNormal);
    vec3 v = normalize(eyePos - worldPos);
    vec3 l = normalize(ws_lightpos.xyz - worldPos);
    vec3 r = reflect(-v, n);
    vec3 h = normalize(l + v);
    float nv = max(dot(n, v), 0.0);
    float nl = max(dot(n, l), 0.0);
    float fresnel = pow(1.0 - nv, 5.0);
    vec3 env = studio(r, l);

    float cap = smoothstep(0.85, 0.95, facing);
    float bevel = smoothstep(0.35, 0.5, facing) * (1.0 - cap);
    float wall = 1.0 - cap - bevel;

    // Chrome: a mirror that brightens at grazing angles, with a sharp clear coat.
    vec3 capColour = env * mix(0.6, 1.0, fresnel) + vec3(0.03, 0.035, 0.05) * nl;
    capColour += vec3(1.0) * pow(max(dot(n, h), 0.0), 200.0) * 2.5;
    // Polished gold: the edges that catch every light.
    vec3 bevelColour = env * mix(kGold, vec3(1.0), fresnel) * 1.25 + kGold * 0.18 * nl;
    bevelColour += mix(kGold, vec3(1.0), 0.5) * pow(max(dot(n, h), 0.0), 80.0) * 2.0;
    // Brushed gold walls: a blurrier, darker reflection and more diffuse light.
    vec3 wallColour = (env * 0.45 + 0.35 * nl + 0.04) * kGold * 0.8;
    wallColour += kGold * pow(max(dot(n, h), 0.0), 24.0) * 0.6;

    vec3 c = capColour * cap + bevelColour * bevel + wallColour * wall;
    // A soft shoulder instead of a hard clip, so hot highlights keep their colour.
    c = 1.0 - exp(-c * 1.15);
    fragColour = vec4(c * color.rgb, 1.0) * color.a;
}
