// A writer of compiled Direct3D 9 effects (the binary fx_2_0 form that D3DXCreateEffect reads
// without a compiler), and of the constant table a pixel shader needs inside such an effect.
//
// An effect is described by value: parameters (numbers, textures, samplers with their states)
// and techniques with passes and their states. WriteFx2 lays it out:
//
//     tag 0xFEFF0901, offset T of the tables
//     data area (from byte 8): strings, type definitions, initial values; offset 0 is empty
//     tables: counts; parameter records; technique records with their passes and states;
//             object entries (none here); resource entries (what a state takes from elsewhere:
//             a parameter by name, or a shader's code)
//
// Every offset counts from byte 8; every record and string is padded to four bytes. Objects
// (textures, the texture of a sampler, shaders) are numbered from 1 in the order they appear.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fx2 {

// D3DXPARAMETER_TYPE and D3DXPARAMETER_CLASS values, as the file stores them.
enum Type : uint32_t {
    kInt = 2,
    kFloat = 3,
    kTexture = 5,
    kSampler2D = 12,
    kPixelShader = 15,
    kVertexShader = 16,
};
enum Class : uint32_t { kScalar = 0, kVector = 1, kMatrixRows = 2, kObject = 4 };

// State ids of the effect format (the operation word of a state record).
enum StateId : uint32_t {
    kZEnable = 0x00,
    kCullMode = 0x08,
    kAlphaBlendEnable = 0x0D,
    kVertexShaderState = 0x92,
    kPixelShaderState = 0x93,
    kTextureState = 0xA4,
    kAddressU = 0xA5,
    kAddressV = 0xA6,
    kMagFilter = 0xA9,
    kMinFilter = 0xAA,
    kMipFilter = 0xAB,
};

struct State {
    enum Kind {
        kValue,      // an integer state value (an enum or a boolean)
        kFromParam,  // takes the parameter `param` (a texture inside a sampler)
        kShader,     // a shader state with `code` (empty: no shader)
    };
    uint32_t id;
    Kind kind = kValue;
    uint32_t value = 0;
    std::string param;
    std::vector<uint32_t> code;

    static State Value(uint32_t id, uint32_t value) { return {id, kValue, value, {}, {}}; }
    static State FromParam(uint32_t id, std::string name) { return {id, kFromParam, 0, std::move(name), {}}; }
    static State Shader(uint32_t id, std::vector<uint32_t> code) { return {id, kShader, 0, {}, std::move(code)}; }
};

struct Parameter {
    std::string name;
    Type type;
    Class cls;
    uint32_t rows = 1, columns = 1;
    uint32_t elements = 0;            // 0: not an array
    std::vector<State> samplerStates; // a sampler's states

    static Parameter Texture(std::string name) { return {std::move(name), kTexture, kObject, 1, 1, 0, {}}; }
    static Parameter Sampler(std::string name, std::vector<State> states)
    {
        return {std::move(name), kSampler2D, kObject, 1, 1, 0, std::move(states)};
    }
    static Parameter Float(std::string name) { return {std::move(name), kFloat, kScalar, 1, 1, 0, {}}; }
    // An array of `elements` float vectors of `columns` components.
    static Parameter FloatVectors(std::string name, uint32_t columns, uint32_t elements)
    {
        return {std::move(name), kFloat, kVector, 1, columns, elements, {}};
    }
};

struct Pass {
    std::string name;
    std::vector<State> states;
};

struct Technique {
    std::string name;
    std::vector<Pass> passes;
};

struct Effect {
    std::vector<Parameter> parameters;
    std::vector<Technique> techniques;
};

// The effect file's bytes.
std::vector<uint8_t> WriteFx2(const Effect& effect);

// One constant of a shader's constant table: the effect binds the parameter of the same name
// to these registers.
struct Constant {
    std::string name;
    uint16_t registerSet;  // 2 floats, 3 sampler
    uint16_t registerIndex;
    uint16_t registerCount;
    uint16_t cls, type, rows, columns, elements;
};
constexpr uint16_t kFloatRegisters = 2;
constexpr uint16_t kSamplerRegisters = 3;

// `code` (a shader's tokens, version first) with a constant table inserted right after the
// version token, as a comment block; `target` names the profile ("ps_2_0").
std::vector<uint32_t> WithConstantTable(const std::vector<uint32_t>& code, const std::vector<Constant>& constants,
                                        const std::string& target);

} // namespace fx2
