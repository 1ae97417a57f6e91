#include "tools/effects/HeatHazeEffect.h"

#include <d3dx9.h>

#include <cstring>

const char* const kHeatHazePixelShaderProfile = "ps_2_0";

// Registers: c5 stenght, c6 and c7 Offset, c8 and c9 bump_scale, c10 the shader's own numbers;
// s0 the frame, s1 the bump map.
const char* const kHeatHazePixelShaderText =
    "ps_2_0\n"
    "def c10, 1.7, -1.0, 4.0, 0.0\n"
    "dcl t0.xy\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "mul r0.xy, t0, c8\n"          // the bump map's coordinate: uv × bump_scale[0]
    "add r1.xy, r0, c6.x\n"        // first sample scrolled by Offset[0].xx
    "mul r0.xy, r0, c10.x\n"       // second sample at 1.7 times the repeat ...
    "add r0.xy, r0, c6.y\n"        // ... scrolled by Offset[0].yy
    "texld r1, r1, s1\n"
    "texld r0, r0, s1\n"
    "add r0.xy, r0, r1\n"
    "add r0.xy, r0, c10.y\n"       // the two samples' sum, centred on 0
    "mul r0.xy, r0, c5.x\n"        // × stenght
    "mad r0.xy, r0, c10.z, t0\n"   // uv + 4 × the shift
    "texld r0, r0, s0\n"
    "mov oC0, r0\n";

std::vector<uint32_t> AssembleHeatHazePixelShader(std::string& error)
{
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* messages = nullptr;
    const HRESULT hr = D3DXAssembleShader(kHeatHazePixelShaderText,
                                          static_cast<UINT>(std::strlen(kHeatHazePixelShaderText)), nullptr,
                                          nullptr, 0, &code, &messages);
    if (messages) {
        error.assign(static_cast<const char*>(messages->GetBufferPointer()), messages->GetBufferSize());
        messages->Release();
    }
    if (FAILED(hr) || !code) {
        if (error.empty())
            error = "D3DXAssembleShader failed";
        if (code)
            code->Release();
        return {};
    }
    std::vector<uint32_t> tokens(code->GetBufferSize() / 4);
    std::memcpy(tokens.data(), code->GetBufferPointer(), tokens.size() * 4);
    code->Release();
    return fx2::WithConstantTable(tokens, HeatHazeConstants(), kHeatHazePixelShaderProfile);
}

std::vector<fx2::Constant> HeatHazeConstants()
{
    return {
        {"stenght", fx2::kFloatRegisters, 5, 1, fx2::kScalar, fx2::kFloat, 1, 1, 1},
        {"Offset", fx2::kFloatRegisters, 6, 2, fx2::kVector, fx2::kFloat, 1, 2, 2},
        {"bump_scale", fx2::kFloatRegisters, 8, 2, fx2::kVector, fx2::kFloat, 1, 2, 2},
        {"SceneSampler", fx2::kSamplerRegisters, 0, 1, fx2::kObject, fx2::kSampler2D, 1, 1, 1},
        {"BumpSampler", fx2::kSamplerRegisters, 1, 1, fx2::kObject, fx2::kSampler2D, 1, 1, 1},
    };
}

fx2::Effect HeatHazeEffectLayout()
{
    using fx2::State;
    constexpr uint32_t kClamp = 3, kWrap = 1, kLinear = 2, kNoFilter = 0, kCullNone = 1;
    auto sampler = [&](const char* name, const char* texture, uint32_t address) {
        return fx2::Parameter::Sampler(
            name, {State::FromParam(fx2::kTextureState, texture), State::Value(fx2::kAddressU, address),
                   State::Value(fx2::kAddressV, address), State::Value(fx2::kMinFilter, kLinear),
                   State::Value(fx2::kMagFilter, kLinear), State::Value(fx2::kMipFilter, kNoFilter)});
    };

    fx2::Effect effect;
    effect.parameters = {
        fx2::Parameter::Texture("SceneTex"),
        fx2::Parameter::Texture("Bumpmap"),
        sampler("SceneSampler", "SceneTex", kClamp),
        sampler("BumpSampler", "Bumpmap", kWrap),
        fx2::Parameter::Float("stenght"),
        fx2::Parameter::FloatVectors("Offset", 2, 2),
        fx2::Parameter::FloatVectors("bump_scale", 2, 2),
    };
    fx2::Pass pass{"P0",
                   {State::Value(fx2::kZEnable, 0), State::Value(fx2::kCullMode, kCullNone),
                    State::Value(fx2::kAlphaBlendEnable, 0), State::Shader(fx2::kVertexShaderState, {}),
                    State::Shader(fx2::kPixelShaderState, {})}};
    effect.techniques = {{"BumpmapDistortLow2", {pass}}};
    return effect;
}

std::vector<uint8_t> BuildHeatHazeEffect(std::string& error)
{
    std::vector<uint32_t> shader = AssembleHeatHazePixelShader(error);
    if (shader.empty())
        return {};
    fx2::Effect effect = HeatHazeEffectLayout();
    for (fx2::State& state : effect.techniques.front().passes.front().states)
        if (state.id == fx2::kPixelShaderState)
            state.code = std::move(shader);
    return fx2::WriteFx2(effect);
}
