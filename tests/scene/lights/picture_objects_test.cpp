// A picture slide with sprite objects: the sprites are drawn over the picture, placed in picture
// pixels by the picture light's layout.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "scene/constructors/DS_BaseSpriteProp.h"
#include "scene/lights/MutableNone.h"
#include "scene/objects/DS_Sprite.h"
#include "tests/scene/lights/LightFixture.h"

namespace {

// A sprite kind that writes down the right edge of its view rectangle, in picture pixels, each
// time its sprite moves: the edge follows the object space of the light that is laid out.
class EdgeRecordingKind : public DS_BaseSpriteProp {
public:
    float* rightEdgeSeen = nullptr;

    DS_BaseSpriteProp* Clone() const override { return new EdgeRecordingKind(*this); }
    void UpdateSprite(DS_Sprite*) override { *rightEdgeSeen = RightEdge(); }
    bool Write(DS_IOF_Virtual*) override { return true; }
};

class PictureObjectsTest : public LightTest {};

TEST_F(PictureObjectsTest, SpritesAreDrawnOverThePictureInSlideOrder)
{
    const ResKey red(L"red.png", 1), green(L"green.png", 2);
    PutPicture(red, 0xFFFF0000);
    PutPicture(green, 0xFF00FF00);
    // Picture 64 × 48 fills the 256 × 192 back buffer: one picture pixel is 4 screen pixels.
    auto slide = Slide(Picture(64, 48, 0xFF3080C0));
    slide->objects.push_back(Sprite(16, 24, 8, red));   // screen x 48..80, y 80..112
    slide->objects.push_back(Sprite(48, 24, 8, red));   // screen x 176..208
    slide->objects.push_back(Sprite(52, 24, 8, green)); // drawn after, over the second one

    std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
    ASSERT_EQ(3u, light->objects.size());
    light->SetStretch(0);
    DrawTwoFrames(*light);
    SaveBackBufferPng(device(), L"picture_objects");

    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(0xFF0000u, image.Rgb(64, 96));   // first sprite
    EXPECT_EQ(0xFF0000u, image.Rgb(180, 96));  // second sprite, left of the third
    EXPECT_EQ(0x00FF00u, image.Rgb(200, 96));  // the third over the second
    EXPECT_EQ(0x3080C0u, image.Rgb(128, 96));  // the picture between them
    EXPECT_EQ(0x3080C0u, image.Rgb(64, 40));   // and above them
}

// With several monitors each light's objects move in the object space of its own picture, even
// when another light was laid out after it.
TEST_F(PictureObjectsTest, ObjectsMoveInTheirOwnLightsObjectSpace)
{
    float wideSeen = 0.0f, tallSeen = 0.0f;
    auto wideSlide = Slide(Picture(64, 32, 0xFF3080C0));
    auto* wideSprite = new EdgeRecordingKind;
    wideSprite->count.value = 1;
    wideSprite->rightEdgeSeen = &wideSeen;
    wideSlide->objects.push_back(wideSprite);
    auto tallSlide = Slide(Picture(32, 64, 0xFF3080C0));
    auto* tallSprite = new EdgeRecordingKind;
    tallSprite->count.value = 1;
    tallSprite->rightEdgeSeen = &tallSeen;
    tallSlide->objects.push_back(tallSprite);

    std::unique_ptr<MutableLight> wide(CreateMutableLight(wideSlide.get()));
    wide->SetStretch(0);
    std::unique_ptr<MutableLight> tall(CreateMutableLight(tallSlide.get()));
    tall->SetStretch(0);

    for (int frame = 0; frame < 2; ++frame) {
        wide->UpdateObjects(0.1f * (frame + 1));
        tall->UpdateObjects(0.1f * (frame + 1));
        EXPECT_EQ(64.0f, wideSeen) << frame;
        EXPECT_EQ(32.0f, tallSeen) << frame;
    }
}

// Before a reset the light lets go of what its frame left bound: the picture's and the sprites'
// texture on stage 0, the vertex stream and the sprites' indices.
TEST_F(PictureObjectsTest, ReleaseUnbindsTheStageTextureStreamAndIndices)
{
    const ResKey red(L"red.png", 1);
    PutPicture(red, 0xFFFF0000);
    auto slide = Slide(Picture(64, 48, 0xFF3080C0));
    slide->objects.push_back(Sprite(16, 24, 8, red));
    std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
    light->SetStretch(0);
    DrawTwoFrames(*light);

    ASSERT_EQ("stage 0 texture, stream 0, indices", BoundDrawingResources(device(), 1)) << "after the frame";
    light->ReleaseDeviceResources();
    EXPECT_EQ("", BoundDrawingResources(device(), 1)) << "after the release";
    EXPECT_EQ(D3D_OK, test_device().Reset(kWidth, kHeight));
}

} // namespace
