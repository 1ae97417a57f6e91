// Each sprite kind of the fish and light families drawn by the picture light: one white sprite
// tinted red over a dark blue picture shows red inside its quad and leaves the picture alone
// elsewhere.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "scene/constructors/DS_BirdConstructor.h"
#include "scene/constructors/DS_FishConstructor.h"
#include "scene/constructors/DS_FogConstructor.h"
#include "scene/constructors/DS_GhostConstructor.h"
#include "scene/constructors/DS_GodRayConstructor.h"
#include "scene/constructors/DS_LightingConstructor.h"
#include "scene/constructors/DS_SparkleConstructor.h"
#include "scene/objects/DS_SpriteArrayObj.h"
#include "tests/scene/lights/LightFixture.h"

namespace {

constexpr D3DCOLOR kBackground = 0xFF102040;

struct KindCase {
    const char* name;
    std::function<DS_BaseSpriteProp*()> make;
};

const KindCase kKinds[] = {
    {"fish", [] { return new DS_FishConstructor; }},
    {"bird", [] { return new DS_BirdConstructor; }},
    {"ghost", [] { return new DS_GhostConstructor; }},
    {"fog", [] { return new DS_FogConstructor; }},
    {"sparkle", [] { return new DS_SparkleConstructor; }},
    {"light ray", [] { return new DS_GodRayConstructor; }},
    {"lightning", [] { return new DS_LightingConstructor; }},
};

class SpriteKindsDeviceTest : public LightTest {};

TEST_F(SpriteKindsDeviceTest, EachKindShowsItsTintInsideItsQuad)
{
    const ResKey white(L"white.png", 1);
    const Bytes png = Picture(4, 4, 0xFFFFFFFF);
    TextureAnim::AssignSingle(ResourceCache::CreateTextureFromMemory(png.data(), static_cast<uint32_t>(png.size())),
                              manager->data().textureAnims[white]);

    for (const KindCase& c : kKinds) {
        SCOPED_TRACE(c.name);
        // Picture 64 × 48 on the 256 × 192 back buffer: a picture pixel is 4 screen pixels. The
        // sprite of 16 pixels moves in the middle fifth of the picture.
        auto slide = Slide(Picture(64, 48, kBackground));
        DS_BaseSpriteProp* d = c.make();
        d->count.value = 1;
        d->size.value = 16;
        d->colour.value = 0x000000FF; // red
        d->pictureKey = white;
        d->leftFraction = d->topFraction = 0.4f;
        d->rightFraction = d->bottomFraction = 0.6f;
        slide->objects.push_back(d);

        std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
        ASSERT_EQ(1u, light->objects.size());
        light->SetStretch(0);
        auto* array = dynamic_cast<DS_SpriteArrayObj*>(light->objects[0]);
        ASSERT_NE(array, nullptr);
        DrawFrame(*light, nullptr, true);
        // Fully bright for the frame that is read (lightning starts dark, the faders anywhere).
        DS_Sprite* sprite = array->Sprites().front().get();
        sprite->alpha = 1.0f;
        DrawFrame(*light, nullptr, false);

        const PixelImage image = ReadBackBuffer();
        const UINT x = static_cast<UINT>(sprite->position.x * 4.0f);
        const UINT y = static_cast<UINT>(sprite->position.y * 4.0f);
        const uint32_t inside = image.Rgb(x, y);
        EXPECT_GE((inside >> 16) & 0xFF, 120u) << std::hex << inside << " at " << std::dec << x << ", " << y;
        EXPECT_LE((inside >> 8) & 0xFF, 0x20u + 4u) << std::hex << inside;
        EXPECT_LE(inside & 0xFF, 0x40u + 4u) << std::hex << inside;
        EXPECT_EQ(kBackground & 0xFFFFFF, image.Rgb(8, 8)) << "the picture away from the sprite";
    }
}

} // namespace
