// The render-target texture: drawing goes into it between Begin and End, the back buffer comes
// back cleared to black, and it is released before a device reset and made again afterwards.
#include <gtest/gtest.h>

#include "document/CurrentDevice.h"
#include "scene/render/RenderTargetTexture.h"
#include "scene/render/ScreenQuad.h"
#include "tests/support/DeviceFixture.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

class RenderTargetTextureTest : public DeviceTest {
protected:
    // A full-screen opaque quad of one colour, with stage 0 taking the vertex colour.
    void DrawFullScreen(uint32_t rgb)
    {
        device()->SetRenderState(D3DRS_ZENABLE, FALSE);
        device()->SetRenderState(D3DRS_LIGHTING, FALSE);
        device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device()->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        QuadTemplate q;
        MakeBackBufferQuad(q);
        DS_ScreenQuad quad;
        ASSERT_EQ(D3D_OK, quad.Create(0xFF000000u | rgb, q));
        DrawScreenQuad(quad);
    }

    ComRef<IDirect3DSurface9> RenderTarget()
    {
        ComRef<IDirect3DSurface9> surface;
        device()->GetRenderTarget(0, surface.Out());
        return surface;
    }

    ComRef<IDirect3DSurface9> DepthSurface()
    {
        ComRef<IDirect3DSurface9> surface;
        device()->GetDepthStencilSurface(surface.Out());
        return surface;
    }
};

TEST_F(RenderTargetTextureTest, IsMadeAtTheBackBufferSize)
{
    RenderTargetTexture target;
    ASSERT_EQ(D3D_OK, target.Create());
    EXPECT_EQ(kWidth, target.width);
    EXPECT_EQ(kHeight, target.height);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(D3D_OK, target.texture->GetLevelDesc(0, &desc));
    EXPECT_EQ(kWidth, desc.Width);
    EXPECT_EQ(kHeight, desc.Height);
    EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
    EXPECT_EQ(static_cast<DWORD>(D3DUSAGE_RENDERTARGET), desc.Usage);
    EXPECT_EQ(D3DPOOL_DEFAULT, desc.Pool);
    EXPECT_EQ(1u, target.texture->GetLevelCount());
}

TEST_F(RenderTargetTextureTest, DrawingBetweenBeginAndEndGoesIntoTheTexture)
{
    RenderTargetTexture target;
    ASSERT_EQ(D3D_OK, target.Create());
    const ComRef<IDirect3DSurface9> backBuffer = RenderTarget();
    const ComRef<IDirect3DSurface9> depth = DepthSurface();
    ASSERT_TRUE(depth);
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | kMagenta, 1.0f, 0);

    ASSERT_EQ(D3D_OK, device()->BeginScene());
    target.Begin();
    EXPECT_NE(backBuffer.Get(), RenderTarget().Get());
    EXPECT_FALSE(DepthSurface()); // no depth testing inside the texture
    DrawFullScreen(0xFF0000);
    target.End();
    device()->EndScene();

    EXPECT_EQ(backBuffer.Get(), RenderTarget().Get());
    EXPECT_EQ(depth.Get(), DepthSurface().Get());
    EXPECT_FALSE(target.savedTarget);
    EXPECT_FALSE(target.savedDepth);

    // The back buffer starts black for the composite; the scene is in the texture.
    const PixelImage back = ReadBackBuffer();
    EXPECT_EQ(back.pixels.size(), back.Count(0x000000));
    ComRef<IDirect3DSurface9> level;
    ASSERT_EQ(D3D_OK, target.texture->GetSurfaceLevel(0, level.Out()));
    const PixelImage drawn = ReadRenderTarget(device(), level.Get());
    ASSERT_EQ(kWidth, drawn.width);
    EXPECT_EQ(drawn.pixels.size(), drawn.Count(0xFF0000));
}

TEST_F(RenderTargetTextureTest, WithoutATextureBeginAndEndLeaveTheBackBufferAlone)
{
    RenderTargetTexture target; // never made, as when CreateTexture fails
    const ComRef<IDirect3DSurface9> backBuffer = RenderTarget();
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | kMagenta, 1.0f, 0);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    target.Begin();
    EXPECT_EQ(backBuffer.Get(), RenderTarget().Get());
    DrawFullScreen(0x00FF00);
    target.End();
    device()->EndScene();
    EXPECT_EQ(backBuffer.Get(), RenderTarget().Get());
    EXPECT_TRUE(DepthSurface());
    const PixelImage back = ReadBackBuffer();
    EXPECT_EQ(back.pixels.size(), back.Count(0x00FF00)); // the frame drawn straight to it survives
}

TEST_F(RenderTargetTextureTest, EndWithoutBeginDoesNothing)
{
    RenderTargetTexture target;
    ASSERT_EQ(D3D_OK, target.Create());
    device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | kMagenta, 1.0f, 0);
    target.End();
    const PixelImage back = ReadBackBuffer();
    EXPECT_EQ(back.pixels.size(), back.Count(kMagenta));
}

TEST_F(RenderTargetTextureTest, ReleasedBeforeResetAndMadeAgainAfterIt)
{
    RenderTargetTexture target;
    ASSERT_EQ(D3D_OK, target.Create());
    // A default-pool texture still alive blocks the reset.
    EXPECT_NE(D3D_OK, test_device().Reset(320, 240));
    target.Release();
    EXPECT_FALSE(target.texture);
    ASSERT_EQ(D3D_OK, test_device().Reset(320, 240));

    ASSERT_EQ(D3D_OK, target.Create());
    EXPECT_EQ(320u, target.width);
    EXPECT_EQ(240u, target.height);
    ASSERT_EQ(D3D_OK, device()->BeginScene());
    target.Begin();
    DrawFullScreen(0x0000FF);
    target.End();
    device()->EndScene();
    ComRef<IDirect3DSurface9> level;
    ASSERT_EQ(D3D_OK, target.texture->GetSurfaceLevel(0, level.Out()));
    const PixelImage drawn = ReadRenderTarget(device(), level.Get());
    ASSERT_EQ(320u, drawn.width);
    EXPECT_EQ(0x0000FFu, drawn.Rgb(160, 120));
}

TEST_F(RenderTargetTextureTest, ReleaseInsideBeginDropsTheSavedSurfaces)
{
    RenderTargetTexture target;
    ASSERT_EQ(D3D_OK, target.Create());
    device()->BeginScene();
    target.Begin();
    EXPECT_TRUE(target.savedTarget);
    // Put the device back by hand, as a device-loss path would, and let go of everything.
    ComRef<IDirect3DSurface9> saved = target.savedTarget;
    ComRef<IDirect3DSurface9> savedDepth = target.savedDepth;
    device()->SetRenderTarget(0, saved.Get());
    device()->SetDepthStencilSurface(savedDepth.Get());
    device()->EndScene();
    target.Release();
    EXPECT_FALSE(target.savedTarget);
    EXPECT_FALSE(target.savedDepth);
    saved.Reset();
    savedDepth.Reset();
    EXPECT_EQ(D3D_OK, test_device().Reset(kWidth, kHeight));
}

} // namespace
