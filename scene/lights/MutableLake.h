// MutableLake: the lake mode (slide kind 2). The slide's picture with a rippling mirror of its
// lower band, shaded and hazed in the slide's colour (FakeLake2D), the runtime objects over it
// with the default renderers, then the black bars.
#pragma once

#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/FakeLake2D.h"
#include "scene/lights/MutableLight.h"

class MutableLake : public MutableLightOf<FakeLake2D> {
public:
    // Lays the light out at the back buffer's size, takes the slide's picture and its kind
    // parameters, sets the base states and makes the slide's objects. Letterboxed until
    // SetStretch.
    explicit MutableLake(const SlideRecord& slide);
    ~MutableLake() override;

    void Update(float time) override;
    void DrawFadeQuad(DS_ScreenQuad* fadeQuad) override;
    void EndFrame() override;
    void ReleaseDeviceResources() override;
    void RestoreRenderStates() override;

protected:
    void BeginFramePass() override;
};
