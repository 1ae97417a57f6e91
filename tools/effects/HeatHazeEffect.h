// The heat-haze effect of the fire light, resource 63 of common_res.dll: heat_haze.fx beside
// this file, written as a compiled effect. Its pixel shader is assembled here from the
// assembly form of DistortPS and given the constant table through which the effect binds its
// parameters and samplers to the shader's registers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/effects/Fx2Writer.h"

// The assembly of DistortPS (ps_2_0).
extern const char* const kHeatHazePixelShaderText;

// The profile of DistortPS, as heat_haze.fx compiles it.
extern const char* const kHeatHazePixelShaderProfile;

// The constant table of DistortPS: the registers of its parameters and samplers.
std::vector<fx2::Constant> HeatHazeConstants();

// The effect's parameters and its technique, with an empty pixel shader in the pass (the shader
// state's code is what BuildHeatHazeEffect fills in).
fx2::Effect HeatHazeEffectLayout();

// The assembled pixel shader with its constant table; empty when it does not assemble, and
// then `error` holds the assembler's message.
std::vector<uint32_t> AssembleHeatHazePixelShader(std::string& error);

// The whole effect file; empty when the shader does not assemble.
std::vector<uint8_t> BuildHeatHazeEffect(std::string& error);
