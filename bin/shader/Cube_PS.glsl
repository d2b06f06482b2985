#version 330 core
// Opaque cube faces in their flat face colour, faded into the sky with
// distance.

// Pixel constant slot 0: the eye and where the fog starts (horizontal
// distance); the sky's colour and where the fog is full.
layout(std140) uniform PSConstants0 {
    vec4 eyeAndFogStart;
    vec4 skyAndFogEnd;
};

flat in vec3 faceColour;
in vec3 worldPosition;

layout(location = 0) out vec4 fragColour;

void main() {
    float distance = length(worldPosition.xz - eyeAndFogStart.xz);
    float fog = clamp((distance - eyeAndFogStart.w) / (skyAndFogEnd.w - eyeAndFogStart.w), 0.0, 1.0);
    fragColour = vec4(mix(faceColour, skyAndFogEnd.rgb, fog), 1.0);
}
