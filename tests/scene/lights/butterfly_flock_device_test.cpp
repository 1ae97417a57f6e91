// A picture slide with a butterfly flock, drawn on the device with the library's butterfly meshes
// and picture: the butterflies appear inside their view rectangle and nowhere far from it, their
// bodies show under the picture light's single pass, and a flock whose meshes and pictures
// cannot be made draws nothing without failing the slide.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "scene/constructors/DS_ButterflyConstructor.h"
#include "scene/objects/DS_3DObjArray.h"
#include "tests/scene/lights/LightFixture.h"

namespace {

constexpr uint32_t kMeadowBlue = 0x3080C0;

class ButterflyFlockDevice : public LightTest {
protected:
    // Three butterflies at half size in the middle of the picture: x 0.3 to 0.7, y 0.3 to 0.7.
    DS_ButterflyConstructor* Flock()
    {
        auto* d = new DS_ButterflyConstructor;
        d->count.value = 3;
        d->size.value = 50;
        d->secondTextureKey = ResKey(L"common_res.dll", DS_ButterflyConstructor::kPictureId);
        d->leftFraction = 0.3f;
        d->rightFraction = 0.7f;
        d->topFraction = 0.3f;
        d->bottomFraction = 0.7f;
        return d;
    }

    // Frames of 10 ms; the first one on a magenta back buffer.
    void DrawFrames(MutableLight& light, int frames)
    {
        for (int i = 0; i < frames; ++i)
            DrawFrame(light, nullptr, i == 0);
    }

    // The screen of a slide with `description` alone, after `frames` frames, and how many of its
    // pixels differ from the bare picture's.
    PixelImage Screen(DS_ButterflyConstructor* description, int frames)
    {
        auto slide = Slide(Picture(256, 192, 0xFF000000 | kMeadowBlue));
        if (description)
            slide->objects.push_back(description);
        std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
        EXPECT_EQ(description ? 1u : 0u, light->objects.size());
        light->SetStretch(0);
        DrawFrames(*light, frames);
        return ReadBackBuffer();
    }
};

bool IsDark(uint32_t rgb)
{
    return ((rgb >> 16) & 0xFF) < 110 && ((rgb >> 8) & 0xFF) < 110 && (rgb & 0xFF) < 110;
}

TEST_F(ButterflyFlockDevice, ButterfliesFlyInsideTheirViewRectangle)
{
    // The picture, 256 × 192, fills the back buffer: one picture pixel is one screen pixel.
    const PixelImage picture = Screen(nullptr, 2);
    auto slide = Slide(Picture(256, 192, 0xFF000000 | kMeadowBlue));
    slide->objects.push_back(Flock());
    std::srand(5);
    std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
    ASSERT_EQ(1u, light->objects.size());
    auto* flock = dynamic_cast<DS_3DObjArray*>(light->objects.front());
    ASSERT_NE(nullptr, flock);
    for (const auto& element : flock->elements) {
        EXPECT_GT(element->vertices.count, 0u);
        EXPECT_GT(element->triangleCount, 0u);
        EXPECT_EQ(D3DPT_TRIANGLELIST, element->primitiveType);
        EXPECT_GT(element->radius, 0.0f);
        EXPECT_NE(nullptr, element->texture.Get());
    }
    light->SetStretch(0);
    DrawFrames(*light, 10);
    SaveBackBufferPng(device(), L"butterfly_flock");

    // The rectangle is x 76.8 to 179.2, y 57.6 to 134.4; a butterfly at half size reaches about
    // 16 pixels from its centre, and in 0.1 s it moves a few pixels.
    const PixelImage image = ReadBackBuffer();
    size_t inside = 0, outside = 0, dark = 0;
    for (UINT y = 0; y < image.height; ++y)
        for (UINT x = 0; x < image.width; ++x) {
            const uint32_t c = image.Rgb(x, y);
            if (c == picture.Rgb(x, y))
                continue;
            const bool nearFlock = x >= 52 && x <= 204 && y >= 33 && y <= 159;
            ++(nearFlock ? inside : outside);
            if (IsDark(c))
                ++dark;
        }
    EXPECT_GT(inside, 150u) << "three butterflies should cover some hundred pixels";
    EXPECT_EQ(0u, outside);
    EXPECT_GT(dark, 10u) << "the dark bodies should show";
}

TEST_F(ButterflyFlockDevice, AFlockWithoutMeshesOrPicturesDrawsNothing)
{
    const PixelImage picture = Screen(nullptr, 3);
    DS_ButterflyConstructor* d = Flock();
    d->bodyMeshKey = ResKey(L"no_such_library.dll", 68);
    d->bodyTextureKey = ResKey(L"no_such_library.dll", 6);
    d->secondMeshKey = ResKey(L"common_res.dll", 9999);
    d->secondTextureKey = ResKey();
    const PixelImage screen = Screen(d, 3);
    EXPECT_EQ(picture.pixels, screen.pixels) << "only the picture shows";
}

} // namespace
