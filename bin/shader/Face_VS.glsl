#version 330 core
// Places one corner of a face quad, already in world space, through the view
// and projection matrices (row vectors: p * M). Its w holds the face's
// direction (0 +z, 1 -z, 2 +y, 3 -y, 4 +x, 5 -x), plus 8 times the corner's
// occlusion level (0 darkest to 3 open), plus 32 times its place in the quad
// (0 to 3: low or high along the plane's first axis, then its second).
//
// Each corner moves outwards by a 10000th of its depth (about a 50th of a
// pixel at 360 rows): more than the rasterizer's snapping of corners to its
// subpixel grid, so that quads meeting in T-junctions overlap and never
// leave a crack between them.

// Vertex constant slot 0: world, view, projection and their product, each
// stored transposed, which a column-major mat4 reads back untransposed.
layout(std140) uniform VSConstants0 {
    mat4 world;
    mat4 view;
    mat4 projection;
    mat4 viewWorldProjection;
};

layout(location = 0) in vec4 corner;

out vec3 worldPosition;
flat out vec3 faceNormal;
out float openness;

const float kGrowthPerDepth = 1.0 / 10000.0;
const vec3 kX = vec3(1.0, 0.0, 0.0);
const vec3 kY = vec3(0.0, 1.0, 0.0);
const vec3 kZ = vec3(0.0, 0.0, 1.0);

void main() {
    float place = floor(corner.w / 32.0);
    float rest = corner.w - 32.0 * place;
    float level = floor(rest / 8.0);
    float direction = rest - 8.0 * level;
    // The normal and the plane's two axes, in the cube mesh's corner order.
    vec3 n = kZ;
    vec3 first = kX;
    vec3 second = kY;
    if (direction > 0.5) { n = -kZ; first = kY; second = kX; }
    if (direction > 1.5) { n = kY; first = kZ; second = kX; }
    if (direction > 2.5) { n = -kY; first = kX; second = kZ; }
    if (direction > 3.5) { n = kX; first = kY; second = kZ; }
    if (direction > 4.5) { n = -kX; first = kZ; second = kY; }
    float highSecond = floor(place / 2.0);
    float highFirst = place - 2.0 * highSecond;
    vec3 outwards = (2.0 * highFirst - 1.0) * first + (2.0 * highSecond - 1.0) * second;
    float depth = abs((vec4(corner.xyz, 1.0) * view * projection).w);
    vec3 grown = corner.xyz + outwards * (kGrowthPerDepth * depth);
    gl_Position = ToClipSpace(vec4(grown, 1.0) * view * projection);
    worldPosition = grown;
    faceNormal = n;
    openness = 0.55 + 0.15 * level;
}
