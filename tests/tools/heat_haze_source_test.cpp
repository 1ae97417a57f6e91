// The heat haze has two sources: heat_haze.fx, the readable definition, and the table in
// HeatHazeEffect.cpp from which the build writes the compiled effect. These tests read the .fx
// and hold the table to it: the same technique and pass, parameters, sampler states, registers
// and pass states; and the assembled shader reads only the registers the table names.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/effects/Fx2Writer.h"
#include "tools/effects/HeatHazeEffect.h"

namespace {

// --- A reader of the effect syntax heat_haze.fx uses ------------------------------------------

// The file's words and marks, comments left out: names and numbers, and single characters.
std::vector<std::string> Tokens(const std::string& text)
{
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (text.compare(i, 2, "//") == 0) {
            i = text.find('\n', i);
        } else if (text.compare(i, 2, "/*") == 0) {
            const size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? end : end + 2;
        } else if (std::isalnum(c) || c == '_' || c == '.') {
            size_t end = i;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_' ||
                                         text[end] == '.'))
                ++end;
            tokens.push_back(text.substr(i, end - i));
            i = end;
        } else {
            tokens.push_back(std::string(1, text[i]));
            ++i;
        }
    }
    return tokens;
}

// What the .fx declares, in the words of the table (fx2 types, classes and state values).
struct FxSampler {
    uint32_t registerIndex = 0;
    std::map<std::string, std::string> states;  // "Texture" -> "SceneTex", "AddressU" -> "Clamp" ...
};
struct FxNumber {
    std::string type;  // "float", "float2" ...
    uint32_t elements = 0;
    uint32_t registerIndex = 0;
};
struct FxPass {
    std::string name;
    std::vector<std::pair<std::string, std::string>> states;  // in order; a compiled shader as "compile ps_2_0"
};
struct FxFile {
    std::vector<std::string> parameterOrder;
    std::set<std::string> textures;
    std::map<std::string, FxSampler> samplers;
    std::map<std::string, FxNumber> numbers;
    std::string technique;
    std::vector<FxPass> passes;
};

class FxReader {
public:
    explicit FxReader(std::vector<std::string> tokens) : tokens_(std::move(tokens)) {}

    // The declarations; false with `error` set where the text leaves the syntax read here.
    bool Read(FxFile& fx)
    {
        while (!AtEnd()) {
            const std::string word = Next();
            if (word == "texture") {
                const std::string name = Next();
                fx.textures.insert(name);
                fx.parameterOrder.push_back(name);
                if (!Expect(";"))
                    return false;
            } else if (word == "sampler") {
                const std::string name = Next();
                FxSampler sampler;
                if (!Register(sampler.registerIndex, 's') || !Expect("=") || !Expect("sampler_state") ||
                    !Expect("{"))
                    return false;
                while (Peek() != "}" && !AtEnd()) {
                    const std::string state = Next();
                    if (!Expect("="))
                        return false;
                    std::string value = Next();
                    if (value == "<") {
                        value = Next();
                        if (!Expect(">"))
                            return false;
                    }
                    sampler.states[state] = value;
                    if (!Expect(";"))
                        return false;
                }
                if (!Expect("}") || !Expect(";"))
                    return false;
                fx.samplers[name] = sampler;
                fx.parameterOrder.push_back(name);
            } else if (word == "technique") {
                fx.technique = Next();
                if (!Expect("{"))
                    return false;
                while (Peek() == "pass") {
                    Next();
                    FxPass pass;
                    pass.name = Next();
                    if (!Expect("{"))
                        return false;
                    while (Peek() != "}" && !AtEnd()) {
                        const std::string state = Next();
                        if (!Expect("="))
                            return false;
                        std::string value = Next();
                        if (value == "compile") {
                            value += " " + Next();
                            Next();  // the function
                            if (!Expect("(") || !Expect(")"))
                                return false;
                        }
                        pass.states.emplace_back(state, value);
                        if (!Expect(";"))
                            return false;
                    }
                    if (!Expect("}"))
                        return false;
                    fx.passes.push_back(pass);
                }
                if (!Expect("}"))
                    return false;
            } else if (word.rfind("float", 0) == 0) {
                const std::string name = Next();
                if (Peek() == "(") {  // a function: its body is not read
                    SkipFunction();
                    continue;
                }
                FxNumber number;
                number.type = word;
                if (Peek() == "[") {
                    Next();
                    number.elements = static_cast<uint32_t>(std::stoul(Next()));
                    if (!Expect("]"))
                        return false;
                }
                if (!Register(number.registerIndex, 'c') || !Expect(";"))
                    return false;
                fx.numbers[name] = number;
                fx.parameterOrder.push_back(name);
            } else {
                error = "unexpected \"" + word + "\"";
                return false;
            }
        }
        return true;
    }

    std::string error;

private:
    bool AtEnd() const { return at_ >= tokens_.size(); }
    std::string Peek() const { return AtEnd() ? std::string() : tokens_[at_]; }
    std::string Next() { return AtEnd() ? std::string() : tokens_[at_++]; }
    bool Expect(const std::string& token)
    {
        if (Next() == token)
            return true;
        error = "expected \"" + token + "\" at token " + std::to_string(at_);
        return false;
    }
    // ": register(c5)" or ": register(s0)".
    bool Register(uint32_t& index, char kind)
    {
        if (!Expect(":") || !Expect("register") || !Expect("("))
            return false;
        const std::string name = Next();
        if (name.size() < 2 || name[0] != kind) {
            error = "register \"" + name + "\" is not of kind " + kind;
            return false;
        }
        index = static_cast<uint32_t>(std::stoul(name.substr(1)));
        return Expect(")");
    }
    void SkipFunction()
    {
        while (!AtEnd() && Peek() != "{")
            Next();
        int depth = 0;
        do {
            const std::string token = Next();
            depth += token == "{" ? 1 : token == "}" ? -1 : 0;
        } while (depth > 0 && !AtEnd());
    }

    std::vector<std::string> tokens_;
    size_t at_ = 0;
};

FxFile ReadHeatHazeFx()
{
    std::ifstream file(LW_HEAT_HAZE_FX);
    std::stringstream text;
    text << file.rdbuf();
    FxFile fx;
    EXPECT_TRUE(file.good()) << "cannot read " << LW_HEAT_HAZE_FX;
    FxReader reader(Tokens(text.str()));
    EXPECT_TRUE(reader.Read(fx)) << reader.error;
    return fx;
}

// --- The .fx words as the table writes them -----------------------------------------------------

uint32_t StateValue(const std::string& word)
{
    static const std::map<std::string, uint32_t> kValues = {
        {"false", 0}, {"true", 1}, {"Wrap", 1}, {"Clamp", 3}, {"None", 0}, {"Point", 1}, {"Linear", 2}};
    const auto found = kValues.find(word);
    EXPECT_NE(found, kValues.end()) << "no value for \"" << word << "\"";
    return found == kValues.end() ? ~0u : found->second;
}

// CullMode None is 1 (D3DCULL_NONE), unlike the filters' None.
uint32_t CullValue(const std::string& word)
{
    static const std::map<std::string, uint32_t> kValues = {{"None", 1}, {"CW", 2}, {"CCW", 3}};
    const auto found = kValues.find(word);
    EXPECT_NE(found, kValues.end()) << "no cull mode \"" << word << "\"";
    return found == kValues.end() ? ~0u : found->second;
}

const std::map<std::string, uint32_t>& StateIds()
{
    static const std::map<std::string, uint32_t> kIds = {
        {"ZEnable", fx2::kZEnable},         {"CullMode", fx2::kCullMode},
        {"AlphaBlendEnable", fx2::kAlphaBlendEnable}, {"VertexShader", fx2::kVertexShaderState},
        {"PixelShader", fx2::kPixelShaderState},      {"Texture", fx2::kTextureState},
        {"AddressU", fx2::kAddressU},       {"AddressV", fx2::kAddressV},
        {"MagFilter", fx2::kMagFilter},     {"MinFilter", fx2::kMinFilter},
        {"MipFilter", fx2::kMipFilter}};
    return kIds;
}

const fx2::Parameter* FindParameter(const fx2::Effect& effect, const std::string& name)
{
    for (const fx2::Parameter& p : effect.parameters)
        if (p.name == name)
            return &p;
    return nullptr;
}

const fx2::Constant* FindConstant(const std::vector<fx2::Constant>& constants, const std::string& name)
{
    for (const fx2::Constant& c : constants)
        if (c.name == name)
            return &c;
    return nullptr;
}

}  // namespace

TEST(HeatHazeSources, NameTheSameTechniqueAndPasses)
{
    const FxFile fx = ReadHeatHazeFx();
    const fx2::Effect table = HeatHazeEffectLayout();
    ASSERT_EQ(table.techniques.size(), 1u);
    EXPECT_EQ(table.techniques[0].name, fx.technique);
    ASSERT_EQ(table.techniques[0].passes.size(), fx.passes.size());
    for (size_t i = 0; i < fx.passes.size(); ++i)
        EXPECT_EQ(table.techniques[0].passes[i].name, fx.passes[i].name);
}

TEST(HeatHazeSources, DeclareTheSameParametersInTheSameOrder)
{
    const FxFile fx = ReadHeatHazeFx();
    const fx2::Effect table = HeatHazeEffectLayout();
    std::vector<std::string> tableOrder;
    for (const fx2::Parameter& p : table.parameters)
        tableOrder.push_back(p.name);
    EXPECT_EQ(tableOrder, fx.parameterOrder);

    for (const std::string& name : fx.textures) {
        const fx2::Parameter* p = FindParameter(table, name);
        ASSERT_NE(p, nullptr) << name;
        EXPECT_EQ(p->type, fx2::kTexture) << name;
    }
    for (const auto& [name, number] : fx.numbers) {
        SCOPED_TRACE(name);
        const fx2::Parameter* p = FindParameter(table, name);
        ASSERT_NE(p, nullptr);
        const uint32_t columns = number.type == "float" ? 1 : static_cast<uint32_t>(std::stoul(number.type.substr(5)));
        EXPECT_EQ(p->type, fx2::kFloat);
        EXPECT_EQ(p->cls, columns == 1 ? fx2::kScalar : fx2::kVector);
        EXPECT_EQ(p->columns, columns);
        EXPECT_EQ(p->elements, number.elements);
    }
}

TEST(HeatHazeSources, GiveTheSamplersTheSameTexturesAndStates)
{
    const FxFile fx = ReadHeatHazeFx();
    const fx2::Effect table = HeatHazeEffectLayout();
    ASSERT_FALSE(fx.samplers.empty());
    for (const auto& [name, sampler] : fx.samplers) {
        SCOPED_TRACE(name);
        const fx2::Parameter* p = FindParameter(table, name);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->type, fx2::kSampler2D);
        ASSERT_EQ(p->samplerStates.size(), sampler.states.size());
        for (const fx2::State& state : p->samplerStates) {
            std::string word;
            for (const auto& [stateName, id] : StateIds())
                if (id == state.id)
                    word = stateName;
            SCOPED_TRACE(word);
            const auto fxState = sampler.states.find(word);
            ASSERT_NE(fxState, sampler.states.end()) << "state " << state.id << " is not in the .fx";
            if (state.kind == fx2::State::kFromParam)
                EXPECT_EQ(state.param, fxState->second);
            else
                EXPECT_EQ(state.value, StateValue(fxState->second));
        }
    }
}

TEST(HeatHazeSources, BindTheSameRegisters)
{
    const FxFile fx = ReadHeatHazeFx();
    const std::vector<fx2::Constant> constants = HeatHazeConstants();
    EXPECT_EQ(constants.size(), fx.numbers.size() + fx.samplers.size());
    for (const auto& [name, number] : fx.numbers) {
        SCOPED_TRACE(name);
        const fx2::Constant* c = FindConstant(constants, name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->registerSet, fx2::kFloatRegisters);
        EXPECT_EQ(c->registerIndex, number.registerIndex);
        EXPECT_EQ(c->registerCount, number.elements == 0 ? 1u : number.elements);
        EXPECT_EQ(c->elements, number.elements == 0 ? 1u : number.elements);
    }
    for (const auto& [name, sampler] : fx.samplers) {
        SCOPED_TRACE(name);
        const fx2::Constant* c = FindConstant(constants, name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->registerSet, fx2::kSamplerRegisters);
        EXPECT_EQ(c->registerIndex, sampler.registerIndex);
        EXPECT_EQ(c->type, fx2::kSampler2D);
    }
}

TEST(HeatHazeSources, SetTheSamePassStatesAndShaderProfile)
{
    const FxFile fx = ReadHeatHazeFx();
    const fx2::Effect table = HeatHazeEffectLayout();
    ASSERT_EQ(fx.passes.size(), 1u);
    const std::vector<fx2::State>& states = table.techniques.at(0).passes.at(0).states;
    ASSERT_EQ(states.size(), fx.passes[0].states.size());
    for (size_t i = 0; i < states.size(); ++i) {
        const auto& [word, value] = fx.passes[0].states[i];
        SCOPED_TRACE(word);
        ASSERT_EQ(StateIds().count(word), 1u);
        EXPECT_EQ(states[i].id, StateIds().at(word));
        if (word == "VertexShader") {
            EXPECT_EQ(value, "NULL");
            EXPECT_EQ(states[i].kind, fx2::State::kShader);
        } else if (word == "PixelShader") {
            EXPECT_EQ(value, std::string("compile ") + kHeatHazePixelShaderProfile);
            EXPECT_EQ(states[i].kind, fx2::State::kShader);
        } else {
            EXPECT_EQ(states[i].value, word == "CullMode" ? CullValue(value) : StateValue(value));
        }
    }
    const std::string assembly = kHeatHazePixelShaderText;
    EXPECT_EQ(assembly.substr(0, assembly.find('\n')), kHeatHazePixelShaderProfile);
}

// The assembly reads a float register only where the table puts a parameter (or where it
// defines a number of its own), and samples only the table's samplers.
TEST(HeatHazeSources, TheAssemblyReadsOnlyTheTablesRegisters)
{
    const std::vector<fx2::Constant> constants = HeatHazeConstants();
    const std::string assembly = kHeatHazePixelShaderText;
    std::set<uint32_t> defined;
    const std::regex def(R"(^def c(\d+))", std::regex::multiline);
    for (std::sregex_iterator m(assembly.begin(), assembly.end(), def), end; m != end; ++m)
        defined.insert(static_cast<uint32_t>(std::stoul((*m)[1])));

    std::set<uint32_t> covered[4];
    for (const fx2::Constant& c : constants)
        for (uint32_t r = c.registerIndex; r < uint32_t(c.registerIndex) + c.registerCount; ++r)
            covered[c.registerSet].insert(r);

    std::set<uint32_t> readFloats, readSamplers;
    const std::regex used(R"(\b([cs])(\d+)\b)");
    for (std::sregex_iterator m(assembly.begin(), assembly.end(), used), end; m != end; ++m) {
        const uint32_t index = static_cast<uint32_t>(std::stoul((*m)[2]));
        if ((*m)[1] == "c") {
            if (!defined.count(index))
                readFloats.insert(index);
        } else {
            readSamplers.insert(index);
        }
    }
    for (uint32_t r : readFloats)
        EXPECT_TRUE(covered[fx2::kFloatRegisters].count(r)) << "c" << r << " holds no parameter";
    for (uint32_t s : readSamplers)
        EXPECT_TRUE(covered[fx2::kSamplerRegisters].count(s)) << "s" << s << " holds no sampler";
    for (const fx2::Constant& c : constants) {
        const std::set<uint32_t>& read = c.registerSet == fx2::kFloatRegisters ? readFloats : readSamplers;
        EXPECT_TRUE(read.count(c.registerIndex)) << c.name << " is never read";
    }
}
