// The ripple surface on a real device: the strip in its index buffer, the picture drawn through
// flat water, a drop that moves the picture near it and nowhere else, the vertex buffer
// discarded at every rewrite, the strip drawn in pieces on a device with small draw limits, and
// the vertex buffer released before a reset and made again after it.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "document/CurrentDevice.h"
#include "scene/render/BufferLocks.h"
#include "scene/render/RippleSurface.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/FabricatedDevice.h"
#include "tests/support/TestPictures.h"

namespace {

const D3DXVECTOR3 kEye(0.0f, 120.0f, 0.0f);
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

class RippleSurfaceDeviceTest : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        surface.BuildRefractionTable();
    }

    // The water seen from (0, 120, 0) straight down, world −z up the screen, with a 40 × 30
    // surface filling the 256 × 192 back buffer; the picture from the texture alone, filtered,
    // so that a tiny shift of the coordinates moves no colour by a visible step.
    void SetWaterView(IDirect3DTexture9* picture)
    {
        D3DXMATRIX camera, view, projection, identity;
        D3DXMatrixRotationX(&camera, -D3DX_PI / 2);
        camera._41 = 0.0f, camera._42 = 120.0f, camera._43 = 0.0f;
        D3DXMatrixInverse(&view, nullptr, &camera);
        D3DXMatrixOrthoOffCenterRH(&projection, -20, 20, -15, 15, -1, 2000);
        D3DXMatrixIdentity(&identity);
        device()->SetTransform(D3DTS_WORLD, &identity);
        device()->SetTransform(D3DTS_VIEW, &view);
        device()->SetTransform(D3DTS_PROJECTION, &projection);
        device()->SetRenderState(D3DRS_ZENABLE, FALSE);
        device()->SetRenderState(D3DRS_LIGHTING, FALSE);
        device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device()->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device()->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device()->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
        device()->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
        device()->SetTexture(0, picture);
    }

    // One frame of the water on a magenta back buffer, read back.
    PixelImage DrawWater()
    {
        device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF00FF, 1.0f, 0);
        EXPECT_EQ(D3D_OK, device()->BeginScene());
        EXPECT_EQ(S_OK, surface.Draw());
        device()->EndScene();
        return ReadBackBuffer();
    }

    RippleSurface surface;
};

bool ColoursNear(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// Red, green, blue and white quarters.
ComRef<IDirect3DTexture9> QuarterPicture(IDirect3DDevice9* device)
{
    return PaintedTexture(device, 256, 192, [](UINT x, UINT y) {
        const uint32_t colours[2][2] = {{kRed, kGreen}, {kBlue, kWhite}};
        return 0xFF000000u | colours[y >= 96][x >= 128];
    });
}

// Squares of 4 texels, black and white.
ComRef<IDirect3DTexture9> CheckerPicture(IDirect3DDevice9* device)
{
    return PaintedTexture(device, 256, 192,
                          [](UINT x, UINT y) { return ((x / 4 + y / 4) % 2) ? 0xFFFFFFFFu : 0xFF000000u; });
}

TEST_F(RippleSurfaceDeviceTest, IndexBufferHoldsTheStrip)
{
    ASSERT_EQ(S_OK, surface.Build(30, 30, 1, 6.0f / 128));
    ASSERT_EQ(6u, surface.columns);
    ASSERT_EQ(6u, surface.rows);
    ASSERT_TRUE(surface.indexBuffer);
    ASSERT_TRUE(surface.vertexBuffer);

    D3DINDEXBUFFER_DESC desc;
    ASSERT_EQ(D3D_OK, surface.indexBuffer->GetDesc(&desc));
    EXPECT_EQ(D3DFMT_INDEX16, desc.Format);
    EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool) << "written once, it needs no release before a reset";
    EXPECT_EQ(72u * 2, desc.Size);
    void* bits = nullptr;
    ASSERT_EQ(D3D_OK, surface.indexBuffer->Lock(0, 0, &bits, D3DLOCK_READONLY));
    const std::vector<uint16_t> stored(static_cast<uint16_t*>(bits), static_cast<uint16_t*>(bits) + 72);
    surface.indexBuffer->Unlock();
    std::vector<uint16_t> expected(72);
    WriteSpiralStrip(6, 6, expected.data(), 72);
    EXPECT_EQ(expected, stored);

    D3DVERTEXBUFFER_DESC vertices;
    ASSERT_EQ(D3D_OK, surface.vertexBuffer->GetDesc(&vertices));
    EXPECT_EQ(36u * 36, vertices.Size);
    EXPECT_EQ(DX_V::PNCT::FVF, vertices.FVF);
    EXPECT_EQ(DWORD{D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY}, vertices.Usage & (D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY));
    EXPECT_EQ(D3DPOOL_DEFAULT, vertices.Pool);
}

// Every vertex is rewritten each frame: one lock a frame, and it discards the old contents.
TEST_F(RippleSurfaceDeviceTest, EachUpdateDiscardsTheVerticesInOneLock)
{
    ASSERT_EQ(S_OK, surface.Build(40, 30, 1, 1));
    const BufferLockCounts before = BufferLocks;
    for (int frame = 0; frame < 3; ++frame)
        ASSERT_EQ(S_OK, surface.Update(kEye));
    EXPECT_EQ(3u, BufferLocks.locks - before.locks);
    EXPECT_EQ(3u, BufferLocks.discardLocks - before.discardLocks);
}

TEST_F(RippleSurfaceDeviceTest, FlatWaterShowsThePictureUndistorted)
{
    const ComRef<IDirect3DTexture9> picture = QuarterPicture(device());
    ASSERT_EQ(S_OK, surface.Build(40, 30, 1, 1));
    surface.refractionDepth = 0.0f;
    ASSERT_EQ(S_OK, surface.Update(kEye));
    SetWaterView(picture.Get());
    const PixelImage image = DrawWater();
    SaveBackBufferPng(device(), L"ripple_flat");

    EXPECT_EQ(0u, image.Count(0xFF00FF)) << "the water covers the whole back buffer";
    EXPECT_EQ(kRed, image.Rgb(4, 4));
    EXPECT_EQ(kRed, image.Rgb(125, 93));
    EXPECT_EQ(kGreen, image.Rgb(130, 4));
    EXPECT_EQ(kGreen, image.Rgb(251, 93));
    EXPECT_EQ(kBlue, image.Rgb(4, 98));
    EXPECT_EQ(kBlue, image.Rgb(125, 187));
    EXPECT_EQ(kWhite, image.Rgb(130, 98));
    EXPECT_EQ(kWhite, image.Rgb(251, 187));
}

TEST_F(RippleSurfaceDeviceTest, ADropMovesThePictureNearItOnly)
{
    const ComRef<IDirect3DTexture9> picture = CheckerPicture(device());
    ASSERT_EQ(S_OK, surface.Build(40, 30, 1, 1));
    ASSERT_EQ(S_OK, surface.Update(kEye));
    SetWaterView(picture.Get());
    const PixelImage flat = DrawWater();

    surface.random = [] { return 63; }; // cell (64, 64) of 128 × 96: pixel (128, 128)
    surface.dropStrength = 0.8f;
    surface.AddDrop();
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(S_OK, surface.Update(kEye));
    const PixelImage rippled = DrawWater();
    SaveBackBufferPng(device(), L"ripple_drop");

    size_t closeBy = 0, farAway = 0;
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x) {
            const int dx = int(x) - 128, dy = int(y) - 128;
            const bool changed = !ColoursNear(flat.Rgb(x, y), rippled.Rgb(x, y), 8);
            if (dx * dx + dy * dy < 24 * 24)
                closeBy += changed;
            else if (dx * dx + dy * dy > 40 * 40)
                farAway += changed;
        }
    EXPECT_GT(closeBy, 100u) << "the rings move the picture around the drop";
    EXPECT_EQ(0u, farAway) << "and leave it alone further away";
}

// A device that takes at most `maxPrimitiveCount` triangles per call gets the strip in pieces
// within its limit, and they draw the very pixels of the single call. Culling is on, so a piece
// that began at an odd index, and so flipped the winding of its triangles, would show.
struct DrawLimitCase {
    const char* name;
    float columnFactor; // 1: 128 × 96 cells, 24574 triangles; 2: 256 × 192 cells, 98302 triangles
    UINT maxPrimitiveCount;
    size_t calls;
};

void PrintTo(const DrawLimitCase& c, std::ostream* os)
{
    *os << c.name;
}

class RippleSurfaceDrawLimitTest : public RippleSurfaceDeviceTest,
                                   public ::testing::WithParamInterface<DrawLimitCase> {
protected:
    // The rippled water drawn on a device that reports and enforces the given limits.
    PixelImage DrawWaterWithin(UINT maxPrimitiveCount, size_t expectedCalls)
    {
        FabricatedDevice limits(device());
        limits.maxPrimitiveCount = maxPrimitiveCount;
        limits.maxVertexIndex = 65535;
        const PixelImage image = DrawWater();
        EXPECT_EQ(0, limits.refusedDraws);
        EXPECT_EQ(expectedCalls, limits.indexedCalls.size());
        for (const FabricatedDevice::IndexedCall& call : limits.indexedCalls)
            EXPECT_EQ(D3D_OK, call.result);
        return image;
    }
};

TEST_P(RippleSurfaceDrawLimitTest, PiecesDrawTheSamePixelsAsOneCall)
{
    const DrawLimitCase& c = GetParam();
    const ComRef<IDirect3DTexture9> picture = CheckerPicture(device());
    ASSERT_EQ(S_OK, surface.Build(40, 30, 1, c.columnFactor));
    surface.random = [n = 0]() mutable { return n += 977; };
    for (int i = 0; i < 8; ++i)
        surface.AddDrop();
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(S_OK, surface.Update(kEye));
    SetWaterView(picture.Get());
    device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);

    const PixelImage whole = DrawWaterWithin(1048575, 1);
    const PixelImage pieces = DrawWaterWithin(c.maxPrimitiveCount, c.calls);
    ASSERT_EQ(0u, whole.Count(0xFF00FF)) << "the strip's triangles face the eye";
    size_t different = 0;
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x)
            different += whole.Rgb(x, y) != pieces.Rgb(x, y);
    EXPECT_EQ(0u, different);
}

INSTANTIATE_TEST_SUITE_P(Limits, RippleSurfaceDrawLimitTest,
                         ::testing::Values(DrawLimitCase{"TheCommonLimitOnADenseGrid", 2.0f, 65535, 2},
                                           DrawLimitCase{"AnOddLimit", 1.0f, 1001, 25},
                                           DrawLimitCase{"AboveTheStrip", 1.0f, 24574, 1}),
                         [](const ::testing::TestParamInfo<DrawLimitCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(RippleSurfaceDeviceTest, AStripTheDeviceCannotIndexFails)
{
    ASSERT_EQ(S_OK, surface.Build(40, 30, 1, 1));
    ASSERT_EQ(S_OK, surface.Update(kEye));
    FabricatedDevice limits(device());
    limits.maxPrimitiveCount = 65535;
    limits.maxVertexIndex = 1000;
    device()->BeginScene();
    EXPECT_EQ(D3DERR_INVALIDCALL, surface.Draw()) << "12288 vertices, indices up to 1000";
    device()->EndScene();
    EXPECT_EQ(0u, limits.indexedCalls.size());
}

TEST_F(RippleSurfaceDeviceTest, ReleasedBeforeResetAndMadeAgainAfterIt)
{
    const ComRef<IDirect3DTexture9> picture = QuarterPicture(device());
    ASSERT_EQ(S_OK, surface.Build(40, 30, 1, 1));
    // The default-pool vertex buffer still alive blocks the reset; the managed index buffer does not.
    EXPECT_NE(D3D_OK, test_device().Reset(kWidth, kHeight));
    surface.ReleaseBuffers();
    EXPECT_TRUE(surface.indexBuffer);
    EXPECT_FALSE(surface.vertexBuffer);
    EXPECT_EQ(D3DERR_INVALIDCALL, surface.Update(kEye));
    EXPECT_EQ(D3DERR_INVALIDCALL, surface.Draw());
    ASSERT_EQ(D3D_OK, test_device().Reset(kWidth, kHeight));

    ASSERT_EQ(S_OK, surface.CreateBuffers());
    surface.refractionDepth = 0.0f;
    ASSERT_EQ(S_OK, surface.Update(kEye));
    SetWaterView(picture.Get());
    const PixelImage image = DrawWater();
    EXPECT_EQ(kRed, image.Rgb(4, 4));
    EXPECT_EQ(kWhite, image.Rgb(251, 187));
}

} // namespace
