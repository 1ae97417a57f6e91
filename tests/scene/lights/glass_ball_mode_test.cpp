// The glass-ball mode on a real device: the slide's settings, the procedural textures as the
// device holds them, the base states, and the pixels of the composite: the scene magnified inside
// the ball, the backdrop around it and through the rim, overlays trimmed to the disc and the stand
// not, missing overlays skipped, the backdrop picture with its bars, the swing and the scroll,
// the fade quad, and a release, reset and redraw.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/lights/DS_GlassBallLight.h"
#include "scene/lights/MutableGlassBall.h"
#include "scene/render/DeviceBindings.h"
#include "tests/scene/lights/LightFixture.h"
#include "tests/support/FabricatedDevice.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kYellow = 0xFFFFFF00;
constexpr uint32_t kBlueColorref = 0x00FF0000; // the gradient's colours are COLORREF

bool IsNear(uint32_t rgb, uint32_t expected, int tolerance = 8)
{
    for (int c = 0; c < 3; ++c)
        if (std::abs(Channel(rgb, c) - Channel(expected, c)) > tolerance)
            return false;
    return true;
}

class GlassBallTest : public LightTest {
protected:
    void SetUp() override
    {
        LightTest::SetUp();
        GlassScrollClock::Reset();
    }
    void TearDown() override
    {
        GlassScrollClock::Reset();
        LightTest::TearDown();
    }

    // A still ball of the given size over a blue gradient, no overlays.
    std::unique_ptr<SlideRecord> GlassSlide(const Bytes& picture, uint32_t ballSize = 50)
    {
        auto slide = Slide(picture, kSlideGlassBall);
        slide->levels[0] = ballSize;
        slide->colours[0] = slide->colours[1] = kBlueColorref;
        slide->options[0] = DS_GlassBallLight::kScrollStill;
        return slide;
    }

    std::unique_ptr<MutableGlassBall> Ball(const SlideRecord& slide, int stretch = 0)
    {
        std::unique_ptr<MutableGlassBall> ball = CreateModeLight<MutableGlassBall>(slide);
        if (ball)
            ball->SetStretch(stretch);
        return ball;
    }

    PixelImage FrameAt(MutableGlassBall& light, float t, DS_ScreenQuad* fade = nullptr)
    {
        DrawFrameAt(light, t, fade, true);
        return ReadBackBuffer();
    }

    ResourceRef Overlay(D3DCOLOR colour)
    {
        ResourceRef ref;
        ref.name = L"overlay.png";
        ref.data = Picture(32, 32, colour);
        return ref;
    }

    // Vertical stripes `width` texels wide, red and green.
    Bytes Stripes(UINT w, UINT h, UINT width)
    {
        return PaintedPng(device(), w, h, [width](UINT x, UINT) { return (x / width) % 2 ? kGreen : kRed; });
    }

    // Pixels of the disc's middle (radius 30 around the centre) that differ between two frames.
    static int DifferingInTheMiddle(const PixelImage& a, const PixelImage& b)
    {
        int differing = 0;
        for (int y = 66; y < 126; ++y)
            for (int x = 98; x < 158; ++x)
                if ((x - 128) * (x - 128) + (y - 96) * (y - 96) < 900 && !IsNear(a.Rgb(x, y), b.Rgb(x, y), 40))
                    ++differing;
        return differing;
    }
};

// ---- The slide's settings ----

TEST_F(GlassBallTest, SlideSettingsBecomeTheLightsFields)
{
    auto slide = GlassSlide(Picture(64, 48, kRed));
    slide->levels[1] = 45;
    slide->levels[2] = 50;
    slide->switches[0] = 1;
    slide->switches[1] = 0;
    slide->switches[2] = 1;
    slide->points[0] = {30, 40};
    slide->options[0] = 2;
    auto ball = Ball(*slide);
    ASSERT_TRUE(ball);
    const DS_GlassBallLight& light = *ball->light();
    EXPECT_EQ(50u, light.ballSize);
    EXPECT_EQ(22u, light.zoom);
    EXPECT_FLOAT_EQ(2.0f, light.scrollSpeed);
    EXPECT_TRUE(light.overlayBOn);
    EXPECT_FALSE(light.standOn);
    EXPECT_TRUE(light.overlayAOn);
    EXPECT_FLOAT_EQ(30.0f, light.ballX);
    EXPECT_FLOAT_EQ(-40.0f, light.ballY);
    EXPECT_EQ(2, light.scrollMode);
    EXPECT_TRUE(light.stretch) << "the scene fills the whole target";
    // The lens follows the 192 / 194 cover of a full-screen backdrop.
    const LensParams p = ComputeLensParams(50, 22, 192.0f / 194.0f);
    EXPECT_FLOAT_EQ(p.lensDistance, light.lensDistance);
    EXPECT_FLOAT_EQ(p.lensScale, light.lensScale);

    slide->levels[2] = 0;
    slide->switches[0] = 2; // only exactly 1 is on
    auto other = Ball(*slide);
    ASSERT_TRUE(other);
    EXPECT_FLOAT_EQ(1.0f, other->light()->scrollSpeed);
    EXPECT_FALSE(other->light()->overlayBOn);
}

// ---- Textures and states ----

TEST_F(GlassBallTest, ProceduralTexturesHoldTheirTexelsOnTheDevice)
{
    auto slide = GlassSlide(Picture(64, 48, kRed));
    slide->colours[0] = 0x000000C8;
    slide->colours[1] = 0x00000064;
    auto ball = Ball(*slide);
    ASSERT_TRUE(ball);
    const DS_GlassBallLight& light = *ball->light();

    struct Texture {
        IDirect3DTexture9* texture;
        D3DFORMAT format;
        UINT side;
    };
    const Texture textures[] = {{light.sphereBump.Get(), D3DFMT_V16U16, 256},
                                {light.circleMask.Get(), D3DFMT_A8, 1024},
                                {light.gradient.Get(), D3DFMT_A8R8G8B8, 256}};
    for (const Texture& t : textures) {
        ASSERT_NE(nullptr, t.texture) << "format " << t.format;
        D3DSURFACE_DESC desc;
        ASSERT_EQ(D3D_OK, t.texture->GetLevelDesc(0, &desc));
        EXPECT_EQ(t.format, desc.Format);
        EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
        EXPECT_EQ(t.side, desc.Width);
        EXPECT_EQ(t.side, desc.Height);
        EXPECT_EQ(1u, t.texture->GetLevelCount());
    }

    auto texel32 = [](IDirect3DTexture9* texture, UINT x, UINT y) {
        D3DLOCKED_RECT locked;
        uint32_t value = 0xDEADBEEF;
        if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
            std::memcpy(&value, static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + 4 * x, 4);
            texture->UnlockRect(0);
        }
        return value;
    };
    auto texel8 = [](IDirect3DTexture9* texture, UINT x, UINT y) {
        D3DLOCKED_RECT locked;
        int value = -1;
        if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
            value = static_cast<const uint8_t*>(locked.pBits)[y * locked.Pitch + x];
            texture->UnlockRect(0);
        }
        return value;
    };
    EXPECT_EQ(0x00009FFCu, texel32(light.sphereBump.Get(), 0, 128));
    EXPECT_EQ(0x9FFC0000u, texel32(light.sphereBump.Get(), 128, 0));
    EXPECT_EQ(0u, texel32(light.sphereBump.Get(), 255, 77));
    EXPECT_EQ(0u, texel32(light.sphereBump.Get(), 10, 10));
    EXPECT_EQ(0, texel8(light.circleMask.Get(), 1020, 512));
    EXPECT_EQ(255, texel8(light.circleMask.Get(), 1021, 512));
    EXPECT_EQ(255, texel8(light.circleMask.Get(), 0, 1023));
    EXPECT_EQ(0x00C80000u, texel32(light.gradient.Get(), 17, 0));
    EXPECT_EQ(0x00950000u, texel32(light.gradient.Get(), 200, 128));
    EXPECT_EQ(0x00640000u, texel32(light.gradient.Get(), 255, 255));
    EXPECT_EQ(light.gradient.Get(), light.backdropQuad.texture.Get());
}

TEST_F(GlassBallTest, RestoredStatesSetTheBumpMatrixAndWrapTheScene)
{
    auto ball = Ball(*GlassSlide(Picture(64, 48, kRed)));
    ASSERT_TRUE(ball);
    IDirect3DDevice9* d = device();
    d->SetSamplerState(1, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    d->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, 0);
    ball->RestoreRenderStates();
    struct Expect {
        const char* what;
        DWORD value, expected;
    };
    const Expect table[] = {
        {"BUMPENVMAT00", TextureStageStateOf(d, 0, D3DTSS_BUMPENVMAT00), FloatBits(0.2f)},
        {"BUMPENVMAT01", TextureStageStateOf(d, 0, D3DTSS_BUMPENVMAT01), 0},
        {"BUMPENVMAT10", TextureStageStateOf(d, 0, D3DTSS_BUMPENVMAT10), 0},
        {"BUMPENVMAT11", TextureStageStateOf(d, 0, D3DTSS_BUMPENVMAT11), FloatBits(0.25f)},
        {"BUMPENVLSCALE", TextureStageStateOf(d, 0, D3DTSS_BUMPENVLSCALE), FloatBits(1.0f)},
        {"BUMPENVLOFFSET", TextureStageStateOf(d, 0, D3DTSS_BUMPENVLOFFSET), 0},
        {"stage 0 COLORARG1", TextureStageStateOf(d, 0, D3DTSS_COLORARG1), D3DTA_TEXTURE},
        {"stage 1 COLORARG1", TextureStageStateOf(d, 1, D3DTSS_COLORARG1), D3DTA_TEXTURE},
        {"stage 1 COLORARG2", TextureStageStateOf(d, 1, D3DTSS_COLORARG2), D3DTA_CURRENT},
        {"stage 1 ALPHAOP", TextureStageStateOf(d, 1, D3DTSS_ALPHAOP), D3DTOP_SELECTARG1},
        {"stage 1 ALPHAARG1", TextureStageStateOf(d, 1, D3DTSS_ALPHAARG1), D3DTA_CURRENT},
        {"stage 1 COLOROP (off until a pass needs it)", TextureStageStateOf(d, 1, D3DTSS_COLOROP), D3DTOP_DISABLE},
        {"sampler 1 ADDRESSU", SamplerStateOf(d, 1, D3DSAMP_ADDRESSU), D3DTADDRESS_WRAP},
        {"sampler 1 ADDRESSV", SamplerStateOf(d, 1, D3DSAMP_ADDRESSV), D3DTADDRESS_WRAP},
        {"sampler 1 MINFILTER", SamplerStateOf(d, 1, D3DSAMP_MINFILTER), D3DTEXF_LINEAR},
        {"sampler 1 MAGFILTER", SamplerStateOf(d, 1, D3DSAMP_MAGFILTER), D3DTEXF_LINEAR},
        {"sampler 0 MIPFILTER", SamplerStateOf(d, 0, D3DSAMP_MIPFILTER), D3DTEXF_LINEAR},
    };
    for (const Expect& e : table)
        EXPECT_EQ(e.expected, e.value) << e.what;

    // Both render targets at the back buffer's size, in the default pool.
    for (const RenderTargetTexture* target : {&ball->light()->sceneTarget, &ball->light()->scrollTarget}) {
        ASSERT_TRUE(target->texture);
        D3DSURFACE_DESC desc;
        target->texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(kWidth, desc.Width);
        EXPECT_EQ(kHeight, desc.Height);
        EXPECT_EQ(D3DPOOL_DEFAULT, desc.Pool);
        EXPECT_EQ(static_cast<DWORD>(D3DUSAGE_RENDERTARGET), desc.Usage);
    }
    EXPECT_EQ(ball->light()->sceneTarget.texture.Get(), ball->light()->scrollQuads[0].texture.Get());
}

// ---- The composite ----

// A checker of 8-pixel squares on the screen (4 texels of a 128 × 96 picture stretched over
// 256 × 192) shows much larger squares in the middle of a big, zoomed ball; the corners show
// the blue gradient.
TEST_F(GlassBallTest, SceneIsMagnifiedInsideTheBallAndTheBackdropShowsAround)
{
    const Bytes checker =
        PaintedPng(device(), 128, 96, [](UINT x, UINT y) { return ((x / 4) + (y / 4)) % 2 ? 0xFFF0F0F0u : 0xFF202020u; });
    auto slide = GlassSlide(checker, 100);
    slide->levels[1] = 100; // zoom 50
    auto ball = Ball(*slide);
    ASSERT_TRUE(ball);
    const PixelImage image = FrameAt(*ball, 1.0f);
    SaveBackBufferPng(device(), L"glass_ball_checker");

    for (UINT x : {1u, kWidth - 2})
        for (UINT y : {1u, kHeight - 2})
            EXPECT_TRUE(IsNear(image.Rgb(x, y), 0x0000FF)) << x << ", " << y << std::hex << " " << image.Rgb(x, y);

    // Along the middle row the squares of the scene are 8 pixels long; in the ball's middle
    // (the hemisphere's slopes shrink them again towards the rim) they are longer.
    std::vector<int> runs;
    int run = 0;
    bool bright = Channel(image.Rgb(88, 96), 1) > 128;
    for (UINT x = 89; x < 168; ++x) {
        const uint32_t rgb = image.Rgb(x, 96);
        EXPECT_LT(std::abs(Channel(rgb, 0) - Channel(rgb, 2)), 24) << "not the checker at " << x << std::hex << " " << rgb;
        const bool b = Channel(rgb, 1) > 128;
        if (b != bright) {
            runs.push_back(run);
            run = 0;
        }
        ++run;
        bright = b;
    }
    ASSERT_GE(runs.size(), 3u) << "the scene does not show in the ball";
    // The first run starts before the window; the rest are whole squares.
    for (size_t i = 1; i < runs.size(); ++i)
        EXPECT_GE(runs[i], 10) << "square " << i << " is not magnified";
}

// A red scene behind a small ball on the blue gradient: red in the middle; blue in the corner of
// the lens square outside the disc (the rim pass) and around the ball.
TEST_F(GlassBallTest, RimPassMakesTheBallRound)
{
    auto ball = Ball(*GlassSlide(Picture(64, 48, kRed)));
    ASSERT_TRUE(ball);
    const PixelImage image = FrameAt(*ball, 1.0f);
    SaveBackBufferPng(device(), L"glass_ball_rim");
    EXPECT_TRUE(IsNear(image.Rgb(128, 96), 0xFF0000)) << std::hex << image.Rgb(128, 96);
    EXPECT_TRUE(IsNear(image.Rgb(128 + 30, 96 + 30), 0xFF0000));
    // The square reaches 61 pixels from the centre, the disc 60.
    EXPECT_TRUE(IsNear(image.Rgb(128 + 52, 96 - 52), 0x0000FF)) << std::hex << image.Rgb(180, 44);
    EXPECT_TRUE(IsNear(image.Rgb(128 - 52, 96 + 52), 0x0000FF)) << std::hex << image.Rgb(76, 148);
    EXPECT_TRUE(IsNear(image.Rgb(128 + 75, 96), 0x0000FF));
    EXPECT_TRUE(IsNear(image.Rgb(128 + 55, 96), 0xFF0000)) << "the disc's edge lies 60 pixels out";
}

// Without a bump map the lens shows the scene flat, still inside the round rim.
TEST_F(GlassBallTest, WithoutABumpMapTheSceneShowsFlat)
{
    auto ball = Ball(*GlassSlide(Picture(64, 48, kRed)));
    ASSERT_TRUE(ball);
    ball->light()->sphereBump.Reset();
    const PixelImage image = FrameAt(*ball, 1.0f);
    EXPECT_TRUE(IsNear(image.Rgb(128, 96), 0xFF0000)) << std::hex << image.Rgb(128, 96);
    EXPECT_TRUE(IsNear(image.Rgb(128 + 40, 96 + 30), 0xFF0000));
    EXPECT_TRUE(IsNear(image.Rgb(180, 44), 0x0000FF)) << std::hex << image.Rgb(180, 44);
}

// The device check asks for V8U8 only. On a device without V16U16 the light is made without its
// sphere bump and draws the scene unbent, without a refused call; on one without A8 the mask
// goes into the alpha of an A8R8G8B8 texture and the ball is as round as with A8.
TEST_F(GlassBallTest, WithoutV16U16TheSceneShowsUnbent)
{
    const Bytes checker =
        PaintedPng(device(), 128, 96, [](UINT x, UINT y) { return ((x / 4) + (y / 4)) % 2 ? 0xFFF0F0F0u : 0xFF202020u; });
    auto slide = GlassSlide(checker, 100);
    PixelImage unbent;
    {
        auto flat = Ball(*slide);
        ASSERT_TRUE(flat);
        flat->light()->sphereBump.Reset();
        unbent = FrameAt(*flat, 1.0f);
    }
    FabricatedDevice lacking(device());
    lacking.missingFormats = {D3DFMT_V16U16};
    auto ball = Ball(*slide);
    ASSERT_TRUE(ball);
    EXPECT_EQ(1, lacking.refusedTextures);
    EXPECT_FALSE(ball->light()->sphereBump);
    EXPECT_TRUE(ball->light()->circleMask);
    const PixelImage image = FrameAt(*ball, 1.0f);
    EXPECT_EQ(0, lacking.refusedDraws);
    EXPECT_EQ(unbent.pixels, image.pixels);
}

TEST_F(GlassBallTest, WithoutA8TheBallIsStillRound)
{
    auto slide = GlassSlide(Picture(64, 48, kRed));
    PixelImage withA8;
    {
        auto ball = Ball(*slide);
        ASSERT_TRUE(ball);
        withA8 = FrameAt(*ball, 1.0f);
    }
    FabricatedDevice lacking(device());
    lacking.missingFormats = {D3DFMT_A8};
    auto ball = Ball(*slide);
    ASSERT_TRUE(ball);
    EXPECT_EQ(1, lacking.refusedTextures);
    ASSERT_TRUE(ball->light()->circleMask);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(D3D_OK, ball->light()->circleMask->GetLevelDesc(0, &desc));
    EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
    const PixelImage image = FrameAt(*ball, 1.0f);
    EXPECT_TRUE(IsNear(image.Rgb(128 + 52, 96 - 52), 0x0000FF)) << std::hex << image.Rgb(180, 44);
    EXPECT_TRUE(IsNear(image.Rgb(128 + 55, 96), 0xFF0000)) << "the disc's edge lies 60 pixels out";
    EXPECT_EQ(withA8.pixels, image.pixels);
}

// Overlay 0 covers the ball but is trimmed to the disc; the stand below is not trimmed.
TEST_F(GlassBallTest, OverlaysAreTrimmedToTheDiscAndTheStandIsNot)
{
    auto slide = GlassSlide(Picture(64, 48, kRed));
    slide->resourceRefs[0] = Overlay(kGreen);
    slide->resourceRefs[2] = Overlay(kYellow);
    slide->switches[2] = 1; // overlay 0
    slide->switches[1] = 1; // stand
    auto ball = Ball(*slide);
    ASSERT_TRUE(ball);
    const PixelImage image = FrameAt(*ball, 1.0f);
    SaveBackBufferPng(device(), L"glass_ball_overlays");
    EXPECT_TRUE(IsNear(image.Rgb(128, 96), 0x00FF00)) << std::hex << image.Rgb(128, 96);
    EXPECT_TRUE(IsNear(image.Rgb(180, 44), 0x0000FF)) << std::hex << image.Rgb(180, 44);
    // The stand spans about rows 140 to 185 and columns 73 to 183.
    EXPECT_TRUE(IsNear(image.Rgb(128, 175), 0xFFFF00)) << std::hex << image.Rgb(128, 175);
    EXPECT_TRUE(IsNear(image.Rgb(100, 150), 0xFFFF00)) << std::hex << image.Rgb(100, 150);
    EXPECT_TRUE(IsNear(image.Rgb(128, 189), 0x0000FF)) << std::hex << image.Rgb(128, 189);
}

// Switched-on overlays and stand without pictures draw nothing (they would paint the ball white).
TEST_F(GlassBallTest, OverlaysWithoutPicturesAreSkipped)
{
    auto slide = GlassSlide(Picture(64, 48, kRed));
    slide->switches[0] = slide->switches[1] = slide->switches[2] = 1;
    auto ball = Ball(*slide);
    ASSERT_TRUE(ball);
    const PixelImage image = FrameAt(*ball, 1.0f);
    EXPECT_TRUE(IsNear(image.Rgb(128, 96), 0xFF0000)) << std::hex << image.Rgb(128, 96);
    EXPECT_TRUE(IsNear(image.Rgb(128, 175), 0x0000FF)) << std::hex << image.Rgb(128, 175);
}

// Glass mode 1: a 2:1 green backdrop letterboxed into rows 32 to 160 with black bars above and
// below; stretched it fills the screen.
TEST_F(GlassBallTest, BackdropPictureIsLetterboxedWithBarsUnlessStretched)
{
    auto slide = GlassSlide(Picture(64, 48, kRed));
    slide->options[1] = 1;
    slide->blobs[0].name = L"backdrop.png";
    slide->blobs[0].data = Picture(64, 32, kGreen);
    for (int stretch : {0, 1}) {
        SCOPED_TRACE(stretch ? "stretched" : "letterboxed");
        auto ball = Ball(*slide, stretch);
        ASSERT_TRUE(ball);
        const PixelImage image = FrameAt(*ball, 1.0f);
        if (!stretch)
            SaveBackBufferPng(device(), L"glass_ball_backdrop");
        EXPECT_TRUE(IsNear(image.Rgb(5, 100), 0x00FF00)) << std::hex << image.Rgb(5, 100);
        EXPECT_TRUE(IsNear(image.Rgb(5, 10), stretch ? 0x00FF00 : 0x000000)) << std::hex << image.Rgb(5, 10);
        EXPECT_TRUE(IsNear(image.Rgb(250, 185), stretch ? 0x00FF00 : 0x000000)) << std::hex << image.Rgb(250, 185);
        EXPECT_TRUE(IsNear(image.Rgb(128, 96), 0xFF0000)) << std::hex << image.Rgb(128, 96);
    }
}

// Scroll mode 3 swings the scene: a quarter period later (8 seconds at speed 1) the offset has
// moved by an eighth of the scene, half a period of 16-texel stripes on a 128-texel picture.
// Scroll mode 1 runs it sideways through the scroll target the same way.
TEST_F(GlassBallTest, SwingAndScrollMoveTheSceneInsideTheBall)
{
    struct Case {
        int32_t mode;
        float t0, t1;
    };
    for (const Case& c : {Case{3, 10.0f, 18.0f}, Case{1, 10.0f, 14.0f}, Case{2, 10.0f, 14.0f}}) {
        SCOPED_TRACE(c.mode);
        GlassScrollClock::Reset();
        auto slide = GlassSlide(Stripes(128, 96, 16));
        slide->options[0] = c.mode;
        auto ball = Ball(*slide);
        ASSERT_TRUE(ball);
        const PixelImage first = FrameAt(*ball, c.t0);
        const PixelImage later = FrameAt(*ball, c.t1);
        EXPECT_GT(DifferingInTheMiddle(first, later), 2000) << "the scene does not move";
        const PixelImage again = FrameAt(*ball, c.t1);
        EXPECT_EQ(0, DifferingInTheMiddle(later, again)) << "the scene moves without time passing";
    }
    // A still ball keeps the scene where it is.
    GlassScrollClock::Reset();
    auto still = Ball(*GlassSlide(Stripes(128, 96, 16)));
    ASSERT_TRUE(still);
    EXPECT_EQ(0, DifferingInTheMiddle(FrameAt(*still, 10.0f), FrameAt(*still, 18.0f)));
}

TEST_F(GlassBallTest, FadeQuadDarkensEverything)
{
    auto ball = Ball(*GlassSlide(Picture(64, 48, kRed)));
    ASSERT_TRUE(ball);
    DS_ScreenQuad fade;
    fade.Create(0xFF000000u, MakeBackBufferQuad());
    fade.SetVertexAlphas(1.0f, 1.0f, 1.0f, 1.0f);
    const PixelImage image = FrameAt(*ball, 1.0f, &fade);
    EXPECT_EQ(size_t(kWidth) * kHeight, image.Count(0x000000));
}

TEST_F(GlassBallTest, ObjectsDrawWithTheDefaultRenderer)
{
    auto ball = Ball(*GlassSlide(Picture(64, 48, kRed)));
    ASSERT_TRUE(ball);
    std::vector<DS_ABRender*> seen;
    ball->objects.push_back(new RendererRecordingObject(&seen));
    ball->DrawObjects();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(ball->light()->renderer.get(), seen[0]);
}

// Release unbinds and lets the render targets go; a frame then shows the plain stretched
// picture; the device resets and a new light draws its ball again.
TEST_F(GlassBallTest, ReleaseThenResetAndANewLightDraws)
{
    auto slide = GlassSlide(Picture(64, 48, kRed));
    {
        auto ball = Ball(*slide);
        ASSERT_TRUE(ball);
        FrameAt(*ball, 1.0f);
        ball->ReleaseDeviceResources();
        EXPECT_FALSE(ball->light()->sceneTarget.texture);
        EXPECT_FALSE(ball->light()->scrollTarget.texture);
        EXPECT_FALSE(ball->light()->scrollQuads[0].texture);
        ComRef<IDirect3DBaseTexture9> stage0, stage1;
        device()->GetTexture(0, stage0.Out());
        device()->GetTexture(1, stage1.Out());
        EXPECT_FALSE(stage0);
        EXPECT_FALSE(stage1);

        const PixelImage direct = FrameAt(*ball, 2.0f);
        EXPECT_TRUE(IsNear(direct.Rgb(128, 96), 0xFF0000));
        EXPECT_TRUE(IsNear(direct.Rgb(2, 2), 0xFF0000)) << "without a target the picture fills the screen";
        UnbindDrawingResources(2);
    }
    ASSERT_EQ(D3D_OK, test_device().Reset(kWidth, kHeight));
    auto next = Ball(*slide);
    ASSERT_TRUE(next);
    const PixelImage image = FrameAt(*next, 1.0f);
    EXPECT_TRUE(IsNear(image.Rgb(128, 96), 0xFF0000));
    EXPECT_TRUE(IsNear(image.Rgb(2, 2), 0x0000FF));
}

} // namespace
