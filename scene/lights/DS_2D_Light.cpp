#include "scene/lights/DS_2D_Light.h"

#include <string>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "scene/lights/MutableLight.h"
#include "scene/lights/ObjectRenderers.h"
#include "scene/render/QuadTemplate.h"

constexpr int32_t DS_2D_Light::kHandlePictureIds[5];

DS_2D_Light* DS_2D_Light::Create()
{
    DS_2D_Light* light = new DS_2D_Light();
    light->InitResources();
    return light;
}

DS_2D_Light::DS_2D_Light() = default;

DS_2D_Light::~DS_2D_Light() = default;

void DS_2D_Light::InitResources()
{
    pictureQuad.MakeBuffer();

    TakePictureFromKey();

    const QuadTemplate wholeScreen = MakeBackBufferQuad();
    for (DS_ScreenQuad& bar : bars)
        bar.Create(0xFF000000u, wholeScreen);

    for (int i = 0; i < 5; ++i)
        handleTextures[i] = ResourceCache::GetTextureById(CurrentResourceCache, kHandlePictureIds[i]);

    target.Create();
}

void DS_2D_Light::SetBackground(const NamedBlob& slidePicture)
{
    if (slidePicture.HasBytes()) {
        // Embedded bytes: a texture of their own, not cached; the key stays as it was.
        TextureAnim::AssignSingle(ResourceCache::CreateTextureFromMemory(slidePicture.Bytes(), slidePicture.Size()),
                                  pictureQuad.anim);
        pictureQuad.SetFromTextureAnim(pictureQuad.anim);
    } else {
        if (!slidePicture.name.empty() && slidePicture.name != L"[blank]")
            backgroundKey = ResKey::FromFile(slidePicture.name);
        TakePictureFromKey();
    }
    Layout(layoutWidth, layoutHeight);
}

void DS_2D_Light::TakePictureFromKey()
{
    if (CurrentDocResManager)
        pictureQuad.anim = CurrentDocResManager->GetTextureAnim(backgroundKey);
    pictureQuad.SetFromTextureAnim(pictureQuad.anim);
}

void DS_2D_Light::Layout(uint32_t width, uint32_t height)
{
    const TextureAnim& picture = pictureQuad.anim;
    layoutWidth = width;
    layoutHeight = height;
    const int32_t w = static_cast<int32_t>(width);
    const int32_t h = static_cast<int32_t>(height);

    // The picture's rectangle on the back buffer.
    QuadTemplate placed;
    if (stretch)
        SetQuadCorners(placed, 0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
    else
        FitQuadToPicture(picture, placed, w, h);
    ScaleQuadToBackBuffer(placed, w, h);

    const LetterboxBars rects = MakeLetterboxBars(placed);
    for (int i = 0; i < 4; ++i)
        bars[i].SetRect(rects.bar[i]);

    SetupPictureCamera(SceneTransforms, static_cast<float>(width), static_cast<float>(height), placed, picture.width,
                       picture.height, stretch);

    // Object space keeps the letterboxed rectangle even when the picture is stretched.
    QuadTemplate letterboxed;
    FitQuadToPicture(picture, letterboxed, w, h);
    ScaleQuadToBackBuffer(letterboxed, w, h);
    SetViewMetrics(letterboxed, w, h, static_cast<int32_t>(picture.width), static_cast<int32_t>(picture.height));

    layout.Capture();
}

void DS_2D_Light::DrawBackground()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    if (!pictureQuad.texture) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 0, 0, 0), 1.0f, 0);
        return;
    }
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &pictureQuad.world, &SceneTransforms.pictureWorld);
    device->SetTransform(D3DTS_WORLD, &world);
    if (pictureQuad.Bind())
        device->DrawPrimitive(pictureQuad.primitiveType, 0, pictureQuad.primitiveCount);
}

void DS_2D_Light::DrawBars()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (stretch || !device)
        return;
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    for (const DS_ScreenQuad& bar : bars) {
        if (!bar.HasGeometry())
            continue;
        device->SetVertexShader(nullptr);
        device->SetFVF(DX_V::SC::FVF);
        device->SetStreamSource(0, bar.vertices.buffer.Get(), 0, DX_V::SC::Stride);
        device->DrawPrimitive(bar.primitiveType, 0, bar.primitiveCount);
    }
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

void DS_2D_Light::DrawObjects(const std::vector<DS_ABObj*>& objects)
{
    MutableLight::RenderObjects(objects, this);
}

bool DS_2D_Light::Write(DS_IOF_Virtual* archive)
{
    const std::wstring tag = kClassName;
    const uint32_t version = kVersion;
    archive->WriteString(&tag);
    archive->WriteULong(&version);
    return true;
}

void DS_2D_Light::DrawSelection(OutlineQuad* quad, int selectionState, bool flag)
{
    DefaultDrawSelection(quad, selectionState, handleTextures, flag);
}

void DS_2D_Light::Draw3DObject(DS_MeshElement* element)
{
    DefaultDraw3DObject(element, true);
}

void DS_2D_Light::DrawSpriteArray(DS_SpriteArrayObj* sprites)
{
    DefaultDrawSpriteArray(sprites);
}

void DS_2D_Light::Draw3DArray(DS_MeshElement* leaves)
{
    DefaultDraw3DArray(leaves);
}

void SetDefault2DStates()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // Output merger: no depth, no lighting.
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    // Sampler 0: linear, mirrored.
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
    // Texture stages: stage 0 shows the texture colour; its arguments stay ready for MODULATE.
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    // Blend factors (blending itself is switched by each drawing routine).
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void DrawScreenQuadKeepBlend(DS_ScreenQuad* quad)
{
    DrawScreenQuad(quad, BlendAfterDraw::KeptOn);
}
