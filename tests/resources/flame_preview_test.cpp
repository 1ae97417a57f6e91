// The flame picture and its offset map seen the way the fire draws them: the flame quad over
// the lower part of the default background, its look-ups displaced by three scrolling copies of
// the offset map in a pixel shader. Two moments are drawn and saved for a look; the flames must
// cover the bottom, leave the sky alone and move between the two moments.
#include <windows.h>
#include <d3dx9.h>

#include <cstdlib>
#include <string>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "scene/lights/DS_FlameLight.h"
#include "tests/resources/PictureChecks.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/DeviceFixture.h"

namespace {

struct QuadVertex {
    float x, y, z, u, v;
};

class FlamePreview : public ::testing::Test {
protected:
    static constexpr UINT kWidth = 512;
    static constexpr UINT kHeight = 384;

    void SetUp() override
    {
        ASSERT_TRUE(testDevice.Ok());
        CurrentDevice = device();
        HMODULE library = LoadLibraryW((ProgramFolder() + L"common_res.dll").c_str());
        ASSERT_NE(nullptr, library);
        background = LoadPicture(library, 5);
        flames = LoadPicture(library, 7);
        offsets = LoadPicture(library, 8);
        ASSERT_TRUE(background.Get() && flames.Get() && offsets.Get());
        ASSERT_TRUE(Assemble());
    }
    IDirect3DDevice9* device() const { return testDevice.device(); }

    ComRef<IDirect3DTexture9> LoadPicture(HMODULE library, int id)
    {
        ComRef<IDirect3DTexture9> texture;
        HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(id), L"DDS");
        if (!found)
            return texture;
        const void* data = LockResource(LoadResource(library, found));
        D3DXCreateTextureFromFileInMemoryEx(device(), data, SizeofResource(library, found), D3DX_DEFAULT,
                                            D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                            D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, 0, nullptr, nullptr,
                                            texture.Out());
        return texture;
    }

    // The fire light's own shader pair and declaration.
    bool Assemble()
    {
        DistortionShader::Create(shaders);
        DistortionShader::CreatePixelShader(shaders);
        return shaders.vertexShader && shaders.declaration && shaders.pixelShader;
    }

    // The background over the whole target, then the flames over its lower 65 %, at time t.
    void Draw(float t)
    {
        D3DXMATRIX view, projection, identity;
        const D3DXVECTOR3 eye(0, 0, -1), at(0, 0, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixOrthoOffCenterLH(&projection, 0, float(kWidth), float(kHeight), 0, -5000, 5000);
        D3DXMatrixIdentity(&identity);
        IDirect3DDevice9* d = device();
        d->SetTransform(D3DTS_WORLD, &identity);
        d->SetTransform(D3DTS_VIEW, &view);
        d->SetTransform(D3DTS_PROJECTION, &projection);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_ZENABLE, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        for (DWORD s = 0; s < 4; ++s) {
            d->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
            d->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        }
        d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);

        const float w = float(kWidth), h = float(kHeight);
        const QuadVertex picture[4] = {{0, 0, 0, 0, 0}, {w, 0, 0, 1, 0}, {0, h, 0, 0, 1}, {w, h, 0, 1, 1}};
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTexture(0, background.Get());
        d->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
        d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, picture, sizeof(QuadVertex));

        const float bottom = h, top = bottom - 0.65f * h;
        const QuadVertex flame[4] = {{0, top, 0, 0, 0}, {w, top, 0, 1, 0}, {0, bottom, 0, 0, 0.95f},
                                     {w, bottom, 0, 1, 0.95f}};
        D3DXMATRIX transform;
        D3DXMatrixMultiplyTranspose(&transform, &view, &projection);
        d->SetVertexShaderConstantF(4, transform, 4);
        DistortionShader::SetConstants();
        const float time[4] = {t, 0, 0, 0};
        d->SetVertexShaderConstantF(24, time, 1);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        d->SetVertexDeclaration(shaders.declaration.Get());
        d->SetVertexShader(shaders.vertexShader.Get());
        d->SetPixelShader(shaders.pixelShader.Get());
        d->SetTexture(0, flames.Get());
        for (DWORD s = 1; s < 4; ++s)
            d->SetTexture(s, offsets.Get());
        d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, flame, sizeof(QuadVertex));
        d->SetPixelShader(nullptr);
        d->SetVertexShader(nullptr);
        for (DWORD s = 0; s < 4; ++s)
            d->SetTexture(s, nullptr);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    }

    PixelImage Frame(float t, const wchar_t* name)
    {
        device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device()->BeginScene();
        Draw(t);
        device()->EndScene();
        SaveBackBufferPng(device(), name);
        return ReadRenderTarget(device());
    }

    TestDevice testDevice{kWidth, kHeight};
    ComRef<IDirect3DTexture9> background, flames, offsets;
    ShaderSet shaders;
    CurrentObjectsGuard current; // the last member: the current objects come back first
};

TEST_F(FlamePreview, FlamesFillTheBottomLeaveTheSkyAndFlicker)
{
    const PixelImage first = Frame(0.0f, L"common_res_flames_t0");
    const PixelImage later = Frame(0.37f, L"common_res_flames_t037");

    auto hot = [](uint32_t c) { return ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 90; };
    size_t hotBottom = 0, hotSky = 0, changed = 0;
    for (UINT x = 0; x < kWidth; ++x) {
        for (UINT y = kHeight - 20; y < kHeight; ++y)
            hotBottom += hot(first.Rgb(x, y));
        for (UINT y = 0; y < kHeight / 4; ++y)
            hotSky += hot(first.Rgb(x, y));
        for (UINT y = kHeight / 2; y < kHeight; ++y) {
            const uint32_t a = first.Rgb(x, y), b = later.Rgb(x, y);
            changed += std::abs(int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF)) +
                           std::abs(int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF)) > 24;
        }
    }
    EXPECT_GT(hotBottom, size_t(kWidth * 20 * 9 / 10));
    EXPECT_EQ(0u, hotSky);
    EXPECT_GT(changed, size_t(kWidth * kHeight / 50));
}

} // namespace
