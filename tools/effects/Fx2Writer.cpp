#include "tools/effects/Fx2Writer.h"

#include <cstring>

namespace fx2 {

namespace {

constexpr uint32_t kEffectTag = 0xFEFF0901u;
constexpr uint32_t kNone = 0xFFFFFFFFu;
// fxc writes this index on the states inside a sampler; readers ignore it there.
constexpr uint32_t kSamplerStateIndex = 0x100;

// Words of a string with its terminating NUL, zero-padded to whole words.
void AppendPaddedString(std::vector<uint32_t>& words, const std::string& text)
{
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    while (bytes.size() % 4)
        bytes.push_back(0);
    for (size_t i = 0; i < bytes.size(); i += 4) {
        uint32_t word;
        std::memcpy(&word, &bytes[i], 4);
        words.push_back(word);
    }
}

class Layout {
public:
    Layout() { data_.push_back(0); } // offset 0: the empty string

    std::vector<uint8_t> Write(const Effect& effect)
    {
        std::vector<uint32_t> records;
        for (uint32_t p = 0; p < effect.parameters.size(); ++p)
            AppendParameter(records, effect.parameters[p], p);
        for (uint32_t t = 0; t < effect.techniques.size(); ++t)
            AppendTechnique(records, effect.techniques[t], t);

        std::vector<uint32_t> tables = {static_cast<uint32_t>(effect.parameters.size()),
                                        static_cast<uint32_t>(effect.techniques.size()), nextObject_,
                                        nextObject_};
        tables.insert(tables.end(), records.begin(), records.end());
        tables.push_back(0); // object entries
        tables.push_back(resourceCount_);
        tables.insert(tables.end(), resources_.begin(), resources_.end());

        std::vector<uint32_t> file = {kEffectTag, static_cast<uint32_t>(data_.size() * 4)};
        file.insert(file.end(), data_.begin(), data_.end());
        file.insert(file.end(), tables.begin(), tables.end());
        std::vector<uint8_t> bytes(file.size() * 4);
        std::memcpy(bytes.data(), file.data(), bytes.size());
        return bytes;
    }

private:
    uint32_t Here() const { return static_cast<uint32_t>(data_.size() * 4); }

    uint32_t String(const std::string& text)
    {
        const uint32_t at = Here();
        data_.push_back(static_cast<uint32_t>(text.size() + 1));
        AppendPaddedString(data_, text);
        return at;
    }

    uint32_t Typedef(uint32_t type, uint32_t cls, uint32_t name, uint32_t elements, uint32_t rows, uint32_t columns)
    {
        const uint32_t at = Here();
        data_.insert(data_.end(), {type, cls, name, 0u, elements});
        if (cls == kVector)
            data_.insert(data_.end(), {columns, rows});
        else if (cls != kObject)
            data_.insert(data_.end(), {rows, columns});
        return at;
    }

    uint32_t Words(const std::vector<uint32_t>& words)
    {
        const uint32_t at = Here();
        data_.insert(data_.end(), words.begin(), words.end());
        return at;
    }

    void Resource(std::vector<uint32_t> head, uint32_t usage, const std::vector<uint32_t>& payload, uint32_t bytes)
    {
        resources_.insert(resources_.end(), head.begin(), head.end());
        resources_.push_back(usage);
        resources_.push_back(bytes);
        resources_.insert(resources_.end(), payload.begin(), payload.end());
        ++resourceCount_;
    }

    // A state record into `out`; `where` is the resource head (technique, pass, element) or
    // (none, parameter, element) of the block the state belongs to.
    void AppendState(std::vector<uint32_t>& out, const State& state, uint32_t index, uint32_t stateIndex,
                     const std::vector<uint32_t>& where)
    {
        uint32_t type = kInt, cls = kMatrixRows;
        uint32_t value = 0;
        switch (state.kind) {
        case State::kValue:
            value = Words({state.value});
            break;
        case State::kFromParam: {
            type = kTexture;
            cls = kObject;
            value = Words({nextObject_++});
            std::vector<uint32_t> name;
            AppendPaddedString(name, state.param);
            std::vector<uint32_t> head = where;
            head.push_back(stateIndex);
            Resource(head, 1, name, static_cast<uint32_t>(state.param.size() + 1));
            break;
        }
        case State::kShader: {
            type = state.id == kVertexShaderState ? kVertexShader : kPixelShader;
            cls = kObject;
            value = Words({nextObject_++});
            std::vector<uint32_t> head = where;
            head.push_back(stateIndex);
            Resource(head, 0, state.code, static_cast<uint32_t>(state.code.size() * 4));
            break;
        }
        }
        const uint32_t typedefOffset = state.kind == State::kValue ? Typedef(type, cls, 0, 0, 1, 1)
                                                                   : Typedef(type, cls, 0, 0, 0, 0);
        out.insert(out.end(), {state.id, index, typedefOffset, value});
    }

    void AppendParameter(std::vector<uint32_t>& out, const Parameter& p, uint32_t parameterIndex)
    {
        const uint32_t name = String(p.name);
        const uint32_t typedefOffset = Typedef(p.type, p.cls, name, p.elements, p.rows, p.columns);
        const uint32_t count = p.elements ? p.elements : 1;
        uint32_t value;
        if (p.type == kTexture) {
            value = Words({nextObject_++});
        } else if (p.type == kSampler2D) {
            std::vector<uint32_t> states;
            for (uint32_t s = 0; s < p.samplerStates.size(); ++s)
                AppendState(states, p.samplerStates[s], kSamplerStateIndex, s, {kNone, parameterIndex, kNone});
            states.insert(states.begin(), static_cast<uint32_t>(p.samplerStates.size()));
            value = Words(states);
        } else {
            value = Words(std::vector<uint32_t>(count * p.rows * p.columns, 0u));
        }
        out.insert(out.end(), {typedefOffset, value, 0u, 0u}); // not shared, no annotations
    }

    void AppendTechnique(std::vector<uint32_t>& out, const Technique& t, uint32_t techniqueIndex)
    {
        out.insert(out.end(), {String(t.name), 0u, static_cast<uint32_t>(t.passes.size())});
        for (uint32_t p = 0; p < t.passes.size(); ++p) {
            const Pass& pass = t.passes[p];
            out.insert(out.end(), {String(pass.name), 0u, static_cast<uint32_t>(pass.states.size())});
            for (uint32_t s = 0; s < pass.states.size(); ++s)
                AppendState(out, pass.states[s], 0, s, {techniqueIndex, p, kNone});
        }
    }

    std::vector<uint32_t> data_;
    std::vector<uint32_t> resources_;
    uint32_t resourceCount_ = 0;
    uint32_t nextObject_ = 1; // object 0 is a scratch slot
};

} // namespace

std::vector<uint8_t> WriteFx2(const Effect& effect)
{
    return Layout().Write(effect);
}

std::vector<uint32_t> WithConstantTable(const std::vector<uint32_t>& code, const std::vector<Constant>& constants,
                                        const std::string& target)
{
    // The table in bytes, offsets from its first byte: header, constant records, type records,
    // then the strings.
    const uint32_t count = static_cast<uint32_t>(constants.size());
    const uint32_t infoAt = 28;
    const uint32_t typesAt = infoAt + 20 * count;
    std::vector<uint8_t> strings;
    const uint32_t stringsAt = typesAt + 16 * count;
    auto addString = [&](const std::string& text) {
        const uint32_t at = stringsAt + static_cast<uint32_t>(strings.size());
        strings.insert(strings.end(), text.begin(), text.end());
        strings.push_back(0);
        while (strings.size() % 4)
            strings.push_back(0);
        return at;
    };
    const uint32_t creator = addString("Lanternwork lw_effectgen");
    const uint32_t profile = addString(target);
    std::vector<uint32_t> names;
    for (const Constant& c : constants)
        names.push_back(addString(c.name));

    std::vector<uint8_t> table(stringsAt);
    auto put32 = [&](uint32_t at, uint32_t v) { std::memcpy(&table[at], &v, 4); };
    auto put16 = [&](uint32_t at, uint16_t v) { std::memcpy(&table[at], &v, 2); };
    put32(0, 28);
    put32(4, creator);
    put32(8, code.empty() ? 0 : code[0]);
    put32(12, count);
    put32(16, infoAt);
    put32(20, 0);
    put32(24, profile);
    for (uint32_t i = 0; i < count; ++i) {
        const Constant& c = constants[i];
        const uint32_t info = infoAt + 20 * i, type = typesAt + 16 * i;
        put32(info, names[i]);
        put16(info + 4, c.registerSet);
        put16(info + 6, c.registerIndex);
        put16(info + 8, c.registerCount);
        put16(info + 10, 0);
        put32(info + 12, type);
        put32(info + 16, 0); // no default value
        put16(type, c.cls);
        put16(type + 2, c.type);
        put16(type + 4, c.rows);
        put16(type + 6, c.columns);
        put16(type + 8, c.elements);
        put16(type + 10, 0);
        put32(type + 12, 0);
    }
    table.insert(table.end(), strings.begin(), strings.end());

    const uint32_t tableWords = static_cast<uint32_t>(table.size() / 4);
    std::vector<uint32_t> out;
    out.push_back(code.empty() ? 0 : code[0]);
    out.push_back(0xFFFEu | ((tableWords + 1) << 16)); // comment: 'CTAB' and the table
    out.push_back(0x42415443u);
    const size_t tableStart = out.size();
    out.resize(tableStart + tableWords);
    std::memcpy(&out[tableStart], table.data(), table.size());
    if (!code.empty())
        out.insert(out.end(), code.begin() + 1, code.end());
    return out;
}

} // namespace fx2
