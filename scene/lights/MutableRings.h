// MutableRings: the water-ring mode. The slide's picture lies under a rippling, lit water
// surface where drops fall at the slide's rate; the runtime objects are drawn flat over the
// water, then the black bars and the fade quad. Its implementation is DS_WaterRingLight.
#pragma once

#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/DS_WaterRingLight.h"
#include "scene/lights/MutableLight.h"

class MutableRings : public MutableLightOf<DS_WaterRingLight> {
public:
    // Lays the default picture out at the back buffer's size, takes the slide's picture and
    // levels, sets the base states and makes the slide's objects. Not stretched until SetStretch.
    explicit MutableRings(const SlideRecord& slide);
    // The light goes first (its surface, then its base part), then the runtime objects.
    ~MutableRings() override = default;

    void Update(float time) override;
    void DrawFadeQuad(DS_ScreenQuad* fadeQuad) override;
    void EndFrame() override;
    void ReleaseDeviceResources() override;
    void RestoreRenderStates() override;

protected:
    void BeginFramePass() override;
};
