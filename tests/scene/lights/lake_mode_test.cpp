// The lake mode: its slide values, the squeezed reflection, the shade and haze quads and the
// turning bump matrix worked out without a device; then on a real device the bump map made from
// the test program's striped height picture ("DDS" 2, lake_heights.rc), the mirror, the moving
// water under a still sky, the states, and a lake without its height picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/lights/FakeLake2D.h"
#include "scene/lights/MutableLake.h"
#include "scene/render/NormalMap.h"
#include "tests/scene/DeviceScene.h"
#include "tests/scene/lights/LightFixture.h"
#include "tests/support/TestPictures.h"

namespace {

// ---- Without a device ----

// The parameter defaults of old documents.
void SetOldFormatLake(SlideRecord& slide)
{
    slide.kind = kSlideLake;
    slide.colours[0] = 0x408000;
    const uint32_t levels[6] = {31, 7, 58, 25, 100, 100};
    for (int i = 0; i < 6; ++i)
        slide.levels[i] = levels[i];
    slide.options[0] = 1;
    slide.amount = 34;
}

TEST(LakeParams, OldFormatDefaults)
{
    SlideRecord slide;
    SetOldFormatLake(slide);
    const LakeParams p = LakeParamsFromSlide(slide);
    EXPECT_EQ(0x008040u, p.shadeRgb) << "COLORREF 0x408000 is red 0, green 128, blue 64";
    EXPECT_FLOAT_EQ(0.248f, p.shadeAlpha);
    EXPECT_FLOAT_EQ(0.58f, p.shadeFalloff);
    EXPECT_EQ(7, p.hazeHeight);
    EXPECT_FLOAT_EQ(25.0f, p.bumpAmplitude);
    EXPECT_FLOAT_EQ(1.0f, p.bumpFade);
    EXPECT_FLOAT_EQ(1.0f, p.bumpRange);
    EXPECT_FLOAT_EQ(0.33f, p.squeeze);
    EXPECT_EQ(1, p.reflectionSizeShift);
    EXPECT_EQ(256u, SquareTextureSide(p.reflectionSizeShift, 4096));
}

TEST(LakeParams, AmountIsKeptWithinZeroTo99)
{
    struct Case {
        int32_t amount;
        float squeeze;
    };
    const Case cases[] = {{34, 0.33f}, {0, 0.5f}, {99, 0.005f}, {100, 0.005f}, {5000, 0.005f}, {-1, 0.5f}, {-400, 0.5f}};
    for (const Case& c : cases) {
        SlideRecord slide;
        SetOldFormatLake(slide);
        slide.amount = c.amount;
        EXPECT_FLOAT_EQ(c.squeeze, LakeParamsFromSlide(slide).squeeze) << "amount " << c.amount;
    }
}

// The alpha bytes of the old-format lake, in vertex order (bottom-left, top-left, bottom-right,
// top-right): a = 0.248 at the bottom, b = 0.42 a = 0.10416 at the water line.
TEST(LakeShade, AlphasDarkenTowardTheBottomAndFadeTheHazeUpward)
{
    const LakeShadeAlphas alphas = ComputeLakeShadeAlphas(0.248f, 0.58f);
    EXPECT_NEAR(0.10416f, alphas.shade[2], 1e-6f);
    DS_ScreenQuad shade, haze; // no device: only the kept corners change
    shade.SetVertexAlphas(alphas.shade[0], alphas.shade[1], alphas.shade[2], alphas.shade[3]);
    haze.SetVertexAlphas(alphas.haze[0], alphas.haze[1], alphas.haze[2], alphas.haze[3]);
    const int shadeBytes[4] = {63, 26, 63, 26}, hazeBytes[4] = {0, 26, 0, 26};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(shadeBytes[i], int(shade.Corners()[i].colour >> 24)) << "shade vertex " << i;
        EXPECT_EQ(hazeBytes[i], int(haze.Corners()[i].colour >> 24)) << "haze vertex " << i;
    }
}

TEST(LakeReflection, SqueezeKeepsTheLowerBandAndMirrorsTheBandAboveIt)
{
    struct Case {
        float s;
        float top, topV, bottomV;
    };
    const Case cases[] = {{0.33f, 514.56f, 0.67f, 0.34f}, {0.5f, 384.0f, 0.5f, 0.0f}, {0.0f, 768.0f, 1.0f, 1.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s);
        QuadTemplate q;
        SetQuadCorners(q, 0.0f, 0.0f, 1024.0f, 768.0f);
        const QuadTemplate before = q;
        SqueezeReflectionQuad(q, c.s);
        EXPECT_NEAR(c.top, q.v[QuadTemplate::TopLeft].y, 1e-3f);
        EXPECT_NEAR(c.top, q.v[QuadTemplate::TopRight].y, 1e-3f);
        EXPECT_NEAR(c.topV, q.v[QuadTemplate::TopLeft].v, 1e-6f);
        EXPECT_NEAR(c.topV, q.v[QuadTemplate::TopRight].v, 1e-6f);
        EXPECT_NEAR(c.bottomV, q.v[QuadTemplate::BottomLeft].v, 1e-6f);
        EXPECT_NEAR(c.bottomV, q.v[QuadTemplate::BottomRight].v, 1e-6f);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(before.v[i].x, q.v[i].x);
            EXPECT_EQ(before.v[i].z, q.v[i].z);
            EXPECT_EQ(before.v[i].u, q.v[i].u);
        }
        EXPECT_EQ(768.0f, q.v[QuadTemplate::BottomLeft].y);
        EXPECT_EQ(768.0f, q.v[QuadTemplate::BottomRight].y);
    }
}

// An 800 × 600 picture on 1024 × 768 with a haze of 7 picture pixels and squeeze 0.33:
// trunc(253.44 / 600 × 7 / 0.33) = 8 screen pixels above the water line at 514.56.
TEST(LakeHaze, BandIsTheHazeHeightInScreenPixelsAboveTheWaterLine)
{
    QuadTemplate b;
    SetQuadCorners(b, 0.0f, 0.0f, 1024.0f, 768.0f);
    SqueezeReflectionQuad(b, 0.33f);
    EXPECT_EQ(8, LakeHazeBand(b, 600, 7, 0.33f));
    const ScreenRect haze = LakeHazeRect(b, 600, 7, 0.33f);
    DS_ScreenQuad quad;
    quad.SetRect(haze);
    const float x[4] = {0, 0, 1024, 1024};
    const float y[4] = {506.56f, 514.56f, 506.56f, 514.56f}; // bottom-left, top-left, bottom-right, top-right
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(x[i], quad.Corners()[i].x) << i;
        EXPECT_NEAR(y[i], quad.Corners()[i].y, 1e-3f) << i;
    }
    EXPECT_EQ(0, LakeHazeBand(b, 0, 7, 0.33f)) << "a picture of no height";
    EXPECT_EQ(0, LakeHazeBand(b, 600, 7, 0.0f)) << "no squeeze";
}

TEST(LakeBump, MatrixTurnsAt4Point5RadiansPerUnitOfTime)
{
    struct Case {
        float t;
        float m00, m01, m10, m11;
    };
    const float pi = 3.14159265f;
    const Case cases[] = {
        {0.0f, 0.04f, 0.0f, 0.0f, 0.04f},
        {pi / 9.0f, 0.0f, -0.04f, 0.04f, 0.0f},
        {2.0f * pi / 9.0f, -0.04f, 0.0f, 0.0f, -0.04f},
        {2.0f * pi / 4.5f, 0.04f, 0.0f, 0.0f, 0.04f}, // one whole turn
    };
    for (const Case& c : cases) {
        const D3DXMATRIX m = LakeBumpMatrix(c.t);
        EXPECT_NEAR(c.m00, m._11, 1e-6f) << "t " << c.t;
        EXPECT_NEAR(c.m01, m._12, 1e-6f) << "t " << c.t;
        EXPECT_NEAR(c.m10, m._21, 1e-6f) << "t " << c.t;
        EXPECT_NEAR(c.m11, m._22, 1e-6f) << "t " << c.t;
    }
}

// ---- On the device ----

class LakeTest : public LightTest {
protected:
    // A lake slide over `picture` with calm defaults: black shade, no haze, the given ripple
    // amplitude and far fade, the bump map stretched once over the water.
    std::unique_ptr<SlideRecord> LakeSlide(const Bytes& picture, uint32_t amplitude, uint32_t fade = 0)
    {
        auto slide = Slide(picture, kSlideLake);
        slide->amount = 0; // the lower half mirrors the upper half
        slide->levels[0] = 50;  // shade alpha 0.4 at the bottom
        slide->levels[1] = 0;   // no haze
        slide->levels[2] = 100; // no shade at the water line
        slide->levels[3] = amplitude;
        slide->levels[4] = fade;
        slide->levels[5] = 100;
        slide->options[0] = 1;
        return slide;
    }

    std::unique_ptr<MutableLake> Lake(const SlideRecord& slide) { return CreateModeLight<MutableLake>(slide); }

    // The signed (U, V) texels of the lake's bump map, row by row.
    std::vector<BumpTexel> BumpTexels(IDirect3DTexture9* bump, UINT& width, UINT& height)
    {
        std::vector<BumpTexel> texels;
        D3DSURFACE_DESC desc;
        if (!bump || FAILED(bump->GetLevelDesc(0, &desc)))
            return texels;
        EXPECT_EQ(D3DFMT_V8U8, desc.Format);
        EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
        width = desc.Width;
        height = desc.Height;
        D3DLOCKED_RECT locked;
        if (FAILED(bump->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
            return texels;
        for (UINT y = 0; y < height; ++y) {
            const int8_t* row = reinterpret_cast<const int8_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (UINT x = 0; x < width; ++x)
                texels.push_back({row[2 * x], row[2 * x + 1]});
        }
        bump->UnlockRect(0);
        return texels;
    }
};

// The stripes rise at columns 3–4 and 11–12 and fall at 7–8 and 15–0 (the map wraps), steeply
// enough at amplitude 25 to pack as ±127; every other texel is flat, and nothing slopes down.
TEST_F(LakeTest, BumpMapHoldsTheSlopesOfTheHeightPicture)
{
    auto slide = LakeSlide(Picture(64, 48, 0xFF3080C0), 25);
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    UINT width = 0, height = 0;
    const std::vector<BumpTexel> texels = BumpTexels(light->light()->bumpTexture.Get(), width, height);
    ASSERT_EQ(16u, width);
    ASSERT_EQ(16u, height);
    ASSERT_EQ(256u, texels.size());
    const int expected[16] = {127, 0, 0, -127, -127, 0, 0, 127, 127, 0, 0, -127, -127, 0, 0, 127};
    for (UINT y = 0; y < 16; ++y)
        for (UINT x = 0; x < 16; ++x) {
            EXPECT_EQ(expected[x], texels[y * 16 + x].u) << x << ", " << y;
            EXPECT_EQ(0, texels[y * 16 + x].v) << x << ", " << y;
        }
}

// With the far fade at 1 the top of the height map is grey: the top row, half a texel below the
// fade's full grey, keeps hardly any slope across it (unfaded it would pack as ±90), and the
// ripples grow toward the near water. A low amplitude keeps the slopes short of the ±127 where
// they would all look alike.
TEST_F(LakeTest, FarFadeFlattensTheTopOfTheBumpMapToGrey)
{
    auto slide = LakeSlide(Picture(64, 48, 0xFF3080C0), 2, 100);
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    UINT width = 0, height = 0;
    const std::vector<BumpTexel> texels = BumpTexels(light->light()->bumpTexture.Get(), width, height);
    ASSERT_EQ(256u, texels.size());
    for (UINT x = 0; x < 16; ++x)
        EXPECT_LE(std::abs(int(texels[x].u)), 5) << "top row, column " << x;
    const int farSlope = texels[4 * 16 + 3].u, nearSlope = texels[12 * 16 + 3].u;
    EXPECT_LT(nearSlope, farSlope - 20) << "the ripples do not grow toward the near water";
    EXPECT_LT(nearSlope, -50);
    EXPECT_LT(farSlope, -10);
}

// A picture red above and blue below, amount 0, no ripples: the lower half shows the upper half
// mirrored (red), darker toward the bottom; the upper half is the picture itself.
TEST_F(LakeTest, LowerHalfMirrorsTheUpperHalfDarkeningTowardTheBottom)
{
    auto slide = LakeSlide(Picture(64, 48, 0xFFFF0000, 0xFF0000FF), 0);
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    light->SetStretch(1);
    const PixelImage image = FrameAt(*light, 0.25f);
    SaveBackBufferPng(device(), L"lake_mirror");
    EXPECT_EQ(0u, image.Count(kMagenta));
    for (UINT x : {8u, 128u, 248u}) {
        EXPECT_EQ(0xFF0000u, image.Rgb(x, kHeight / 4)) << "the sky, column " << x;
        const uint32_t nearWater = image.Rgb(x, kHeight * 60 / 100);
        const uint32_t bottom = image.Rgb(x, kHeight * 95 / 100);
        for (uint32_t water : {nearWater, bottom}) {
            EXPECT_GT(Channel(water, 2), 150) << std::hex << water;
            EXPECT_LT(Channel(water, 0), 40) << std::hex << water;
        }
        EXPECT_LT(Channel(bottom, 2) + 15, Channel(nearWater, 2)) << "no darker toward the bottom";
    }
}

// Letterboxed, a 2:1 picture covers rows 32 to 160 with black bars above and below. The shade
// and the haze follow that rectangle and take the slide's colour: green over the mirrored water
// (uniform, as the shade does not lighten toward the water line), and a green haze band of 8
// picture pixels (32 screen pixels) rising from the water line at row 96, fading upward.
TEST_F(LakeTest, LetterboxedShadeAndHazeFollowThePictureInTheSlideColour)
{
    auto slide = LakeSlide(Picture(64, 32, 0xFFFF0000, 0xFF0000FF), 0);
    slide->colours[0] = 0x00FF00; // COLORREF green
    slide->levels[0] = 100;       // shade alpha 0.8
    slide->levels[1] = 8;         // haze of 8 picture pixels
    slide->levels[2] = 0;         // as dark at the water line as at the bottom
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    light->SetStretch(0);
    const PixelImage image = FrameAt(*light, 0.25f);
    SaveBackBufferPng(device(), L"lake_letterboxed");
    for (UINT x : {8u, 128u, 248u}) {
        EXPECT_EQ(0x000000u, image.Rgb(x, 10)) << "top bar, column " << x;
        EXPECT_EQ(0x000000u, image.Rgb(x, 180)) << "bottom bar, column " << x;
        EXPECT_EQ(0xFF0000u, image.Rgb(x, 40)) << "the sky above the haze, column " << x;
        const uint32_t haze = image.Rgb(x, 92), hazeTop = image.Rgb(x, 70), water = image.Rgb(x, 140);
        EXPECT_GT(Channel(haze, 1), 80) << std::hex << haze;
        EXPECT_LT(Channel(hazeTop, 1), Channel(haze, 1) - 40) << "the haze does not fade upward";
        EXPECT_GT(Channel(water, 1), 120) << std::hex << water;
        EXPECT_GT(Channel(water, 2), 40) << "the mirror under the shade, " << std::hex << water;
        EXPECT_LT(Channel(water, 0), 30) << std::hex << water;
    }
}

// A checked picture under the turning bump matrix: the water changes between two moments, the
// sky above it does not.
TEST_F(LakeTest, WaterMovesWhileTheSkyStaysStill)
{
    const Bytes checks = PaintedPng(device(), 64, 48, [](UINT x, UINT y) {
        return ((x / 4) + (y / 4)) % 2 ? 0xFFE0E0E0u : 0xFF202020u;
    });
    auto slide = LakeSlide(checks, 25);
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    light->SetStretch(1);
    const PixelImage first = FrameAt(*light, 0.0f);
    const PixelImage later = FrameAt(*light, 0.35f);
    SaveBackBufferPng(device(), L"lake_ripples");
    const UINT waterLine = kHeight / 2;
    size_t skyChanged = 0, waterChanged = 0;
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x)
            if (first.Rgb(x, y) != later.Rgb(x, y))
                ++(y < waterLine - 1 ? skyChanged : waterChanged);
    EXPECT_EQ(0u, skyChanged);
    EXPECT_GT(waterChanged, size_t(kWidth * waterLine / 20)) << "the water does not move";
}

TEST_F(LakeTest, RestoredStatesBumpMapStageZeroAndMirrorTheSamplers)
{
    auto slide = LakeSlide(Picture(64, 48, 0xFF3080C0), 25);
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    IDirect3DDevice9* d = device();
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetSamplerState(1, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    light->RestoreRenderStates();

    auto stage = [&](DWORD s, D3DTEXTURESTAGESTATETYPE t) { return TextureStageStateOf(d, s, t); };
    auto sampler = [&](DWORD s, D3DSAMPLERSTATETYPE t) { return SamplerStateOf(d, s, t); };
    struct Expect {
        const char* what;
        DWORD value, expected;
    };
    const Expect table[] = {
        {"BUMPENVMAT00 (time 0)", stage(0, D3DTSS_BUMPENVMAT00), FloatBits(0.04f)},
        {"BUMPENVMAT01", stage(0, D3DTSS_BUMPENVMAT01), FloatBits(-0.0f)},
        {"BUMPENVMAT10", stage(0, D3DTSS_BUMPENVMAT10), FloatBits(0.0f)},
        {"BUMPENVMAT11", stage(0, D3DTSS_BUMPENVMAT11), FloatBits(0.04f)},
        {"stage 0 COLOROP", stage(0, D3DTSS_COLOROP), D3DTOP_MODULATE},
        {"stage 0 COLORARG2", stage(0, D3DTSS_COLORARG2), D3DTA_DIFFUSE},
        {"stage 0 TEXCOORDINDEX", stage(0, D3DTSS_TEXCOORDINDEX), 0},
        {"stage 1 TEXCOORDINDEX", stage(1, D3DTSS_TEXCOORDINDEX), 1},
        {"stage 1 COLOROP", stage(1, D3DTSS_COLOROP), D3DTOP_SELECTARG1},
        {"stage 1 TEXTURETRANSFORMFLAGS", stage(1, D3DTSS_TEXTURETRANSFORMFLAGS), D3DTTFF_DISABLE},
        {"sampler 0 ADDRESSU", sampler(0, D3DSAMP_ADDRESSU), D3DTADDRESS_CLAMP},
        {"sampler 0 ADDRESSV", sampler(0, D3DSAMP_ADDRESSV), D3DTADDRESS_CLAMP},
        {"sampler 1 ADDRESSU", sampler(1, D3DSAMP_ADDRESSU), D3DTADDRESS_MIRROR},
        {"sampler 1 ADDRESSV", sampler(1, D3DSAMP_ADDRESSV), D3DTADDRESS_MIRROR},
        {"sampler 1 MAGFILTER", sampler(1, D3DSAMP_MAGFILTER), D3DTEXF_LINEAR},
        {"ZENABLE", RenderState(d, D3DRS_ZENABLE), FALSE},
        {"ZWRITEENABLE", RenderState(d, D3DRS_ZWRITEENABLE), FALSE},
        {"LIGHTING", RenderState(d, D3DRS_LIGHTING), FALSE},
        {"CULLMODE", RenderState(d, D3DRS_CULLMODE), D3DCULL_NONE},
        {"AMBIENT", RenderState(d, D3DRS_AMBIENT), 0xFFFFFFFF},
        {"SRCBLEND", RenderState(d, D3DRS_SRCBLEND), D3DBLEND_SRCALPHA},
        {"DESTBLEND", RenderState(d, D3DRS_DESTBLEND), D3DBLEND_INVSRCALPHA},
    };
    for (const Expect& e : table)
        EXPECT_EQ(e.expected, e.value) << e.what;
    ComRef<IDirect3DBaseTexture9> stage0, stage1;
    d->GetTexture(0, stage0.Out());
    d->GetTexture(1, stage1.Out());
    EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(light->light()->bumpTexture.Get()), stage0.Get());
    EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(light->light()->reflectionTexture.Get()), stage1.Get());
}

// The fade quad darkens the whole frame and leaves blending off (the next frame's reflection
// relies on it); the reflection texture follows the size shift.
TEST_F(LakeTest, FadeQuadDarkensAndLeavesBlendingOff)
{
    auto slide = LakeSlide(Picture(64, 48, 0xFFFFFFFF), 0);
    slide->options[0] = 0;
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    light->SetStretch(1);
    DS_ScreenQuad fade;
    fade.Create(0xFF000000u, MakeBackBufferQuad());
    fade.SetVertexAlphas(0.5f, 0.5f, 0.5f, 0.5f);
    const PixelImage image = FrameAt(*light, 0.1f, &fade);
    // Blended by alpha times alpha (stage 0 modulates the vertex alpha with itself): 1 − 0.25.
    EXPECT_NEAR(0xFF * 3 / 4, Channel(image.Rgb(128, kHeight / 4), 1), 6);
    EXPECT_EQ(static_cast<DWORD>(FALSE), RenderState(device(), D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(static_cast<DWORD>(D3DTOP_MODULATE), StageState(device(), D3DTSS_ALPHAOP));
    D3DSURFACE_DESC desc = {};
    ASSERT_TRUE(light->light()->reflectionTexture);
    light->light()->reflectionTexture->GetLevelDesc(0, &desc);
    EXPECT_EQ(128u, desc.Width);
    EXPECT_EQ(128u, desc.Height);
}

// A size shift the device cannot make, or a negative one, leaves no reflection; the frame is
// still drawn, the sky as it is.
TEST_F(LakeTest, AnImpossibleReflectionSizeLeavesNoReflection)
{
    for (int32_t shift : {40, -1, 31}) {
        SCOPED_TRACE(shift);
        auto slide = LakeSlide(Picture(64, 48, 0xFFFF0000, 0xFF0000FF), 25);
        slide->options[0] = shift;
        auto light = Lake(*slide);
        ASSERT_TRUE(light);
        EXPECT_FALSE(light->light()->reflectionTexture);
        light->SetStretch(1);
        const PixelImage image = FrameAt(*light, 0.5f);
        EXPECT_EQ(0xFF0000u, image.Rgb(128, kHeight / 4));
    }
}

// Without its height picture the lake keeps no bump map and shows a still mirror.
TEST_F(LakeTest, WithoutItsHeightPictureTheWaterIsAStillMirror)
{
    auto slide = LakeSlide(Picture(64, 48, 0xFFFF0000, 0xFF0000FF), 25);
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    FakeLake2D* lake = light->light();
    lake->bumpTexture.Reset();
    lake->bumpPictureId = 99; // not in the program
    lake->RebuildBumpMap();
    EXPECT_FALSE(lake->bumpTexture);
    light->SetStretch(1);
    const PixelImage first = FrameAt(*light, 0.0f);
    const PixelImage later = FrameAt(*light, 0.35f);
    EXPECT_EQ(first.pixels, later.pixels);
    const uint32_t water = first.Rgb(128, kHeight * 3 / 4);
    EXPECT_GT(Channel(water, 2), 150) << std::hex << water;
    EXPECT_LT(Channel(water, 0), 40) << std::hex << water;

    std::unique_ptr<FakeLake2D> bare(MakeFakeLake2D(L"", 99, 0.33f));
    EXPECT_FALSE(bare->bumpTexture);
}

// A rebuild whose pass cannot begin (here: a scene is open already, so BeginScene fails) keeps
// the bump map it had, since the render target it would read holds nothing defined, and leaves
// the back buffer as the target.
TEST_F(LakeTest, ARebuildWhosePassCannotBeginKeepsTheBumpMap)
{
    auto slide = LakeSlide(Picture(64, 48, 0xFF3080C0), 25);
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    FakeLake2D* lake = light->light();
    const ComRef<IDirect3DTexture9> before = lake->bumpTexture;
    ASSERT_TRUE(before);
    UINT width = 0, height = 0;
    const std::vector<BumpTexel> texels = BumpTexels(before.Get(), width, height);

    ComRef<IDirect3DSurface9> back, target;
    device()->GetRenderTarget(0, back.Out());
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    lake->RebuildBumpMap();
    device()->EndScene();
    EXPECT_EQ(before.Get(), lake->bumpTexture.Get());
    const std::vector<BumpTexel> after = BumpTexels(lake->bumpTexture.Get(), width, height);
    ASSERT_EQ(texels.size(), after.size());
    for (size_t i = 0; i < texels.size(); ++i)
        ASSERT_TRUE(texels[i].u == after[i].u && texels[i].v == after[i].v) << "texel " << i;
    device()->GetRenderTarget(0, target.Out());
    EXPECT_EQ(back.Get(), target.Get());
}

// Objects draw with the lake's renderer; after leaves it puts WORLD and CULLMODE back.
TEST_F(LakeTest, RendererDrawsTheObjectsAndResetsAfterLeaves)
{
    auto slide = LakeSlide(Picture(64, 48, 0xFF3080C0), 0);
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    std::vector<DS_ABRender*> seen;
    light->objects.push_back(new RendererRecordingObject(&seen));
    light->DrawObjects();
    DS_ABRender* renderer = light->light()->renderer.get();
    ASSERT_NE(nullptr, dynamic_cast<DS_LakeRender*>(renderer));
    EXPECT_EQ(std::vector<DS_ABRender*>{renderer}, seen);

    D3DXMATRIX scaled, world;
    D3DXMatrixScaling(&scaled, 2.0f, 3.0f, 1.0f);
    device()->SetTransform(D3DTS_WORLD, &scaled);
    device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    renderer->Draw3DArray(nullptr);
    device()->GetTransform(D3DTS_WORLD, &world);
    EXPECT_EQ(1.0f, world._11);
    EXPECT_EQ(1.0f, world._22);
    EXPECT_EQ(static_cast<DWORD>(D3DCULL_NONE), RenderState(device(), D3DRS_CULLMODE));
}

// Release leaves nothing of the lake bound to the device.
TEST_F(LakeTest, ReleaseUnbindsWhatTheFrameBound)
{
    auto slide = LakeSlide(Picture(64, 48, 0xFF3080C0), 25);
    auto light = Lake(*slide);
    ASSERT_TRUE(light);
    FrameAt(*light, 0.1f);
    EXPECT_EQ("stage 0 texture, stream 0", BoundDrawingResources(device(), 2)) << "after the frame";
    light->ReleaseDeviceResources();
    EXPECT_EQ("", BoundDrawingResources(device(), 2));
}

} // namespace
