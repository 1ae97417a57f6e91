// Static pictures and flowers on a picture slide: the picture lands at its centre point in
// picture pixels, turned and mirrored as its description says.
#include <gtest/gtest.h>

#include <memory>

#include "scene/constructors/DS_FlowerConstructor.h"
#include "scene/constructors/DS_StatObjConstructor.h"
#include "tests/scene/lights/LightFixture.h"

namespace {

class StaticPictureObjectsTest : public LightTest {
protected:
    // A picture of `size` picture pixels at the centre (x, y).
    template <class Kind>
    Kind* Placed(int x, int y, unsigned int size, const ResKey& key)
    {
        auto* d = new Kind;
        d->bounds.extra1.value = x;
        d->bounds.extra2.value = y;
        d->size.value = size;
        d->pictureKey = key;
        return d;
    }
};

TEST_F(StaticPictureObjectsTest, APictureShowsAtItsCentreTurnedAndFlippedAsAsked)
{
    const ResKey key(L"two_tone.png", 1);
    PutPicture(key, Picture(32, 16, 0xFF00FF00, 0xFF0000FF)); // 32 x 16, green over blue
    // Picture 64 × 48 on the 256 × 192 back buffer: one picture pixel is 4 screen pixels. Each
    // object is 16 × 8 picture pixels (64 × 32 on the screen).
    auto slide = Slide(Picture(64, 48, 0xFFC03010));
    slide->objects.push_back(Placed<DS_StatObjConstructor>(16, 12, 16, key)); // upright
    auto* flipped = Placed<DS_StatObjConstructor>(48, 12, 16, key);
    flipped->verticalFlip.value = 1;
    slide->objects.push_back(flipped);
    auto* turned = Placed<DS_StatObjConstructor>(16, 36, 16, key);
    turned->rotation.value = 90; // counter-clockwise: the green top now faces left
    slide->objects.push_back(turned);
    slide->objects.push_back(Placed<DS_FlowerConstructor>(48, 36, 16, key));

    std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
    ASSERT_EQ(4u, light->objects.size());
    light->SetStretch(0);
    DrawTwoFrames(*light);
    SaveBackBufferPng(device(), L"static_picture_objects");

    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(0x00FF00u, image.Rgb(64, 40));  // upright: green above the centre (64, 48)
    EXPECT_EQ(0x0000FFu, image.Rgb(64, 56));  // and blue below
    EXPECT_EQ(0x0000FFu, image.Rgb(192, 40)); // flipped: blue above
    EXPECT_EQ(0x00FF00u, image.Rgb(192, 56));
    EXPECT_EQ(0x00FF00u, image.Rgb(56, 144)); // turned: green left of the centre (64, 144)
    EXPECT_EQ(0x0000FFu, image.Rgb(72, 144));
    EXPECT_EQ(0x00FF00u, image.Rgb(192, 136)); // the flower stands nearly upright
    EXPECT_EQ(0x0000FFu, image.Rgb(192, 152));
    EXPECT_EQ(0xC03010u, image.Rgb(128, 96));  // the slide's picture between them
    EXPECT_EQ(0xC03010u, image.Rgb(64, 100));  // turned: 32 wide, 64 tall, so not here
}

} // namespace
