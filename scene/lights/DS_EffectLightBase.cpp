#include "scene/lights/DS_EffectLightBase.h"

#include <d3dx9.h>

#include "document/CurrentDevice.h"
#include "document/ResourceCache.h"
#include "scene/lights/MutableLight.h"
#include "scene/lights/ObjectRenderers.h"
#include "scene/render/SceneTransforms.h"
#include "scene/render/ViewMetrics.h"

constexpr int32_t DS_EffectLightBase::kHandlePictureIds[5];

void ShaderSet::Release()
{
    pixelShader.Reset();
    declaration.Reset();
    vertexShader.Reset();
}

DS_EffectLightBase::DS_EffectLightBase()
{
    background.aspect = 1.0f;
}

DS_EffectLightBase::~DS_EffectLightBase()
{
    renderer.reset();
    ReleaseResources();
}

void DS_EffectLightBase::InitFromPath(const std::wstring& path)
{
    NamedBlob picture;
    picture.name = path;
    background = ResolvePictureTexture(picture);
    MakeScreenPictureQuad(screenQuad, background);
    CreateResources();
}

void DS_EffectLightBase::CreateResources()
{
    const QuadTemplate wholeScreen = MakeBackBufferQuad();
    for (DS_ScreenQuad& bar : bars)
        bar.Create(0xFF000000u, wholeScreen);
    for (int i = 0; i < 5; ++i)
        handleTextures[i] = ResourceCache::GetTextureById(CurrentResourceCache, kHandlePictureIds[i]);
}

void DS_EffectLightBase::ReleaseResources()
{
    for (int i = 4; i >= 0; --i)
        handleTextures[i].Reset();
    for (int i = 3; i >= 0; --i)
        bars[i].ReleaseBuffer();
    background.texture.Reset();
    screenQuad.SetTexture(nullptr);
    screenQuad.ReleaseBuffer();
    shaderSet.Release();
}

void DS_EffectLightBase::SetBackground(const NamedBlob& picture)
{
    background = ResolvePictureTexture(picture);
    screenQuad.SetTexture(background.texture.Get());
}

void DS_EffectLightBase::Layout(uint32_t width, uint32_t height)
{
    layoutWidth = width;
    layoutHeight = height;
    const int32_t w = static_cast<int32_t>(width);
    const int32_t h = static_cast<int32_t>(height);
    QuadTemplate picture = FitOrStretchQuad(stretch, background.width, background.height, w, h);
    ScaleQuadToBackBuffer(picture, w, h);
    ApplyLayout(picture, width, height);
}

void DS_EffectLightBase::ApplyLayout(const QuadTemplate& picture, uint32_t width, uint32_t height)
{
    const int32_t w = static_cast<int32_t>(width);
    const int32_t h = static_cast<int32_t>(height);

    RefillScreenQuad(screenQuad, picture);
    SetViewMetrics(picture, w, h, static_cast<int32_t>(background.width), static_cast<int32_t>(background.height));

    const LetterboxBars rects = MakeLetterboxBars(picture);
    for (int i = 0; i < 4; ++i)
        bars[i].SetRect(rects.bar[i]);

    layoutWidth = width;
    layoutHeight = height;
    SetupPictureCamera(SceneTransforms, static_cast<float>(width), static_cast<float>(height), picture,
                       background.width, background.height, stretch);
    layout.Capture();
}

void DS_EffectLightBase::DrawBackground()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // The quad's vertices are in screen pixels already; the matrix is for what follows.
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &screenQuad.world, &SceneTransforms.pictureWorld);
    device->SetTransform(D3DTS_WORLD, &world);
    if (screenQuad.Bind())
        device->DrawPrimitive(screenQuad.primitiveType, 0, screenQuad.primitiveCount);
}

void DS_EffectLightBase::DrawBackgroundNoZWrite()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    if (screenQuad.Bind())
        device->DrawPrimitive(screenQuad.primitiveType, 0, screenQuad.primitiveCount);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

void DS_EffectLightBase::DrawBars()
{
    for (const DS_ScreenQuad& bar : bars)
        DrawScreenQuad(bar);
}

void DS_EffectLightBase::DrawObjects(const std::vector<DS_ABObj*>& objects)
{
    if (renderer)
        MutableLight::RenderObjects(objects, renderer.get());
}

DS_NoEffectLight::DS_NoEffectLight()
{
    renderer = std::make_unique<DS_ABRenderImpl<DS_NoEffectLight>>(this);
}
