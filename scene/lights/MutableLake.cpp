#include "scene/lights/MutableLake.h"

#include "document/CurrentDevice.h"
#include "document/ResourceCache.h"
#include "document/SceneDoc.h"
#include "scene/render/DeviceBindings.h"

namespace {

// The lake made with the slide's bump amplitude and fade, so that its bump map is made once;
// the comparisons in the constructor then find nothing to rebuild.
FakeLake2D* MakeLakeForSlide(const SlideRecord& slide)
{
    const LakeParams p = LakeParamsFromSlide(slide);
    return MakeFakeLake2D(L"", FakeLake2D::kHeightPictureId, 0.33f, p.bumpAmplitude, p.bumpFade);
}

} // namespace

MutableLake::MutableLake(const SlideRecord& slide) : MutableLightOf<FakeLake2D>(MakeLakeForSlide(slide))
{
    FakeLake2D& lake = *implementation;
    const D3DSURFACE_DESC back = GetBackBufferDesc();
    lake.Layout(back.Width, back.Height);
    lake.SetBackground(slide.picture);
    // The reflection is made at the slide's size at once, not once more below.
    lake.reflectionSizeShift = slide.options[0];
    lake.ResampleReflection();
    lake.Layout(lake.layoutWidth, lake.layoutHeight);

    const LakeParams p = LakeParamsFromSlide(slide);
    lake.SetReflectionSqueeze(p.squeeze);
    lake.shadeQuad.SetRGB(p.shadeRgb);
    lake.hazeQuad.SetRGB(p.shadeRgb);
    // Each value is applied only when it differs from what the light holds.
    if (lake.shadeAlpha != p.shadeAlpha) {
        lake.shadeAlpha = p.shadeAlpha;
        lake.UpdateShadeAlphas();
    }
    if (lake.hazeHeight != p.hazeHeight) {
        lake.hazeHeight = p.hazeHeight;
        lake.Layout(lake.layoutWidth, lake.layoutHeight);
    }
    if (lake.shadeFalloff != p.shadeFalloff) {
        lake.shadeFalloff = p.shadeFalloff;
        lake.UpdateShadeAlphas();
    }
    if (lake.bumpAmplitude != p.bumpAmplitude) {
        lake.bumpAmplitude = p.bumpAmplitude;
        lake.RebuildBumpMap();
    }
    if (lake.bumpFade != p.bumpFade) {
        lake.bumpFade = p.bumpFade;
        lake.RebuildBumpMap();
    }
    SetLakeGroundTexRange(lake.surfaceMesh, p.bumpRange);
    if (lake.reflectionSizeShift != p.reflectionSizeShift) {
        lake.reflectionSizeShift = p.reflectionSizeShift;
        lake.ResampleReflection();
    }

    RestoreRenderStates();
    AddSlideObjects(slide);
}

// The light goes first (its owner is the base's member), then the base deletes the objects.
MutableLake::~MutableLake() = default;

void MutableLake::Update(float time)
{
    implementation->UpdateBumpMatrix(time);
}

void MutableLake::BeginFramePass()
{
    implementation->BeginFrame();
}

void MutableLake::DrawFadeQuad(DS_ScreenQuad* fadeQuad)
{
    if (IDirect3DDevice9* device = CurrentDevice)
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    if (fadeQuad)
        DrawScreenQuad(*fadeQuad);
}

void MutableLake::EndFrame()
{
    implementation->DrawBars();
}

void MutableLake::ReleaseDeviceResources()
{
    // Everything the lake holds is managed; only what its frame bound is let go (the bump map
    // on stage 0, the reflection on stage 1, the surface mesh as stream 0).
    UnbindDrawingResources(2);
}

void MutableLake::RestoreRenderStates()
{
    implementation->RestoreRenderStates();
}
