// Places a glyph vertex given in screen-centred pixels: clip = (x, y, z, 1) * M.

// Vertex constant slot 0: only bytes 192 to 255 are written, the matrix M
// stored row by row.
cbuffer Matrices : register(b0)
{
    float4x4 unused0;
    float4x4 unused1;
    float4x4 unused2;
    row_major float4x4 screenToClip;
};

struct VertexInput
{
    float3 position : POSITION;
    float2 uv : TEXCOORD0;
};

struct PixelInput
{
    float4 position : SV_POSITION;
    float2 uv : TEXCOORD0;
};

PixelInput main(VertexInput input)
{
    PixelInput output;
    float4 clip = mul(float4(input.position, 1.0), screenToClip);
    // The overlay is flat and drawn without a depth test. The orthographic
    // matrix puts z = 0 just before the near plane, where depth clipping
    // would drop every glyph, so the text is pinned to the near plane.
    clip.z = 0.0;
    output.position = clip;
    output.uv = input.uv;
    return output;
}
