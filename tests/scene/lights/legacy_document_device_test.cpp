// A document of the older format on the device: its slide's list holds a 2D sprite of every
// legacy kind, an early record that names a library picture, and falling leaves. It loads, the
// slide's light makes a runtime object of every entry but the kind that never had one, and the
// sprites show over the picture.
#include <gtest/gtest.h>

#include <memory>

#include "document/SceneDoc.h"
#include "scene/constructors/DS_2D_Sprites_Constructor.h"
#include "scene/constructors/SceneReaders.h"
#include "tests/scene/LegacyRecords.h"
#include "tests/scene/lights/LightFixture.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr uint32_t kBlue = 0x3060A0;

class LegacyDocumentDeviceTest : public LightTest {
protected:
    // A 128 × 96 blue picture (it fills the 256 × 192 back buffer) with the legacy list.
    Bytes OlderDocument()
    {
        ResourceRef yellow;
        yellow.name = L"yellow.bmp";
        yellow.data = SolidBmp(8, 8, 0xFFFF00);

        LegacyListPlan list;
        for (int32_t kind = 0; kind <= 12; ++kind) {
            LegacySpritePlan sprite;
            sprite.kind = kind;
            sprite.count = 1;
            sprite.size = 8;
            sprite.firstPicture = yellow;
            if (kind == kLegacyStatic || kind == kLegacyFlower) {
                sprite.motion[0] = 64.0f; // the centre point
                sprite.motion[1] = 48.0f;
            } else {
                sprite.motion[0] = 30.0f;
                sprite.motion[1] = -20.0f;
            }
            list.sprites.push_back(sprite);
        }
        LegacySpritePlan early; // names picture 12 of the library: two sprites of size 12
        early.version = 0;
        early.kind = kLegacyFish;
        early.count = 2;
        early.pictureId = 12;
        list.sprites.push_back(early);
        list.leaves = {LegacyLeavesPlan{}};
        list.leaves[0].count = 4;

        DocumentPlan doc;
        doc.slides.push_back(LegacySlide(list));
        doc.slides[0].picture.name = L"blue.png";
        doc.slides[0].picture.data = Picture(128, 96, 0xFF000000u | kBlue);
        return BuildDocument(doc);
    }
};

TEST_F(LegacyDocumentDeviceTest, LoadsAndShowsItsSprites)
{
    RegisterSceneReaders();
    const Bytes bytes = OlderDocument();
    SceneDoc doc;
    ASSERT_TRUE(LoadSceneDocument(bytes.data(), bytes.size(), doc));
    ASSERT_EQ(1u, doc.slideCount);
    ASSERT_EQ(15u, doc.slides[0].objects.size());

    std::unique_ptr<MutableLight> light(CreateMutableLight(&doc.slides[0]));
    ASSERT_TRUE(light);
    EXPECT_EQ(14u, light->objects.size()) << "every entry but kind 5";
    light->SetStretch(0);

    objectTime = 0.5f;
    DrawFrame(*light, nullptr, true);
    const PixelImage image = ReadBackBuffer();
    SaveBackBufferPng(device(), L"legacy_document");
    const size_t picture = image.Count(kBlue);
    EXPECT_GT(picture, image.width * image.height / 4) << "the picture shows";
    EXPECT_GT(image.width * image.height - picture, 500u) << "the sprites show over it";
    EXPECT_EQ(0u, image.Count(kMagenta)) << "the picture fills the back buffer";
}

} // namespace
