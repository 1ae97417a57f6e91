#include "tests/scene/lights/LightFixture.h"

#include <d3dx9.h>

#include <cstring>

#include "document/ComRef.h"
#include "document/ResourceCache.h"
#include "tests/support/TestPictures.h"

void LightTest::SetUp()
{
    DeviceTest::SetUp();
    manager = std::make_unique<DS_DocResManager>(); // makes its own cache current
    CurrentDocResManager = manager.get();
}

// The manager goes before the device; DeviceTest::TearDown puts the current objects back.
void LightTest::TearDown()
{
    manager.reset();
    DeviceTest::TearDown();
}

Bytes LightTest::Picture(UINT width, UINT height, D3DCOLOR top, D3DCOLOR bottom)
{
    const Bytes png = PaintedPng(device(), width, height, [&](UINT, UINT y) { return y < height / 2 ? top : bottom; });
    EXPECT_FALSE(png.empty());
    return png;
}

void LightTest::PutPicture(const ResKey& key, const Bytes& png)
{
    TextureAnim::AssignSingle(ResourceCache::CreateTextureFromMemory(png.data(), static_cast<uint32_t>(png.size())),
                              manager->data().textureAnims[key]);
}

std::unique_ptr<SlideRecord> LightTest::Slide(const Bytes& picture, int32_t kind)
{
    auto slide = std::make_unique<SlideRecord>();
    slide->kind = kind;
    slide->picture.name = L"fixture.png";
    slide->picture.data = picture;
    return slide;
}

ParkedSpriteKind* LightTest::Sprite(float x, float y, unsigned int size, const ResKey& key)
{
    auto* d = new ParkedSpriteKind;
    d->at = SpriteVec3{x, y, 0.0f};
    d->count.value = 1;
    d->size.value = size;
    d->pictureKey = key;
    return d;
}

void LightTest::PutPicture(const ResKey& key, D3DCOLOR argb)
{
    PutPicture(key, Picture(4, 4, argb));
}

void LightTest::DrawFrame(MutableLight& light, DS_ScreenQuad* fade, bool clear)
{
    objectTime += 0.01f;
    DrawFrameAt(light, objectTime, fade, clear);
}

void LightTest::DrawFrameAt(MutableLight& light, float time, DS_ScreenQuad* fade, bool clear)
{
    if (clear)
        device()->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 255), 1.0f, 0);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    light.UpdateObjects(time);
    light.Update(time);
    light.BeginFrame();
    light.DrawObjects();
    light.EndFrame();
    if (fade)
        light.DrawFadeQuad(fade);
    device()->EndScene();
}

PixelImage LightTest::FrameAt(MutableLight& light, float t, DS_ScreenQuad* fade)
{
    DrawFrameAt(light, t, fade, true);
    return ReadBackBuffer();
}

void LightTest::DrawTwoFrames(MutableLight& light, DS_ScreenQuad* fade)
{
    DrawFrame(light, fade, true);
    DrawFrame(light, fade, false);
}

void PrintTo(const LetterboxCase& c, std::ostream* os)
{
    *os << c.name;
}

int CountWrongLetterboxPixels(const PixelImage& image, const LetterboxCase& c, uint32_t pictureRgb)
{
    int wrong = 0;
    for (int y = 0; y < static_cast<int>(image.height); ++y)
        for (int x = 0; x < static_cast<int>(image.width); ++x) {
            uint32_t expected = c.picture.Holds(x, y) ? pictureRgb : 0xFF00FFu; // magenta: the clear colour
            for (const PixelRect& bar : c.bars)
                if (bar.Holds(x, y))
                    expected = 0x000000;
            if (image.Rgb(x, y) != expected && wrong++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << image.Rgb(x, y)
                              << ", expected " << expected;
        }
    return wrong;
}

DWORD TextureStageStateOf(IDirect3DDevice9* device, DWORD stage, D3DTEXTURESTAGESTATETYPE state)
{
    DWORD v = 0xDEAD;
    device->GetTextureStageState(stage, state, &v);
    return v;
}

DWORD SamplerStateOf(IDirect3DDevice9* device, DWORD sampler, D3DSAMPLERSTATETYPE state)
{
    DWORD v = 0xDEAD;
    device->GetSamplerState(sampler, state, &v);
    return v;
}
