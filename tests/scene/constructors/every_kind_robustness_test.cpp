// Damaged documents of the program's own kinds: a document whose slides hold a description of
// every kind the program registers, cut at every byte and mutated many times with a fixed seed.
// Each load must succeed or end in the document error; nothing may crash or hang.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/DocResManager.h"
#include "document/DocumentError.h"
#include "document/ObjectReader.h"
#include "document/SceneDoc.h"
#include "scene/constructors/SceneReaders.h"
#include "tools/docwriter/DocumentBuilder.h"
#include "tools/docwriter/DocumentWriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One slide of each light kind; each slide holds every registered kind's description with its
// defaults, in the registry's order.
Bytes EveryKindDocument(size_t& kindCount)
{
    RegisterSceneReaders();
    DocumentWriter objects;
    kindCount = 0;
    for (const auto& entry : IOF_Virtual_Reader::GetReaderMap()) {
        std::unique_ptr<DS_ABObj_Constructor> description(entry.second->CreateDefault());
        if (!description)
            continue;
        description->Write(&objects);
        ++kindCount;
    }
    DocumentPlan plan;
    for (int32_t kind = 0; kind <= 6; ++kind) {
        SlidePlan slide;
        slide.kind = kind;
        slide.title = L"Every kind " + std::to_wstring(kind);
        slide.objectCount = static_cast<uint32_t>(kindCount);
        slide.objectBytes = objects.bytes;
        plan.slides.push_back(slide);
    }
    return BuildDocument(plan);
}

enum class Outcome { Loaded, DocumentError, Other };

Outcome LoadOnce(const Bytes& bytes)
{
    SceneDoc doc;
    try {
        LoadSceneDocument(bytes.data(), bytes.size(), doc);
        return Outcome::Loaded;
    } catch (uint32_t code) {
        return code == kDocumentError ? Outcome::DocumentError : Outcome::Other;
    } catch (...) {
        return Outcome::Other;
    }
}

class EveryKindRobustness : public testing::Test {
protected:
    void SetUp() override { document = EveryKindDocument(kinds); }

    size_t kinds = 0;
    Bytes document;
};

TEST_F(EveryKindRobustness, TheDocumentLoadsWithEveryKindOnEverySlide)
{
    EXPECT_GE(kinds, 14u);
    SceneDoc doc;
    ASSERT_TRUE(LoadSceneDocument(document.data(), document.size(), doc));
    ASSERT_EQ(7u, doc.slideCount);
    for (uint32_t i = 0; i < doc.slideCount; ++i)
        EXPECT_EQ(kinds, doc.slides[i].objects.size()) << "slide " << i;
}

TEST_F(EveryKindRobustness, EveryTruncationEndsInTheDocumentError)
{
    const size_t needed = document.size() - 4; // the trailer is never read
    for (size_t length = 0; length < document.size(); ++length) {
        const Bytes cut(document.begin(), document.begin() + length);
        ASSERT_EQ(length >= needed ? Outcome::Loaded : Outcome::DocumentError, LoadOnce(cut)) << "length " << length;
    }
}

TEST_F(EveryKindRobustness, SeededMutationsLoadOrEndInTheDocumentError)
{
    const int rounds = 10000;
    std::mt19937 random(20261210);
    std::uniform_int_distribution<size_t> position(0, document.size() - 1);
    std::uniform_int_distribution<int> byteValue(0, 255), edits(1, 6), style(0, 3);
    int loaded = 0, failed = 0;
    for (int round = 0; round < rounds; ++round) {
        Bytes mutated = document;
        const int count = edits(random);
        for (int e = 0; e < count; ++e) {
            const size_t at = position(random);
            switch (style(random)) {
            case 0: mutated[at] = static_cast<uint8_t>(byteValue(random)); break;
            case 1: mutated[at] ^= static_cast<uint8_t>(1u << (byteValue(random) & 7)); break;
            case 2: // a large count or length
                for (size_t k = at; k < at + 4 && k < mutated.size(); ++k)
                    mutated[k] = 0xFF;
                break;
            default: // a float of an odd value: zero, infinity or NaN bytes
                for (size_t k = at; k < at + 4 && k < mutated.size(); ++k)
                    mutated[k] = k == at + 3 ? 0x7F : (byteValue(random) & 1 ? 0xFF : 0x80);
                break;
            }
        }
        const Outcome outcome = LoadOnce(mutated);
        ASSERT_NE(Outcome::Other, outcome) << "round " << round;
        (outcome == Outcome::Loaded ? loaded : failed)++;
    }
    std::printf("[sweep] %d rounds: %d loaded, %d document errors\n", rounds, loaded, failed);
    EXPECT_GT(failed, 0);
}

} // namespace
