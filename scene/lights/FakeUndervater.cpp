#include "scene/lights/FakeUndervater.h"

#include <cmath>

#include "document/CurrentDevice.h"
#include "scene/render/SceneTransforms.h"
#include "scene/render/StateValues.h"

namespace {

// Pixel space spans 109.4 quad units across and down.
constexpr float kCompositeSpan = 2.0f * kCompositeHalfExtent;

} // namespace

void FillWaveMapTexels(uint8_t* rows, int32_t pitch)
{
    for (uint32_t y = 0; y < kWaveMapSide; ++y) {
        int8_t* texel = reinterpret_cast<int8_t*>(rows + static_cast<ptrdiff_t>(y) * pitch);
        const float fy = static_cast<float>(y / 512.0 - 0.5);
        for (uint32_t x = 0; x < kWaveMapSide; ++x, texel += 2) {
            const float fx = static_cast<float>(x / 512.0 - 0.5);
            const float a = static_cast<float>((fy + fx) * 4.0 * 3.1415927 * 0.5);
            texel[0] = static_cast<int8_t>(static_cast<int32_t>(std::cos(a) * 64.0f)); // U
            texel[1] = static_cast<int8_t>(static_cast<int32_t>(std::sin(a) * 64.0f)); // V
        }
    }
}

void FillInitialCompositeQuad(DX_V::PNTT* v)
{
    const float e = kCompositeHalfExtent;
    // Strip order: bottom-left, top-left, bottom-right, top-right of the screen.
    v[0] = {-e, -e, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.01f, 0.99f};
    v[1] = {-e, e, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.01f, 0.01f};
    v[2] = {e, -e, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.99f, 0.99f};
    v[3] = {e, e, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.99f, 0.01f};
}

void PlaceCompositeQuad(DX_V::PNTT* v, const QuadTemplate& rect, uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0) {
        QuadTemplate whole;
        SetQuadCorners(whole, 0.0f, 0.0f, 1.0f, 1.0f);
        PlaceCompositeQuad(v, whole, 1, 1);
        return;
    }
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    auto place = [&](DX_V::PNTT& vertex, const QuadVertex& corner) {
        vertex.x = corner.x * kCompositeSpan / w - kCompositeHalfExtent;
        vertex.y = corner.y * kCompositeSpan / h - kCompositeHalfExtent;
        vertex.z = 0.0f;
    };
    place(v[0], rect.v[QuadTemplate::TopLeft]);
    place(v[1], rect.v[QuadTemplate::BottomLeft]);
    place(v[2], rect.v[QuadTemplate::TopRight]);
    place(v[3], rect.v[QuadTemplate::BottomRight]);
}

void SetCompositeWaveCoords(DX_V::PNTT* v, float t)
{
    const float s = (t * 0.5f) * 0.5f;
    v[0].u0 = 0.0f;
    v[0].v0 = s + 2.0f;
    v[1].u0 = 0.0f;
    v[1].v0 = s;
    v[2].u0 = 1.0f;
    v[2].v0 = s;
    v[3].u0 = 1.0f;
    v[3].v0 = s + 2.0f;
}

void CompositeCamera(D3DXMATRIX& view, D3DXMATRIX& projection)
{
    const D3DXVECTOR3 eye(0.0f, 0.0f, -100.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.0f, 1.0f, 3000.0f);
}

FakeUndervater* FakeUndervater::Create()
{
    FakeUndervater* light = new FakeUndervater();
    light->Init();
    return light;
}

FakeUndervater::FakeUndervater()
{
    FillInitialCompositeQuad(composite_);
}

// The composite quad goes first, then the wave map, then the picture light.
FakeUndervater::~FakeUndervater() = default;

void FakeUndervater::Init()
{
    InitResources();
    stretch = true;
    // Without a wave map the quad is still made: the target is then composited without waves.
    CreateBumpMap();
    MakeVertexBuffer(4, quadBuffer, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    FillInitialCompositeQuad(composite_);
    UploadComposite();
}

HRESULT FakeUndervater::CreateBumpMap()
{
    waveMap.Reset();
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || FAILED(device->CreateTexture(kWaveMapSide, kWaveMapSide, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED,
                                                waveMap.Out(), nullptr)))
        return E_FAIL;
    D3DLOCKED_RECT locked;
    if (FAILED(waveMap->LockRect(0, &locked, nullptr, 0))) {
        waveMap.Reset();
        return E_FAIL;
    }
    FillWaveMapTexels(static_cast<uint8_t*>(locked.pBits), locked.Pitch);
    waveMap->UnlockRect(0);
    return S_OK;
}

void FakeUndervater::Layout(uint32_t width, uint32_t height)
{
    DS_2D_Light::Layout(width, height);
    const QuadTemplate rect = FitOrStretchQuad(compositeStretch, pictureQuad.anim.width, pictureQuad.anim.height,
                                               static_cast<int32_t>(width), static_cast<int32_t>(height));
    PlaceCompositeQuad(composite_, rect, width, height);
    UploadComposite();
    layoutWidth = width;
    layoutHeight = height;
    SetCamera();
}

void FakeUndervater::SetCamera()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    D3DXMATRIX identity, view, projection;
    D3DXMatrixIdentity(&identity);
    CompositeCamera(view, projection);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}

void FakeUndervater::Update(float t)
{
    SetCompositeWaveCoords(composite_, t);
    UploadComposite();
}

void FakeUndervater::BeginFrame()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // The target is drawn into now, so it must not stay bound from the last composite.
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    // Without a target the frame goes straight onto the back buffer.
    target.Begin();

    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTransform(D3DTS_WORLD, &SceneTransforms.identity);
    device->SetTransform(D3DTS_VIEW, &SceneTransforms.view);
    device->SetTransform(D3DTS_PROJECTION, &SceneTransforms.projection);
    DrawBackground();
}

void FakeUndervater::EndFrame()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || !target.texture)
        return; // nothing was redirected: the frame is on the back buffer already
    SetCamera();

    const bool waves = waveMap != nullptr;
    if (waves) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    } else {
        // The target alone, read on stage 0 at its own coordinates.
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }

    target.End(); // the back buffer again, cleared to opaque black

    if (waves) {
        device->SetTexture(0, waveMap.Get());
        device->SetTexture(1, target.texture.Get());
    } else {
        device->SetTexture(0, target.texture.Get());
    }
    device->SetVertexShader(nullptr);
    device->SetFVF(DX_V::PNTT::FVF);
    device->SetStreamSource(0, quadBuffer.buffer.Get(), 0, DX_V::PNTT::Stride);
    if (quadBuffer.buffer)
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);

    if (!waves)
        device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
}

void FakeUndervater::RestoreRenderStates()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // Output merger and rasterizer.
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    SetCamera();
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    // Samplers 0 (wave map) and 1 (target): linear.
    for (DWORD sampler = 0; sampler < 2; ++sampler) {
        device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    // Texture stages: stage 1 reads the target at coordinate set 1, moved by the wave texel
    // times a bump matrix of diag(0.01, 0.01).
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(0.01f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(0.0f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(0.0f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(0.01f));
    // The map repeats across the quad.
    for (DWORD sampler = 0; sampler < 2; ++sampler) {
        device->SetSamplerState(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
        device->SetSamplerState(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    }
    device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
}

void FakeUndervater::UploadComposite()
{
    WriteVertices(quadBuffer, [&](DX_V::PNTT* v, uint32_t count) {
        for (uint32_t i = 0; i < count && i < 4; ++i)
            v[i] = composite_[i];
    });
}
