// The picture mode on a real device: layout with its black bars, stretching, the fade quad,
// the base states, the choice of mode, the objects it owns, and a device reset.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <ostream>
#include <string>
#include <cmath>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/lights/DS_2D_Light.h"
#include "scene/lights/MutableNone.h"
#include "scene/objects/DS_ABObj.h"
#include "scene/render/SceneTransforms.h"
#include "scene/render/ViewMetrics.h"
#include "tests/scene/lights/LightFixture.h"
#include "tests/support/CurrentObjects.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr D3DCOLOR kPictureArgb = 0xFF3080C0;
constexpr uint32_t kPicture = kPictureArgb & 0xFFFFFF;

// Back buffer 256 × 192. The bars reach one pixel into the picture; on a side where the picture
// touches the edge of the screen the bar is a one-pixel strip along that edge.
const LetterboxCase kLayoutCases[] = {
    // Picture 64 × 32 fitted: y 32..160. Left bar x 0..1 over y 0..128, top bar y 0..33,
    // bottom bar from y 160.
    {"Letterbox", 64, 32, 0, {0, 32, 256, 160}, {{0, 0, 1, 128}, {0, 0, 256, 33}, {0, 160, 256, 193}}},
    // Picture 32 × 64 fitted: x 80..176. Left bar x 0..81, right bar from x 176, top strip
    // x 0..96 over y 0..1.
    {"Pillarbox", 32, 64, 0, {80, 0, 176, 192}, {{0, 0, 81, 192}, {176, 0, 257, 192}, {0, 0, 96, 1}}},
    // Same aspect as the back buffer: only the one-pixel strips at the left and top edges.
    {"ExactFit", 64, 48, 0, {0, 0, 256, 192}, {{0, 0, 1, 192}, {0, 0, 256, 1}}},
    {"Stretched", 64, 32, 1, {0, 0, 256, 192}, {}},
};

class PictureLayoutTest : public LightTest, public ::testing::WithParamInterface<LetterboxCase> {};

TEST_P(PictureLayoutTest, BarsHaveTheirExactSizeAndThePictureFillsTheRest)
{
    const LetterboxCase& c = GetParam();
    auto slide = Slide(Picture(c.pictureWidth, c.pictureHeight, kPictureArgb));
    std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
    light->SetStretch(c.stretch);
    DrawTwoFrames(*light);
    SaveBackBufferPng(device(), std::wstring(L"picture_layout_") + std::wstring(c.name, c.name + strlen(c.name)));

    EXPECT_EQ(0, CountWrongLetterboxPixels(ReadBackBuffer(), c, kPicture));
}

INSTANTIATE_TEST_SUITE_P(Layouts, PictureLayoutTest, ::testing::ValuesIn(kLayoutCases),
                         [](const ::testing::TestParamInfo<LetterboxCase>& info) { return info.param.name; });

class PictureModeTest : public LightTest {};

TEST_F(PictureModeTest, PictureIsUprightOnScreen)
{
    auto slide = Slide(Picture(64, 32, 0xFFFF0000, 0xFF0000FF));
    std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
    light->SetStretch(0);
    DrawTwoFrames(*light);
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(0xFF0000u, image.Rgb(128, 50));
    EXPECT_EQ(0x0000FFu, image.Rgb(128, 140));
}

TEST_F(PictureModeTest, StretchingKeepsObjectSpaceOnTheLetterboxedPicture)
{
    auto slide = Slide(Picture(64, 32, kPictureArgb));
    std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
    light->SetStretch(1);
    EXPECT_EQ(64, ViewMetrics.Width);
    EXPECT_EQ(32, ViewMetrics.Height);
    EXPECT_FLOAT_EQ(32.0f, ViewMetrics.screenQuad.Top());
    EXPECT_FLOAT_EQ(160.0f, ViewMetrics.screenQuad.Bottom());
    // The picture world spans the whole back buffer: (64, 32) lands on (256, 192).
    D3DXVECTOR3 corner(64, 32, 0), out;
    D3DXVec3TransformCoord(&out, &corner, &SceneTransforms.pictureWorld);
    EXPECT_NEAR(256.0f, out.x, 1e-3f);
    EXPECT_NEAR(192.0f, out.y, 1e-3f);
}

// A white picture under the fade quad, without runtime objects (the sprite renderer's leftover
// alpha operation would square the fade).
TEST_F(PictureModeTest, FadeQuadDarkensByItsAlphaAndLeavesBlendingOn)
{
    struct Row {
        float fade;
        int value;
    };
    const Row rows[] = {{0.0f, 255}, {0.5f, 128}, {1.0f, 0}};
    auto slide = Slide(Picture(64, 48, 0xFFFFFFFF));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fade);
        std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
        light->SetStretch(0);
        DS_ScreenQuad fade;
        fade.Create(0xFF000000u, MakeBackBufferQuad());
        fade.SetVertexAlphas(row.fade, row.fade, row.fade, row.fade);
        DrawTwoFrames(*light, &fade);

        const uint32_t centre = ReadBackBuffer().Rgb(128, 96);
        EXPECT_NEAR(row.value, static_cast<int>(centre & 0xFF), 2);
        EXPECT_NEAR(row.value, static_cast<int>((centre >> 8) & 0xFF), 2);
        EXPECT_NEAR(row.value, static_cast<int>(centre >> 16), 2);

        DWORD blend = 0, colourArg = 0, alphaArg = 0;
        device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
        device()->GetTextureStageState(0, D3DTSS_COLORARG1, &colourArg);
        device()->GetTextureStageState(0, D3DTSS_ALPHAARG1, &alphaArg);
        EXPECT_EQ(static_cast<DWORD>(TRUE), blend);
        EXPECT_EQ(static_cast<DWORD>(D3DTA_TEXTURE), colourArg);
        EXPECT_EQ(static_cast<DWORD>(D3DTA_TEXTURE), alphaArg);
    }
}

// A fade quad without a buffer draws nothing, and the next frame still starts blended.
TEST_F(PictureModeTest, FadeQuadWithoutABufferStillLeavesBlendingOn)
{
    DS_ScreenQuad empty;
    for (DS_ScreenQuad* quad : {&empty, static_cast<DS_ScreenQuad*>(nullptr)}) {
        device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_CURRENT);
        device()->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
        DrawScreenQuadKeepBlend(quad);
        DWORD blend = 0, colourArg = 0, alphaArg = 0;
        device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
        device()->GetTextureStageState(0, D3DTSS_COLORARG1, &colourArg);
        device()->GetTextureStageState(0, D3DTSS_ALPHAARG1, &alphaArg);
        EXPECT_EQ(static_cast<DWORD>(TRUE), blend) << (quad ? "empty quad" : "no quad");
        EXPECT_EQ(static_cast<DWORD>(D3DTA_TEXTURE), colourArg);
        EXPECT_EQ(static_cast<DWORD>(D3DTA_TEXTURE), alphaArg);
    }
}

TEST_F(PictureModeTest, DefaultStatesSetTheirTableAndLeaveTheRest)
{
    IDirect3DDevice9* d = device();
    // Sentinels the call must change, and three it must leave alone.
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_SPECULAR);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_SPECULAR);
    d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_SPECULAR);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_ADD);

    SetDefault2DStates();

    struct Expect {
        const char* what;
        int kind; // 0 render state, 1 sampler 0, 2 stage 0, 3 stage 1
        DWORD state;
        DWORD value;
    };
    const Expect table[] = {
        {"ZENABLE", 0, D3DRS_ZENABLE, FALSE},
        {"ZWRITEENABLE", 0, D3DRS_ZWRITEENABLE, FALSE},
        {"LIGHTING", 0, D3DRS_LIGHTING, FALSE},
        {"MINFILTER", 1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
        {"MAGFILTER", 1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
        {"ADDRESSU", 1, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR},
        {"ADDRESSV", 1, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR},
        {"stage 1 TEXCOORDINDEX", 3, D3DTSS_TEXCOORDINDEX, 1},
        {"stage 0 TEXCOORDINDEX", 2, D3DTSS_TEXCOORDINDEX, 0},
        {"stage 0 COLORARG1", 2, D3DTSS_COLORARG1, D3DTA_TEXTURE},
        {"stage 0 COLORARG2", 2, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
        {"stage 1 COLORARG1", 3, D3DTSS_COLORARG1, D3DTA_TEXTURE},
        {"stage 0 COLOROP", 2, D3DTSS_COLOROP, D3DTOP_SELECTARG1},
        {"stage 1 COLOROP", 3, D3DTSS_COLOROP, D3DTOP_DISABLE},
        {"SRCBLEND", 0, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {"DESTBLEND", 0, D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
        {"ALPHABLENDENABLE untouched", 0, D3DRS_ALPHABLENDENABLE, TRUE},
        {"CULLMODE untouched", 0, D3DRS_CULLMODE, D3DCULL_CW},
        {"stage 0 ALPHAOP untouched", 2, D3DTSS_ALPHAOP, D3DTOP_ADD},
    };
    for (const Expect& e : table) {
        DWORD value = 0xDEAD;
        switch (e.kind) {
        case 0: d->GetRenderState(static_cast<D3DRENDERSTATETYPE>(e.state), &value); break;
        case 1: d->GetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(e.state), &value); break;
        case 2: d->GetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(e.state), &value); break;
        default: d->GetTextureStageState(1, static_cast<D3DTEXTURESTAGESTATETYPE>(e.state), &value); break;
        }
        EXPECT_EQ(e.value, value) << e.what;
    }
}

TEST_F(PictureModeTest, EveryKindGivesAMode)
{
    auto slide = Slide(Picture(64, 48, kPictureArgb));
    // A kind the program does not know is shown as a picture too.
    for (int32_t kind : {0, 7, 100, -1, INT_MIN}) {
        slide->kind = kind;
        std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
        EXPECT_NE(nullptr, dynamic_cast<MutableNone*>(light.get())) << kind;
    }
}

// No slide: the default picture from the resource library beside the program fills the screen
// (it has the back buffer's 4:3 shape, so there are no bars).
TEST_F(PictureModeTest, MissingSlideShowsTheDefaultPicture)
{
    std::unique_ptr<MutableLight> light(CreateMutableLight(nullptr));
    auto* none = dynamic_cast<MutableNone*>(light.get());
    ASSERT_NE(nullptr, none);
    EXPECT_EQ(ResKey(L"common_res.dll", 5), none->light()->backgroundKey);
    EXPECT_TRUE(light->objects.empty());
    light->SetStretch(0);
    DrawTwoFrames(*light);
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(0u, image.Count(kMagenta));
    EXPECT_NE(kBlack, image.Rgb(128, 96));
    EXPECT_NE(kBlack, image.Rgb(128, 2));
}

TEST_F(PictureModeTest, PictureWithoutFramesDrawsBlackWithAFiniteLayout)
{
    SlideRecord slide;
    slide.picture.name = L"C:\\not-in-the-document.png";
    std::unique_ptr<MutableLight> light(CreateMutableLight(&slide));
    light->SetStretch(0);
    const float* m = &SceneTransforms.pictureWorld._11;
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(std::isfinite(m[i])) << i;
    EXPECT_TRUE(std::isfinite(ViewMetrics.aspectCorrection));
    for (const QuadVertex& v : ViewMetrics.screenQuad.v) {
        EXPECT_TRUE(std::isfinite(v.x));
        EXPECT_TRUE(std::isfinite(v.y));
    }
    DrawTwoFrames(*light);
    EXPECT_EQ(0u, ReadBackBuffer().Count(kMagenta));
}

// A bytes-less picture keeps the key it had; one with bytes shows them and keeps the key too.
TEST_F(PictureModeTest, PictureWithBytesKeepsTheLibraryKey)
{
    auto slide = Slide(Picture(64, 48, kPictureArgb));
    std::unique_ptr<MutableNone> light(static_cast<MutableNone*>(CreateMutableLight(slide.get())));
    EXPECT_EQ(ResKey(L"common_res.dll", 5), light->light()->backgroundKey);
    EXPECT_EQ(64u, light->light()->pictureQuad.anim.width);
    DrawTwoFrames(*light);
    EXPECT_EQ(kPicture, ReadBackBuffer().Rgb(128, 96));
}

// The picture quad carries the picture it shows: its texture is frame 0 of its own animation,
// whether the picture came from embedded bytes or from the document's resources by key.
TEST_F(PictureModeTest, PictureQuadShowsFrameZeroOfItsOwnAnimation)
{
    auto embedded = Slide(Picture(64, 48, kPictureArgb));
    SlideRecord byKey; // no bytes, no name: the library picture under the default key
    for (const SlideRecord* slide : {static_cast<const SlideRecord*>(embedded.get()),
                                     static_cast<const SlideRecord*>(&byKey)}) {
        std::unique_ptr<MutableNone> light(static_cast<MutableNone*>(CreateMutableLight(slide)));
        const PictureQuad& quad = light->light()->pictureQuad;
        ASSERT_EQ(1u, quad.anim.frames.size());
        EXPECT_NE(nullptr, quad.texture.Get());
        EXPECT_EQ(quad.anim.frames[0].Get(), quad.texture.Get());
        EXPECT_GT(quad.anim.width, 0u);
    }
}

// With several monitors each light was laid out for its own back buffer; a light's frame runs
// with its own layout even when another light was laid out after it.
TEST_F(PictureModeTest, EachLightDrawsWithItsOwnLayout)
{
    auto wide = Slide(Picture(64, 32, kPictureArgb));
    auto tall = Slide(Picture(32, 64, kPictureArgb));
    std::unique_ptr<MutableLight> first(CreateMutableLight(wide.get()));
    first->SetStretch(0);
    std::unique_ptr<MutableLight> second(CreateMutableLight(tall.get()));
    second->SetStretch(0);
    ASSERT_EQ(32, ViewMetrics.Width);

    DrawTwoFrames(*first);
    EXPECT_EQ(64, ViewMetrics.Width);
    EXPECT_EQ(32, ViewMetrics.Height);
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(kBlack, image.Rgb(128, 10));   // the wide picture's top bar
    EXPECT_EQ(kPicture, image.Rgb(40, 96));  // where the tall picture would have a bar
}

TEST_F(PictureModeTest, ReleasedLightLetsTheDeviceResetAndANewLightDraws)
{
    auto slide = Slide(Picture(64, 48, kPictureArgb));
    std::unique_ptr<MutableNone> light(static_cast<MutableNone*>(CreateMutableLight(slide.get())));
    ASSERT_TRUE(light->light()->target.texture);
    DrawTwoFrames(*light);
    light->ReleaseDeviceResources();
    EXPECT_FALSE(light->light()->target.texture);
    light.reset();

    ASSERT_EQ(D3D_OK, test_device().Reset(kWidth, kHeight));
    std::unique_ptr<MutableLight> next(CreateMutableLight(slide.get()));
    next->SetStretch(0);
    DrawTwoFrames(*next);
    EXPECT_EQ(kPicture, ReadBackBuffer().Rgb(128, 96));
}

// ---- The runtime objects a light owns ----

struct ObjectLog {
    std::vector<std::string> events;
    DS_ABRender* renderer = nullptr;
    IDirect3DTexture9* watchedTarget = nullptr; // the light's render target, one reference ours
    int targetCountAtDelete = -1;
};

class LoggingObject : public DS_ABObj {
public:
    LoggingObject(std::string name, ObjectLog* log) : DS_ABObj(nullptr), name_(std::move(name)), log_(log) {}
    ~LoggingObject() override
    {
        log_->events.push_back("delete " + name_);
        if (log_->watchedTarget) {
            log_->watchedTarget->AddRef();
            log_->targetCountAtDelete = static_cast<int>(log_->watchedTarget->Release());
        }
    }
    void Render(DS_ABRender* renderer) override
    {
        log_->events.push_back("render " + name_);
        log_->renderer = renderer;
    }
    void RenderSelection(DS_ABRender*, int) override {}
    void Update(float t) override { log_->events.push_back("update " + name_ + " " + std::to_string(t)); }
    void SyncViewParams() override {}

private:
    std::string name_;
    ObjectLog* log_;
};

// A description that makes a logging object, or none (as legacy sprite kinds do).
class LoggingDescription : public DS_ABObj_Constructor {
public:
    LoggingDescription(const char* name, ObjectLog* log) : name_(name), log_(log) {}
    DS_ABObj* CreateObject() override { return name_ ? new LoggingObject(name_, log_) : nullptr; }
    bool Write(DS_IOF_Virtual*) override { return true; }

private:
    const char* name_;
    ObjectLog* log_;
};

TEST_F(PictureModeTest, ObjectsAreMadeUpdatedDrawnAndDeletedInSlideOrder)
{
    ObjectLog log;
    auto slide = Slide(Picture(64, 48, kPictureArgb));
    slide->objects.push_back(new LoggingDescription("A", &log));
    slide->objects.push_back(new LoggingDescription(nullptr, &log)); // makes no object: skipped
    slide->objects.push_back(new LoggingDescription("B", &log));

    std::unique_ptr<MutableNone> light(static_cast<MutableNone*>(CreateMutableLight(slide.get())));
    ASSERT_EQ(2u, light->objects.size());
    light->UpdateObjects(3.5f);
    light->DrawObjects();
    EXPECT_EQ(static_cast<DS_ABRender*>(light->light()), log.renderer);

    log.watchedTarget = light->light()->target.texture.Get();
    log.watchedTarget->AddRef();
    light.reset();
    log.watchedTarget->Release();

    const std::vector<std::string> expected = {"update A 3.500000", "update B 3.500000", "render A", "render B",
                                               "delete A", "delete B"};
    EXPECT_EQ(expected, log.events);
    // The light's picture light (and its render target) was gone before the objects went.
    EXPECT_EQ(1, log.targetCountAtDelete);
}

TEST_F(PictureModeTest, SlideWithoutObjectsDrawsNoObjects)
{
    auto slide = Slide(Picture(64, 48, kPictureArgb));
    std::unique_ptr<MutableLight> light(CreateMutableLight(slide.get()));
    EXPECT_TRUE(light->objects.empty());
    light->UpdateObjects(1.0f);
    light->DrawObjects();
}

} // namespace

namespace {

// Without a device or a document (a light made too early) nothing is drawn and nothing breaks.
TEST(PictureModeWithoutDevice, MakesAndDrawsNothing)
{
    const CurrentObjectsGuard current;
    CurrentDevice = nullptr;
    CurrentDocResManager = nullptr;
    // No slide (the picture mode), and a slide of each mode that is built.
    SlideRecord underwater;
    underwater.kind = kSlideUnderwater;
    SlideRecord fire;
    fire.kind = kSlideFire;
    fire.switches[0] = fire.switches[1] = 1;
    for (const SlideRecord* slide : {static_cast<const SlideRecord*>(nullptr), static_cast<const SlideRecord*>(&underwater),
                                     static_cast<const SlideRecord*>(&fire)}) {
        std::unique_ptr<MutableLight> light(CreateMutableLight(slide));
        ASSERT_NE(nullptr, light);
        light->Update(1.0f);
        light->SetStretch(1);
        light->UpdateObjects(1.0f);
        light->BeginFrame();
        light->DrawObjects();
        light->EndFrame();
        DS_ScreenQuad fade;
        light->DrawFadeQuad(&fade);
        light->ReleaseDeviceResources();
    }
}

} // namespace
