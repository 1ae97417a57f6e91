#include <gtest/gtest.h>

#include "../SceneFixtures.h"
#include "document/CurrentDevice.h"
#include "document/SceneDoc.h"
#include "scene/objects/DS_SpriteArrayObj.h"
#include "scene/objects/RuntimeObjects.h"
#include "tests/support/CurrentObjects.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

std::vector<uint8_t> RecordOf(DS_IOF_Item& item)
{
    DocumentWriter w;
    item.Write(&w);
    return w.bytes;
}

// A version-1 sprite record naming its pictures by reference: written by hand, since the
// program writes only version 3.
std::vector<uint8_t> VersionOneRecord(const std::vector<ResourceRef>& pictures, const std::vector<float>& times)
{
    DocumentWriter w;
    w.String(PlainSpriteKind::kClassName);
    w.UInt(1);
    w.String(L"DS_BaseSpriteProp");
    w.UInt(1);
    w.String(L"DS_ViewObjCtrl");
    w.UInt(2);
    for (int i = 0; i < 6; ++i)
        w.Int(0);
    for (float f : {0.0f, 1.0f, 0.0f, 1.0f})
        w.Float(f);
    w.Byte(0);
    w.UInt(50);
    w.String(L"DS_ABObj_Constructor");
    w.UInt(1);
    w.String(L"legacy");
    w.UInt(2);  // count
    w.UInt(60); // speed (versions 1 and 2)
    w.UInt(32); // size
    w.UInt(0);
    w.Int(0);
    w.UInt(0x00FFFFFF);
    for (float f : {0.0f, 0.0f, 1.0f, 1.0f, 1.0f})
        w.Float(f);
    w.UInt(static_cast<uint32_t>(pictures.size()));
    for (const ResourceRef& ref : pictures)
        w.Ref(ref);
    w.Ref(ResourceRef()); // no second picture
    w.UInt(1);
    w.Float(0.0f);
    w.UInt(1);
    w.Float(0.0f);
    w.Byte(0);
    w.UInt(static_cast<uint32_t>(times.size()));
    for (float t : times)
        w.Float(t);
    return w.bytes;
}

class DocumentObjectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDevice = nullptr; // textures stay null; everything else is real
        RegisterSceneReaders();
        RegisterReader<PlainSpriteKind>();
    }

    CurrentObjectsGuard currentObjects_;
    ObjectSpaceScope space_{320, 240};
};

} // namespace

TEST_F(DocumentObjectsTest, SlideDescriptionsBecomeSpriteArraysWithTheDocumentsPictures)
{
    const ResKey animated(L"fish.png", 77);
    PlainSpriteKind modern;
    modern.pictureKey = animated;
    modern.count.value = 3;

    DocumentPlan doc;
    SlidePlan slide;
    slide.objectCount = 2;
    slide.objectBytes = RecordOf(modern);
    const std::vector<uint8_t> legacy =
        VersionOneRecord({ResourceRef(10, L"common_res.dll"), ResourceRef(12, L"common_res.dll")}, {0.5f, 0.25f});
    slide.objectBytes.insert(slide.objectBytes.end(), legacy.begin(), legacy.end());
    doc.slides.push_back(std::move(slide));
    ResourceRef frameA, frameB;
    frameA.name = L"fish-a.png";
    frameB.name = L"fish-b.png";
    doc.manager.textureSources[animated] = {frameA, frameB};
    doc.manager.frameDurations[animated] = {0.3f, 0.4f};
    const std::vector<uint8_t> bytes = BuildDocument(doc);

    SceneDoc scene;
    ASSERT_TRUE(LoadSceneDocument(bytes.data(), bytes.size(), scene));
    ASSERT_EQ(scene.slideCount, 1u);
    const ObjectList& descriptions = scene.slides[0].objects;
    ASSERT_EQ(descriptions.size(), 2u);

    RuntimeObjectList objects;
    MakeRuntimeObjects(descriptions, objects);
    ASSERT_EQ(objects.size(), 2u);

    auto* first = dynamic_cast<DS_SpriteArrayObj*>(objects.front().get());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->frames.size(), 2u);
    EXPECT_EQ(first->frameTimes, (std::vector<float>{0.3f, 0.4f}));
    EXPECT_EQ(first->Sprites().size(), 3u);

    auto* second = dynamic_cast<DS_SpriteArrayObj*>(objects.back().get());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Description()->pictureKey, ResKey(L"common_res.dll", 10));
    EXPECT_EQ(second->Description()->speed.value, 60u);
    EXPECT_EQ(second->Description()->title, L"legacy");
    EXPECT_EQ(second->frames.size(), 2u);
    EXPECT_EQ(second->frameTimes, (std::vector<float>{0.5f, 0.25f}));
    // The slide's own description keeps the resolved key, for the next light made from it.
    auto* slideLegacy = dynamic_cast<PlainSpriteKind*>(descriptions.back());
    ASSERT_NE(slideLegacy, nullptr);
    EXPECT_EQ(slideLegacy->pictureKey, ResKey(L"common_res.dll", 10));
    EXPECT_TRUE(slideLegacy->legacyPictures.empty());
}
