#version 330 core
// Text: the line colour, premultiplied by its alpha, times the font texture
// (white glyphs stored with premultiplied alpha). Blended as premultiplied.

// Pixel constant slot 3: the line colour.
layout(std140) uniform PSConstants3 {
    vec4 lineColour;
};

// Texture slot 1, filtered by the sampler of slot 1.
uniform sampler2D PSTexture1;

in vec2 uv;

layout(location = 0) out vec4 fragColour;

void main() {
    vec4 premultiplied = vec4(lineColour.rgb * lineColour.a, lineColour.a);
    fragColour = premultiplied * texture(PSTexture1, uv);
}
