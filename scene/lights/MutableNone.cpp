#include "scene/lights/MutableNone.h"

#include "document/ResourceCache.h"
#include "document/SceneDoc.h"
#include "scene/render/DeviceBindings.h"

MutableNone::MutableNone(const SlideRecord& slide) : MutableLightOf(DS_2D_Light::Create())
{
    const D3DSURFACE_DESC back = GetBackBufferDesc();
    implementation->Layout(back.Width, back.Height);
    implementation->SetBackground(slide.picture);
    RestoreRenderStates();
    AddSlideObjects(slide);
}

void MutableNone::Update(float)
{
}

void MutableNone::BeginFramePass()
{
    implementation->DrawBackground();
}

void MutableNone::DrawFadeQuad(DS_ScreenQuad* fadeQuad)
{
    DrawScreenQuadKeepBlend(fadeQuad);
}

void MutableNone::EndFrame()
{
    implementation->DrawBars();
}

void MutableNone::ReleaseDeviceResources()
{
    // The picture, the sprites and the meshes are drawn through stage 0 and stream 0.
    UnbindDrawingResources(1);
    implementation->target.Release();
}

void MutableNone::RestoreRenderStates()
{
    SetDefault2DStates();
}
