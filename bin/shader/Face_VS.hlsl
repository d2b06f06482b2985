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
//
// Written for the HLSL subset that Wine's compiler accepts as well: no ?:,
// no indexing of arrays by a variable.

// Vertex constant slot 0: world, view, projection and their product, each
// stored transposed, which the default column-major packing reads back
// untransposed.
cbuffer Matrices : register(b0)
{
    float4x4 world;
    float4x4 view;
    float4x4 projection;
    float4x4 viewWorldProjection;
};

struct VertexInput
{
    float4 corner : POSITION;
};

struct PixelInput
{
    float4 position : SV_POSITION;
    float3 worldPosition : TEXCOORD0;
    nointerpolation float3 faceNormal : NORMAL;
    float openness : TEXCOORD1;
};

static const float kGrowthPerDepth = 1.0 / 10000.0;
static const float3 kX = float3(1.0, 0.0, 0.0);
static const float3 kY = float3(0.0, 1.0, 0.0);
static const float3 kZ = float3(0.0, 0.0, 1.0);

PixelInput main(VertexInput input)
{
    PixelInput output;
    float place = floor(input.corner.w / 32.0);
    float rest = input.corner.w - 32.0 * place;
    float level = floor(rest / 8.0);
    float direction = rest - 8.0 * level;
    // The normal and the plane's two axes, in the cube mesh's corner order.
    float3 n = kZ;
    float3 first = kX;
    float3 second = kY;
    if (direction > 0.5)
    {
        n = -kZ;
        first = kY;
        second = kX;
    }
    if (direction > 1.5)
    {
        n = kY;
        first = kZ;
        second = kX;
    }
    if (direction > 2.5)
    {
        n = -kY;
        first = kX;
        second = kZ;
    }
    if (direction > 3.5)
    {
        n = kX;
        first = kY;
        second = kZ;
    }
    if (direction > 4.5)
    {
        n = -kX;
        first = kZ;
        second = kY;
    }
    float highSecond = floor(place / 2.0);
    float highFirst = place - 2.0 * highSecond;
    float3 outwards = (2.0 * highFirst - 1.0) * first + (2.0 * highSecond - 1.0) * second;
    float depth = abs(mul(mul(float4(input.corner.xyz, 1.0), view), projection).w);
    float3 grown = input.corner.xyz + outwards * (kGrowthPerDepth * depth);
    output.position = mul(mul(float4(grown, 1.0), view), projection);
    output.worldPosition = grown;
    output.faceNormal = n;
    output.openness = 0.55 + 0.15 * level;
    return output;
}
