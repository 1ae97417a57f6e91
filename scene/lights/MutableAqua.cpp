#include "scene/lights/MutableAqua.h"

#include "document/CurrentDevice.h"
#include "document/ResourceCache.h"
#include "document/SceneDoc.h"
#include "scene/render/DeviceBindings.h"

MutableAqua::MutableAqua(const SlideRecord& slide) : MutableLightOf(FakeUndervater::Create())
{
    const D3DSURFACE_DESC back = GetBackBufferDesc();
    implementation->Layout(back.Width, back.Height);
    // The picture light lays itself out again for the new picture; the composite follows it.
    implementation->SetBackground(slide.picture);
    implementation->Layout(implementation->layoutWidth, implementation->layoutHeight);
    RestoreRenderStates();
    AddSlideObjects(slide);
}

void MutableAqua::Update(float time)
{
    implementation->Update(time);
}

void MutableAqua::BeginFramePass()
{
    implementation->BeginFrame();
}

void MutableAqua::DrawFadeQuad(DS_ScreenQuad* fadeQuad)
{
    if (IDirect3DDevice9* device = CurrentDevice) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
    DrawScreenQuadKeepBlend(fadeQuad);
}

void MutableAqua::EndFrame()
{
    implementation->EndFrame();
}

void MutableAqua::SetStretch(int stretch)
{
    implementation->compositeStretch = stretch != 0;
    implementation->Layout(implementation->layoutWidth, implementation->layoutHeight);
}

void MutableAqua::ReleaseDeviceResources()
{
    // The composite binds the wave map to stage 0 and the target to stage 1.
    UnbindDrawingResources(2);
    implementation->target.Release();
}

void MutableAqua::RestoreRenderStates()
{
    implementation->RestoreRenderStates();
}
