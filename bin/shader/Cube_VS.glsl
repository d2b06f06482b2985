#version 330 core
// Places one cube of the instanced mesh: mesh corner + the cube's minimum
// corner, through the view and projection matrices (row vectors: p * M),
// and shades each face from its normal and the cube's height; the world
// position goes on for the fog.

// Vertex constant slot 0: world, view, projection and their product, each
// stored transposed, which a column-major mat4 reads back untransposed.
layout(std140) uniform VSConstants0 {
    mat4 world;
    mat4 view;
    mat4 projection;
    mat4 viewWorldProjection;
};

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 3) in vec3 instancePosition;

flat out vec3 faceColour;
out vec3 worldPosition;

const vec3 kGrass = vec3(0.32, 0.62, 0.18);
const vec3 kEarth = vec3(0.50, 0.36, 0.22);
const vec3 kSand = vec3(0.82, 0.76, 0.50);
const vec3 kRock = vec3(0.52, 0.50, 0.47);
const vec3 kSnow = vec3(0.95, 0.96, 1.00);

vec3 GroundColour(float height, bool top) {
    vec3 surface = top ? kGrass : kEarth;
    surface = mix(kSand, surface, smoothstep(8.0, 14.0, height));
    surface = mix(surface, kRock, smoothstep(70.0, 85.0, height));
    return mix(surface, kSnow, smoothstep(95.0, 105.0, height));
}

// Top faces brightest, bottoms darkest, the x and z sides in between.
float FaceLight(vec3 n) {
    return 0.62 + 0.38 * max(n.y, 0.0) - 0.22 * max(-n.y, 0.0) + 0.12 * abs(n.x);
}

void main() {
    vec4 placed = vec4(position + instancePosition, 1.0);
    gl_Position = ToClipSpace(placed * view * projection);
    worldPosition = placed.xyz;
    float light = FaceLight(normal);
    faceColour = GroundColour(instancePosition.y, normal.y > 0.5) * light;
}
