// MutableFire: the fire mode (slide kind 3). Flames lick up from the foot of the slide's
// picture; with the heat haze on, the whole frame shimmers above them (DS_FlameLight).
//
// From the slide: switches[0] the haze (kept off when there is no effect), switches[1] the
// flames, amount how far the flames sit below the picture's foot (0.5 % of its height per
// unit), levels[0..2] the haze's bump scale, scroll speed and strength.
#pragma once

#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/DS_FlameLight.h"
#include "scene/lights/MutableLight.h"

class MutableFire : public MutableLightOf<DS_FlameLight> {
public:
    // Lays the light out at the back buffer's size, takes the slide's picture and parameters,
    // sets the base states and makes the slide's objects.
    explicit MutableFire(const SlideRecord& slide);
    ~MutableFire() override = default;

    void Update(float time) override;
    void DrawFadeQuad(DS_ScreenQuad* fadeQuad) override;
    void EndFrame() override;
    void ReleaseDeviceResources() override;
    void RestoreRenderStates() override;

protected:
    void BeginFramePass() override;
};
