#version 330 core
// Places a glyph vertex given in screen-centred pixels: clip = (x, y, z, 1) * M.

// Vertex constant slot 0: only bytes 192 to 255 are written, the matrix M
// stored row by row.
layout(std140, row_major) uniform VSConstants0 {
    mat4 unused0;
    mat4 unused1;
    mat4 unused2;
    mat4 screenToClip;
};

layout(location = 0) in vec3 position;
layout(location = 2) in vec2 texcoord;

out vec2 uv;

void main() {
    vec4 clip = vec4(position, 1.0) * screenToClip;
    // The overlay is flat and drawn without a depth test. The orthographic
    // matrix puts z = 0 just before the near plane, where depth clipping
    // would drop every glyph, so the text is pinned to the near plane.
    clip.z = 0.0;
    gl_Position = ToClipSpace(clip);
    uv = texcoord;
}
