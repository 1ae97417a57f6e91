#include "tests/support/DamagedDocuments.h"

#include "document/DocResManager.h"
#include "document/DocumentError.h"
#include "document/SceneDoc.h"

LoadOutcome LoadDamagedDocument(const std::vector<uint8_t>& bytes)
{
    SceneDoc doc;
    try {
        LoadSceneDocument(bytes.data(), bytes.size(), doc);
        return LoadOutcome::Loaded;
    } catch (uint32_t code) {
        return code == kDocumentError ? LoadOutcome::DocumentError : LoadOutcome::Other;
    } catch (...) {
        return LoadOutcome::Other;
    }
}

std::vector<uint8_t> MutatedDocument(const std::vector<uint8_t>& document, std::mt19937& random)
{
    std::vector<uint8_t> mutated = document;
    if (mutated.empty())
        return mutated;
    std::uniform_int_distribution<size_t> position(0, mutated.size() - 1);
    std::uniform_int_distribution<int> byteValue(0, 255), edits(1, 6), style(0, 3);
    const int count = edits(random);
    for (int e = 0; e < count; ++e) {
        const size_t at = position(random);
        switch (style(random)) {
        case 0: mutated[at] = static_cast<uint8_t>(byteValue(random)); break;
        case 1: mutated[at] ^= static_cast<uint8_t>(1u << (byteValue(random) & 7)); break;
        case 2: // a large count or length
            for (size_t i = at; i < at + 4 && i < mutated.size(); ++i)
                mutated[i] = 0xFF;
            break;
        default: mutated[at] = 0; break;
        }
    }
    return mutated;
}
