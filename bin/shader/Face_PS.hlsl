// Face quads in the colours of the cube shader, worked out per pixel from
// the world position (a merged quad spans blocks of different heights),
// darkened by the corners' occlusion and faded into the sky with distance.
//
// Written for the HLSL subset that Wine's compiler accepts as well: no ?:,
// and no smoothstep, which is spelled out by hand.

// Pixel constant slot 0: the eye and where the fog starts (horizontal
// distance); the sky's colour and where the fog is full.
cbuffer Fog : register(b0)
{
    float4 eyeAndFogStart;
    float4 skyAndFogEnd;
};

struct PixelInput
{
    float4 position : SV_POSITION;
    float3 worldPosition : TEXCOORD0;
    nointerpolation float3 faceNormal : NORMAL;
    float openness : TEXCOORD1;
};

static const float3 kGrass = float3(0.32, 0.62, 0.18);
static const float3 kEarth = float3(0.50, 0.36, 0.22);
static const float3 kSand = float3(0.82, 0.76, 0.50);
static const float3 kRock = float3(0.52, 0.50, 0.47);
static const float3 kSnow = float3(0.95, 0.96, 1.00);

float4 main(PixelInput input) : SV_TARGET
{
    float3 n = input.faceNormal;
    // The block the face belongs to: half a block back from a top or bottom
    // face, the block's own row on a side.
    float height = floor(input.worldPosition.y - 0.5 * n.y);
    float3 t = saturate((height - float3(8.0, 70.0, 95.0)) / float3(6.0, 15.0, 10.0));
    float3 ease = t * t * (3.0 - 2.0 * t);
    float3 surface = kEarth;
    if (n.y > 0.5)
    {
        surface = kGrass;
    }
    surface = lerp(kSand, surface, ease.x);
    surface = lerp(surface, kRock, ease.y);
    surface = lerp(surface, kSnow, ease.z);
    float light = 0.62 + 0.38 * max(n.y, 0.0) - 0.22 * max(-n.y, 0.0) + 0.12 * abs(n.x);
    float3 colour = surface * light * input.openness;
    float distance = length(input.worldPosition.xz - eyeAndFogStart.xz);
    float fog = saturate((distance - eyeAndFogStart.w) / (skyAndFogEnd.w - eyeAndFogStart.w));
    return float4(lerp(colour, skyAndFogEnd.rgb, fog), 1.0);
}
