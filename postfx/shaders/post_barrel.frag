#version 330 compatibility
// Barrel distortion: points are taken from further out the further they lie from the
// centre, so the picture bulges. The bend is measured in a square space, so it is round on
// screen, and scaled so the corners still show the corners: nothing outside the picture is
// ever sampled, and the centre stays where it is.

uniform sampler2D tex0;

in vec2 uv;

out vec4 colour;

const float kBend = 0.12;

void main() {
    vec2 size = vec2(textureSize(tex0, 0));
    vec2 square = vec2(size.x / size.y, 1.0);
    vec2 d = (uv - 0.5) * square;
    float corner = 0.25 * dot(square, square);
    vec2 from = d * (1.0 + kBend * dot(d, d)) / (1.0 + kBend * corner);
    colour = texture(tex0, from / square + 0.5);
}
