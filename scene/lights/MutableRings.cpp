#include "scene/lights/MutableRings.h"

#include "document/ResourceCache.h"
#include "document/SceneDoc.h"
#include "scene/render/DeviceBindings.h"

MutableRings::MutableRings(const SlideRecord& slide) : MutableLightOf(DS_WaterRingLight::Make(L""))
{
    const D3DSURFACE_DESC back = GetBackBufferDesc();
    implementation->Layout(back.Width, back.Height);
    implementation->SetBackground(slide.picture);
    implementation->Layout(implementation->layoutWidth, implementation->layoutHeight);
    implementation->ApplyLevels(slide);
    RestoreRenderStates(); // builds the surface from the levels
    AddSlideObjects(slide);
}

void MutableRings::Update(float time)
{
    implementation->Update(time);
}

void MutableRings::BeginFramePass()
{
    implementation->BeginFrame();
}

void MutableRings::DrawFadeQuad(DS_ScreenQuad* fadeQuad)
{
    if (fadeQuad)
        DrawScreenQuad(*fadeQuad);
}

void MutableRings::EndFrame()
{
    implementation->EndFrame();
}

void MutableRings::ReleaseDeviceResources()
{
    // The picture, the sprites and the meshes are drawn through stage 0, stream 0 and indices.
    UnbindDrawingResources(1);
    implementation->ReleaseDeviceResources();
}

void MutableRings::RestoreRenderStates()
{
    implementation->RestoreRenderStates();
}
