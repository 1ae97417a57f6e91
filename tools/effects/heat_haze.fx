// The heat haze of the fire light (resource 63 of common_res.dll), as HLSL: the readable
// definition of the compiled effect that lw_effectgen writes (HeatHazeEffect.cpp holds the same
// pixel shader in assembly, register for register, because the build has no effect compiler).
// HeatHazeSources.* (tests/tools) hold that table to this file: technique, pass and its states,
// parameters, sampler states and registers must agree.
//
// The frame (SceneTex, the picture stretched over a back-buffer-sized target) is looked up
// through two samples of a scrolling bump map; their red and green channels, centred on 0.5,
// move the lookup by up to ±4 × stenght in each direction.
//
// The constants sit at c5 and above, clear of the flame shader's c1 to c4.

texture SceneTex;
texture Bumpmap;

sampler SceneSampler : register(s0) = sampler_state
{
    Texture = <SceneTex>;
    AddressU = Clamp;
    AddressV = Clamp;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = None;
};

sampler BumpSampler : register(s1) = sampler_state
{
    Texture = <Bumpmap>;
    AddressU = Wrap;
    AddressV = Wrap;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = None;
};

float stenght : register(c5);          // strength of the shimmer
float2 Offset[2] : register(c6);       // [0] = (o, -o): the scroll, growing with time
float2 bump_scale[2] : register(c8);   // [0] = (b, aspect × b): bump-map repeats across the picture

float4 DistortPS(float2 uv : TEXCOORD0) : COLOR0
{
    float2 bumpUv = uv * bump_scale[0];
    float2 first = tex2D(BumpSampler, bumpUv + Offset[0].xx).rg;
    float2 second = tex2D(BumpSampler, bumpUv * 1.7 + Offset[0].yy).rg;
    float2 shift = (first + second - 1.0) * stenght;
    return tex2D(SceneSampler, uv + shift * 4.0);
}

technique BumpmapDistortLow2
{
    pass P0
    {
        ZEnable = false;
        CullMode = None;
        AlphaBlendEnable = false;
        VertexShader = NULL;
        PixelShader = compile ps_2_0 DistortPS();
    }
}
