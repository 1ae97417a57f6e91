// Damaged documents of the program's own kinds: a document whose slides hold a description of
// every kind the program registers, and an older-format list with a sprite record of every version
// and kind, wrapped sprites and leaves, cut at every byte and mutated 10,000 times with a fixed seed.
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
#include "tests/scene/LegacyRecords.h"
#include "tests/support/DamagedDocuments.h"
#include "tools/docwriter/DocumentBuilder.h"
#include "tools/docwriter/DocumentWriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One slide of each light kind, each holding every registered kind's description with its
// defaults, in the registry's order; then a slide with an older-format list.
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
    LegacyListPlan legacy;
    for (uint32_t version = 0; version <= 11; ++version) {
        LegacySpritePlan sprite;
        sprite.version = version;
        sprite.kind = static_cast<int32_t>(version);
        sprite.title = L"legacy " + std::to_wstring(version);
        if (version >= 4)
            sprite.firstPicture = ResourceRef(10, L"common_res.dll");
        if (version >= 9)
            sprite.frameTimes = {0.25f, 0.5f};
        if (version >= 10)
            sprite.pictureList = {ResourceRef(12, L"common_res.dll")};
        legacy.sprites.push_back(sprite);
    }
    legacy.wrapped.resize(1);
    legacy.wrapped[0].kind = 12;
    legacy.leaves.resize(1);
    legacy.leaves[0].count = 3;
    plan.slides.push_back(LegacySlide(legacy));
    return BuildDocument(plan);
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
    ASSERT_EQ(8u, doc.slideCount);
    for (uint32_t i = 0; i < 7; ++i)
        EXPECT_EQ(kinds, doc.slides[i].objects.size()) << "slide " << i;
    EXPECT_EQ(14u, doc.slides[7].legacyObjectCount);
}

TEST_F(EveryKindRobustness, EveryTruncationEndsInTheDocumentError)
{
    const size_t needed = document.size() - 4; // the trailer is never read
    for (size_t length = 0; length < document.size(); ++length) {
        const Bytes cut(document.begin(), document.begin() + length);
        const LoadOutcome expected = length >= needed ? LoadOutcome::Loaded : LoadOutcome::DocumentError;
        ASSERT_EQ(expected, LoadDamagedDocument(cut)) << "length " << length;
    }
}

TEST_F(EveryKindRobustness, SeededMutationsLoadOrEndInTheDocumentError)
{
    const int rounds = 10000;
    std::mt19937 random(20261210);
    int loaded = 0, failed = 0;
    for (int round = 0; round < rounds; ++round) {
        const LoadOutcome outcome = LoadDamagedDocument(MutatedDocument(document, random));
        ASSERT_NE(LoadOutcome::Other, outcome) << "round " << round;
        (outcome == LoadOutcome::Loaded ? loaded : failed)++;
    }
    std::printf("[sweep] %d rounds: %d loaded, %d document errors\n", rounds, loaded, failed);
    EXPECT_GT(failed, 0);
}

} // namespace
