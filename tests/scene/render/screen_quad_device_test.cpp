// Screen quads on a real device: the states DrawScreenQuad leaves, that its vertex alpha blends,
// and a whole letterboxed picture (picture quad, camera, bars) drawn and read back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "document/CurrentDevice.h"
#include "document/TextureInfo.h"
#include "scene/render/BufferLocks.h"
#include "scene/render/PictureQuad.h"
#include "scene/render/SceneTransforms.h"
#include "scene/render/ScreenPictureQuad.h"
#include "scene/render/ScreenQuad.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

DWORD RenderState(IDirect3DDevice9* device, D3DRENDERSTATETYPE state)
{
    DWORD value = 0xDEADBEEF;
    device->GetRenderState(state, &value);
    return value;
}

DWORD StageState(IDirect3DDevice9* device, D3DTEXTURESTAGESTATETYPE state)
{
    DWORD value = 0xDEADBEEF;
    device->GetTextureStageState(0, state, &value);
    return value;
}

int Channel(uint32_t colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

void ExpectColourNear(uint32_t expected, uint32_t actual, int tolerance)
{
    for (int shift : {0, 8, 16})
        EXPECT_LE(std::abs(Channel(expected, shift) - Channel(actual, shift)), tolerance)
            << std::hex << "expected " << expected << ", got " << actual;
}

// States drawing does not depend on here: no depth, no lighting, no culling, stage 0 as the
// picture modes set it (colour from the first argument alone).
void SetPlainStates(IDirect3DDevice9* device)
{
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
}

class ScreenQuadDeviceTest : public DeviceTest {};

TEST_F(ScreenQuadDeviceTest, DrawLeavesBlendingOffAndStageZeroOnTheTexture)
{
    QuadTemplate q;
    MakeSizedQuad(q, 16, 16);
    DS_ScreenQuad quad;
    ASSERT_EQ(D3D_OK, quad.Create(0xFF000000u, q));

    // Sentinels for the states the draw must leave alone.
    device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    device()->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SUBTRACT);
    device()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_CURRENT);
    device()->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);

    ASSERT_EQ(D3D_OK, device()->BeginScene());
    DrawScreenQuad(quad);
    device()->EndScene();

    EXPECT_EQ(static_cast<DWORD>(FALSE), RenderState(device(), D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(static_cast<DWORD>(D3DTA_TEXTURE), StageState(device(), D3DTSS_COLORARG1));
    EXPECT_EQ(static_cast<DWORD>(D3DTA_TEXTURE), StageState(device(), D3DTSS_ALPHAARG1));
    EXPECT_EQ(static_cast<DWORD>(D3DBLEND_ONE), RenderState(device(), D3DRS_SRCBLEND));
    EXPECT_EQ(static_cast<DWORD>(D3DBLEND_ZERO), RenderState(device(), D3DRS_DESTBLEND));
    EXPECT_EQ(static_cast<DWORD>(D3DTOP_ADD), StageState(device(), D3DTSS_COLOROP));
    EXPECT_EQ(static_cast<DWORD>(D3DTOP_SUBTRACT), StageState(device(), D3DTSS_ALPHAOP));
    DWORD fvf = 0;
    device()->GetFVF(&fvf);
    EXPECT_EQ(DX_V::SC::FVF, fvf);
}

// A quad without a buffer is not drawn, but the states it promises afterwards still hold.
TEST_F(ScreenQuadDeviceTest, QuadWithoutABufferDrawsNothingAndLeavesTheSameStates)
{
    DS_ScreenQuad screen; // never created
    OutlineQuad outline;
    struct Case {
        const char* name;
        void (*draw)(const DS_ScreenQuad&, const OutlineQuad&);
    } cases[] = {
        {"screen quad", [](const DS_ScreenQuad& q, const OutlineQuad&) { DrawScreenQuad(q); }},
        {"outline quad", [](const DS_ScreenQuad&, const OutlineQuad& q) { DrawOutlineQuad(q); }},
    };
    for (const Case& c : cases) {
        device()->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_CURRENT);
        device()->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
        device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | kMagenta, 1.0f, 0);
        device()->BeginScene();
        c.draw(screen, outline);
        device()->EndScene();
        EXPECT_EQ(static_cast<DWORD>(FALSE), RenderState(device(), D3DRS_ALPHABLENDENABLE)) << c.name;
        EXPECT_EQ(static_cast<DWORD>(D3DTA_TEXTURE), StageState(device(), D3DTSS_COLORARG1)) << c.name;
        EXPECT_EQ(static_cast<DWORD>(D3DTA_TEXTURE), StageState(device(), D3DTSS_ALPHAARG1)) << c.name;
        EXPECT_EQ(ReadBackBuffer().pixels.size(), ReadBackBuffer().Count(kMagenta)) << c.name;
    }
}

TEST_F(ScreenQuadDeviceTest, VertexAlphaBlendsOverTheTarget)
{
    SetPlainStates(device());
    QuadTemplate q;
    MakeBackBufferQuad(q);
    DS_ScreenQuad quad;
    ASSERT_EQ(D3D_OK, quad.Create(0xFFFFFFFFu, q));
    quad.SetRGB(0x000000u);
    quad.SetVertexAlphas(0.5f, 0.5f, 0.5f, 0.5f); // alpha 127 on every corner

    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    DrawScreenQuad(quad);
    device()->EndScene();
    // White × (1 − 127/255) = 128.
    ExpectColourNear(0x808080, ReadBackBuffer().Rgb(kWidth / 2, kHeight / 2), 2);
}

TEST_F(ScreenQuadDeviceTest, ColourChangesReachTheDrawnQuad)
{
    SetPlainStates(device());
    QuadTemplate q;
    MakeBackBufferQuad(q);
    DS_ScreenQuad quad;
    ASSERT_EQ(D3D_OK, quad.Create(0xFF000000u, q));
    quad.SetRGB(0x20C040u);
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | kMagenta, 1.0f, 0);
    device()->BeginScene();
    DrawScreenQuad(quad);
    device()->EndScene();
    EXPECT_EQ(0x20C040u, ReadBackBuffer().Rgb(kWidth / 2, kHeight / 2));
}

// A quad set to what it holds already (the player's fade quad while its level stays) is not
// uploaded again, and still draws its colour; every real change is uploaded at once.
TEST_F(ScreenQuadDeviceTest, OnlyChangesAreUploaded)
{
    SetPlainStates(device());
    QuadTemplate q;
    MakeBackBufferQuad(q);
    DS_ScreenQuad quad;
    ASSERT_EQ(D3D_OK, quad.Create(0xFF000000u, q));
    const struct {
        const char* step;
        std::function<void()> set;
        uint64_t locks;
    } steps[] = {
        {"the same alphas", [&] { quad.SetVertexAlphas(1, 1, 1, 1); }, 0},
        {"the same colour", [&] { quad.SetRGB(0x000000u); }, 0},
        {"the same rectangle", [&] { quad.SetRect(ScreenRect{0, 0, float(kWidth), float(kHeight)}); }, 0},
        {"half the alpha", [&] { quad.SetVertexAlphas(0.5f, 0.5f, 0.5f, 0.5f); }, 1},
        {"half the alpha again", [&] { quad.SetVertexAlphas(0.5f, 0.5f, 0.5f, 0.5f); }, 0},
        {"another colour", [&] { quad.SetRGB(0xFFFFFFu); }, 1},
        {"another rectangle", [&] { quad.SetRect(ScreenRect{0, 0, float(kWidth / 2), float(kHeight)}); }, 1},
    };
    for (const auto& s : steps) {
        const uint64_t before = BufferLocks.locks;
        s.set();
        EXPECT_EQ(s.locks, BufferLocks.locks - before) << s.step;
    }
    // Half-transparent white over black on the left half, as the last steps set it.
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    DrawScreenQuad(quad);
    device()->EndScene();
    const PixelImage image = ReadBackBuffer();
    ExpectColourNear(0x7F7F7F, image.Rgb(kWidth / 4, kHeight / 2), 2);
    EXPECT_EQ(0u, image.Rgb(kWidth * 3 / 4, kHeight / 2));
}

// A picture whose upper half is one colour and lower half another.
TextureInfo MakeTwoToneTexture(IDirect3DDevice9* device, UINT width, UINT height, uint32_t top, uint32_t bottom)
{
    TextureInfo info;
    ComRef<IDirect3DTexture9> texture = PaintedTexture(
        device, width, height, [&](UINT, UINT y) { return 0xFF000000u | (y < height / 2 ? top : bottom); });
    if (!texture)
        return info;
    info.texture = texture;
    info.width = width;
    info.height = height;
    info.aspect = static_cast<float>(height) / static_cast<float>(width);
    return info;
}

struct LetterboxCase {
    const char* name;
    UINT pictureWidth, pictureHeight;
    bool stretch;
    int x0, y0, x1, y1; // where the picture lands on the 256 × 192 back buffer
};

void PrintTo(const LetterboxCase& c, std::ostream* os) { *os << c.name; }

class LetterboxDrawTest : public DeviceTest, public ::testing::WithParamInterface<LetterboxCase> {};

TEST_P(LetterboxDrawTest, PictureInsideBlackBarsOutsideNoClearColourLeft)
{
    const LetterboxCase& c = GetParam();
    const uint32_t top = 0x20C040, bottom = 0x3050E0;
    const TextureInfo picture = MakeTwoToneTexture(device(), c.pictureWidth, c.pictureHeight, top, bottom);
    ASSERT_TRUE(picture.texture);
    SetPlainStates(device());

    // The layout of a picture light, from the toolkit's parts.
    PictureQuad pictureQuad;
    ASSERT_EQ(D3D_OK, pictureQuad.MakeBuffer());
    pictureQuad.SetFromTextureInfo(picture);
    QuadTemplate q;
    if (c.stretch)
        MakeBackBufferQuad(q);
    else
        FitQuadLetterbox(q, picture, kWidth, kHeight);
    ScaleQuadToBackBuffer(q, kWidth, kHeight);
    SetupPictureCamera(SceneTransforms, kWidth, kHeight, q, picture.width, picture.height, c.stretch);
    DS_ScreenQuad bars[4];
    const LetterboxBars rects = MakeLetterboxBars(q);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(D3D_OK, bars[i].Create(0xFF000000u, MakeBackBufferQuad()));
        bars[i].SetRect(rects.bar[i]);
    }

    device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000 | kMagenta, 1.0f, 0);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &pictureQuad.world, &SceneTransforms.pictureWorld);
    device()->SetTransform(D3DTS_WORLD, &world);
    ASSERT_TRUE(pictureQuad.Bind());
    device()->DrawPrimitive(pictureQuad.primitiveType, 0, pictureQuad.primitiveCount);
    if (!c.stretch)
        for (const DS_ScreenQuad& bar : bars)
            DrawScreenQuad(bar);
    device()->EndScene();

    const PixelImage image = ReadBackBuffer();
    SaveBackBufferPng(device(), std::wstring(L"letterbox_") + std::wstring(c.name, c.name + strlen(c.name)));
    ASSERT_EQ(kWidth, image.width);
    EXPECT_EQ(0u, image.Count(kMagenta)) << "a hole in the coverage";

    // Two pixels away from every edge: the picture's halves inside, black outside.
    const int midY = (c.y0 + c.y1) / 2;
    int wrong = 0;
    for (int y = 0; y < static_cast<int>(kHeight); ++y) {
        for (int x = 0; x < static_cast<int>(kWidth); ++x) {
            const bool nearEdge = std::abs(x - c.x0) < 2 || std::abs(x - c.x1) < 2 || std::abs(y - c.y0) < 2 ||
                                  std::abs(y - c.y1) < 2 || std::abs(y - midY) < 2;
            if (nearEdge)
                continue;
            const bool inside = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
            const uint32_t expected = !inside ? 0x000000 : (y < midY ? top : bottom);
            if (image.Rgb(x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << image.Rgb(x, y)
                              << ", expected " << expected;
        }
    }
    EXPECT_EQ(0, wrong);
}

INSTANTIATE_TEST_SUITE_P(Pictures, LetterboxDrawTest,
                         ::testing::Values(LetterboxCase{"letterbox", 128, 32, false, 0, 64, 256, 128},
                                           LetterboxCase{"pillarbox", 64, 128, false, 80, 0, 176, 192},
                                           LetterboxCase{"exact", 128, 96, false, 0, 0, 256, 192},
                                           LetterboxCase{"stretched", 64, 128, true, 0, 0, 256, 192}));

TEST_F(ScreenQuadDeviceTest, ScreenPictureQuadIsLetterboxedIntoTheBackBuffer)
{
    const uint32_t top = 0xC02020, bottom = 0x2020C0;
    const TextureInfo picture = MakeTwoToneTexture(device(), 128, 32, top, bottom);
    ASSERT_TRUE(picture.texture);
    SetPlainStates(device());
    ScreenPictureQuad quad;
    ASSERT_EQ(D3D_OK, MakeScreenPictureQuad(quad, picture));
    EXPECT_EQ(picture.texture.Get(), quad.texture.Get());

    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | kMagenta, 1.0f, 0);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    ASSERT_TRUE(quad.Bind());
    device()->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
    device()->EndScene();

    // y 64 to 128 on the 256 × 192 back buffer: upper half, lower half, clear colour around.
    const PixelImage image = ReadBackBuffer();
    EXPECT_EQ(top, image.Rgb(128, 80));
    EXPECT_EQ(bottom, image.Rgb(128, 112));
    EXPECT_EQ(kMagenta, image.Rgb(128, 60));
    EXPECT_EQ(kMagenta, image.Rgb(128, 132));
    EXPECT_NEAR(256.0 * 64.0, static_cast<double>(image.Count(top) + image.Count(bottom)), 256.0);

    // Moved onto the top-left quarter.
    QuadTemplate corner;
    MakeSizedQuad(corner, 128, 96);
    RefillScreenQuad(quad, corner);
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | kMagenta, 1.0f, 0);
    device()->BeginScene();
    quad.Bind();
    device()->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
    device()->EndScene();
    const PixelImage moved = ReadBackBuffer();
    EXPECT_EQ(top, moved.Rgb(64, 20));
    EXPECT_EQ(bottom, moved.Rgb(64, 70));
    EXPECT_EQ(kMagenta, moved.Rgb(200, 150));
}

} // namespace
