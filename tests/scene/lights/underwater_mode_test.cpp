// The underwater mode: the wave map, the composite quad and its wave coordinates worked out
// without a device; then on a real device its states, the wavering picture with and without
// stretching, the fade quad, and a release, reset and redraw.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/lights/FakeUndervater.h"
#include "scene/lights/MutableAqua.h"
#include "scene/render/DeviceBindings.h"
#include "scene/render/ViewMetrics.h"
#include "tests/scene/lights/LightFixture.h"
#include "tests/support/TestPictures.h"

namespace {

// ---- Without a device ----

class WaveMapTexels : public ::testing::Test {
protected:
    static constexpr int32_t kPitch = 1040; // more than the 1024 bytes of a row
    void SetUp() override
    {
        bytes.assign(size_t(kPitch) * kWaveMapSide, 0xCD);
        FillWaveMapTexels(bytes.data(), kPitch);
    }
    int U(int x, int y) const { return static_cast<int8_t>(bytes[size_t(y) * kPitch + 2 * x]); }
    int V(int x, int y) const { return static_cast<int8_t>(bytes[size_t(y) * kPitch + 2 * x + 1]); }

    std::vector<uint8_t> bytes;
};

TEST_F(WaveMapTexels, HoldDiagonalWavesOfOnePeriodPer512Texels)
{
    struct Texel {
        int x, y, u, v;
    };
    const Texel table[] = {
        {0, 0, 64, 0}, // a = −2π: the float sine times 64 truncates to 0
        {128, 0, 0, 64},
        {256, 0, -64, 0},
        {384, 0, 0, -64},
        {256, 256, 64, 0},
        {0, 128, 0, 64},
    };
    for (const Texel& t : table) {
        EXPECT_EQ(t.u, U(t.x, t.y)) << t.x << ", " << t.y;
        EXPECT_EQ(t.v, V(t.x, t.y)) << t.x << ", " << t.y;
    }
}

TEST_F(WaveMapTexels, AreConstantAlongTheDiagonalAndLeaveThePaddingAlone)
{
    int differing = 0;
    for (int y = 1; y < static_cast<int>(kWaveMapSide); ++y)
        for (int x = 0; x + 1 < static_cast<int>(kWaveMapSide); ++x)
            if (U(x, y) != U(x + 1, y - 1) || V(x, y) != V(x + 1, y - 1))
                ++differing;
    EXPECT_EQ(0, differing);
    for (uint32_t y = 0; y < kWaveMapSide; ++y)
        for (int32_t i = 1024; i < kPitch; ++i)
            ASSERT_EQ(0xCD, bytes[size_t(y) * kPitch + i]) << "row " << y;
    for (int y = 0; y < static_cast<int>(kWaveMapSide); y += 7)
        for (int x = 0; x < static_cast<int>(kWaveMapSide); x += 5) {
            EXPECT_LE(std::abs(U(x, y)), 64);
            EXPECT_LE(std::abs(V(x, y)), 64);
        }
}

struct CornerCase {
    const char* name;
    bool compositeStretch;
    float left, right, bottom, top; // quad-space extents
};

TEST(CompositeQuad, CornersMapThePictureRectangleUpright)
{
    const CornerCase cases[] = {
        {"letterboxed", false, -41.025f, 41.025f, -54.7f, 54.7f},
        {"stretched", true, -54.7f, 54.7f, -54.7f, 54.7f},
    };
    for (const CornerCase& c : cases) {
        SCOPED_TRACE(c.name);
        DX_V::PNTT v[4];
        FillInitialCompositeQuad(v);
        PlaceCompositeQuad(v, FitOrStretchQuad(c.compositeStretch, 1600, 1200, 1920, 1080), 1920, 1080);
        // Vertex order: bottom-left, top-left, bottom-right, top-right of the screen.
        const float x[4] = {c.left, c.left, c.right, c.right};
        const float y[4] = {c.bottom, c.top, c.bottom, c.top};
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(x[i], v[i].x, 1e-4f) << i;
            EXPECT_NEAR(y[i], v[i].y, 1e-4f) << i;
            EXPECT_EQ(0.0f, v[i].z);
        }
    }
}

TEST(CompositeQuad, StartsWithNormalsUpAndTargetCoordinatesInsideTheEdges)
{
    DX_V::PNTT v[4];
    FillInitialCompositeQuad(v);
    const float tu[4] = {0.01f, 0.01f, 0.99f, 0.99f};
    const float tv[4] = {0.99f, 0.01f, 0.99f, 0.01f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(0.0f, v[i].nx);
        EXPECT_EQ(1.0f, v[i].ny);
        EXPECT_EQ(0.0f, v[i].nz);
        EXPECT_FLOAT_EQ(tu[i], v[i].u1) << i;
        EXPECT_FLOAT_EQ(tv[i], v[i].v1) << i;
        EXPECT_FLOAT_EQ(i < 2 ? -54.7f : 54.7f, v[i].x) << i;
    }
}

TEST(CompositeQuad, ZeroSizeCoversTheWholeScreen)
{
    DX_V::PNTT v[4];
    FillInitialCompositeQuad(v);
    PlaceCompositeQuad(v, FitOrStretchQuad(false, 64, 48, 0, 0), 0, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(std::isfinite(v[i].x) && std::isfinite(v[i].y));
        EXPECT_FLOAT_EQ(54.7f, std::fabs(v[i].x));
        EXPECT_FLOAT_EQ(54.7f, std::fabs(v[i].y));
    }
}

TEST(CompositeQuad, WavesScrollAQuarterOfTheMapPerUnitOfTime)
{
    struct Case {
        float t;
        float v[4];
    };
    const Case cases[] = {{0.0f, {2, 0, 0, 2}}, {4.0f, {3, 1, 1, 3}}, {1.0f, {2.25f, 0.25f, 0.25f, 2.25f}}};
    const float u[4] = {0, 0, 1, 1};
    for (const Case& c : cases) {
        DX_V::PNTT v[4];
        FillInitialCompositeQuad(v);
        SetCompositeWaveCoords(v, c.t);
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(u[i], v[i].u0) << "t " << c.t << " vertex " << i;
            EXPECT_FLOAT_EQ(c.v[i], v[i].v0) << "t " << c.t << " vertex " << i;
        }
    }
}

// The camera shows ±54.63 at the quad's depth, so the ±54.7 quad reaches past every edge.
TEST(CompositeQuad, CameraShowsJustLessThanTheQuad)
{
    D3DXMATRIX view, projection, both;
    CompositeCamera(view, projection);
    D3DXMatrixMultiply(&both, &view, &projection);
    const D3DXVECTOR3 edge(54.63f, -54.63f, 0.0f), corner(54.7f, 54.7f, 0.0f);
    D3DXVECTOR3 e, c;
    D3DXVec3TransformCoord(&e, &edge, &both);
    D3DXVec3TransformCoord(&c, &corner, &both);
    EXPECT_NEAR(1.0f, e.x, 1e-3f);
    EXPECT_NEAR(-1.0f, e.y, 1e-3f);
    EXPECT_GT(c.x, 1.0f);
    EXPECT_GT(c.y, 1.0f);
}

// ---- On the device ----

class UnderwaterTest : public LightTest {
protected:
    std::unique_ptr<MutableAqua> Aqua(const SlideRecord& slide) { return CreateModeLight<MutableAqua>(slide); }

    // Vertical stripes 4 texels wide, so that a shift of the picture shows.
    Bytes Stripes(UINT width, UINT height)
    {
        return PaintedPng(device(), width, height,
                          [](UINT x, UINT) { return (x / 4) % 2 ? 0xFFE0E0E0u : 0xFF202020u; });
    }
};

TEST_F(UnderwaterTest, RestoredStatesSetTheBumpMatrixAndWrapBothSamplers)
{
    auto slide = Slide(Picture(64, 48, 0xFF3080C0), kSlideUnderwater);
    auto light = Aqua(*slide);
    ASSERT_TRUE(light);
    IDirect3DDevice9* d = device();
    d->SetSamplerState(1, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    light->RestoreRenderStates();

    struct Expect {
        const char* what;
        DWORD value, expected;
    };
    auto stage = [&](DWORD s, D3DTEXTURESTAGESTATETYPE t) { return TextureStageStateOf(d, s, t); };
    auto sampler = [&](DWORD s, D3DSAMPLERSTATETYPE t) { return SamplerStateOf(d, s, t); };
    auto render = [&](D3DRENDERSTATETYPE t) {
        DWORD v = 0xDEAD;
        d->GetRenderState(t, &v);
        return v;
    };
    const Expect table[] = {
        {"BUMPENVMAT00", stage(0, D3DTSS_BUMPENVMAT00), FloatBits(0.01f)},
        {"BUMPENVMAT01", stage(0, D3DTSS_BUMPENVMAT01), 0},
        {"BUMPENVMAT10", stage(0, D3DTSS_BUMPENVMAT10), 0},
        {"BUMPENVMAT11", stage(0, D3DTSS_BUMPENVMAT11), FloatBits(0.01f)},
        {"stage 1 TEXCOORDINDEX", stage(1, D3DTSS_TEXCOORDINDEX), 1},
        {"stage 1 TEXTURETRANSFORMFLAGS", stage(1, D3DTSS_TEXTURETRANSFORMFLAGS), D3DTTFF_DISABLE},
        {"sampler 0 ADDRESSU", sampler(0, D3DSAMP_ADDRESSU), D3DTADDRESS_WRAP},
        {"sampler 0 ADDRESSV", sampler(0, D3DSAMP_ADDRESSV), D3DTADDRESS_WRAP},
        {"sampler 1 ADDRESSU", sampler(1, D3DSAMP_ADDRESSU), D3DTADDRESS_WRAP},
        {"sampler 1 ADDRESSV", sampler(1, D3DSAMP_ADDRESSV), D3DTADDRESS_WRAP},
        {"sampler 1 MINFILTER", sampler(1, D3DSAMP_MINFILTER), D3DTEXF_LINEAR},
        {"sampler 1 MAGFILTER", sampler(1, D3DSAMP_MAGFILTER), D3DTEXF_LINEAR},
        {"ZENABLE", render(D3DRS_ZENABLE), FALSE},
        {"LIGHTING", render(D3DRS_LIGHTING), FALSE},
        {"CULLMODE", render(D3DRS_CULLMODE), D3DCULL_NONE},
        {"SRCBLEND", render(D3DRS_SRCBLEND), D3DBLEND_SRCALPHA},
        {"DESTBLEND", render(D3DRS_DESTBLEND), D3DBLEND_INVSRCALPHA},
    };
    for (const Expect& e : table)
        EXPECT_EQ(e.expected, e.value) << e.what;
}

TEST_F(UnderwaterTest, WaveMapIsMadeAndFilled)
{
    auto slide = Slide(Picture(64, 48, 0xFF3080C0), kSlideUnderwater);
    auto light = Aqua(*slide);
    ASSERT_TRUE(light);
    IDirect3DTexture9* map = light->light()->waveMap.Get();
    ASSERT_NE(nullptr, map);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(D3D_OK, map->GetLevelDesc(0, &desc));
    EXPECT_EQ(D3DFMT_V8U8, desc.Format);
    EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
    EXPECT_EQ(512u, desc.Width);
    EXPECT_EQ(512u, desc.Height);
    EXPECT_EQ(1u, map->GetLevelCount());
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, map->LockRect(0, &locked, nullptr, D3DLOCK_READONLY));
    const uint8_t* texel = static_cast<const uint8_t*>(locked.pBits);
    EXPECT_EQ(0x40, texel[0]);
    EXPECT_EQ(0x00, texel[1]);
    map->UnlockRect(0);
    EXPECT_TRUE(light->light()->stretch) << "the picture light must fill the whole target";
}

// A striped 2:1 picture: letterboxed it covers rows 32 to 160 (the quad's lower edge lies on
// row 160, and Direct3D 9 puts pixel centres on whole coordinates), stretched the whole screen.
// Two moments differ inside the picture, its average colour stays that of the stripes, and the
// bands outside it stay black.
TEST_F(UnderwaterTest, PictureWaversAndKeepsItsColours)
{
    for (int stretch : {0, 1}) {
        SCOPED_TRACE(stretch ? "stretched" : "letterboxed");
        auto slide = Slide(Stripes(64, 32), kSlideUnderwater);
        auto light = Aqua(*slide);
        ASSERT_TRUE(light);
        light->SetStretch(stretch);
        const PixelImage first = FrameAt(*light, 0.5f);
        const PixelImage later = FrameAt(*light, 1.7f);
        const UINT top = stretch ? 0 : 32, bottom = stretch ? kHeight : 161;

        int differing = 0;
        double sum = 0;
        for (UINT y = top; y < bottom; ++y)
            for (UINT x = 0; x < kWidth; ++x) {
                if (first.Rgb(x, y) != later.Rgb(x, y))
                    ++differing;
                sum += Channel(first.Rgb(x, y), 1);
            }
        const UINT inside = kWidth * (bottom - top);
        EXPECT_GT(differing, int(inside / 20)) << "the picture does not waver";
        // The stripes average (0x20 + 0xE0) / 2.
        EXPECT_NEAR(128.0, sum / inside, 12.0);
        for (const PixelImage* image : {&first, &later}) {
            EXPECT_EQ(kWidth * top, image->Count(0x000000, 0, 0, kWidth, top)) << "the top band is not black";
            EXPECT_EQ(kWidth * (kHeight - bottom), image->Count(0x000000, 0, bottom, kWidth, kHeight))
                << "the bottom band is not black";
        }
    }
}

// A wide picture (2:1) letterboxed: the bands above and below are black, the picture is
// upright (its top half red, its bottom half blue).
TEST_F(UnderwaterTest, LetterboxedCompositeLeavesBlackBandsAndStaysUpright)
{
    auto slide = Slide(Picture(64, 32, 0xFFFF0000, 0xFF0000FF), kSlideUnderwater);
    auto light = Aqua(*slide);
    ASSERT_TRUE(light);
    light->SetStretch(0);
    FrameAt(*light, 0.25f);
    const PixelImage image = FrameAt(*light, 0.5f);
    SaveBackBufferPng(device(), L"underwater_letterboxed");
    // Picture rows 32 to 160.
    for (UINT x : {4u, 128u, 250u}) {
        EXPECT_EQ(0x000000u, image.Rgb(x, 10)) << x;
        EXPECT_EQ(0x000000u, image.Rgb(x, 180)) << x;
        const uint32_t top = image.Rgb(x, 60), bottom = image.Rgb(x, 130);
        EXPECT_GT(Channel(top, 2), 200) << std::hex << top;
        EXPECT_LT(Channel(top, 0), 50) << std::hex << top;
        EXPECT_GT(Channel(bottom, 0), 200) << std::hex << bottom;
        EXPECT_LT(Channel(bottom, 2), 50) << std::hex << bottom;
    }
}

TEST_F(UnderwaterTest, StretchedCompositeFillsTheScreen)
{
    auto slide = Slide(Picture(64, 32, 0xFFFF0000, 0xFF0000FF), kSlideUnderwater);
    auto light = Aqua(*slide);
    ASSERT_TRUE(light);
    light->SetStretch(1);
    const PixelImage image = FrameAt(*light, 0.5f);
    // The quad reaches past every edge: no corner is left black by the clear. (The picture's
    // edge rows blend with the opposite edge, as the samplers wrap.)
    for (UINT x : {0u, kWidth - 1})
        for (UINT y : {0u, kHeight - 1})
            EXPECT_NE(0x000000u, image.Rgb(x, y)) << x << ", " << y;
    for (UINT x : {0u, 128u, kWidth - 1}) {
        EXPECT_GT(Channel(image.Rgb(x, 6), 2), 200) << x;
        EXPECT_GT(Channel(image.Rgb(x, kHeight - 7), 0), 200) << x;
    }
}

// The objects draw into the target with the light as their renderer, in list order.
TEST_F(UnderwaterTest, LightIsTheRendererOfItsObjects)
{
    auto slide = Slide(Picture(64, 48, 0xFF3080C0), kSlideUnderwater);
    auto light = Aqua(*slide);
    ASSERT_TRUE(light);
    std::vector<DS_ABRender*> seen;
    light->objects.push_back(new RendererRecordingObject(&seen));
    light->objects.push_back(new RendererRecordingObject(&seen));
    light->DrawObjects();
    DS_ABRender* renderer = light->light();
    EXPECT_EQ((std::vector<DS_ABRender*>{renderer, renderer}), seen);
}

TEST_F(UnderwaterTest, FadeQuadDarkensAndLeavesStageOneOffAndBlendingOn)
{
    auto slide = Slide(Picture(64, 48, 0xFFFFFFFF), kSlideUnderwater);
    auto light = Aqua(*slide);
    ASSERT_TRUE(light);
    light->SetStretch(1);
    DS_ScreenQuad fade;
    fade.Create(0xFF000000u, MakeBackBufferQuad());
    fade.SetVertexAlphas(0.5f, 0.5f, 0.5f, 0.5f);
    FrameAt(*light, 0.1f, &fade);
    const PixelImage image = FrameAt(*light, 0.2f, &fade);
    EXPECT_NEAR(128, Channel(image.Rgb(128, 96), 1), 4);
    DWORD blend = 0, stage1 = 0;
    device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    device()->GetTextureStageState(1, D3DTSS_COLOROP, &stage1);
    EXPECT_EQ(static_cast<DWORD>(TRUE), blend);
    EXPECT_EQ(static_cast<DWORD>(D3DTOP_DISABLE), stage1);
}

// Without a wave map the target is composited as it is, not left black.
TEST_F(UnderwaterTest, WithoutAWaveMapThePictureShowsStill)
{
    auto slide = Slide(Picture(64, 48, 0xFF3080C0), kSlideUnderwater);
    auto light = Aqua(*slide);
    ASSERT_TRUE(light);
    light->SetStretch(1);
    light->light()->waveMap.Reset();
    FrameAt(*light, 0.1f);
    const PixelImage image = FrameAt(*light, 0.2f);
    EXPECT_EQ(image.width * image.height, image.Count(0x3080C0));
    DWORD coordinates = 7;
    device()->GetTextureStageState(0, D3DTSS_TEXCOORDINDEX, &coordinates);
    EXPECT_EQ(0u, coordinates) << "the sprites read stage 0 at coordinate set 0";
}

// Release unbinds what the composite bound and lets the target go; a frame drawn then goes
// straight to the back buffer; the device resets and a new light draws through the waves again.
TEST_F(UnderwaterTest, ReleaseUnbindsThenTheDeviceResetsAndANewLightDraws)
{
    auto slide = Slide(Picture(64, 48, 0xFF3080C0), kSlideUnderwater);
    {
        auto light = Aqua(*slide);
        ASSERT_TRUE(light);
        light->SetStretch(0);
        FrameAt(*light, 0.1f);
        light->ReleaseDeviceResources();
        EXPECT_FALSE(light->light()->target.texture);
        EXPECT_EQ("", BoundDrawingResources(device(), 2));

        const PixelImage direct = FrameAt(*light, 0.2f);
        EXPECT_EQ(0x3080C0u, direct.Rgb(128, 96));
        UnbindDrawingResources(2);
    }
    ASSERT_EQ(D3D_OK, test_device().Reset(kWidth, kHeight));
    auto next = Aqua(*slide);
    ASSERT_TRUE(next);
    next->SetStretch(0);
    FrameAt(*next, 0.1f);
    const uint32_t centre = FrameAt(*next, 0.2f).Rgb(128, 96);
    EXPECT_NEAR(0x30, Channel(centre, 2), 6);
    EXPECT_NEAR(0x80, Channel(centre, 1), 6);
    EXPECT_NEAR(0xC0, Channel(centre, 0), 6);
}

} // namespace
