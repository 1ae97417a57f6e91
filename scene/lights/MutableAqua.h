// MutableAqua: the underwater mode (slide kind 1). The slide's picture and its runtime objects
// are drawn into a render target, which is then shown through scrolling waves (FakeUndervater,
// which is also the renderer the objects draw with).
#pragma once

#include "scene/lights/FakeUndervater.h"
#include "scene/lights/MutableLight.h"

class MutableAqua : public MutableLightOf<FakeUndervater> {
public:
    // Lays the light out at the back buffer's size, takes the slide's picture, sets the base
    // states and makes the slide's objects. The composite is letterboxed until SetStretch.
    explicit MutableAqua(const SlideRecord& slide);
    ~MutableAqua() override = default;

    void Update(float time) override;
    void DrawFadeQuad(DS_ScreenQuad* fadeQuad) override;
    void EndFrame() override;
    // The composite, not the picture inside the target, is stretched or letterboxed.
    void SetStretch(int stretch) override;
    void ReleaseDeviceResources() override;
    void RestoreRenderStates() override;

protected:
    void BeginFramePass() override;
};
