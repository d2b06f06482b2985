// Opaque cube faces in their flat face colour, faded into the sky with
// distance.

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
    nointerpolation float3 faceColour : COLOR0;
    float3 worldPosition : TEXCOORD0;
};

float4 main(PixelInput input) : SV_TARGET
{
    float distance = length(input.worldPosition.xz - eyeAndFogStart.xz);
    float fog = saturate((distance - eyeAndFogStart.w) / (skyAndFogEnd.w - eyeAndFogStart.w));
    return float4(lerp(input.faceColour, skyAndFogEnd.rgb, fog), 1.0);
}
