// Places one cube of the instanced mesh: mesh corner + the cube's minimum
// corner, through the view and projection matrices (row vectors: p * M),
// and shades each face from its normal and the cube's height; the world
// position goes on for the fog.
//
// Written for the HLSL subset that Wine's compiler accepts as well: one
// function only (no calls to functions of our own), no ?:, and no
// smoothstep or step, which are spelled out by hand.

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
    float3 position : POSITION;
    float3 normal : NORMAL;
    float3 instancePosition : TEXCOORD1;
};

struct PixelInput
{
    float4 position : SV_POSITION;
    nointerpolation float3 faceColour : COLOR0;
    float3 worldPosition : TEXCOORD0;
};

static const float3 kGrass = float3(0.32, 0.62, 0.18);
static const float3 kEarth = float3(0.50, 0.36, 0.22);
static const float3 kSand = float3(0.82, 0.76, 0.50);
static const float3 kRock = float3(0.52, 0.50, 0.47);
static const float3 kSnow = float3(0.95, 0.96, 1.00);

PixelInput main(VertexInput input)
{
    PixelInput output;
    float4 worldPosition = float4(input.position + input.instancePosition, 1.0);
    output.position = mul(mul(worldPosition, view), projection);
    output.worldPosition = worldPosition.xyz;

    // Ground colour by height: sand below 8 to 14 blocks, rock from 70 to
    // 85, snow from 95 to 105, each blend a smoothstep easing.
    float height = input.instancePosition.y;
    float3 t = saturate((height - float3(8.0, 70.0, 95.0)) / float3(6.0, 15.0, 10.0));
    float3 ease = t * t * (3.0 - 2.0 * t);
    float3 surface = kEarth;
    if (input.normal.y > 0.5)
    {
        surface = kGrass;
    }
    surface = lerp(kSand, surface, ease.x);
    surface = lerp(surface, kRock, ease.y);
    surface = lerp(surface, kSnow, ease.z);

    // Top faces brightest, bottoms darkest, the x and z sides in between.
    float3 n = input.normal;
    float light = 0.62 + 0.38 * max(n.y, 0.0) - 0.22 * max(-n.y, 0.0) + 0.12 * abs(n.x);

    output.faceColour = surface * light;
    return output;
}
