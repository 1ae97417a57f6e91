// The water-ring mode on a real device: the surface it builds from the slide, its base states,
// the water filling exactly the picture's rectangle inside the bars, drops by the light time,
// objects drawn flat and unlit over the water, the fade quad's plain colour, and a reset.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/lights/DS_WaterRingLight.h"
#include "scene/lights/MutableRings.h"
#include "scene/render/SceneTransforms.h"
#include "tests/scene/DeviceScene.h"
#include "tests/scene/lights/LightFixture.h"

namespace {

constexpr D3DCOLOR kPictureArgb = 0xFF3080C0;
constexpr uint32_t kPicture = kPictureArgb & 0xFFFFFF;

class WaterRingsTest : public LightTest {
protected:
    // A water-ring slide of a solid picture; no glints unless the level says so.
    std::unique_ptr<SlideRecord> RingsSlide(UINT width, UINT height, uint32_t specularLevel = 0)
    {
        auto slide = Slide(Picture(width, height, kPictureArgb), kSlideRings);
        slide->levels[3] = 30; // one drop every 2 s
        slide->levels[7] = specularLevel;
        slide->levels[8] = 50; // specular power 40
        return slide;
    }

    std::unique_ptr<MutableRings> Make(const SlideRecord& slide, int stretch = 0)
    {
        std::unique_ptr<MutableRings> light = CreateModeLight<MutableRings>(slide);
        if (light)
            light->SetStretch(stretch);
        return light;
    }
};

TEST_F(WaterRingsTest, BuildsTheSurfaceAndTakesTheLevelsFromTheSlide)
{
    auto slide = RingsSlide(64, 48, 90);
    slide->levels[0] = 0;   // rows: square cells
    slide->levels[2] = 50;  // columns: 192
    slide->levels[4] = 100; // drop strength 0.8
    slide->levels[5] = 0;   // damping 0.9
    slide->levels[6] = 20;  // refraction depth 0.2
    auto light = Make(*slide);
    ASSERT_TRUE(light);
    const DS_WaterRingLight& water = *light->light();
    ASSERT_TRUE(water.surface);
    const RippleSurface& surface = *water.surface;
    EXPECT_EQ(192u, surface.columns);
    EXPECT_EQ(144u, surface.rows);
    EXPECT_FLOAT_EQ(40.0f, surface.width) << "30 ÷ aspect 0.75";
    EXPECT_FLOAT_EQ(30.0f, surface.depth);
    EXPECT_FLOAT_EQ(0.8f, surface.dropStrength);
    EXPECT_FLOAT_EQ(0.9f, surface.damping);
    EXPECT_FLOAT_EQ(0.2f, surface.refractionDepth);
    EXPECT_FLOAT_EQ(2.0f, water.dropInterval);
    EXPECT_FLOAT_EQ(0.9f, water.specularLevel);
    EXPECT_FLOAT_EQ(40.0f, water.specularPower);
    EXPECT_TRUE(surface.indexBuffer);
    EXPECT_TRUE(surface.vertexBuffer);

    float velocities = 0.0f;
    for (const RippleCell& cell : surface.cells)
        velocities += cell.velocity;
    EXPECT_FLOAT_EQ(-0.8f, velocities) << "a new surface starts with one drop";
}

TEST_F(WaterRingsTest, SetsLightMaterialAndStates)
{
    auto light = Make(*RingsSlide(64, 48, 90));
    ASSERT_TRUE(light);
    IDirect3DDevice9* d = device();

    D3DLIGHT9 light0 = {};
    ASSERT_EQ(D3D_OK, d->GetLight(0, &light0));
    EXPECT_EQ(D3DLIGHT_DIRECTIONAL, light0.Type);
    EXPECT_EQ(0.5f, light0.Direction.x);
    EXPECT_EQ(-1.0f, light0.Direction.y);
    EXPECT_EQ(1.0f, light0.Direction.z);
    EXPECT_EQ(1.0f, light0.Diffuse.r);
    EXPECT_EQ(1.0f, light0.Specular.g);
    BOOL enabled = FALSE;
    d->GetLightEnable(0, &enabled);
    EXPECT_TRUE(enabled);

    D3DMATERIAL9 material = {};
    ASSERT_EQ(D3D_OK, d->GetMaterial(&material));
    EXPECT_FLOAT_EQ(40.0f, material.Power);
    EXPECT_FLOAT_EQ(0.9f, material.Specular.r);
    EXPECT_EQ(0.0f, material.Diffuse.r);
    EXPECT_EQ(1.0f, material.Diffuse.a);

    EXPECT_EQ(DWORD{TRUE}, RenderState(d, D3DRS_LIGHTING));
    EXPECT_EQ(DWORD{TRUE}, RenderState(d, D3DRS_SPECULARENABLE));
    EXPECT_EQ(DWORD{FALSE}, RenderState(d, D3DRS_ZENABLE));
    EXPECT_EQ(DWORD{D3DCULL_NONE}, RenderState(d, D3DRS_CULLMODE));
    EXPECT_EQ(DWORD{D3DBLEND_SRCALPHA}, RenderState(d, D3DRS_SRCBLEND));
    EXPECT_EQ(DWORD{D3DBLEND_INVSRCALPHA}, RenderState(d, D3DRS_DESTBLEND));
    DWORD value = 0;
    d->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
    EXPECT_EQ(DWORD{D3DTADDRESS_MIRROR}, value);
    d->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(DWORD{D3DTEXF_LINEAR}, value);
}

// The water spans exactly the picture's rectangle, which the bars surround: nothing of the
// magenta clear colour is left, without the light clearing the back buffer.
const LetterboxCase kWaterLayouts[] = {
    {"Letterbox", 64, 32, 0, {0, 32, 256, 160}, {{0, 0, 1, 128}, {0, 0, 256, 33}, {0, 160, 256, 193}}},
    {"Pillarbox", 32, 64, 0, {80, 0, 176, 192}, {{0, 0, 81, 192}, {176, 0, 257, 192}, {0, 0, 96, 1}}},
    {"ExactFit", 64, 48, 0, {0, 0, 256, 192}, {{0, 0, 1, 192}, {0, 0, 256, 1}}},
    {"Stretched", 64, 32, 1, {0, 0, 256, 192}, {{0, 0, 1, 192}, {0, 0, 256, 1}}},
};

class WaterRingsLayoutTest : public WaterRingsTest, public ::testing::WithParamInterface<LetterboxCase> {};

TEST_P(WaterRingsLayoutTest, WaterFillsThePictureRectangleInsideTheBars)
{
    const LetterboxCase& c = GetParam();
    auto light = Make(*RingsSlide(c.pictureWidth, c.pictureHeight), c.stretch);
    ASSERT_TRUE(light);
    DrawTwoFrames(*light);
    SaveBackBufferPng(device(), std::wstring(L"water_rings_") + std::wstring(c.name, c.name + strlen(c.name)));
    // A solid picture stays solid however the water bends it, and without glints the light
    // adds nothing to it.
    EXPECT_EQ(0, CountWrongLetterboxPixels(ReadBackBuffer(), c, kPicture));
}

INSTANTIATE_TEST_SUITE_P(Layouts, WaterRingsLayoutTest, ::testing::ValuesIn(kWaterLayouts),
                         [](const ::testing::TestParamInfo<LetterboxCase>& info) { return info.param.name; });

TEST_F(WaterRingsTest, DropsFallByTheLightTimeAndOnceAfterAPause)
{
    auto light = Make(*RingsSlide(64, 48));
    ASSERT_TRUE(light);
    int numbers = 0;
    light->light()->surface->random = [&numbers] { return ++numbers; };
    for (float t : {0.5f, 1.5f, 2.1f, 2.2f, 10.0f, 10.5f})
        light->Update(t);
    EXPECT_EQ(4, numbers) << "two drops of two numbers each: at 2.1 and at 10.0";
    EXPECT_FLOAT_EQ(10.0f, light->light()->lastDropTime);
}

TEST_F(WaterRingsTest, ObjectsAreDrawnFlatAndUnlitOverTheWater)
{
    const ResKey red(L"red.png", 1);
    PutPicture(red, 0xFFFF0000);
    auto slide = RingsSlide(64, 48, 100); // lit, a sprite (it has no normals) would turn black
    slide->objects.push_back(Sprite(16, 24, 8, red)); // screen x 48..80, y 80..112
    auto light = Make(*slide);
    ASSERT_TRUE(light);
    ASSERT_EQ(1u, light->objects.size());
    DrawTwoFrames(*light);
    SaveBackBufferPng(device(), L"water_rings_objects");

    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(0xFF0000u, image.Rgb(64, 96));
    EXPECT_EQ(0xFF0000u, image.Rgb(50, 82));
    EXPECT_NE(0xFF0000u, image.Rgb(84, 96)) << "the water beside the sprite";

    // After the objects the water's transforms and lighting are back.
    D3DXMATRIX projection;
    device()->GetTransform(D3DTS_PROJECTION, &projection);
    EXPECT_EQ(0, memcmp(&projection, &light->light()->waterProjection, sizeof projection));
    EXPECT_EQ(DWORD{TRUE}, RenderState(device(), D3DRS_LIGHTING));
}

TEST_F(WaterRingsTest, FadeQuadShowsItsPlainColour)
{
    auto light = Make(*RingsSlide(64, 48, 100));
    ASSERT_TRUE(light);
    DS_ScreenQuad fade;
    fade.Create(0xFF000000u, MakeBackBufferQuad());
    fade.SetVertexAlphas(1.0f, 1.0f, 1.0f, 1.0f);
    DrawTwoFrames(*light, &fade);
    EXPECT_EQ(DWORD{D3DTOP_DISABLE}, StageState(device(), D3DTSS_COLOROP));
    EXPECT_EQ(DWORD{FALSE}, RenderState(device(), D3DRS_ALPHABLENDENABLE));
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(image.pixels.size(), image.Count(0x000000)) << "a fade at full strength is black";
}

TEST_F(WaterRingsTest, ReleasedBeforeResetAndANewLightDrawsAfterIt)
{
    auto slide = RingsSlide(64, 48);
    auto light = Make(*slide);
    ASSERT_TRUE(light);
    DrawTwoFrames(*light);
    ASSERT_EQ("stage 0 texture, stream 0, indices", BoundDrawingResources(device(), 1)) << "after the frame";
    light->ReleaseDeviceResources();
    EXPECT_EQ("", BoundDrawingResources(device(), 1)) << "after the release";
    EXPECT_TRUE(light->light()->surface->indexBuffer) << "managed, it stays through the reset";
    EXPECT_FALSE(light->light()->surface->vertexBuffer);
    EXPECT_EQ(D3D_OK, test_device().Reset(kWidth, kHeight));
    DrawFrame(*light, nullptr, true); // the old light draws nothing of the water, and survives
    light.reset();

    light = Make(*slide);
    ASSERT_TRUE(light);
    DrawTwoFrames(*light);
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(kPicture, image.Rgb(128, 96));
    EXPECT_EQ(0u, image.Count(kMagenta));
}

TEST_F(WaterRingsTest, APictureThatDoesNotLoadGivesFourByThreeWater)
{
    auto slide = RingsSlide(64, 48);
    slide->picture.data = Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'};
    auto light = Make(*slide);
    ASSERT_TRUE(light);
    const RippleSurface& surface = *light->light()->surface;
    EXPECT_FLOAT_EQ(40.0f, surface.width);
    EXPECT_EQ(128u, surface.columns);
    EXPECT_EQ(96u, surface.rows);
    DrawTwoFrames(*light);
    EXPECT_EQ(0u, ReadBackBuffer().Count(kMagenta)) << "the water and its bars still cover the screen";
}

TEST_F(WaterRingsTest, AVeryWidePictureGivesNoWaterButStillItsBars)
{
    // 1024 × 8: a grid of 128 × 0 cells; no drop can fall and nothing is drawn.
    auto light = Make(*RingsSlide(1024, 8));
    ASSERT_TRUE(light);
    EXPECT_EQ(0u, light->light()->surface->cellCount);
    DrawTwoFrames(*light);
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(0x000000u, image.Rgb(128, 20)) << "the bars";
}

} // namespace
