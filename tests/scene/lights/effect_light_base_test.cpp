// The effect-light base on a real device, through a mode of the tests' own that draws nothing
// but what the base offers (background, objects, bars): layout with its bars, stretching, the
// default picture, the renderer and the object loop, resources made and released in pairs.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "document/CurrentDevice.h"
#include "document/ResourceCache.h"
#include "scene/lights/DS_2D_Light.h"
#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/ObjectRenderers.h"
#include "scene/render/DeviceBindings.h"
#include "scene/render/SceneTransforms.h"
#include "scene/render/ViewMetrics.h"
#include "tests/scene/lights/LightFixture.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr D3DCOLOR kPictureArgb = 0xFF3080C0;
constexpr uint32_t kPicture = kPictureArgb & 0xFFFFFF;

// A mode over DS_NoEffectLight that shows the base alone: the background, the objects, the bars.
class BaseOnlyMode : public MutableLightOf<DS_NoEffectLight> {
public:
    explicit BaseOnlyMode(const SlideRecord& slide) : MutableLightOf(new DS_NoEffectLight())
    {
        implementation->InitFromPath(L"");
        implementation->SetBackground(slide.picture);
        const D3DSURFACE_DESC back = GetBackBufferDesc();
        implementation->Layout(back.Width, back.Height);
        RestoreRenderStates();
        AddSlideObjects(slide);
    }

    void Update(float) override {}
    void DrawFadeQuad(DS_ScreenQuad* fadeQuad) override { DrawScreenQuadKeepBlend(fadeQuad); }
    void EndFrame() override
    {
        CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        implementation->DrawBars();
    }
    void SetStretch(int stretch) override
    {
        implementation->stretch = stretch != 0;
        implementation->Layout(implementation->layoutWidth, implementation->layoutHeight);
    }
    void ReleaseDeviceResources() override { UnbindDrawingResources(1); }
    void RestoreRenderStates() override { SetDefault2DStates(); }

protected:
    void BeginFramePass() override { implementation->DrawBackground(); }
};

// A light on the base that sets no renderer.
class NoRendererLight : public DS_EffectLightBase {};

// ---- Layout and bars on the device ----

// Back buffer 256 × 192; the bars are those of the picture light, and they are drawn when
// stretched too, where they are one-pixel strips along the left and top edges.
const LetterboxCase kLayoutCases[] = {
    {"Letterbox", 64, 32, 0, {0, 32, 256, 160}, {{0, 0, 1, 128}, {0, 0, 256, 33}, {0, 160, 256, 193}}},
    {"Pillarbox", 32, 64, 0, {80, 0, 176, 192}, {{0, 0, 81, 192}, {176, 0, 257, 192}, {0, 0, 96, 1}}},
    {"Stretched", 64, 32, 1, {0, 0, 256, 192}, {{0, 0, 1, 192}, {0, 0, 256, 1}}},
};

class EffectBaseLayoutTest : public LightTest, public ::testing::WithParamInterface<LetterboxCase> {};

TEST_P(EffectBaseLayoutTest, BarsHaveTheirExactSizeAndThePictureFillsTheRest)
{
    const LetterboxCase& c = GetParam();
    auto slide = Slide(Picture(c.pictureWidth, c.pictureHeight, kPictureArgb));
    BaseOnlyMode mode(*slide);
    mode.SetStretch(c.stretch);
    DrawTwoFrames(mode);

    EXPECT_EQ(0, CountWrongLetterboxPixels(ReadBackBuffer(), c, kPicture));
}

INSTANTIATE_TEST_SUITE_P(Layouts, EffectBaseLayoutTest, ::testing::ValuesIn(kLayoutCases),
                         [](const ::testing::TestParamInfo<LetterboxCase>& info) { return info.param.name; });

class EffectBaseTest : public LightTest {};

TEST_F(EffectBaseTest, PictureIsUprightAndObjectSpaceIsThePicture)
{
    auto slide = Slide(Picture(64, 32, 0xFFFF0000, 0xFF0000FF));
    BaseOnlyMode mode(*slide);
    mode.SetStretch(0);
    EXPECT_EQ(64, ViewMetrics.Width);
    EXPECT_EQ(32, ViewMetrics.Height);
    EXPECT_EQ(256u, mode.light()->layoutWidth);
    EXPECT_EQ(192u, mode.light()->layoutHeight);
    // The picture world puts picture pixels onto the letterboxed rectangle.
    D3DXVECTOR3 corner(64, 32, 0), out;
    D3DXVec3TransformCoord(&out, &corner, &SceneTransforms.pictureWorld);
    EXPECT_NEAR(256.0f, out.x, 1e-3f);
    EXPECT_NEAR(160.0f, out.y, 1e-3f);

    DrawTwoFrames(mode);
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(0xFF0000u, image.Rgb(128, 50));
    EXPECT_EQ(0x0000FFu, image.Rgb(128, 140));
}

TEST_F(EffectBaseTest, EmptyPathOrBlankShowsTheLibrarysDefaultPicture)
{
    for (const wchar_t* path : {L"", L"[blank]"}) {
        SCOPED_TRACE(std::string(path, path + wcslen(path)));
        DS_NoEffectLight light;
        light.InitFromPath(path);
        ASSERT_NE(nullptr, light.background.texture.Get());
        EXPECT_GT(light.background.width, 0u);
        EXPECT_EQ(light.background.texture.Get(), light.screenQuad.texture.Get());

        device()->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 255), 1.0f, 0);
        SetDefault2DStates();
        ASSERT_EQ(D3D_OK, device()->BeginScene());
        light.DrawBackground();
        device()->EndScene();
        const PixelImage image = ReadBackBuffer();
        // The default picture has the back buffer's 4:3 shape: it covers everything.
        EXPECT_EQ(0u, image.Count(kMagenta));
        EXPECT_NE(kBlack, image.Rgb(128, 96));
    }
}

TEST_F(EffectBaseTest, BackgroundWithoutZWriteTurnsDepthWritesBackOn)
{
    auto slide = Slide(Picture(64, 48, kPictureArgb));
    BaseOnlyMode mode(*slide);
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 255), 1.0f, 0);
    device()->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    mode.light()->DrawBackgroundNoZWrite();
    device()->EndScene();
    DWORD zwrite = FALSE;
    device()->GetRenderState(D3DRS_ZWRITEENABLE, &zwrite);
    EXPECT_EQ(static_cast<DWORD>(TRUE), zwrite);
    EXPECT_EQ(kPicture, ReadBackBuffer().Rgb(128, 96));
}

// The no-effect light draws the objects with its own default renderer, in list order.
TEST_F(EffectBaseTest, ObjectsDrawWithTheLightsOwnRenderer)
{
    std::vector<DS_ABRender*> seen;
    auto slide = Slide(Picture(64, 48, kPictureArgb));
    BaseOnlyMode mode(*slide);
    mode.objects.push_back(new RendererRecordingObject(&seen));
    mode.objects.push_back(new RendererRecordingObject(&seen));
    mode.DrawObjects();

    auto* renderer = dynamic_cast<DS_ABRenderImpl<DS_NoEffectLight>*>(mode.light()->renderer.get());
    ASSERT_NE(nullptr, renderer);
    EXPECT_EQ(mode.light(), renderer->owner);
    EXPECT_EQ((std::vector<DS_ABRender*>{renderer, renderer}), seen);
}

TEST_F(EffectBaseTest, LightWithoutRendererDrawsNoObjects)
{
    std::vector<DS_ABRender*> seen;
    RendererRecordingObject object(&seen);
    NoRendererLight light;
    light.DrawObjects({&object, &object});
    EXPECT_TRUE(seen.empty());
}

// A new background lets the old picture go; releasing the resources lets go of everything but
// the renderer, and a layout afterwards writes into nothing.
TEST_F(EffectBaseTest, ResourcesAreReleasedWhenReplacedAndWhenReleased)
{
    auto first = Slide(Picture(64, 48, kPictureArgb));
    auto second = Slide(Picture(32, 32, 0xFF00FF00));
    DS_NoEffectLight light;
    light.InitFromPath(L"");
    light.SetBackground(first->picture);
    ComRef<IDirect3DTexture9> held = light.background.texture;
    ASSERT_TRUE(held);
    EXPECT_EQ(3u, RefCount(held.Get())); // background, screen quad, ours

    light.SetBackground(second->picture);
    EXPECT_EQ(1u, RefCount(held.Get()));
    EXPECT_EQ(light.background.texture.Get(), light.screenQuad.texture.Get());
    EXPECT_EQ(32u, light.background.width);
    held = light.background.texture;
    ASSERT_TRUE(light.screenQuad.HasGeometry());
    for (const DS_ScreenQuad& bar : light.bars)
        ASSERT_TRUE(bar.HasGeometry());

    light.ReleaseResources();
    EXPECT_EQ(1u, RefCount(held.Get()));
    EXPECT_FALSE(light.background.texture);
    EXPECT_FALSE(light.screenQuad.texture);
    EXPECT_FALSE(light.screenQuad.HasGeometry());
    for (const DS_ScreenQuad& bar : light.bars)
        EXPECT_FALSE(bar.HasGeometry());
    EXPECT_NE(nullptr, light.renderer);

    light.Layout(kWidth, kHeight);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    light.DrawBackground();
    light.DrawBars();
    device()->EndScene();
}

TEST_F(EffectBaseTest, ReleasedModeLetsTheDeviceResetAndANewOneDraws)
{
    auto slide = Slide(Picture(64, 48, kPictureArgb));
    {
        BaseOnlyMode mode(*slide);
        DrawTwoFrames(mode);
        mode.ReleaseDeviceResources();
    }
    ASSERT_EQ(D3D_OK, test_device().Reset(kWidth, kHeight));
    BaseOnlyMode next(*slide);
    next.SetStretch(0);
    DrawTwoFrames(next);
    EXPECT_EQ(kPicture, ReadBackBuffer().Rgb(128, 96));
}

// Without a current device nothing is made or drawn, and nothing breaks. The test's own device
// stands aside meanwhile with marks of its own bound: it shows whether anything reached it.
class EffectBaseWithoutDevice : public LightTest {};

TEST_F(EffectBaseWithoutDevice, MakesAndDrawsNothing)
{
    IDirect3DDevice9* const device = this->device();
    ComRef<IDirect3DTexture9> markTexture;
    ComRef<IDirect3DVertexBuffer9> markStream;
    ASSERT_EQ(D3D_OK, device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, markTexture.Out(), nullptr));
    ASSERT_EQ(D3D_OK, device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, markStream.Out(), nullptr));
    device->SetTexture(0, markTexture.Get());
    device->SetStreamSource(0, markStream.Get(), 0, 16);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);
    device->AddRef();
    const ULONG deviceRefs = device->Release();

    {
        const CurrentObjectsGuard current;
        CurrentDevice = nullptr;
        DS_NoEffectLight light;
        light.InitFromPath(L"");
        light.Layout(0, 0);
        light.DrawBackground();
        light.DrawBackgroundNoZWrite();
        light.DrawBars();
        light.DrawObjects({});

        // Nothing made: no picture, no buffer, no handle picture.
        EXPECT_FALSE(light.background.texture);
        EXPECT_FALSE(light.screenQuad.vertices.buffer);
        EXPECT_FALSE(light.screenQuad.texture);
        for (const DS_ScreenQuad& bar : light.bars)
            EXPECT_FALSE(bar.vertices.buffer);
        for (const ComRef<IDirect3DTexture9>& handle : light.handleTextures)
            EXPECT_FALSE(handle);
    }

    // Nothing reached the device: no object made on it, its bindings and states as they were.
    device->AddRef();
    EXPECT_EQ(deviceRefs, device->Release());
    ComRef<IDirect3DBaseTexture9> bound;
    device->GetTexture(0, bound.Out());
    EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(markTexture.Get()), bound.Get());
    ComRef<IDirect3DVertexBuffer9> stream;
    UINT offset = 0, stride = 0;
    device->GetStreamSource(0, stream.Out(), &offset, &stride);
    EXPECT_EQ(markStream.Get(), stream.Get());
    EXPECT_EQ(16u, stride);
    DWORD factor = 0;
    device->GetRenderState(D3DRS_TEXTUREFACTOR, &factor);
    EXPECT_EQ(0x12345678u, factor);
}

} // namespace
