// A program that embeds a scene document as resource "DDS" 107 loads it through the loader.
#include <gtest/gtest.h>

#include <windows.h>

#include "document/DocResManager.h"
#include "document/DocumentError.h"
#include "document/SceneDoc.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

TEST(EmbeddedDocument, IsTheMinimalDocumentTheBuilderWrites)
{
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(self, MAKEINTRESOURCEW(kSceneDocumentResourceId), L"DDS");
    ASSERT_NE(nullptr, info);
    const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(self, info)));
    const std::vector<uint8_t> embedded(bytes, bytes + SizeofResource(self, info));

    DocumentPlan plan;
    plan.slides.push_back(SlidePlan{});
    const std::vector<uint8_t> built = BuildDocument(plan);
    ASSERT_EQ(built.size(), embedded.size());
    for (size_t i = 0; i < built.size(); ++i)
        ASSERT_EQ(built[i], embedded[i]) << "at byte " << i;
}

TEST(EmbeddedDocument, LoadsAndReloadsIntoOneSceneDoc)
{
    SceneDoc doc;
    for (int load = 0; load < 2; ++load) {
        ASSERT_TRUE(LoadSceneDocument(doc));
        ASSERT_EQ(1u, doc.slideCount);
        EXPECT_EQ(kSlidePicture, doc.slides[0].kind);
        EXPECT_EQ(10, doc.slides[0].holdSeconds);
        EXPECT_TRUE(doc.sounds.empty());
        EXPECT_EQ(doc.resources.get(), CurrentDocResManager);
    }
}

TEST(EmbeddedDocument, AModuleWithoutADocumentFails)
{
    SceneDoc doc;
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    try {
        LoadSceneDocument(kernel, doc);
        ADD_FAILURE() << "no error";
    } catch (uint32_t code) {
        EXPECT_EQ(kDocumentError, code);
    }
}

} // namespace
