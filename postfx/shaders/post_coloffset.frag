#version 330 compatibility
// Colour offset: red is taken from a point pulled towards the centre and blue from one
// pushed away from it, green stays, like a lens' lateral chromatic aberration. The push is worked out in
// a square space ("aspect") so the fringes are round on screen, and in pixels ("tex0siz") so
// they keep their width at any resolution.

uniform sampler2D tex0;
uniform vec4 aspect;
uniform vec4 tex0siz;

in vec2 uv;

out vec4 colour;

// The texel under the pixel, read unfiltered: the picture is the destination's size (see
// docs/postfx.md, "Cost on a software rasteriser"; another size is point-sampled).
ivec2 texelOf(sampler2D s, vec2 p) {
    return ivec2(p * vec2(textureSize(s, 0)));
}

void main() {
    vec2 d = (uv - 0.5) * vec2(aspect.x, 1.0);
    // Nothing at the centre, 1.5 pixels at the top and bottom edges, about 8 in the corners.
    vec2 pushPixels = d * (1.5 + 6.0 * dot(d, d));
    vec2 push = pushPixels * tex0siz.zw;
    vec4 centre = texelFetch(tex0, texelOf(tex0, uv), 0);
    float red = texture(tex0, uv - push).r;
    float blue = texture(tex0, uv + push).b;
    colour = vec4(red, centre.g, blue, centre.a);
}
