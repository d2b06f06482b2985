// Text: the line colour, premultiplied by its alpha, times the font texture
// (white glyphs stored with premultiplied alpha). Blended as premultiplied.

// Pixel constant slot 3: the line colour.
cbuffer LineColour : register(b3)
{
    float4 lineColour;
};

// Texture slot 1, filtered by the sampler of slot 1.
Texture2D fontTexture : register(t1);
SamplerState fontSampler : register(s1);

struct PixelInput
{
    float4 position : SV_POSITION;
    float2 uv : TEXCOORD0;
};

float4 main(PixelInput input) : SV_TARGET
{
    float4 premultiplied = float4(lineColour.rgb * lineColour.a, lineColour.a);
    return premultiplied * fontTexture.Sample(fontSampler, input.uv);
}
