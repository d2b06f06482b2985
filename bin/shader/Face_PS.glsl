#version 330 core
// Face quads in the colours of the cube shader, worked out per pixel from
// the world position (a merged quad spans blocks of different heights),
// darkened by the corners' occlusion and faded into the sky with distance.

// Pixel constant slot 0: the eye and where the fog starts (horizontal
// distance); the sky's colour and where the fog is full.
layout(std140) uniform PSConstants0 {
    vec4 eyeAndFogStart;
    vec4 skyAndFogEnd;
};

in vec3 worldPosition;
flat in vec3 faceNormal;
in float openness;

layout(location = 0) out vec4 fragColour;

const vec3 kGrass = vec3(0.32, 0.62, 0.18);
const vec3 kEarth = vec3(0.50, 0.36, 0.22);
const vec3 kSand = vec3(0.82, 0.76, 0.50);
const vec3 kRock = vec3(0.52, 0.50, 0.47);
const vec3 kSnow = vec3(0.95, 0.96, 1.00);

void main() {
    vec3 n = faceNormal;
    // The block the face belongs to: half a block back from a top or bottom
    // face, the block's own row on a side.
    float height = floor(worldPosition.y - 0.5 * n.y);
    vec3 surface = n.y > 0.5 ? kGrass : kEarth;
    surface = mix(kSand, surface, smoothstep(8.0, 14.0, height));
    surface = mix(surface, kRock, smoothstep(70.0, 85.0, height));
    surface = mix(surface, kSnow, smoothstep(95.0, 105.0, height));
    float light = 0.62 + 0.38 * max(n.y, 0.0) - 0.22 * max(-n.y, 0.0) + 0.12 * abs(n.x);
    vec3 colour = surface * light * openness;
    float distance = length(worldPosition.xz - eyeAndFogStart.xz);
    float fog = clamp((distance - eyeAndFogStart.w) / (skyAndFogEnd.w - eyeAndFogStart.w), 0.0, 1.0);
    fragColour = vec4(mix(colour, skyAndFogEnd.rgb, fog), 1.0);
}
