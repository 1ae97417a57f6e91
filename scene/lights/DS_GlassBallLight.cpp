#include "scene/lights/DS_GlassBallLight.h"

#include <d3dx9.h>

#include <cmath>

#include "document/CurrentDevice.h"
#include "document/ResourceCache.h"
#include "scene/lights/DS_2D_Light.h"
#include "scene/render/DeviceBindings.h"
#include "scene/render/StateValues.h"

namespace {

// A managed texture of one level, made anew, locked whole and filled; null and E_FAIL when it
// cannot be made or locked.
template <class Fill>
HRESULT BuildTexture(ComRef<IDirect3DTexture9>& texture, UINT side, D3DFORMAT format, bool throughD3DX, Fill fill)
{
    texture.Reset();
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return E_FAIL;
    const HRESULT made =
        throughD3DX ? D3DXCreateTexture(device, side, side, 1, 0, format, D3DPOOL_MANAGED, texture.Out())
                    : device->CreateTexture(side, side, 1, 0, format, D3DPOOL_MANAGED, texture.Out(), nullptr);
    if (FAILED(made) || !texture) {
        texture.Reset();
        return E_FAIL;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0)) || !locked.pBits) {
        texture.Reset();
        return E_FAIL;
    }
    fill(static_cast<uint8_t*>(locked.pBits), static_cast<int32_t>(locked.Pitch));
    texture->UnlockRect(0);
    return 0;
}

HRESULT MakePTTQuad(VertexStore<DX_V::PTT>& quad, const DX_V::PTT (&corners)[4])
{
    const HRESULT hr = MakeVertexBuffer(4, quad, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    WriteVertices(quad, [&](DX_V::PTT* v, uint32_t) {
        for (int i = 0; i < 4; ++i)
            v[i] = corners[i];
    });
    return hr;
}

} // namespace

// ---- The arithmetic ----

GlassLayout ComputeGlassLayout(uint32_t width, uint32_t height, int32_t glassMode, bool backdropStretch,
                               uint32_t backdropWidth, uint32_t backdropHeight)
{
    GlassLayout g;
    const int32_t w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
    // Only the picture backdrop keeps its aspect; the gradient always fills the screen.
    const bool fillScreen = glassMode != 1 || backdropStretch;
    g.backdrop = FitOrStretchQuad(fillScreen, backdropWidth, backdropHeight, w, h);

    g.bars = MakeLetterboxBars(g.backdrop);
    const float left = g.backdrop.Left(), top = g.backdrop.Top();
    const float pw = g.backdrop.Right() - left, ph = g.backdrop.Bottom() - top;
    const float bw = static_cast<float>(static_cast<int32_t>(left) + 1);
    const float bh = static_cast<float>(static_cast<int32_t>(top) + 1);
    g.coverX = pw / (pw + 2.0f * bw);
    g.coverY = ph / (ph + 2.0f * bh);
    return g;
}

ScrollRects ScrollQuadRects(int32_t scrollMode, float phase, uint32_t width, uint32_t height)
{
    const float p = scrollMode == DS_GlassBallLight::kScrollLeft ? -phase * 0.5f : phase * 0.5f;
    const float f = Frac(p);
    const float wb = static_cast<float>(width), hb = static_cast<float>(height);
    ScrollRects r;
    SetQuadCorners(r.quad[0], wb * f, 0.0f, wb * f + wb, hb);
    SetQuadCorners(r.quad[1], -(1.0f - f) * wb, 0.0f, -(1.0f - f) * wb + wb, hb);
    return r;
}

float SwingFromPhase(float phase)
{
    const float g = Frac(phase * 0.5f);
    return 2.0f * std::fabs(2.0f * g - 1.0f) - 1.0f;
}

float GlassScrollClock::phase_ = 0.0f;
float GlassScrollClock::lastTime_ = 0.0f;
bool GlassScrollClock::started_ = false;

float GlassScrollClock::Advance(float time, float speed)
{
    if (!started_) {
        started_ = true;
        lastTime_ = time;
    }
    phase_ += (time - lastTime_) * speed * 0.0625f;
    lastTime_ = time;
    return phase_;
}

void GlassScrollClock::Reset()
{
    phase_ = 0.0f;
    lastTime_ = 0.0f;
    started_ = false;
}

// ---- Resources ----

DS_GlassBallLight* DS_GlassBallLight::Create(uint32_t top, uint32_t bottom)
{
    DS_GlassBallLight* light = new DS_GlassBallLight();
    light->topColour = top;
    light->bottomColour = bottom;
    light->CreateResources(L"");
    return light;
}

DS_GlassBallLight::DS_GlassBallLight()
{
    backdropPicture.aspect = 1.0f;
}

// Every member lets its own resources go (the vertex buffers and quads first), then the base.
DS_GlassBallLight::~DS_GlassBallLight() = default;

void DS_GlassBallLight::CreateResources(const std::wstring& pictureName)
{
    InitFromPath(pictureName);
    BuildSphereBump();
    BuildGradient();
    BuildCircleMask();

    const QuadTemplate wholeScreen = MakeBackBufferQuad();
    MakeScreenQuadFromTemplate(backdropQuad, gradient.Get(), wholeScreen);
    for (ScreenPictureQuad& quad : scrollQuads)
        MakeBlankScreenQuad(quad, wholeScreen);

    MakePTTQuad(lensQuad, kLensQuadVertices);
    for (DS_ScreenQuad& bar : glassBars)
        bar.Create(0xFF000000u, wholeScreen);
    MakePTTQuad(standQuad, kStandQuadVertices);

    // A first camera; every frame's lens setup replaces it.
    if (IDirect3DDevice9* device = CurrentDevice) {
        D3DXMATRIX world, view, projection;
        D3DXMatrixIdentity(&world);
        const D3DXVECTOR3 eye(0.0f, 0.0f, -2001.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4.0f, 1.0f, 1.0f, 3000.0f);
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
    }
}

HRESULT DS_GlassBallLight::BuildSphereBump()
{
    return BuildTexture(sphereBump, kSphereBumpSide, D3DFMT_V16U16, false,
                        [](uint8_t* rows, int32_t pitch) { FillSphereBump(rows, pitch); });
}

HRESULT DS_GlassBallLight::BuildCircleMask()
{
    // Not every device has D3DFMT_A8 (the device check does not ask for it); without a mask
    // the rim pass would be skipped and the ball drawn square, so the mask then goes into the
    // alpha of an A8R8G8B8 texture, which the rim pass reads alike.
    if (SUCCEEDED(BuildTexture(circleMask, kCircleMaskSide, D3DFMT_A8, false,
                               [](uint8_t* rows, int32_t pitch) { FillCircleMask(rows, pitch); })))
        return S_OK;
    return BuildTexture(circleMask, kCircleMaskSide, D3DFMT_A8R8G8B8, false,
                        [](uint8_t* rows, int32_t pitch) { FillCircleMaskArgb(rows, pitch); });
}

HRESULT DS_GlassBallLight::BuildGradient()
{
    ++gradientBuilds;
    return BuildTexture(gradient, kGradientSide, D3DFMT_A8R8G8B8, true,
                        [this](uint8_t* rows, int32_t pitch) { FillGradient(rows, pitch, topColour, bottomColour); });
}

void DS_GlassBallLight::RestoreDeviceResources()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    SetDefault2DStates();
    // Samplers: the scene (1) wraps, so the swing and the ball's offset run round it.
    device->SetSamplerState(1, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetSamplerState(1, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    // Stage 0: the hemisphere's slopes bend stage 1's coordinates by (0.2 U, 0.25 V).
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(0.2f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(0.0f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(0.0f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(0.25f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVLSCALE, FloatBits(1.0f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVLOFFSET, FloatBits(0.0f));
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    // Stage 1: its texture's colour, the alpha of the stage before; off until a pass needs it.
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);

    sceneTarget.Create();
    scrollTarget.Create();
    for (ScreenPictureQuad& quad : scrollQuads)
        quad.SetTexture(sceneTarget.texture.Get());
}

void DS_GlassBallLight::ReleaseDeviceResources()
{
    // The passes leave the scene on stage 1 and a picture on stage 0.
    UnbindDrawingResources(2);
    for (ScreenPictureQuad& quad : scrollQuads)
        quad.SetTexture(nullptr);
    sceneTarget.Release();
    scrollTarget.Release();
}

// ---- Settings ----

void DS_GlassBallLight::SetOverlayTexture(int index, const ResourceRef& ref)
{
    if (index < 0 || index > 2)
        return;
    overlayTextures[index] = ResourceCache::GetTexture(ref, CurrentResourceCache).texture;
}

void DS_GlassBallLight::SetGlassMode(int32_t mode)
{
    if (mode == glassMode)
        return;
    glassMode = mode;
    backdropQuad.SetTexture(mode == 1 ? backdropPicture.texture.Get() : gradient.Get());
    Layout(layoutWidth, layoutHeight);
}

void DS_GlassBallLight::SetBackdropPicture(const NamedBlob& picture)
{
    backdropPicture = ResolvePictureTexture(picture);
    if (glassMode == 1) {
        backdropQuad.SetTexture(backdropPicture.texture.Get());
        Layout(layoutWidth, layoutHeight);
    }
}

// ---- Layout and lens ----

void DS_GlassBallLight::Layout(uint32_t width, uint32_t height)
{
    // The scene always fills the whole target.
    DS_EffectLightBase::Layout(width, height);
    stretch = true;
    DS_EffectLightBase::Layout(layoutWidth, layoutHeight);
    UpdateLensParams();

    const GlassLayout g = ComputeGlassLayout(width, height, glassMode, backdropStretch != 0, backdropPicture.width,
                                             backdropPicture.height);
    RefillScreenQuad(backdropQuad, g.backdrop);
    for (int i = 0; i < 4; ++i)
        glassBars[i].SetRect(g.bars.bar[i]);
    coverX = g.coverX;
    coverY = g.coverY;
    UpdateLensParams();
}

void DS_GlassBallLight::UpdateLensParams()
{
    const LensParams p = ComputeLensParams(ballSize, zoom, coverY);
    lensDistance = p.lensDistance;
    lensScale = p.lensScale;
    swingAmplitude = p.swingAmplitude;
}

LensProjectionInput DS_GlassBallLight::ProjectionInput(bool lensPass) const
{
    LensProjectionInput in;
    in.lensPass = lensPass;
    in.lens = {lensDistance, lensScale, swingAmplitude};
    in.swing = swing;
    in.zoom = zoom;
    in.ballX = ballX;
    in.ballY = ballY;
    in.coverX = coverX;
    in.coverY = coverY;
    in.glassMode = glassMode;
    in.backdropStretch = backdropStretch != 0;
    in.layoutWidth = layoutWidth;
    in.layoutHeight = layoutHeight;
    // Every layout is made at this light's back-buffer size.
    in.backWidth = layoutWidth;
    in.backHeight = layoutHeight;
    in.pictureWidth = background.width;
    in.pictureHeight = background.height;
    in.backdropWidth = backdropPicture.width;
    in.backdropHeight = backdropPicture.height;
    return in;
}

void DS_GlassBallLight::SetupLensProjection(bool lensPass)
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    const LensProjection p = ComputeLensProjection(ProjectionInput(lensPass));
    device->SetTransform(D3DTS_WORLD, &p.world);
    device->SetTransform(D3DTS_VIEW, &p.view);
    device->SetTransform(D3DTS_PROJECTION, &p.projection);
    device->SetTransform(D3DTS_TEXTURE1, &p.texture);
    device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION | 1);
}

// ---- Frames ----

void DS_GlassBallLight::Update(float t)
{
    if (scrollMode == kScrollStill) {
        swing = 0.0f;
        return;
    }
    const float phase = GlassScrollClock::Advance(t, scrollSpeed);
    if (scrollMode == kScrollLeft || scrollMode == kScrollRight) {
        swing = 0.0f;
        const ScrollRects r = ScrollQuadRects(scrollMode, phase, layoutWidth, layoutHeight);
        RefillScreenQuad(scrollQuads[0], r.quad[0]);
        RefillScreenQuad(scrollQuads[1], r.quad[1]);
    } else if (scrollMode == kScrollSwing) {
        swing = SwingFromPhase(phase);
    }
}

void DS_GlassBallLight::BeginFrame()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // The targets are drawn into now, so neither may stay bound from the last composite.
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    // Without a target the frame goes straight onto the back buffer.
    sceneTarget.Begin();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    DrawBackground();
}

void DS_GlassBallLight::DrawPTTQuad(const VertexStore<DX_V::PTT>& quad) const
{
    IDirect3DDevice9* device = CurrentDevice;
    device->SetVertexShader(nullptr);
    device->SetFVF(DX_V::PTT::FVF);
    device->SetStreamSource(0, quad.buffer.Get(), 0, DX_V::PTT::Stride);
    if (quad.buffer)
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

void DS_GlassBallLight::EndFrame()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || !sceneTarget.texture)
        return; // nothing was redirected: the scene is on the back buffer already
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    ComRef<IDirect3DTexture9> scene = sceneTarget.texture;
    sceneTarget.End(); // the back buffer again

    // Screen quads show their texture as it is (their vertices are white).
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    auto drawScreenQuad = [device](const ScreenPictureQuad& quad) {
        if (quad.Bind())
            device->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
    };

    // The scene shifted sideways, wrapping, into the scroll target.
    if ((scrollMode == kScrollLeft || scrollMode == kScrollRight) && scrollTarget.texture) {
        scrollTarget.Begin();
        drawScreenQuad(scrollQuads[0]);
        drawScreenQuad(scrollQuads[1]);
        scrollTarget.End();
        scene = scrollTarget.texture;
    }

    drawScreenQuad(backdropQuad);

    // Lens pass: the scene through the hemisphere's slopes (flat without a bump map).
    SetupLensProjection(true);
    device->SetTexture(0, sphereBump.Get());
    device->SetTexture(1, scene.Get());
    device->SetTextureStageState(0, D3DTSS_COLOROP, sphereBump ? D3DTOP_BUMPENVMAP : D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    DrawPTTQuad(lensQuad);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    SetupLensProjection(false);

    // The passes on top blend by their pictures' alpha.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTexture(1, nullptr);

    // Overlays on the lens; a missing picture is skipped (it would paint the ball white).
    const bool overlayOn[2] = {overlayAOn, overlayBOn};
    for (int i = 0; i < 2; ++i) {
        if (overlayOn[i] && overlayTextures[i]) {
            device->SetTexture(0, overlayTextures[i].Get());
            DrawPTTQuad(lensQuad);
        }
    }

    // Rim pass: outside the disc the square shows the backdrop as it lies behind it.
    if (circleMask) {
        device->SetTexture(0, circleMask.Get());
        device->SetTexture(1, backdropQuad.texture.Get());
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        DrawPTTQuad(lensQuad);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetTexture(1, nullptr);
    }

    if (standOn && overlayTextures[2]) {
        device->SetTexture(0, overlayTextures[2].Get());
        DrawPTTQuad(standQuad);
    }
    device->SetTexture(0, nullptr);

    if (glassMode == 1)
        for (const DS_ScreenQuad& bar : glassBars)
            DrawScreenQuad(bar);
}
