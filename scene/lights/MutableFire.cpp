#include "scene/lights/MutableFire.h"

#include "document/CurrentDevice.h"
#include "document/ResourceCache.h"
#include "document/SceneDoc.h"
#include "scene/render/DeviceBindings.h"

MutableFire::MutableFire(const SlideRecord& slide) : MutableLightOf(MakeFlameLight(L""))
{
    DS_FlameLight& fire = *implementation;
    const D3DSURFACE_DESC back = GetBackBufferDesc();
    fire.Layout(back.Width, back.Height);
    fire.SetBackground(slide.picture);

    fire.SetFlameDrop(static_cast<float>(static_cast<uint32_t>(slide.amount)));

    // Without an effect nothing would put the redirected frame back: the haze stays off.
    if (fire.distortion.effect)
        fire.hazeSwitch.value = slide.switches[0];
    fire.flameSwitch.value = slide.switches[1];
    fire.distortion.bumpScale.SetValue(slide.levels[0], nullptr);
    fire.distortion.scrollSpeed.SetValue(slide.levels[1], nullptr);
    fire.distortion.strength.SetValue(slide.levels[2], nullptr);

    RestoreRenderStates();
    AddSlideObjects(slide);
}

void MutableFire::Update(float time)
{
    implementation->Update(time);
}

void MutableFire::BeginFramePass()
{
    implementation->BeginFrame();
}

void MutableFire::DrawFadeQuad(DS_ScreenQuad* fadeQuad)
{
    if (fadeQuad)
        DrawScreenQuad(*fadeQuad);
    if (IDirect3DDevice9* device = CurrentDevice)
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
}

void MutableFire::EndFrame()
{
    implementation->EndFrame();
}

void MutableFire::ReleaseDeviceResources()
{
    // The flames bind stages 0 to 3; the composite binds the target on a stage of its own.
    UnbindDrawingResources(4);
    // The haze holds the target as its "SceneTex"; it lets go first, so the release frees it.
    implementation->distortion.ClearTextures();
    implementation->sceneTarget.Release();
    if (implementation->distortion.effect)
        implementation->distortion.effect->OnLostDevice();
}

void MutableFire::RestoreRenderStates()
{
    implementation->RestoreRenderStates();
}
