// Damaged documents: every truncation and thousands of seeded byte mutations of a document
// that uses every part of the format. Each load must succeed or end in the document error;
// nothing may crash, hang, allocate without bound or leak a description.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <random>

#include "document/DocResManager.h"
#include "document/DocumentError.h"
#include "document/SceneDoc.h"
#include "tests/document/TestDescriptions.h"
#include "tests/support/DamagedDocuments.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::wstring ExistingSoundPath()
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"lw_sweep_sound.wav";
    if (FILE* out = _wfopen(path.c_str(), L"wb"))
        std::fclose(out);
    return path;
}

Bytes RepresentativeDocument()
{
    DocumentPlan plan;
    for (int round = 0; round < 2; ++round) {
        for (int32_t kind = 0; kind <= 6; ++kind) {
            SlidePlan slide;
            slide.kind = kind;
            slide.title = L"Slide " + std::to_wstring(kind);
            slide.paramVersion = round == 0 ? 2 : 1;
            slide.picture.name = L"C:\\pictures\\slide.jpg";
            slide.picture.data = Bytes(40 + kind, static_cast<uint8_t>(kind));
            auto* swimmer = new TestSwimmer;
            swimmer->speedX = float(kind);
            auto* diver = new TestDiver;
            diver->depth = kind;
            slide.objectCount = 3;
            slide.objectBytes = ObjectBytes({swimmer, diver, new TestCounted});
            slide.params.refs[0] = ResourceRef(39, L"common_res.dll");
            slide.params.refs[0].data = {1, 2, 3, 4};
            slide.params.blob.name = L"ball.png";
            slide.params.blob.data = {5, 6};
            slide.params.legacyPictures.resize(2);
            slide.params.legacyPictures[0].data = {7, 7, 7};
            slide.params.fireKeys[0] = ResKey(L"common_res.dll", 7);
            plan.slides.push_back(slide);
        }
    }
    NamedBlob sound;
    sound.name = ExistingSoundPath();
    sound.data = {'R', 'I', 'F', 'F', 0, 0};
    plan.sounds = {{L"first", sound}, {L"second", NamedBlob()}};

    const ResKey file(L"C:\\pictures\\a.png", 1234567), lib(L"common_res.dll", 12), anim(L"anim.png", 2);
    ResourceRef embedded;
    embedded.name = file.name;
    embedded.data = Bytes(64, 0x42);
    ResourceRef copy(12, L"common_res.dll");
    copy.data = Bytes(16, 0x24);
    plan.manager.version = 3;
    plan.manager.textureSources[file] = {embedded};
    plan.manager.textureSources[lib] = {copy};
    plan.manager.textureSources[anim] = {embedded, embedded, copy};
    plan.manager.frameDurations[anim] = {0.1f, 0.2f, 0.3f};
    plan.manager.meshSources[ResKey(L"common_res.dll", 68)] = {ResourceRef(68, L"common_res.dll")};
    return BuildDocument(plan);
}

class RobustnessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterTestReaders();
        document = RepresentativeDocument();
    }
    void TearDown() override { EXPECT_EQ(0, TestCounted::alive); }

    Bytes document;
};

TEST_F(RobustnessTest, TheDocumentItselfLoads)
{
    SceneDoc doc;
    ASSERT_TRUE(LoadSceneDocument(document.data(), document.size(), doc));
    EXPECT_EQ(14u, doc.slideCount);
    EXPECT_EQ(2u, doc.sounds.size());
    EXPECT_EQ(3u, doc.slides[5].objects.size());
    EXPECT_EQ(3u, CurrentDocResManager->data().textureAnims[ResKey(L"anim.png", 2)].frames.size());
}

TEST_F(RobustnessTest, EveryTruncationEndsInTheDocumentError)
{
    // The reader never needs the four trailing bytes.
    const size_t needed = document.size() - 4;
    for (size_t length = 0; length < document.size(); ++length) {
        const Bytes cut(document.begin(), document.begin() + length);
        const LoadOutcome outcome = LoadDamagedDocument(cut);
        ASSERT_EQ(length >= needed ? LoadOutcome::Loaded : LoadOutcome::DocumentError, outcome) << "length " << length;
    }
}

TEST_F(RobustnessTest, SeededMutationsLoadOrEndInTheDocumentError)
{
    std::mt19937 random(20261210);
    int loaded = 0, failed = 0;
    for (int round = 0; round < 3000; ++round) {
        const LoadOutcome outcome = LoadDamagedDocument(MutatedDocument(document, random));
        ASSERT_NE(LoadOutcome::Other, outcome) << "round " << round;
        (outcome == LoadOutcome::Loaded ? loaded : failed)++;
    }
    // Both outcomes occur, so the sweep reaches past the header.
    EXPECT_GT(loaded, 0);
    EXPECT_GT(failed, 0);
}

} // namespace
