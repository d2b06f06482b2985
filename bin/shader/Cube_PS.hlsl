// Opaque cube faces in their flat face colour.

struct PixelInput
{
    float4 position : SV_POSITION;
    nointerpolation float3 faceColour : COLOR0;
};

float4 main(PixelInput input) : SV_TARGET
{
    return float4(input.faceColour, 1.0);
}
